#include "message_of.h"
#include "common/zered_error.h"
#include "device/d2xx_sim.h"
#include "documents/table_document.h"
#include "documents/table_transfer.h"
#include "device/port_selection.h"
#include "fake_clock.h"
#include "log_capture.h"
#include "served_controller.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

    TKOVPort &OpenPort() override
    {
        TKOVPort &opened = ports.OpenPort(port, baud);
        opened.ReplyTimeout = replyTimeout;
        portOpen = true;
        return opened;
    }
    void ClosePort() override
    {
        portOpen = false;
        ports.ClosePort();
    }
    void ProgressStart(int total, int position, int colour) override { progress.append({0, total, position, colour}); }
    void ProgressStep(int position, int colour) override { progress.append({1, position, colour}); }
    void ProgressEnd() override { progress.append(QList<int>{2}); }
};

QByteArray Pattern()
{
    QByteArray image(65536, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 31 + i / 256) & 0xFF);
    return image;
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
        document.grid().setCell(2, 3, "4901234567890");
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

    void failuresEndTheTransferAndCleanUp_data()
    {
        QTest::addColumn<bool>("send");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("message");
        QTest::newRow("ack with data") << true << u"ackWithData"_qs << 5 << u"no ACK"_qs;
        QTest::newRow("no answer to a block") << true << u"silent"_qs << 3 << u"Read timeout"_qs;
        QTest::newRow("bad checksum on an ack") << true << u"badChecksum"_qs << 1 << u"checksum missmatched"_qs;
        QTest::newRow("short frame") << false << u"shortFrame"_qs << 7 << u"recv error"_qs;
        QTest::newRow("frame starts 15") << false << u"nak"_qs << 2 << u"reply header missing"_qs;
        QTest::newRow("controller stops") << false << u"silent"_qs << 10 << u"Read timeout"_qs;
    }
    void failuresEndTheTransferAndCleanUp()
    {
        QFETCH(bool, send);
        QFETCH(QString, fault);
        QFETCH(int, at);
        QFETCH(QString, message);
        ServedController controller;
        controller.model.table = Pattern();
        ControllerFaults &f = controller.model.faults;
        if (fault == u"ackWithData") f.ackWithDataAt = at;
        if (fault == u"silent") f.silentAfter = at;
        if (fault == u"badChecksum") f.badChecksumAt = at;
        if (fault == u"shortFrame") f.shortFrameAt = at;
        if (fault == u"nak") f.nakHeaderAt = at;
        RecordingHost host(controller.pty.devicePath());
        if (fault == u"silent")
            host.replyTimeout = 100;   // only the silent line waits out a time-out
        LogCapture log;
        TableDocument document;
        QCOMPARE(messageOf([&] { send ? SendTable(document, host) : ReceiveTable(document, host); }), message);
        QCOMPARE(host.progress.last(), QList<int>{2});
        QVERIFY(!host.ports.ActivePort());
        QVERIFY(log.lines.isEmpty());   // no "send/recv text list" line
        if (!send && fault == u"shortFrame") {
            // The blocks that arrived before the bad frame stay in the image.
            QCOMPARE(document.image().first(6 * 256), Pattern().first(6 * 256));
            QCOMPARE(document.image().sliced(7 * 256), QByteArray(65536 - 7 * 256, '\xFF'));
        }
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
