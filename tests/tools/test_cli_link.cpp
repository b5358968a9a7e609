#include "tools/cli_run.h"

#include <QDir>
#include <algorithm>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A table in the form the editor writes: every record holds a barcode.
QByteArray Table()
{
    QByteArray image(65536, '\xFF');
    for (int record = 0; record < 512; ++record)
        image.replace(record * 128, 6, QByteArray::number(100000 + record));
    return image;
}

} // namespace

class TestCliLink : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void sendPutsTheImageIntoTheControllerAndVerifies()
    {
        writeFile(path(u"table.bin"_qs), Table());
        Simulator sim({u"--save"_qs, path(u"saved.bin"_qs), u"--capture"_qs, path(u"wire.bin"_qs)});
        QVERIFY(!sim.port.isEmpty());
        const Run run = runCli({u"send"_qs, u"--port"_qs, sim.port, u"--from"_qs, u"binary"_qs, u"--verify"_qs,
                                path(u"table.bin"_qs)}, m_dir.path());
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.errLines.first().startsWith(u"send text list; "_qs));
        QCOMPARE(run.errLines.last(), u"read back: the controller holds the table as sent"_qs);
        sim.stop();
        QCOMPARE(FileBytes(path(u"saved.bin"_qs)), Table());
        const QByteArray wire = FileBytes(path(u"wire.bin"_qs));
        QCOMPARE(wire.size(), 256 * 264 + 7);   // every block, then the read-back request
        QCOMPARE(wire.first(7).toHex(), QByteArray("fc000001800082"));
        QCOMPARE(wire.last(7).toHex(), QByteArray("f800000180ff87"));
        // Send and read-back share one open: the serial link's copy holds all they sent.
        QCOMPARE(FileBytes(path(u"dbg.out"_qs)), wire);
    }

    void recvWritesTheControllersTable_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("binary") << u"binary"_qs;
        QTest::newRow("text") << u"text"_qs;
    }
    void recvWritesTheControllersTable()
    {
        QFETCH(QString, format);
        writeFile(path(u"start.bin"_qs), Table());
        Simulator sim({u"--table"_qs, path(u"start.bin"_qs)});
        const QString out = path(u"got."_qs + format);
        const Run run = runCli({u"recv"_qs, u"--port"_qs, sim.port, u"--to"_qs, format, out}, m_dir.path());
        QCOMPARE(run.exitCode, 0);
        if (format == u"binary") {
            QCOMPARE(FileBytes(out), Table());
        } else {
            const QByteArray text = FileBytes(out);
            QVERIFY(text.startsWith(",100000\r\n,100001\r\n"));
            QCOMPARE(text.count("\r\n"), 512);
        }
    }

    void linkFailuresEndWithTheMessage_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("ack with data") << QStringList{u"--ack-data-at"_qs, u"4"_qs} << u"send"_qs << u"no ACK"_qs;
        QTest::newRow("every frame from 3 garbled")
            << QStringList{u"--garble-at"_qs, u"3"_qs, u"--fault-times"_qs, u"100000"_qs} << u"recv"_qs
            << u"checksum missmatched"_qs;
        QTest::newRow("short frame") << QStringList{u"--short-frame-at"_qs, u"9"_qs} << u"recv"_qs << u"recv error"_qs;
        QTest::newRow("bad checksum, retried to the end")
            << QStringList{u"--bad-checksum-at"_qs, u"2"_qs, u"--fault-times"_qs, u"4"_qs} << u"send"_qs
            << u"checksum missmatched"_qs;
    }
    void linkFailuresEndWithTheMessage()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, command);
        QFETCH(QString, message);
        writeFile(path(u"table.bin"_qs), Table());
        Simulator sim(simArgs);
        const QStringList args = command == u"send"
            ? QStringList{u"send"_qs, u"--port"_qs, sim.port, u"--from"_qs, u"binary"_qs, path(u"table.bin"_qs)}
            : QStringList{u"recv"_qs, u"--port"_qs, sim.port, path(u"out.csv"_qs)};
        const Run run = runCli(args, m_dir.path());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errLines.last(), message);
    }

    void aPortThatCannotOpenGivesTheReasonFirst()
    {
        const Run run = runCli({u"recv"_qs, u"--port"_qs, u"/dev/kov-no-such-port"_qs, path(u"x.csv"_qs)}, m_dir.path());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errLines.size(), 2);
        QVERIFY(run.errLines[0].startsWith(u"serial port '/dev/kov-no-such-port': "_qs));
        QCOMPARE(run.errLines[1], u"serial port cannot open"_qs);
    }

    void portsListsUsbFirst()
    {
        const Run run = runCli({u"ports"_qs});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.startsWith("USB \xE2\x80\x94 "));   // "USB — " and whether a controller is there
    }

    // diff: files or the controller on either side; exit 1 exactly when they differ.
    void diffListsTheFieldsThatDiffer()
    {
        QByteArray changed = Table();
        changed.replace(5 * 128, 6, "999999");
        writeFile(path(u"a.bin"_qs), Table());
        writeFile(path(u"b.dat"_qs), changed);
        const Run same = runCli({u"diff"_qs, path(u"a.bin"_qs), path(u"a.bin"_qs)}, m_dir.path());
        QCOMPARE(same.exitCode, 0);
        QCOMPARE(same.out, QByteArray());
        Simulator sim({u"--table"_qs, path(u"b.dat"_qs)});
        const Run run = runCli({u"diff"_qs, u"--port"_qs, sim.port, path(u"a.bin"_qs), u"controller"_qs}, m_dir.path());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QByteArray("row 6, bar code: '100005' / '999999'\n"));
    }

    void sendBacksUpTheControllersTableFirst()
    {
        writeFile(path(u"before.bin"_qs), Table());
        Simulator sim({u"--table"_qs, path(u"before.bin"_qs)});
        writeFile(path(u"new.csv"_qs), "a,1\r\n");
        const Run run = runCli({u"send"_qs, u"--port"_qs, sim.port, u"--backup"_qs, path(u"saved"_qs), path(u"new.csv"_qs)},
                               m_dir.path());
        QCOMPARE(run.exitCode, 0);
        const QFileInfoList backups = QDir(path(u"saved"_qs)).entryInfoList(QDir::Files);
        QCOMPARE(backups.size(), 1);
        QCOMPARE(FileBytes(backups[0].filePath()), Table());
        QVERIFY(run.errLines.contains(u"backup of the controller's table saved to '%1'"_qs.arg(backups[0].filePath())));
    }

    // Several ports at once: every line the sends log carries its port's
    // name, each port has its own debug copy, and a summary ends the run; a
    // silent controller fails it, named with its message, while the others
    // are written.
    // A port whose controller held the table already is backed up, not
    // written, and the summary says so.
    void sendToSeveralPortsAtOnce_data()
    {
        QTest::addColumn<QStringList>("thirdController");
        QTest::addColumn<bool>("backUp");
        QTest::newRow("all answer") << QStringList{u"--save"_qs, path(u"third.bin"_qs)} << false;
        QTest::newRow("one silent") << QStringList{u"--silent-after"_qs, u"0"_qs} << false;
        QTest::newRow("one held it") << QStringList{u"--table"_qs, path(u"table.bin"_qs)} << true;
    }
    void sendToSeveralPortsAtOnce()
    {
        QFETCH(QStringList, thirdController);
        QFETCH(bool, backUp);
        const bool oneSilent = thirdController.contains(u"--silent-after"_qs);
        writeFile(path(u"table.bin"_qs), Table());
        Simulator first({u"--save"_qs, path(u"first.bin"_qs)}), second({u"--save"_qs, path(u"second.bin"_qs)});
        Simulator third(thirdController);
        const QStringList ports{first.port, second.port, third.port};
        QStringList labels;
        for (const QString &port : ports)
            labels.append(port.mid(5));   // "/dev/pts/3" goes by "pts/3"
        QStringList args{u"send"_qs, u"--port"_qs, ports[0], u"--port"_qs, ports[1], u"--port"_qs, ports[2],
                         u"--from"_qs, u"binary"_qs, u"--verify"_qs, path(u"table.bin"_qs)};
        if (backUp)
            args << u"--backup"_qs << path(u"backups"_qs);
        const Run run = runCli(args, m_dir.path());
        QCOMPARE(run.exitCode, oneSilent ? 1 : 0);
        for (const QString &line : run.errLines.first(run.errLines.size() - 1))
            QVERIFY2(std::any_of(labels.begin(), labels.end(),
                                 [&](const QString &l) { return line.startsWith(l + u": "_qs); }),
                     qPrintable(line));
        const int readBack = thirdController.contains(u"--save"_qs) ? 3 : 2;
        for (int i = 0; i < readBack; ++i) {
            QVERIFY(run.errLines.contains(labels[i] + u": read back: the controller holds the table as sent"_qs));
            QVERIFY(!FileBytes(path(u"dbg-pts-"_qs + labels[i].mid(4) + u".out"_qs)).isEmpty());
        }
        if (oneSilent) {
            QVERIFY(run.errLines.contains(labels[2] + u": Read timeout"_qs));
            QCOMPARE(run.errLines.last(), u"send failed on 1 of 3 ports: %1 (Read timeout)"_qs.arg(labels[2]));
        } else if (backUp) {
            QVERIFY(!run.errLines.contains(labels[2] + u": read back: the controller holds the table as sent"_qs));
            QCOMPARE(run.errLines.last(), u"sent to all 3 ports: %1, %2, %3 (held the table already)"_qs.arg(
                                              labels[0], labels[1], labels[2]));
        } else
            QCOMPARE(run.errLines.last(), u"sent to all 3 ports: "_qs + labels.join(u", "_qs));
        QVERIFY(first.stop() && second.stop());
        QCOMPARE(FileBytes(path(u"first.bin"_qs)), Table());
        QCOMPARE(FileBytes(path(u"second.bin"_qs)), Table());
    }

    // A dry run reads the controller's table, prints what the send would
    // change and writes nothing; the journal has its line unless told not to.
    void aDryRunSaysWhatWouldChangeAndWritesNothing_data()
    {
        QTest::addColumn<QList<int>>("changedRecords");
        QTest::addColumn<bool>("journal");
        QTest::addColumn<QByteArray>("printed");
        QTest::addColumn<int>("controllers");
        QTest::newRow("two rows") << QList<int>{3, 9} << true
                                  << QByteArray("dry run: 2 rows of the controller's table would change; the first 2 "
                                                "(now / after the send):\nrow 4, bar code: '100003' / 'X00003'\n"
                                                "row 10, bar code: '100009' / 'X00009'\n") << 1;
        QTest::newRow("nothing, no journal")
            << QList<int>{} << false
            << QByteArray("dry run: the controller already holds this table; nothing would be written\n") << 1;
        QTest::newRow("one row, two controllers")
            << QList<int>{0} << true
            << QByteArray("dry run: 1 row of the controller's table would change; the first 1 (now / after the "
                          "send):\nrow 1, bar code: '100000' / 'X00000'\n") << 2;
    }
    void aDryRunSaysWhatWouldChangeAndWritesNothing()
    {
        QFETCH(QList<int>, changedRecords);
        QFETCH(bool, journal);
        QFETCH(QByteArray, printed);
        QFETCH(int, controllers);
        QByteArray table = Table();
        for (int record : changedRecords)
            table[record * 128] = 'X';
        writeFile(path(u"dry.bin"_qs), table);
        writeFile(path(u"start.bin"_qs), Table());
        std::vector<std::unique_ptr<Simulator>> sims;
        QStringList args{u"send"_qs, u"--dry-run"_qs, path(u"dry.bin"_qs)};
        QByteArray expected = controllers == 1 ? printed : QByteArray();
        for (int i = 0; i < controllers; ++i) {
            const QString saved = path(u"after%1.bin"_qs.arg(i));
            sims.push_back(std::make_unique<Simulator>(
                QStringList{u"--table"_qs, path(u"start.bin"_qs), u"--save"_qs, saved}));
            args << u"--port"_qs << sims.back()->port;
            if (controllers > 1)   // each port's block is headed by its name
                expected += sims.back()->port.mid(5).toUtf8() + ":\n" + printed;
        }
        const QStringList before = RunsJournalLines();
        if (!journal)
            args.append(u"--no-journal"_qs);
        const Run run = runCli(args, m_dir.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, ::printed(expected));
        for (int i = 0; i < controllers; ++i) {
            QVERIFY(sims[i]->stop());
            QCOMPARE(FileBytes(path(u"after%1.bin"_qs.arg(i))), Table());
        }
        const QStringList lines = RunsJournalLines();
        QCOMPARE(lines.size(), before.size() + (journal ? (before.isEmpty() ? 1 : 0) + controllers : 0));
        if (journal) {
            QVERIFY(lines.first().endsWith(
                u"time,user,host,operation,port,adapter,\"serial number\",table,CRC-32,result,ms,backup"_qs));
            const QStringList fields = lines.last().split(u',');
            QCOMPARE(fields.value(3), u"compare"_qs);
            QCOMPARE(fields.value(4), sims.back()->port);
            QCOMPARE(fields.value(7), path(u"dry.bin"_qs));
            QVERIFY2(QRegularExpression(u"^[0-9A-F]{8}$"_qs).match(fields.value(8)).hasMatch(),
                     qPrintable(lines.last()));
            QCOMPARE(fields.value(9), u"ok"_qs);
        }
    }

    void usageErrorsExit2_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("recv without file") << QStringList{u"recv"_qs};
        QTest::newRow("send with two files") << QStringList{u"send"_qs, u"a"_qs, u"b"_qs};
        QTest::newRow("bad format") << QStringList{u"recv"_qs, u"--to"_qs, u"xml"_qs, u"a"_qs};
        QTest::newRow("verify on recv") << QStringList{u"recv"_qs, u"--verify"_qs, u"a"_qs};
        QTest::newRow("ports with argument") << QStringList{u"ports"_qs, u"x"_qs};
        QTest::newRow("recv from two ports")
            << QStringList{u"recv"_qs, u"--port"_qs, u"a"_qs, u"--port"_qs, u"b"_qs, u"x"_qs};
    }
    void usageErrorsExit2()
    {
        QFETCH(QStringList, args);
        QCOMPARE(runCli(args).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestCliLink)
#include "test_cli_link.moc"
