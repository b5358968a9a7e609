#include "common/zered_error.h"
#include "device/controller_model.h"
#include "device/kovserial.h"
#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>


class TestKovSim : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }

    void sessionReadsWritesSavesAndCaptures()
    {
        const QByteArray image = pattern(ControllerModel::TableSize);
        QFile table(u"table.bin"_qs);
        QVERIFY(table.open(QIODevice::WriteOnly));
        table.write(image);
        table.close();
        Simulator sim({u"--table"_qs, u"table.bin"_qs, u"--save"_qs, u"saved.bin"_qs, u"--capture"_qs,
                       u"capture.bin"_qs});
        QVERIFY(sim.port.startsWith(u"/dev/"_qs));

        TKOVSerial port;
        port.Open(sim.port, -1);
        port.SetParams(u"115.2k"_qs);
        port.SendRequest(0xF8, 0x010000, 128, 256);
        QByteArray received(65536, '\0');
        for (int i = 0; i < 256; ++i)
            QCOMPARE(port.ReadReply(received.data() + 256 * i, 256), 256);
        QCOMPARE(received, image);
        const QByteArray block(256, '\x42');
        QCOMPARE(port.SendBlock(0xFC, 0x010000 + 3 * 256, 128, block.constData()), 264);
        QCOMPARE(port.ReadReply(nullptr, 0), 0);
        port.Close();
        QVERIFY(sim.stop());

        QByteArray expected = image;
        expected.replace(3 * 256, 256, block);
        QCOMPARE(FileBytes(u"saved.bin"_qs), expected);
        QCOMPARE(FileBytes(u"capture.bin"_qs), FileBytes(u"dbg.out"_qs));
        QCOMPARE(FileBytes(u"capture.bin"_qs).size(), 7 + 264);
    }

    void faults_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("payload");
        QTest::newRow("silent after 1") << QStringList{u"--silent-after"_qs, u"1"_qs} << false
                                        << u"Read timeout"_qs << -1;
        QTest::newRow("bad checksum") << QStringList{u"--bad-checksum-at"_qs, u"2"_qs} << false
                                      << u"checksum missmatched"_qs << -1;
        QTest::newRow("header 15") << QStringList{u"--nak-at"_qs, u"2"_qs} << false << u"reply header missing"_qs
                                   << -1;
        QTest::newRow("short frame") << QStringList{u"--short-frame-at"_qs, u"2"_qs} << false << QString() << 128;
        QTest::newRow("ack with data") << QStringList{u"--ack-data-at"_qs, u"2"_qs} << true << QString() << 2;
        QTest::newRow("stray byte before a frame")
            << QStringList{u"--stray-before"_qs, u"2"_qs} << false << QString() << 256;
        QTest::newRow("frame garbled") << QStringList{u"--garble-at"_qs, u"2"_qs} << false << u"checksum missmatched"_qs
                                       << -1;
        QTest::newRow("ack garbled") << QStringList{u"--garble-at"_qs, u"2"_qs} << true << u"Read timeout"_qs << -1;
        QTest::newRow("a fault twice") << QStringList{u"--bad-checksum-at"_qs, u"1"_qs, u"--fault-times"_qs, u"2"_qs}
                                       << false << u"checksum missmatched"_qs << -1;
        QTest::newRow("hang-up") << QStringList{u"--hang-up-at"_qs, u"2"_qs} << true
                                 << u"the serial port %1 is gone: unplugged? (EIO)"_qs << -1;
    }
    void faults()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, write);
        QFETCH(QString, error);
        QFETCH(int, payload);
        Simulator sim(options);
        QVERIFY(!sim.port.isEmpty());
        TKOVSerial port;
        port.Open(sim.port, 0);
        port.ReplyTimeout = 200;
        const QByteArray block(256, '\x01');
        const auto request = [&] {
            if (write)
                port.SendBlock(0xFC, 0x010000, 128, block.constData());
            else
                port.SendRequest(0xF8, 0x010000, 128, 1);
        };
        request();
        if (options.contains(u"--fault-times"_qs))
            QVERIFY_THROWS_EXCEPTION(OstrelError, port.ReadReply(nullptr, 0));
        else
            QCOMPARE(port.ReadReply(nullptr, 0), write ? 0 : 256);
        request();
        int result = -1;
        QString raised;
        try {
            result = port.ReadReply(nullptr, 0);
        } catch (const OstrelError &e) {
            raised = e.message();
        }
        QCOMPARE(raised, error.arg(sim.port.mid(5)));
        QCOMPARE(result, payload);
        port.Close();
    }

    // The line's time as the simulator plays it: the bytes' wire time, an
    // adapter holding a short reply, a controller answering late.
    void timingIsModelled_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("baud");
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("atLeastMs");
        QTest::addColumn<int>("belowMs");   // 0: no bound
        // 264 bytes out and 3 back at 115200 baud, 10 bits a byte.
        QTest::newRow("wire time") << QStringList{u"--baud"_qs, u"115200"_qs} << 115200 << true
                                   << (264 + 3) * 10 * 1000 / 115200 << 0;
        QTest::newRow("adapter holds an ack") << QStringList{u"--adapter-latency"_qs, u"40"_qs} << 115200 << true << 40
                                              << 0;
        // The ack's last byte is the event character: nothing waits for the timer.
        QTest::newRow("adapter passes an ack at its event char")
            << QStringList{u"--adapter-latency"_qs, u"1000"_qs, u"--adapter-event-char"_qs, u"0xF9"_qs} << 115200
            << true << 0 << 500;
        // A reply frame whose bytes hold no event character still waits for the timer.
        QTest::newRow("adapter holds a frame without its event char")
            << QStringList{u"--adapter-latency"_qs, u"100"_qs, u"--adapter-event-char"_qs, u"0xF9"_qs} << 115200
            << false << 100 << 0;
        // 150 ms, then 259 bytes at 9600: the reply's 200 ms time-out covers its first byte only.
        QTest::newRow("late controller at 9600") << QStringList{u"--late"_qs, u"150"_qs, u"--baud"_qs, u"9600"_qs}
                                                 << 9600 << false << 150 + (7 + 259) * 10 * 1000 / 9600 << 0;
    }
    void timingIsModelled()
    {
        QFETCH(QStringList, options);
        QFETCH(int, baud);
        QFETCH(bool, write);
        QFETCH(int, atLeastMs);
        QFETCH(int, belowMs);
        Simulator sim(options);
        TKOVSerial port;
        port.Open(sim.port, baud);
        port.ReplyTimeout = 200;
        const QByteArray block(256, '\x07');
        QElapsedTimer timer;
        timer.start();
        if (write)
            port.SendBlock(0xFC, 0x010000, 128, block.constData());
        else
            port.SendRequest(0xF8, 0x010000, 128, 1);
        QCOMPARE(port.ReadReply(nullptr, 0), write ? 0 : 256);
        QVERIFY2(timer.elapsed() >= atLeastMs, qPrintable(QString::number(timer.elapsed())));
        QVERIFY2(belowMs == 0 || timer.elapsed() < belowMs, qPrintable(QString::number(timer.elapsed())));
        port.Close();
    }
};

QTEST_GUILESS_MAIN(TestKovSim)
#include "test_kov_sim.moc"
