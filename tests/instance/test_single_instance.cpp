#include "common/comma_text.h"
#include "common/file_open_queue.h"
#include "common/single_instance.h"
#include "log_capture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr int ProcessTimeoutMs = 30000;

#ifdef Q_OS_WIN
// A Windows program gets at most 32,767 characters of command line, its own path
// and the quoting of each argument included.
constexpr qsizetype CommandLineRoom = 32767 - 1024;
#else
constexpr qsizetype CommandLineRoom = std::numeric_limits<qsizetype>::max();
#endif

QByteArray Header(char kind, quint32 length)
{
    char bytes[4];
    qToBigEndian(length, bytes);
    return QByteArray("OSTR") + kind + QByteArray(bytes, 4);
}

QStringList Items(const QJsonObject &event)
{
    QStringList items;
    for (const QJsonValue &item : event.value("items").toArray())
        items << item.toString();
    return items;
}

} // namespace

// Every test runs real editor starts (instance_probe) under a lock name of its
// own, so tests and a running editor never meet.
class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_lockName;
    QString m_recordPath;
    std::unique_ptr<QProcess> m_first;
    int m_serial = 0;

    std::unique_ptr<QProcess> startProbe(const QStringList &args, bool holdFirstFiles = false,
                                         const QStringList &extraEnv = {})
    {
        auto probe = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("OSTREL_PROBE_LOCK", m_lockName);
        env.insert("OSTREL_PROBE_RECORD", m_recordPath);
        env.insert("OSTREL_PROBE_HOLD", holdFirstFiles ? "1" : "0");
        for (const QString &setting : extraEnv)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        probe->setProcessEnvironment(env);
        probe->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        probe->start(QCoreApplication::applicationDirPath() + "/instance_probe", args);
        if (!probe->waitForStarted(ProcessTimeoutMs))
            qWarning("instance_probe did not start: %s", qPrintable(probe->errorString()));
        return probe;
    }

    static QByteArray readLine(QProcess &probe)
    {
        while (!probe.canReadLine()) {
            if (!probe.waitForReadyRead(ProcessTimeoutMs))
                return QByteArray();
        }
        return probe.readLine();
    }

    // Starts the probe that must become the first instance.
    void startFirst(bool holdFirstFiles = false, const QStringList &extraEnv = {})
    {
        m_first = startProbe({}, holdFirstFiles, extraEnv);
        QCOMPARE(readLine(*m_first), QByteArray("ready\n"));
    }

    // Runs a later start to its end: it must exit with 0 without becoming first.
    void runLater(const QStringList &args)
    {
        auto later = startProbe(args);
        QVERIFY(later->waitForFinished(ProcessTimeoutMs));
        QCOMPARE(later->exitStatus(), QProcess::NormalExit);
        QCOMPARE(later->exitCode(), 0);
        QCOMPARE(later->readAllStandardOutput(), QByteArray());
    }

    QList<QJsonObject> records() const
    {
        QList<QJsonObject> events;
        QFile file(m_recordPath);
        if (!file.open(QIODevice::ReadOnly))
            return events;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.isEmpty())
                events << QJsonDocument::fromJson(line).object();
        }
        return events;
    }

    // Every item the first instance was handed, in order.
    QStringList forwardedItems() const
    {
        QStringList items;
        for (const QJsonObject &event : records())
            if (event.value("event").toString() == u"files")
                items << Items(event);
        return items;
    }

    static QStringList eventNames(const QList<QJsonObject> &events)
    {
        QStringList names;
        for (const QJsonObject &event : events)
            names << event.value("event").toString();
        return names;
    }

    static void endProbe(QProcess &probe)
    {
        probe.closeWriteChannel();
        if (!probe.waitForFinished(ProcessTimeoutMs))
            probe.kill();
    }

private Q_SLOTS:
    void init()
    {
        m_lockName = QStringLiteral("ostrel-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++m_serial);
        m_recordPath = m_dir.filePath(m_lockName + ".jsonl");
    }

    void cleanup()
    {
        if (m_first) {
            endProbe(*m_first);
            m_first.reset();
        }
        QFile::remove(SingleInstance::LockFilePath(m_lockName));
        QLocalServer::removeServer(SingleInstance::ServerName(m_lockName));
    }

    void forwardsToFirstInstance_data()
    {
        QTest::addColumn<QStringList>("args");

        QStringList existing{m_dir.filePath("my table.csv"), m_dir.filePath("second.csv")};
        for (const QString &path : existing) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QTest::newRow("two existing files, blank in first") << existing;
        QTest::newRow("no parameters") << QStringList{};
        QTest::newRow("awkward names") << QStringList{
            "/t/\"quoted\" name.csv", "/t/a,b.csv", " leading blank", "表 テーブル.csv", "", "/t/last\t.csv"};
        // Far more than one read brings in, as much as the command line carries.
        QStringList many;
        qsizetype room = CommandLineRoom;
        for (int i = 0; i < 1500; ++i) {
            const QString path = QStringLiteral("/data/Ordner %1/Überschrift, \"Tabelle\" %1 表.csv").arg(i);
            room -= path.size() + 8;   // the blank, quotes and escaped quotes around it
            if (room < 0)
                break;
            many << path;
        }
        QTest::newRow("many long paths") << many;
    }
    void forwardsToFirstInstance()
    {
        QFETCH(QStringList, args);
        startFirst();
        runLater(args);

        // The later start has ended, so the first has already handled everything.
        const QList<QJsonObject> events = records();
        if (args.isEmpty()) {
            QCOMPARE(eventNames(events), QStringList{"activate"});
            return;
        }
        QCOMPARE(eventNames(events), (QStringList{"activate", "begin", "files"}));
        QCOMPARE(events.at(2).value("text").toString(), CommaTextJoin(args));
        QCOMPARE(Items(events.at(2)), args);
    }

    // The first instance's slot sits in a nested event loop (a modal dialog):
    // another start is served meanwhile, and the held start is only released
    // once the slot returns.
    void laterStartWaitsUntilHandled()
    {
        startFirst(true);
        auto held = startProbe({"/t/one file.csv"});
        QCOMPARE(readLine(*m_first), QByteArray("activate\n"));
        QCOMPARE(readLine(*m_first), QByteArray("begin\n"));

        runLater({"/t/two.csv"});
        QCOMPARE(held->state(), QProcess::Running);
        QList<QJsonObject> events = records();
        QCOMPARE(eventNames(events), (QStringList{"activate", "begin", "activate", "begin", "files"}));
        QCOMPARE(Items(events.last()), QStringList{"/t/two.csv"});

        m_first->write("release\n");
        QVERIFY(m_first->waitForBytesWritten(ProcessTimeoutMs));
        QVERIFY(held->waitForFinished(ProcessTimeoutMs));
        QCOMPARE(held->exitCode(), 0);
        events = records();
        QCOMPARE(events.size(), 6);
        QCOMPARE(Items(events.last()), QStringList{"/t/one file.csv"});
    }

    // A holder that never listens: after the retries a start without files ends
    // quietly, one with files opens them itself rather than lose them.
    void lockHolderThatNeverAnswers_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("with files") << QStringList{"/t/a b.csv", "/t/c.csv"};
        QTest::newRow("without files") << QStringList{};
    }
    void lockHolderThatNeverAnswers()
    {
        QFETCH(QStringList, args);
        QLockFile holder(SingleInstance::LockFilePath(m_lockName));
        QVERIFY(holder.tryLock(0));
        if (args.isEmpty()) {
            runLater(args);
        } else {
            auto later = startProbe(args);
            QCOMPARE(readLine(*later), QByteArray("ready\n"));
            endProbe(*later);
        }
        QVERIFY(!QFile::exists(m_recordPath));
    }

    // The lock is taken but the server is not up yet: the later start keeps
    // trying, and its files arrive once the holder listens.
    void laterStartWaitsForTheHolderToListen()
    {
        QLockFile holder(SingleInstance::LockFilePath(m_lockName));
        QVERIFY(holder.tryLock(0));
        auto later = startProbe({"/t/late.csv"});
        QTest::qWait(600);
        QLocalServer server;
        QVERIFY(server.listen(SingleInstance::ServerName(m_lockName)));
        QVERIFY(server.waitForNewConnection(ProcessTimeoutMs));
        QLocalSocket *peer = server.nextPendingConnection();
        const QByteArray expected = Header(2, 11) + "/t/late.csv";
        QByteArray received;
        while (received.size() < expected.size() && peer->waitForReadyRead(ProcessTimeoutMs))
            received += peer->readAll();
        QCOMPARE(received, expected);
        peer->write("\x06");
        peer->flush();
        QVERIFY(later->waitForFinished(ProcessTimeoutMs));
        QCOMPARE(later->exitCode(), 0);
    }

    // Twenty starts at once, one file each: one becomes the first, every other
    // file reaches it.
    void simultaneousStartsLoseNoFile()
    {
        constexpr int Starts = 20;
        std::vector<std::unique_ptr<QProcess>> starts;
        QStringList files;
        for (int i = 0; i < Starts; ++i) {
            files << u"/t/start %1.csv"_qs.arg(i);
            starts.push_back(startProbe({files.last()}));
        }
        int running = -1;
        for (int i = 0; i < Starts; ++i) {
            if (!starts[i]->waitForFinished(ProcessTimeoutMs)) {
                QCOMPARE(running, -1);   // only one stays: the first instance
                running = i;
                continue;
            }
            QCOMPARE(starts[i]->exitCode(), 0);
        }
        QVERIFY(running >= 0);
        QCOMPARE(readLine(*starts[running]), QByteArray("ready\n"));
        files.removeAt(running);   // the first opens its own file itself
        QTRY_COMPARE_WITH_TIMEOUT(forwardedItems().size(), Starts - 1, ProcessTimeoutMs);
        QStringList items = forwardedItems();
        items.sort();
        files.sort();
        QCOMPARE(items, files);
        endProbe(*starts[running]);
    }

    // Hundreds of idle connections to a first instance short of descriptors:
    // it keeps serving, and a later start still hands over its file.
    void idleFloodDoesNotShutTheServer()
    {
        startFirst(false, {"OSTREL_PROBE_FDLIMIT=64"});
        auto flood = startProbe({}, false, {"OSTREL_PROBE_FLOOD=300"});
        QVERIFY(readLine(*flood).startsWith("flooding"));
        runLater({"/t/after flood.csv"});
        QCOMPARE(forwardedItems(), QStringList{"/t/after flood.csv"});
        endProbe(*flood);
    }

    // A request too long to take is refused with a log line on the running
    // side; the later start ends and does not try again.
    void overlongPathIsRefused()
    {
        if (SingleInstance::MaxForwardedPathLength >= CommandLineRoom)
            QSKIP("no command line carries a path over the limit here; brokenPeersAreHarmless sends one");
        startFirst();
        runLater({u"/t/"_qs + QString(SingleInstance::MaxForwardedPathLength, u'x')});
        QCOMPARE(eventNames(records()), QStringList{});
    }

    void newStartAfterFirstEnded_data()
    {
        QTest::addColumn<bool>("killed");
        QTest::newRow("first killed") << true;
        QTest::newRow("first closed") << false;
    }
    void newStartAfterFirstEnded()
    {
        QFETCH(bool, killed);
        startFirst();
        if (killed) {
            m_first->kill();
            QVERIFY(m_first->waitForFinished(ProcessTimeoutMs));
            QVERIFY(QFile::exists(SingleInstance::LockFilePath(m_lockName)));   // left behind
        } else {
            endProbe(*m_first);
            QCOMPARE(m_first->exitCode(), 0);
        }

        startFirst();
        runLater({"/t/after.csv"});
        const QList<QJsonObject> events = records();
        QVERIFY(!events.isEmpty());
        QCOMPARE(Items(events.last()), QStringList{"/t/after.csv"});
    }

    // Peers that do not speak the request format get nothing and do not keep
    // the first instance from serving a real later start.
    void brokenPeersAreHarmless_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("refused");
        QTest::newRow("garbage") << QByteArray("hello world\n") << true;
        QTest::newRow("wrong magic") << QByteArray("OSTX").append(char(2)).append(4, '\0') << true;
        QTest::newRow("unknown kind") << Header(3, 0) << true;
        QTest::newRow("activate with payload") << Header(1, 1) + "x" << true;
        QTest::newRow("length over limit") << Header(2, SingleInstance::MaxForwardedBytes + 1) << true;
        QTest::newRow("path over limit")
            << Header(2, SingleInstance::MaxForwardedPathLength + 1) + QByteArray(SingleInstance::MaxForwardedPathLength + 1, 'p')
            << true;
        QTest::newRow("invalid UTF-8") << Header(2, 2) + "\xff\xfe" << true;
        QTest::newRow("bytes after request") << Header(2, 1) + "ab" << true;
        QTest::newRow("empty connection") << QByteArray() << false;
        QTest::newRow("half a header") << QByteArray("OST") << false;
        QTest::newRow("payload cut short") << Header(2, 100) + "0123456789" << false;
    }
    void brokenPeersAreHarmless()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, refused);
        LogCapture log;
        SingleInstance first(m_lockName);
        QVERIFY(!first.ActivatePreviousInstance({}));
        QVERIFY(first.isListening());
        QSignalSpy activated(&first, &SingleInstance::activateRequested);
        QSignalSpy forwarded(&first, &SingleInstance::filesForwarded);

        QLocalSocket peer;
        QSignalSpy closed(&peer, &QLocalSocket::disconnected);
        peer.connectToServer(SingleInstance::ServerName(m_lockName));
        QVERIFY(peer.waitForConnected(ProcessTimeoutMs));
        QSignalSpy replied(&peer, &QLocalSocket::readyRead);
        peer.write(bytes);
        peer.flush();
        // A request too long to take is answered, and the peer closes as a later
        // start does; anything else refused is cut off.
        const bool tooLong = QByteArray(QTest::currentDataTag()).endsWith("over limit");
        if (tooLong) {
            QVERIFY(replied.wait(ProcessTimeoutMs));
            QCOMPARE(peer.readAll(), QByteArray("\x15"));
            QVERIFY(!closed.wait(100));   // closing first could lose the reply on Windows
            peer.disconnectFromServer();
        } else if (refused) {
            QVERIFY(closed.wait(ProcessTimeoutMs));
        }
        QCOMPARE(activated.count(), 0);
        // Only a request that is too long is worth a line in the log.
        QCOMPARE(log.messages().size(), tooLong ? 1 : 0);

        const QStringList args{"/t/x y.csv", "/t/z.csv"};
        auto later = startProbe(args);
        QSignalSpy finished(later.get(), &QProcess::finished);
        QVERIFY(finished.wait(ProcessTimeoutMs));
        QCOMPARE(later->exitCode(), 0);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(forwarded.count(), 1);
        QCOMPARE(forwarded.at(0).at(0).toString(), CommaTextJoin(args));
        QCOMPARE(peer.state(), refused ? QLocalSocket::UnconnectedState : QLocalSocket::ConnectedState);
        peer.abort();
        QTest::qWait(20);   // lets the first instance see the peer go
        QCOMPARE(activated.count(), 1);
    }

    // The peer vanishes while the slot runs a nested event loop; the first
    // instance must neither crash nor stop serving.
    void peerLeavingDuringHandling()
    {
        SingleInstance first(m_lockName);
        QVERIFY(!first.ActivatePreviousInstance({}));
        QLocalSocket peer;
        connect(&first, &SingleInstance::filesForwarded, this, [&peer] {
            peer.abort();
            QTest::qWait(100);
        }, Qt::SingleShotConnection);
        QSignalSpy forwarded(&first, &SingleInstance::filesForwarded);

        peer.connectToServer(SingleInstance::ServerName(m_lockName));
        QVERIFY(peer.waitForConnected(ProcessTimeoutMs));
        peer.write(Header(2, 1) + "a");
        peer.flush();
        QVERIFY(forwarded.wait(ProcessTimeoutMs));

        auto later = startProbe({"/t/b.csv"});
        QSignalSpy finished(later.get(), &QProcess::finished);
        QVERIFY(finished.wait(ProcessTimeoutMs));
        QCOMPARE(later->exitCode(), 0);
        QCOMPARE(forwarded.count(), 2);
        QCOMPARE(forwarded.at(1).at(0).toString(), QString("/t/b.csv"));
    }

    // Forwarded files open one per turn of the event loop, in order, so that
    // other events get through between them.
    void forwardedFilesOpenOnePerTurn()
    {
        QStringList opened;
        FileOpenQueue queue([&opened](const QString &path) { opened << path; });
        QStringList paths;
        for (int i = 0; i < 50; ++i)
            paths << QString::number(i);
        queue.enqueue(paths);
        QVERIFY(opened.isEmpty());
        qsizetype openedBeforeOtherEvent = -1;
        QTimer::singleShot(0, this, [&] { openedBeforeOtherEvent = opened.size(); });
        QTRY_COMPARE(opened, paths);
        QVERIFY(openedBeforeOtherEvent >= 0 && openedBeforeOtherEvent < 50);
        QCOMPARE(queue.pending(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
