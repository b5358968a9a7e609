#include "message_of.h"
#include "common/zered_error.h"
#include "device/d2xx_sim.h"
#include "documents/table_compare.h"
#include "documents/table_document.h"
#include "documents/table_image.h"
#include "documents/table_transfer.h"
#include "documents/transfer_run.h"
#include "device/port_selection.h"
#include "fake_clock.h"
#include "log_capture.h"
#include "served_controller.h"
#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

// The main window's part in a transfer: the port the selectors name and a
// progress indicator that remembers what it was told.
struct RecordingHost : TransferHost
{
    explicit RecordingHost(QString portName, PortHolder::Factory factory = PortHolder::DefaultFactory())
        : ports(std::move(factory)), port(std::move(portName)) {}

    PortHolder ports;
    QString port, baud = u"115.2k"_qs;
    int replyTimeout = 2000;
    QList<QList<int>> progress;   // {start|step|end, position, colour}
    bool portOpen = false;
    int opens = 0;
    int settlings = 0;   // drains after a stop

    TKOVPort &OpenPort() override
    {
        ++opens;
        TKOVPort &opened = ports.OpenPort(port, baud);
        opened.ReplyTimeout = replyTimeout;
        portOpen = true;
        return opened;
    }
    void LineSettling(bool settling) override { settlings += settling; }
    void ClosePort() override
    {
        portOpen = false;
        ports.ClosePort();
    }
    void ProgressStart(int total, int position, int colour) override { progress.append({0, total, position, colour}); }
    void ProgressStep(int position, int colour) override { progress.append({1, position, colour}); }
    void ProgressEnd() override { progress.append(QList<int>{2}); }
    // A user who asks to cancel at the given turn of the keep-alive; the
    // first step that may be cancelled from then on is.
    int cancelAt = -1;
    int turns = 0;
    void KeepAlive(bool cancellable) override
    {
        if (++turns >= cancelAt && cancelAt >= 0 && cancellable)
            throw OstrelError::cancel();
    }
    QList<TransferRecord> journal;
    void Journal(const TransferRecord &record) override { journal.append(record); }
};

QByteArray Pattern()
{
    QByteArray image(65536, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 31 + i / 256) & 0xFF);
    return image;
}

// The error fn raises.
OstrelError Raised(const std::function<void()> &fn)
{
    try {
        fn();
    } catch (const OstrelError &e) {
        return e;
    }
    return OstrelError("nothing was raised");
}

QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// A port that records what is asked of it.
struct ScriptedPort : TKOVPort
{
    QStringList *calls;
    bool failClose = false;
    explicit ScriptedPort(QStringList *record) : calls(record) {}
    int InQueueCount() override { return -1; }
    void Open(const QString &name, int baud) override
    {
        calls->append(u"Open %1 %2"_qs.arg(name).arg(baud));
        Handle = 1;
    }
    void SetParams(const QString &text) override { calls->append(u"SetParams "_qs + text); }
    void Close() override
    {
        calls->append(u"Close"_qs);
        if (failClose)
            throw OstrelError("CloseHandle()");
        Handle = InvalidHandle;
    }
    int Read(void *, int) override { return 0; }
    int Write(const void *, int count) override { return count; }
};

} // namespace


class TestTransfer : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;   // dbg.out lands here

private Q_SLOTS:
    void initTestCase() { QVERIFY(QDir::setCurrent(m_dir.path())); }

    // A run in a worker brings its progress and log lines home, in order,
    // then its end; a cancel asked before it starts ends it as a cancel.
    void aRunInAWorkerReportsHomeInOrder_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("runs to its end") << false;
        QTest::newRow("cancelled") << true;
    }
    void aRunInAWorkerReportsHomeInOrder()
    {
        QFETCH(bool, cancel);
        ServedController controller;
        controller.model.table = Pattern();
        TransferRun run(controller.pty.devicePath(), u"115.2k"_qs, PortHolder::DefaultFactory());
        QStringList events;
        bool allHome = true;
        const auto note = [&](const QString &event) {
            allHome = allHome && QThread::currentThread() == thread();
            events.append(event);
        };
        connect(&run, &TransferRun::logLine, this, [&](int, const QString &message) { note(message); });
        connect(&run, &TransferRun::progressStepped, this, [&](int position, int) {
            if (position == 255)
                note(u"last block"_qs);
        });
        connect(&run, &TransferRun::finished, this, [&] { note(u"finished"_qs); });
        if (cancel)
            run.cancel();
        run.start([](TransferHost &host) { return ReadControllerTable(host); });
        QTRY_VERIFY(events.contains(u"finished"_qs));
        QVERIFY(allHome);
        QVERIFY(!run.isRunning());
        if (cancel) {
            QVERIFY(run.outcome().cancelled());
            QCOMPARE(events, (QStringList{u"recv text list cancelled; nothing was changed"_qs, u"finished"_qs}));
            return;
        }
        QVERIFY(run.outcome().ok());
        QCOMPARE(run.outcome().image, Pattern());
        QCOMPARE(events.size(), 3);
        QCOMPARE(events[0], u"last block"_qs);
        QVERIFY(events[1].startsWith(u"recv text list; "_qs));
    }

    void sendWritesEveryBlockAndWaitsForEachAck()
    {
        ServedController controller;
        RecordingHost host(controller.pty.devicePath());
        LogCapture log;
        TableDocument document;
        document.image() = Pattern();
        SendTable(document, host);

        QCOMPARE(controller.model.table, Pattern());
        QFile copy(u"dbg.out"_qs);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        const QByteArray wire = copy.readAll();
        QCOMPARE(wire.size(), 256 * 264);
        QCOMPARE(wire.first(7), Hex("FC000001800082"));
        QCOMPARE(wire.sliced(255 * 264, 7), Hex("FC00FF01800083"));
        QCOMPARE(host.progress.first(), (QList<int>{0, 256, 0, 0x0000FF}));
        QCOMPARE(host.progress.at(256), (QList<int>{1, 255, 0x0000FF}));
        QCOMPARE(host.progress.last(), QList<int>{2});
        QVERIFY(!host.portOpen);
        QVERIFY(!host.ports.ActivePort());
        QCOMPARE(log.lines.size(), 1);
        QVERIFY(log.lines[0].message.startsWith(u"send text list; "_qs));
        QVERIFY(log.lines[0].message.endsWith(u"msec"_qs));
    }

    void sendRebuildsAStaleImageFirst()
    {
        ServedController controller;
        RecordingHost host(controller.pty.devicePath());
        TableDocument document;
        document.setCell(2, 3, "4901234567890");
        document.setImageStale(true);
        SendTable(document, host);
        QVERIFY(!document.imageStale());
        QCOMPARE(controller.model.table.at(0), '\0');        // empty entry before the barcode
        QCOMPARE(controller.model.table.sliced(256, 13), QByteArray("4901234567890"));
        QCOMPARE(controller.model.table.at(3 * 128), '\xFF'); // unused end of the table
    }

    void receiveFillsTheImage()
    {
        ServedController controller;
        controller.model.table = Pattern();
        RecordingHost host(controller.pty.devicePath());
        LogCapture log;
        TableDocument document;
        ReceiveTable(document, host);
        QCOMPARE(document.image(), Pattern());
        QCOMPARE(host.progress.first(), (QList<int>{0, 256, 0, 0x00FF00}));
        QCOMPARE(host.progress.at(256), (QList<int>{1, 255, 0x00FF00}));
        QVERIFY(log.lines.last().message.startsWith(u"recv text list; "_qs));
        QFile copy(u"dbg.out"_qs);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), Hex("F8000001 80FF87"));   // one request brings the whole table
    }

    // A fault of the line is answered by asking for the block again, up to 3
    // times, each said in one line; the controller's own wrong answers and
    // faults that outlast the retries end the transfer with the line's message.
    void lineFaultsAreRetried_data()
    {
        QTest::addColumn<bool>("send");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("at");   // reply frame, from 1
        QTest::addColumn<int>("times");   // frames it hits from there
        QTest::addColumn<QString>("message");   // empty: the transfer succeeds
        QTest::addColumn<QStringList>("retries");
        const auto again = [](int block, const char *why, int n = 1) {
            return QStringList(n, u"block %1 again: %2"_qs.arg(block).arg(QLatin1String(why)));
        };
        QTest::newRow("send: ack garbled once")
            << true << u"badChecksum"_qs << 5 << 1 << QString() << again(4, "checksum missmatched");
        QTest::newRow("send: bit flipped in an ack")
            << true << u"garble"_qs << 3 << 1 << QString() << again(2, "Read timeout");
        QTest::newRow("send: stray byte before an ack") << true << u"stray"_qs << 7 << 1 << QString() << QStringList();
        QTest::newRow("send: ack always bad")
            << true << u"badChecksum"_qs << 1 << 4 << u"checksum missmatched"_qs << again(0, "checksum missmatched", 3);
        QTest::newRow("send: controller stops")
            << true << u"silent"_qs << 3 << 1 << u"Read timeout"_qs << again(3, "Read timeout", 3);
        QTest::newRow("send: ack with data") << true << u"ackWithData"_qs << 5 << 1 << u"no ACK"_qs << QStringList();
        QTest::newRow("recv: frame garbled once")
            << false << u"garble"_qs << 4 << 1 << QString() << again(3, "checksum missmatched");
        QTest::newRow("recv: last frame garbled once")
            << false << u"badChecksum"_qs << 256 << 1 << QString() << again(255, "checksum missmatched");
        QTest::newRow("recv: stray byte before a frame")
            << false << u"stray"_qs << 9 << 1 << QString() << QStringList();
        QTest::newRow("recv: every frame from 10 garbled")
            << false << u"garble"_qs << 10 << 100000 << u"checksum missmatched"_qs
            << again(9, "checksum missmatched", 3);
        QTest::newRow("recv: frames start 15")
            << false << u"nak"_qs << 2 << 100000 << u"reply header missing"_qs << again(1, "reply header missing", 3);
        QTest::newRow("recv: controller stops")
            << false << u"silent"_qs << 10 << 1 << u"Read timeout"_qs << again(10, "Read timeout", 3);
        QTest::newRow("recv: short frame") << false << u"shortFrame"_qs << 7 << 1 << u"recv error"_qs << QStringList();
    }
    void lineFaultsAreRetried()
    {
        QFETCH(bool, send);
        QFETCH(QString, fault);
        QFETCH(int, at);
        QFETCH(QString, message);
        ServedController controller;
        ControllerFaults &f = controller.model.faults;
        QFETCH(int, times);
        f.times = times;
        if (fault == u"ackWithData") f.ackWithDataAt = at;
        if (fault == u"silent") f.silentAfter = at;
        if (fault == u"badChecksum") f.badChecksumAt = at;
        if (fault == u"shortFrame") f.shortFrameAt = at;
        if (fault == u"garble")
            f.garbleAt = at;
        if (fault == u"stray")
            f.strayBeforeAt = at;
        if (fault == u"nak") f.nakHeaderAt = at;
        else
            controller.model.table = Pattern();   // 0x15 frames of an empty table hold no 0x06 to resync on
        RecordingHost host(controller.pty.devicePath());
        host.replyTimeout = 100;   // for the faults that wait out a time-out
        LogCapture log;
        TableDocument document;
        document.image() = send ? Pattern() : QByteArray(65536, '\0');
        const QByteArray before = document.image();
        const QString raised = messageOf(
            [&] { send ? void(SendTable(document, host)) : ReceiveTable(document, host); });
        QCOMPARE(raised, message);
        QCOMPARE(host.progress.last(), QList<int>{2});
        QVERIFY(!host.ports.ActivePort());
        QStringList lines = log.messages();
        if (message.isEmpty()) {
            QVERIFY(lines.last().startsWith(send ? u"send text list; "_qs : u"recv text list; "_qs));
            lines.removeLast();
            QCOMPARE(send ? controller.model.table : document.image(), send ? before : controller.model.table);
        } else {
            QCOMPARE(document.image(), before);   // a failed receive changes nothing
        }
        QTEST(lines, "retries");
    }

    // A failed send says what the controller now holds: the block in flight
    // may have been written.
    void aFailedSendCountsTheBlockInFlight_data()
    {
        QTest::addColumn<int>("silentAfter");
        QTest::addColumn<QString>("detail");
        QTest::newRow("at block 0") << 0 << u"the controller's table may have changed in block 0 only"_qs;
        QTest::newRow("at block 100")
            << 100
            << u"the controller now holds a partly written table: blocks 0 to 99 of 256 were written, block 100 may have been"_qs;
    }
    void aFailedSendCountsTheBlockInFlight()
    {
        QFETCH(int, silentAfter);
        ServedController controller;
        controller.model.faults.silentAfter = silentAfter;
        RecordingHost host(controller.pty.devicePath());
        host.replyTimeout = 50;
        TableDocument document;
        const OstrelError error = Raised([&] { SendTable(document, host); });
        QCOMPARE(error.message(), u"Read timeout"_qs);
        QFETCH(QString, detail);
        QCOMPARE(error.detail(), detail + u"; there is no backup of its table from before the send"_qs);
    }

    // A receive killed part-way leaves the controller streaming its reply;
    // the next transfer waits for it to end instead of taking its frames,
    // which carry no address, as its own.
    void aReplyStillStreamingIsNotTakenForTheNext()
    {
        ServedController controller(500000);
        // Each block one byte value other than 0x06, so that what is left of a
        // cut frame is skipped up to the next whole one, as a table of mostly
        // unused records is: the frames that follow look like a reply.
        for (int block = 0; block < 256; ++block)
            controller.model.table.replace(256 * block, 256, QByteArray(256, char(0x10 + block % 0xE0)));
        const QByteArray table = controller.model.table;
        {
            TKOVSerial killed;
            killed.Open(controller.pty.devicePath(), 500000);
            killed.SendRequest(0xF8, 0x010000, 128, 256);
            QByteArray block(256, '\0');
            for (int i = 0; i < 20; ++i)
                QCOMPARE(killed.ReadReply(block.data(), 256), 256);
            killed.Close();   // no drain: the process died here
        }
        RecordingHost host(controller.pty.devicePath());
        host.baud = u"500k"_qs;
        TableDocument document;
        ReceiveTable(document, host);
        QCOMPARE(document.image(), table);
    }

    // An adapter pulled out: the port is named at once, nothing is retried or
    // drained, and the send says what may have been written.
    void aPortThatGoesAwayIsNamedAtOnce_data()
    {
        QTest::addColumn<bool>("send");
        QTest::newRow("send") << true;
        QTest::newRow("receive") << false;
    }
    void aPortThatGoesAwayIsNamedAtOnce()
    {
        QFETCH(bool, send);
        ServedController controller;
        controller.model.faults.hangUpAt = 51;
        RecordingHost host(controller.pty.devicePath());
        LogCapture log;
        TableDocument document;
        const OstrelError error = Raised(
            [&] { send ? void(SendTable(document, host)) : ReceiveTable(document, host); });
        QCOMPARE(error.message(),
                 u"the serial port %1 is gone: unplugged? (EIO)"_qs.arg(controller.pty.devicePath().mid(5)));
        QCOMPARE(host.settlings, 0);
        QCOMPARE(log.messages(), QStringList());
        QVERIFY(!host.ports.ActivePort());
        if (send)
            QVERIFY2(
                error.detail().startsWith(
                    u"the controller now holds a partly written table: blocks 0 to 49 of 256 were written, block 50 may have been"_qs),
                qPrintable(error.detail()));
    }

    // Parity, framing and overrun errors the line reported are named with the failure.
    void lineErrorsAreNamedWithTheFailure()
    {
        struct NoisyPort : TKOVPort
        {
            int InQueueCount() override { return IsOpen() ? 0 : -1; }
            void Open(const QString &, int) override { Handle = 1; }
            void Close() override { Handle = InvalidHandle; }
            int Read(void *, int) override { return 0; }
            int Write(const void *, int count) override { return count; }
            LineErrorCounts LineErrors() const override { return {2, 0, 1}; }
        };
        FakeClock clock;
        RecordingHost host(u"USB"_qs, [&](bool) -> std::unique_ptr<TKOVPort> {
            auto port = std::make_unique<NoisyPort>();
            port->SetClock(clock);
            return port;
        });
        TableDocument document;
        const OstrelError error = Raised([&] { ReceiveTable(document, host); });
        QCOMPARE(error.message(), u"Read timeout"_qs);
        QCOMPARE(error.detail(), u"the line reported errors: 2 parity, 1 overrun"_qs);
    }

    // Backup first, read back after: the backup holds the table from before
    // the send, named by the time, and the read-back passes.
    void safeSendBacksUpAndVerifies()
    {
        ServedController controller;
        controller.model.table = Pattern();
        RecordingHost host(controller.pty.devicePath());
        LogCapture log;
        TableDocument document;
        document.setCell(2, 1, "4901234567890");
        document.setImageStale(true);
        const QString folder = m_dir.filePath(u"backups/kov"_qs);
        SendTable(document, host, SendSafety{folder, true});
        const QStringList files = QDir(folder).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        QVERIFY2(QRegularExpression(u"^kov-table-\\d{8}-\\d{6}\\.bin$"_qs).match(files[0]).hasMatch(), qPrintable(files[0]));
        QFile backup(QDir(folder).filePath(files[0]));
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QCOMPARE(backup.readAll(), Pattern());
        QCOMPARE(controller.model.table, document.image());
        const QStringList lines = log.messages();
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines[0].startsWith(u"recv text list; "_qs));
        QCOMPARE(lines[1], u"backup of the controller's table saved to '%1'"_qs.arg(QDir::toNativeSeparators(backup.fileName())));
        QCOMPARE(lines[2], u"the send changes 512 rows of the controller's table"_qs);
        QVERIFY(lines[3].startsWith(u"send text list; "_qs));
        QVERIFY(lines[4].startsWith(u"recv text list; "_qs));
        QCOMPARE(lines[5], u"read back: the controller holds the table as sent"_qs);
        // One open for all three: the lines are set once, and dbg.out holds every byte sent.
        QCOMPARE(host.opens, 1);
        const QByteArray wire = FileBytes(u"dbg.out"_qs);
        QCOMPARE(wire.size(), 7 + 256 * 264 + 7);
        QCOMPARE(wire.first(7), Hex("F8000001 80FF87"));
        QCOMPARE(wire.last(7), Hex("F8000001 80FF87"));
    }

    // One journal line per step, each with what it moved and how it ended;
    // a send that backs up first writes only when the table changes and the
    // question about the changes is answered yes.
    void journalLinesFollowEachStep_data()
    {
        QTest::addColumn<bool>("controllerHoldsIt");
        QTest::addColumn<bool>("backup");
        QTest::addColumn<bool>("verify");
        QTest::addColumn<int>("answer");   // to the changes question; -1: none asked
        QTest::addColumn<int>("silentAfter");   // frames the controller sends before it falls silent
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<bool>("written");
        const QString ok = u"ok"_qs;
        QTest::newRow("plain send") << false << false << false << -1 << -1 << QStringList{u"send"_qs} << QStringList{ok}
                                    << true;
        QTest::newRow("backup, send, read-back")
            << false << true << true << -1 << -1 << QStringList{u"backup"_qs, u"send"_qs, u"read-back"_qs}
            << QStringList{ok, ok, ok} << true;
        QTest::newRow("changes confirmed") << false << true << false << 1 << -1 << QStringList{u"backup"_qs, u"send"_qs}
                                           << QStringList{ok, ok} << true;
        QTest::newRow("changes refused")
            << false << true << true << 0 << -1 << QStringList{u"backup"_qs, u"send"_qs}
            << QStringList{ok, u"send cancelled: the controller's table was backed up and left as it was"_qs} << false;
        QTest::newRow("nothing changes")
            << true << true << true << 1 << -1 << QStringList{u"backup"_qs, u"send"_qs}
            << QStringList{ok, u"the controller already holds this table; nothing was written"_qs} << false;
        QTest::newRow("controller silent") << false << true << false << -1 << 0 << QStringList{u"backup"_qs}
                                           << QStringList{u"Read timeout"_qs} << false;
        QTest::newRow("silent mid-send") << false << true << false << -1 << 256 + 37
                                         << QStringList{u"backup"_qs, u"send"_qs} << QStringList{ok, u"Read timeout"_qs}
                                         << false;
    }
    void journalLinesFollowEachStep()
    {
        QFETCH(bool, controllerHoldsIt);
        QFETCH(bool, backup);
        QFETCH(bool, verify);
        QFETCH(int, answer);
        QFETCH(int, silentAfter);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, results);
        QFETCH(bool, written);
        ServedController controller;
        QByteArray before(65536, '\xFF');
        TableDocument document;
        document.image() = Pattern();
        if (controllerHoldsIt)
            before = Pattern();
        controller.model.table = before;
        controller.model.faults.silentAfter = silentAfter;
        RecordingHost host(controller.pty.devicePath());
        host.replyTimeout = 100;
        QStringList asked;
        SendSafety safety{backup ? m_dir.filePath(u"journalled"_qs) : QString(), verify};
        if (answer >= 0)
            safety.confirmChanges = [&](const QString &question) {
                asked.append(question);
                return answer == 1;
            };
        bool wrote = false;
        try {
            wrote = SendTable(document, host, safety, u"/t/line 1.csv"_qs);
        } catch (const OstrelError &) {
        }
        QCOMPARE(wrote, written && results.last() == u"ok"_qs);
        QCOMPARE(controller.model.table == Pattern(), written || controllerHoldsIt);
        QStringList journalled, ended;
        for (const TransferRecord &record : std::as_const(host.journal)) {
            journalled.append(QString::fromLatin1(record.operation));
            ended.append(record.result);
            QCOMPARE(record.table, u"/t/line 1.csv"_qs);
            QCOMPARE(record.link.port, controller.pty.devicePath());
            QVERIFY(record.durationMs >= 0);
        }
        QCOMPARE(journalled, steps);
        QCOMPARE(ended, results);
        // What each step moved: the table before, the one sent, the one read back.
        const TransferRecord &first = host.journal.first();
        QCOMPARE(first.image, first.result == u"ok"_qs ? (backup ? before : Pattern()) : QByteArray());
        if (backup && first.result == u"ok"_qs)
            QVERIFY(QFileInfo::exists(first.backupFile));
        if (steps.size() > 1)
            QCOMPARE(host.journal[1].image, Pattern());
        // The question names the rows that change; none is asked when nothing does.
        QCOMPARE(asked.size(), answer >= 0 && !controllerHoldsIt ? 1 : 0);
        if (!asked.isEmpty())
            QVERIFY2(asked[0].startsWith(u"コントローラのテーブルの512行が書き換わります。最初の5件"_qs),
                     qUtf8Printable(asked[0]));
    }

    void aFailedSendNamesItsBackup()
    {
        ServedController controller;
        controller.model.faults.silentAfter = 256 + 37;   // the backup's frames, then 37 acks
        RecordingHost host(controller.pty.devicePath());
        host.replyTimeout = 100;
        TableDocument document;
        document.image() = Pattern();   // not what the controller holds, so it is written
        const OstrelError error = Raised([&] { SendTable(document, host, SendSafety{m_dir.filePath(u"b2"_qs), false}); });
        QCOMPARE(error.message(), u"Read timeout"_qs);
        const QString backup = QDir(m_dir.filePath(u"b2"_qs)).entryInfoList(QDir::Files).value(0).filePath();
        QCOMPARE(
            error.detail(),
            u"the controller now holds a partly written table: blocks 0 to 36 of 256 were written, block 37 may have been; its table from before the send is saved in '%1'"_qs
                .arg(backup));
    }

    // A receive can be cancelled and then changes nothing; a send cannot. The
    // rest of the reply the cancel cut short is gone before the send starts.
    void cancelStopsAReceiveButNotASend()
    {
        ServedController controller(500000);   // still sending when the port closes
        controller.model.table = Pattern();
        RecordingHost host(controller.pty.devicePath());
        host.cancelAt = 100;
        TableDocument document;
        const QByteArray before = document.image();
        LogCapture log;
        QVERIFY(Raised([&] { ReceiveTable(document, host); }).isCancel());
        QCOMPARE(document.image(), before);
        QVERIFY(!host.ports.ActivePort());
        QCOMPARE(log.messages(), QStringList{u"recv text list cancelled; nothing was changed"_qs});
        host.turns = 0;
        SendTable(document, host);
        QVERIFY(host.turns > 100);
        QCOMPARE(controller.model.table, before);
    }

    void cancelledReadBackSaysTheTableIsNotVerified()
    {
        ServedController controller;
        RecordingHost host(controller.pty.devicePath());
        host.cancelAt = 1;   // honoured once the read-back starts
        TableDocument document;
        document.image() = Pattern();
        LogCapture log;
        QVERIFY(Raised([&] { SendTable(document, host, SendSafety{QString(), true}); }).isCancel());
        QCOMPARE(controller.model.table, Pattern());
        QCOMPARE(log.messages().last(), u"read-back cancelled: the table was written but is not verified"_qs);
    }

    void verifyNamesTheFirstDifferingRecord_data()
    {
        QTest::addColumn<int>("changed");   // byte changed in the read-back, -1 none
        QTest::addColumn<QString>("error");
        QTest::newRow("same") << -1 << QString();
        QTest::newRow("first byte") << 0 << u"verify failed: record 0 (row 1) differs from what was sent"_qs;
        QTest::newRow("record 37") << 37 * 128 + 100 << u"verify failed: record 37 (row 38) differs from what was sent"_qs;
        QTest::newRow("last byte") << 65535 << u"verify failed: record 511 (row 512) differs from what was sent"_qs;
    }
    void verifyNamesTheFirstDifferingRecord()
    {
        QFETCH(int, changed);
        QByteArray readBack = Pattern();
        if (changed >= 0)
            readBack[changed] = char(readBack[changed] ^ 1);
        QTEST(messageOf([&] { VerifyTable(Pattern(), readBack); }), "error");
    }

    void compareListsTheFieldsThatDiffer()
    {
        TableDocument left, right;
        left.setCell(ConvStrColumn, 1, "A");
        left.setCell(BarcodeColumn, 1, "100");
        left.setCell(BarcodeColumn, 2, "200");
        right.setCell(ConvStrColumn, 1, "A");
        right.setCell(BarcodeColumn, 1, "101");
        right.setCell(ConvStrColumn, 2, "\x83\x65");   // テ
        right.setCell(BarcodeColumn, 2, "200");
        left.Update();
        right.Update();
        const QList<TableDifference> differences = CompareTableImages(left.image(), right.image());
        QStringList lines;
        for (const TableDifference &d : differences)
            lines << DifferenceLine(d);
        QCOMPARE(lines, (QStringList{u"row 1, bar code: '100' / '101'"_qs, u"row 2, conv str: '' / 'テ'"_qs}));
        QVERIFY(CompareTableImages(left.image(), left.image()).isEmpty());
    }

    void changesCountRowsAndListTheFirstFields_data()
    {
        QTest::addColumn<QList<int>>("changedBytes");   // in the image after
        QTest::addColumn<int>("records");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("one bar code") << QList<int>{2 * 128} << 1 << QStringList{u"row 3, bar code: '' / '\x01'"_qs};
        // Past the 0x00 that ends the field: the grid shows no change.
        QTest::newRow("hidden bytes only")
            << QList<int>{128 + 10} << 1 << QStringList{u"row 2 differs in bytes the grid does not show"_qs};
        QTest::newRow("seven rows, five listed")
            << QList<int>{0, 128, 256, 384, 512, 640, 768} << 7
            << QStringList{u"row 1, bar code: '' / '\x01'"_qs, u"row 2, bar code: '' / '\x01'"_qs,
                           u"row 3, bar code: '' / '\x01'"_qs, u"row 4, bar code: '' / '\x01'"_qs,
                           u"row 5, bar code: '' / '\x01'"_qs};
    }
    void changesCountRowsAndListTheFirstFields()
    {
        QFETCH(QList<int>, changedBytes);
        const QByteArray before(65536, '\0');
        QByteArray after = before;
        for (int at : changedBytes)
            after[at] = '\x01';
        const TableChanges changes = ChangesBetween(before, after);
        QTEST(changes.records, "records");
        QTEST(ChangeLines(changes), "lines");
    }

    void noControllerMeansReadTimeoutAndNoPortLeft()
    {
        PseudoTerminal silent;
        QString error;
        QVERIFY(silent.open(&error));
        RecordingHost host(silent.devicePath);
        host.replyTimeout = 50;
        TableDocument document;
        QCOMPARE(messageOf([&] { ReceiveTable(document, host); }), u"Read timeout"_qs);
        QVERIFY(!host.ports.ActivePort());
    }

    void aPortThatCannotOpenStillEndsTheProgress()
    {
        RecordingHost host(u"/dev/kov-no-such-port"_qs);
        TableDocument document;
        QCOMPARE(messageOf([&] { SendTable(document, host); }), u"serial port cannot open"_qs);
        QCOMPARE(host.progress, QList<QList<int>>{{2}});
        QVERIFY(!host.ports.ActivePort());   // released by the clean-up
    }

    void selectorsChooseTheTransportAndItsSettings_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<bool>("usb");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("USB") << u"USB"_qs << u"115.2k"_qs << true << QStringList{u"Open USB -1"_qs};
        QTest::newRow("usb lower case") << u"usb"_qs << u"9600"_qs << true << QStringList{u"Open usb -1"_qs};
        QTest::newRow("serial") << u"COM1"_qs << u"115.2k"_qs << false
                                << QStringList{u"Open COM1 -1"_qs, u"SetParams 115.2k"_qs};
        QTest::newRow("Default keeps the line") << u"/dev/pts/9"_qs << u"Default"_qs << false
                                                << QStringList{u"Open /dev/pts/9 -1"_qs};
    }
    void selectorsChooseTheTransportAndItsSettings()
    {
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(bool, usb);
        QFETCH(QStringList, calls);
        QStringList record;
        bool madeUsb = !usb;
        PortHolder holder([&](bool isUsb) -> std::unique_ptr<TKOVPort> {
            madeUsb = isUsb;
            // Only a serial port takes line settings; the holder asks the port's kind.
            if (isUsb)
                return std::make_unique<ScriptedPort>(&record);
            struct Serial : TKOVSerial
            {
                QStringList *calls;
                void Open(const QString &name, int baud) override
                {
                    calls->append(u"Open %1 %2"_qs.arg(name).arg(baud));
                    Handle = 1;
                }
                void SetParams(const QString &text) override { calls->append(u"SetParams "_qs + text); }
                void Close() override { Handle = InvalidHandle; }
            };
            auto serial = std::make_unique<Serial>();
            serial->calls = &record;
            return serial;
        });
        holder.OpenPort(port, baud);
        QCOMPARE(madeUsb, usb);
        QCOMPARE(record, calls);
        holder.ClosePort();
        QVERIFY(!holder.ActivePort());
    }

    void aPortWhoseCloseFailsIsStillReleased()
    {
        QStringList record;
        PortHolder holder([&](bool) -> std::unique_ptr<TKOVPort> {
            auto port = std::make_unique<ScriptedPort>(&record);
            port->failClose = true;
            return port;
        });
        holder.OpenPort(u"USB"_qs, QString());
        QCOMPARE(messageOf([&] { holder.ClosePort(); }), u"CloseHandle()"_qs);
        QVERIFY(!holder.ActivePort());
    }

    void usbTransferPutsHandshakeFramesAndClosingOnTheWire()
    {
        FakeClock clock;
        d2xx::Simulator usb(clock);
        ControllerModel controller(ControllerModel::Link::Usb);
        usb.addDevice("KOV Vision Sensor", &controller);
        RecordingHost host(u"Usb"_qs, [&](bool isUsb) -> std::unique_ptr<TKOVPort> {
            if (!isUsb)
                return nullptr;
            auto port = std::make_unique<TKOVUSB>(nullptr, &usb);
            port->SetClock(clock);
            return port;
        });
        TableDocument document;
        document.image() = Pattern();
        SendTable(document, host);
        QCOMPARE(controller.table, Pattern());
        QCOMPARE(usb.wire.first(2), Hex("558C"));
        QCOMPARE(usb.wire.sliced(2, 7), Hex("FC000001800082"));
        QCOMPARE(usb.wire.size(), 2 + 256 * 264 + 7);
        QCOMPARE(usb.wire.last(7), Hex("FE8C7300000002"));
        QVERIFY(!usb.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestTransfer)
#include "test_transfer.moc"
