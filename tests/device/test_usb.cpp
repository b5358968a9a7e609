#include "message_of.h"
#include "common/zered_error.h"
#include "device/controller_model.h"
#include "device/d2xx_sim.h"
#include "device/kovserial.h"
#include "fake_clock.h"
#include "test_support.h"

#include <QTest>

namespace {

const QByteArray Handshake = hex("558C");
const QByteArray Closing = hex("FE8C7300000002");

// A controller on the simulated USB link, and the transport over it.
struct UsbBench
{
    FakeClock clock;
    ControllerModel controller{ControllerModel::Link::Usb};
    d2xx::Simulator library{clock};
    TKOVUSB port{nullptr, &library};

    UsbBench() { port.SetClock(clock); }

    QString open(const QString &name = u"USB"_qs, int baud = -1)
    {
        try {
            port.Open(name, baud);
        } catch (const OstrelError &e) {
            return e.message();
        }
        return QString();
    }
};

QByteArray framed(const char *text)
{
    QByteArray bytes = hex(text);
    return bytes.append(char(TKOVPort::FrameChecksum(bytes.constData(), int(bytes.size()))));
}

} // namespace

class TestUsb : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void descriptionMatch_data()
    {
        QTest::addColumn<QByteArrayList>("descriptions");
        QTest::addColumn<int>("kov");   // index of the controller, -1 when none is found
        QTest::newRow("alone") << QByteArrayList{"KOV Vision Sensor"} << 0;
        QTest::newRow("second of two") << QByteArrayList{"FT232R USB UART", "KOV Vision Sensor"} << 1;
        QTest::newRow("other case") << QByteArrayList{"kov vision sensor"} << -1;
        QTest::newRow("trailing blank") << QByteArrayList{"KOV Vision Sensor "} << -1;
        QTest::newRow("longer") << QByteArrayList{"KOV Vision Sensor 2"} << -1;
        QTest::newRow("no device") << QByteArrayList{} << -1;
        QByteArrayList many(12, "FT232R USB UART");
        many[9] = "KOV Vision Sensor";
        QTest::newRow("tenth of twelve") << many << 9;
        many[9] = "FT232R USB UART";
        many[10] = "KOV Vision Sensor";
        QTest::newRow("eleventh is beyond the listing") << many << -1;
        QTest::newRow("description fills the buffer") << QByteArrayList{QByteArray(80, 'K')} << -1;
    }
    void descriptionMatch()
    {
        QFETCH(QByteArrayList, descriptions);
        QFETCH(int, kov);
        UsbBench bench;
        for (int i = 0; i < descriptions.size(); ++i)
            bench.library.addDevice(descriptions[i], i == kov ? &bench.controller : nullptr);
        QCOMPARE(bench.open(), kov < 0 ? u"not found KOV in USB ports"_qs : QString());
        QCOMPARE(bench.port.IsOpen(), kov >= 0);
        QVERIFY(bench.library.listedCount() <= TKOVUSB::ListRoom);
        QCOMPARE(bench.controller.handshaken(), kov >= 0);
    }

    // Several controllers: "USB:<serial number>" opens the one whose chip has
    // it, "USB" the first; the port knows the chip it opened.
    void aControllerIsChosenByItsChipsSerialNumber_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("opened");   // which controller, -1 none
        QTest::addColumn<QString>("detail");
        QTest::newRow("the first") << u"USB"_qs << 0 << QString();
        QTest::newRow("the second by serial") << u"USB:KV000002"_qs << 1 << QString();
        QTest::newRow("serial in any case of usb") << u"usb:KV000001"_qs << 0 << QString();
        QTest::newRow("a serial not attached")
            << u"USB:KV000009"_qs << -1
            << u"no KOV Vision Sensor has the serial number KV000009 (connected: KV000001, KV000002)"_qs;
        QTest::newRow("an adapter's serial is not a controller")
            << u"USB:FT111111"_qs << -1
            << u"no KOV Vision Sensor has the serial number FT111111 (connected: KV000001, KV000002)"_qs;
    }
    void aControllerIsChosenByItsChipsSerialNumber()
    {
        QFETCH(QString, name);
        QFETCH(int, opened);
        QFETCH(QString, detail);
        UsbBench bench;
        ControllerModel second{ControllerModel::Link::Usb};
        bench.library.addDevice("FT232R USB UART", nullptr, "FT111111");
        bench.library.addDevice("KOV Vision Sensor", &bench.controller, "KV000001");
        bench.library.addDevice("KOV Vision Sensor", &second, "KV000002");
        QCOMPARE(TKOVUSB::ControllerSerials(&bench.library), (QStringList{u"KV000001"_qs, u"KV000002"_qs}));
        try {
            bench.port.Open(name, -1);
            QCOMPARE(detail, QString());
        } catch (const OstrelError &e) {
            QCOMPARE(e.message(), u"not found KOV in USB ports"_qs);
            QCOMPARE(e.detail(), detail);
        }
        QCOMPARE(bench.controller.handshaken(), opened == 0);
        QCOMPARE(second.handshaken(), opened == 1);
        if (opened >= 0) {
            QCOMPARE(bench.port.Identity.adapter, u"KOV Vision Sensor"_qs);
            QCOMPARE(bench.port.Identity.serialNumber, opened == 0 ? u"KV000001"_qs : u"KV000002"_qs);
        }
    }

    void openFailures_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<QString>("error");
        QTest::addColumn<qint64>("waited");   // fake milliseconds spent
        QTest::newRow("listing fails") << u"list"_qs << true << u"not found KOV in USB ports"_qs << qint64(0);
        QTest::newRow("open fails") << u"create"_qs << true << u"IDS_STRING_FUD"_qs << qint64(0);
        QTest::newRow("time-outs fail") << u"timeouts"_qs << true << u"IDS_STRING_FUT"_qs << qint64(0);
        QTest::newRow("request write fails") << u"write"_qs << true << u"IDS_STRING_FUW"_qs << qint64(0);
        QTest::newRow("request written short") << u"short"_qs << true << u"IDS_STRING_IUD"_qs << qint64(0);
        QTest::newRow("answer read fails") << u"read"_qs << true << u"IDS_STRING_IUR"_qs << qint64(0);
        QTest::newRow("no answer") << QString() << false << u"IDS_STRING_IRN"_qs << qint64(500);
        QTest::newRow("wrong answer") << u"xor"_qs << true << u"IDS_STRING_IRR"_qs << qint64(0);
    }
    void openFailures()
    {
        QFETCH(QString, failure);
        QFETCH(bool, answers);
        QFETCH(qint64, waited);
        UsbBench bench;
        bench.library.addDevice("KOV Vision Sensor", answers ? &bench.controller : nullptr);
        auto &f = bench.library.failures;
        f.list = failure == u"list";
        f.create = failure == u"create";
        f.timeouts = failure == u"timeouts";
        f.write = failure == u"write";
        f.writeShortBy = failure == u"short" ? 1 : 0;
        f.read = failure == u"read";
        f.readXor = failure == u"xor" ? 0x01 : 0;
        QTEST(bench.open(), "error");
        QCOMPARE(bench.clock.now, waited);
        QVERIFY(!bench.port.Handshaken);
        // The caller's clean-up closes without the closing command.
        f = {};
        bench.port.Close();
        QVERIFY(!bench.library.isOpen());
        QVERIFY(!bench.library.wire.endsWith(Closing));
    }

    // A library that cannot be used at all says why, on the line after the known message.
    void unusableLibraryGivesItsReason()
    {
        struct Unusable : d2xx::Simulator
        {
            using Simulator::Simulator;
            QString unavailableReason() const override { return u"no driver"_qs; }
        };
        FakeClock clock;
        Unusable library{clock};
        library.failures.list = true;
        TKOVUSB port{nullptr, &library};
        port.SetClock(clock);
        try {
            port.Open(u"USB"_qs, -1);
            QFAIL("opened without a library");
        } catch (const OstrelError &e) {
            QCOMPARE(e.message(), u"not found KOV in USB ports"_qs);
            QCOMPARE(e.detail(), u"no driver"_qs);
        }
    }

    void transferPutsHandshakeFramesAndClosingOnTheWire()
    {
        UsbBench bench;
        bench.library.addDevice("KOV Vision Sensor", &bench.controller);
        QCOMPARE(bench.open(), QString());
        QCOMPARE(bench.library.readTimeout(), 500u);
        QByteArray block(256, '\x5A');
        QCOMPARE(bench.port.SendBlock(0xFC, 0x010000, 128, block.constData()), 264);
        QCOMPARE(bench.port.ReadReply(nullptr, 0), 0);
        bench.port.SendRequest(0xF8, 0x010000, 128, 256);
        QByteArray image(65536, '\0');
        for (int i = 0; i < 256; ++i)
            QCOMPARE(bench.port.ReadReply(image.data() + 256 * i, 256), 256);
        QCOMPARE(image, bench.controller.table);
        QCOMPARE(image.first(256), block);
        bench.port.Close();
        QVERIFY(bench.controller.closedByHost());
        QCOMPARE(bench.library.wire,
                 Handshake + hex("FC00000180 0082") + block + char(TKOVPort::FrameChecksum(block.constData(), 256))
                     + hex("F8000001 80FF 87") + Closing);
        QCOMPARE(bench.port.Handle, TKOVPort::InvalidHandle);
    }

    void nameNoSkipsTheHandshakeAndBaudChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("baud");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("no") << u"no"_qs << -1 << QByteArray();
        QTest::newRow("usb, -1") << u"usb"_qs << -1 << Handshake + Closing;
        QTest::newRow("USB, 0") << u"USB"_qs << 0 << Handshake + Closing;
        QTest::newRow("USB, 9600") << u"USB"_qs << 9600 << Handshake + Closing;
    }
    void nameNoSkipsTheHandshakeAndBaudChangesNothing()
    {
        QFETCH(QString, name);
        QFETCH(int, baud);
        UsbBench bench;
        bench.library.addDevice("KOV Vision Sensor", &bench.controller);
        QCOMPARE(bench.open(name, baud), QString());
        bench.port.SetParams(u"9600,7,e,2"_qs);   // the inherited one: nothing happens
        bench.port.Close();
        QTEST(bench.library.wire, "wire");
    }

    void linkFailures_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("error");
        QTest::newRow("status query") << u"clear"_qs << u"queue"_qs << u"FT_W32_ClearCommError()"_qs;
        QTest::newRow("read") << u"read"_qs << u"read"_qs << u"TKOVUSB; FT_W32_ReadFile() error"_qs;
        QTest::newRow("write") << u"write"_qs << u"write"_qs << u"TKOVUSB; FT_W32_WriteFile() error"_qs;
        QTest::newRow("short write") << u"short"_qs << u"write"_qs << u"TKOVSerial; WriteFile() short"_qs;
        QTest::newRow("closing command fails") << u"write"_qs << u"close"_qs << u"IDS_STRING_FUW"_qs;
        QTest::newRow("closing command short") << u"short"_qs << u"close"_qs << u"IDS_STRING_IUD"_qs;
        const QString gone = u"the USB device KOV Vision Sensor is gone: unplugged? (LIBUSB_ERROR_NO_DEVICE)"_qs;
        QTest::newRow("unplugged: status query") << u"gone"_qs << u"queue"_qs << gone;
        QTest::newRow("unplugged: read") << u"gone"_qs << u"read"_qs << gone;
        QTest::newRow("unplugged: write") << u"gone"_qs << u"write"_qs << gone;
    }
    void linkFailures()
    {
        QFETCH(QString, failure);
        QFETCH(QString, operation);
        UsbBench bench;
        bench.library.addDevice("KOV Vision Sensor", &bench.controller);
        QCOMPARE(bench.open(), QString());
        auto &f = bench.library.failures;
        f.clearCommError = failure == u"clear";
        f.read = failure == u"read";
        f.write = failure == u"write";
        f.writeShortBy = failure == u"short" ? 1 : 0;
        f.gone = failure == u"gone";
        char bytes[4] = {};
        QTEST(messageOf([&] {
                  if (operation == u"queue")
                      bench.port.InQueueCount();
                  else if (operation == u"read")
                      bench.port.Read(bytes, 4);
                  else if (operation == u"write")
                      bench.port.Write(bytes, 4);
                  else
                      bench.port.Close();
              }),
              "error");
        QCOMPARE(bench.port.LinkGone, failure == u"gone");
        QVERIFY(bench.port.IsOpen());   // a failed closing command leaves the handle open
        QVERIFY(bench.library.isOpen());
    }

    void controllerModel_data()
    {
        QTest::addColumn<bool>("usb");
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("write one word") << false << framed("FC000001 0100") + framed("ABCD") << hex("0600F9");
        QTest::newRow("broken data checksum") << false << framed("FC000001 0100") + hex("ABCD00") << QByteArray();
        QTest::newRow("garbage before a request") << false << hex("010203") + framed("F8FE FF01 0100")
                                                  << framed("0601FFFF");
        QTest::newRow("read beyond the table") << false << framed("F8000002 0101")
                                               << framed("0601FFFF") + framed("0601FFFF");
        QTest::newRow("unknown command") << false << framed("F1000001 0100") << QByteArray();
        QTest::newRow("handshake on the serial link") << false << hex("558C") << QByteArray();
        QTest::newRow("handshake on USB") << true << hex("558C") << hex("8C73");
        QTest::newRow("closing command") << true << hex("FE8C7300000002") << QByteArray();
        QTest::newRow("read zero words") << false << framed("F8000001 0001") << hex("0600F9 0600F9");
    }
    void controllerModel()
    {
        QFETCH(bool, usb);
        QFETCH(QByteArray, in);
        ControllerModel whole(usb ? ControllerModel::Link::Usb : ControllerModel::Link::Serial);
        ControllerModel bytewise(usb ? ControllerModel::Link::Usb : ControllerModel::Link::Serial);
        QTEST(whole.receive(in), "out");
        QByteArray pieces;
        for (char c : std::as_const(in))
            pieces += bytewise.receive(QByteArrayView(&c, 1));
        QTEST(pieces, "out");
        QCOMPARE(whole.table, bytewise.table);
    }

    // The controller's faults as the framing reports them.
    void controllerFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("payload");
        QTest::newRow("silent") << u"silent"_qs << u"Read timeout"_qs << -1;
        QTest::newRow("checksum") << u"checksum"_qs << u"checksum missmatched"_qs << -1;
        QTest::newRow("header 15") << u"nak"_qs << u"reply header missing"_qs << -1;
        QTest::newRow("short frame") << u"short"_qs << QString() << 128;
        QTest::newRow("ack with data") << u"ackdata"_qs << QString() << 2;
    }
    void controllerFaults()
    {
        QFETCH(QString, fault);
        QFETCH(QString, error);
        QFETCH(int, payload);
        UsbBench bench;
        bench.library.addDevice("KOV Vision Sensor", &bench.controller);
        QCOMPARE(bench.open(), QString());
        auto &f = bench.controller.faults;
        f.silentAfter = fault == u"silent" ? 1 : -1;
        f.badChecksumAt = fault == u"checksum" ? 2 : -1;
        f.nakHeaderAt = fault == u"nak" ? 2 : -1;
        f.shortFrameAt = fault == u"short" ? 2 : -1;
        f.ackWithDataAt = fault == u"ackdata" ? 2 : -1;
        QByteArray block(256, '\x11');
        // Frame 1 is always sound; the fault hits frame 2.
        const bool write = fault == u"ackdata";
        const auto request = [&] {
            if (write)
                bench.port.SendBlock(0xFC, 0x010000, 128, block.constData());
            else
                bench.port.SendRequest(0xF8, 0x010000, 128, 1);
        };
        request();
        QCOMPARE(bench.port.ReadReply(nullptr, 0), write ? 0 : 256);
        request();
        int result = -1;
        QCOMPARE(messageOf([&] { result = bench.port.ReadReply(nullptr, 0); }), error);
        QCOMPARE(result, payload);
    }
};

QTEST_GUILESS_MAIN(TestUsb)
#include "test_usb.moc"
