#include "message_of.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"
#include "device/controller_model.h"
#include "device/controller_pty.h"
#include "device/kovserial.h"
#include "served_controller.h"
#include "test_support.h"
#include "tty_line.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {
struct LogCapture final : zered::LogTarget
{
    QStringList magenta, black;
    LogCapture() { zered::LogAttach(this); }
    ~LogCapture() override { zered::LogAttach(nullptr); }
    void appendLine(const QString &, const QString &message, int colour, bool) override
    {
        (colour == zered::clMagenta ? magenta : black) << message;
    }
    int backgroundColour() const override { return 0xFFFFFF; }
};

} // namespace

class TestSerial : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }

    void lineParams_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<bool>("dtr");
        QTest::addColumn<bool>("rts");
        QTest::newRow("115.2k") << u"115.2k"_qs << 115200 << 8 << 0 << 0 << false << false;
        QTest::newRow("312.5k") << u"312.5k"_qs << 312500 << 8 << 0 << 0 << false << false;
        QTest::newRow("500k") << u"500k"_qs << 500000 << 8 << 0 << 0 << false << false;
        QTest::newRow("250k") << u"250k"_qs << 250000 << 8 << 0 << 0 << false << false;
        QTest::newRow("fraction truncated") << u"1.00049k"_qs << 1000 << 8 << 0 << 0 << false << false;
        QTest::newRow("7 even 2") << u"9600,7,e,2"_qs << 9600 << 7 << 2 << 2 << false << false;
        QTest::newRow("odd") << u"9600,8,O"_qs << 9600 << 8 << 1 << 0 << false << false;
        QTest::newRow("dtr and rts") << u"19200,8,n,1,dr"_qs << 19200 << 8 << 0 << 0 << true << true;
        QTest::newRow("capital D changes nothing") << u"19200,8,n,1,D"_qs << 19200 << 8 << 0 << 0 << false << false;
        QTest::newRow("empty") << QString() << 9600 << 8 << 0 << 0 << false << false;
        QTest::newRow("mark is none") << u"9600,8,M"_qs << 9600 << 8 << 0 << 0 << false << false;
        QTest::newRow("space is none") << u"9600,8,S"_qs << 9600 << 8 << 0 << 0 << false << false;
        QTest::newRow("1.5 stop bits is one") << u"9600,8,n,1.5"_qs << 9600 << 8 << 0 << 0 << false << false;
        QTest::newRow("blanks separate") << u" 38400  7 ,e"_qs << 38400 << 7 << 2 << 0 << false << false;
        QTest::newRow("quoted rate") << u"\"57600\",8"_qs << 57600 << 8 << 0 << 0 << false << false;
        QTest::newRow("NUL ends the text") << u"19200,7\0,e"_qs << 19200 << 7 << 0 << 0 << false << false;
        QTest::newRow("largest kilo rate") << u"2147483.647k"_qs << INT_MAX << 8 << 0 << 0 << false << false;
        QTest::newRow("items after the fifth ignored") << u"9600,8,n,1,r,xyz"_qs << 9600 << 8 << 0 << 0 << false
                                                       << true;
    }
    void lineParams()
    {
        QFETCH(QString, text);
        const TKOVLineParams p = KovParseLineParams(text);
        QTEST(p.Rate, "rate");
        QTEST(p.DataBits, "dataBits");
        QTEST(p.Parity, "parity");
        QTEST(p.StopBits, "stopBits");
        QTEST(p.Dtr, "dtr");
        QTEST(p.Rts, "rts");
    }

    void lineParamsThatDoNotRead_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("capital K") << u"115.2K"_qs << u"'115.2K' is not a valid integer value"_qs;
        QTest::newRow("two points") << u"1.2.3k"_qs << u"'1.2.3' is not a valid floating point value"_qs;
        QTest::newRow("bare k") << u"k"_qs << u"'' is not a valid floating point value"_qs;
        QTest::newRow("data bits") << u"9600,x"_qs << u"'x' is not a valid integer value"_qs;
        QTest::newRow("empty rate item") << u",8"_qs << u"'' is not a valid integer value"_qs;
        QTest::newRow("kilo rate beyond int") << u"9229015k"_qs << u"'9229015' is not a valid floating point value"_qs;
        QTest::newRow("just beyond int") << u"2147483.648k"_qs << u"'2147483.648' is not a valid floating point value"_qs;
        QTest::newRow("rate beyond int") << u"4294967296"_qs << u"'4294967296' is not a valid integer value"_qs;
    }
    void lineParamsThatDoNotRead()
    {
        QFETCH(QString, text);
        QFETCH(QString, error);
        QCOMPARE(messageOf([&] { KovParseLineParams(text); }), error);
    }

    // The settings must reach the tty itself, custom divisors included.
    void setParamsReachesTheLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<unsigned>("rate");
        QTest::addColumn<unsigned>("size");
        QTest::addColumn<bool>("parity");
        QTest::addColumn<bool>("twoStop");
        QTest::newRow("9600") << u"9600"_qs << 9600u << unsigned(CS8) << false << false;
        QTest::newRow("115.2k") << u"115.2k"_qs << 115200u << unsigned(CS8) << false << false;
        QTest::newRow("250k") << u"250k"_qs << 250000u << unsigned(CS8) << false << false;
        QTest::newRow("312.5k") << u"312.5k"_qs << 312500u << unsigned(CS8) << false << false;
        QTest::newRow("500k") << u"500k"_qs << 500000u << unsigned(CS8) << false << false;
        QTest::newRow("two stop bits") << u"19200,8,n,2"_qs << 19200u << unsigned(CS8) << false << true;
    }
    void setParamsReachesTheLine()
    {
        QFETCH(QString, text);
        QFETCH(unsigned, rate);
        PseudoTerminal pty;
        QVERIFY(pty.open(nullptr));
        TKOVSerial port;
        port.Open(pty.devicePath, -1);
        port.SetParams(text);
        const TtyRates rates = ttyRates(pty.slave);
        QVERIFY(rates.ok);
        QCOMPARE(rates.output, rate);
        QCOMPARE(rates.input, rate);
        termios tio{};
        QCOMPARE(::tcgetattr(pty.slave, &tio), 0);
        QTEST(unsigned(tio.c_cflag & CSIZE), "size");
        QTEST(bool(tio.c_cflag & PARENB), "parity");
        QTEST(bool(tio.c_cflag & CSTOPB), "twoStop");
        port.Close();
    }

    void setParamsFailures_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("error");
        QTest::newRow("capital K") << u"115.2K"_qs << true << u"'115.2K' is not a valid integer value"_qs;
        QTest::newRow("nine data bits") << u"9600,9"_qs << true << u"SetCommState; ret 22"_qs;
        QTest::newRow("rate 0") << u"0"_qs << true << u"SetCommState; ret 22"_qs;
        // A pseudo-terminal carries 8 bits without parity and has no modem lines.
        QTest::newRow("7 bits on a pty") << u"9600,7"_qs << true << u"SetCommState; ret 22"_qs;
        QTest::newRow("parity on a pty") << u"9600,8,e"_qs << true << u"SetCommState; ret 22"_qs;
        QTest::newRow("DTR on a pty") << u"9600,8,n,1,d"_qs << true << u"SetCommState; ret 25"_qs;
        QTest::newRow("port not open") << u"9600"_qs << false << u"SetCommState; ret 9"_qs;
    }
    void setParamsFailures()
    {
        QFETCH(QString, text);
        QFETCH(bool, open);
        PseudoTerminal pty;
        QVERIFY(pty.open(nullptr));
        TKOVSerial port;
        if (open)
            port.Open(pty.devicePath, 57600);
        QTEST(messageOf([&] { port.SetParams(text); }), "error");
        if (open && !QByteArray(QTest::currentDataTag()).contains("on a pty"))
            QCOMPARE(ttyRates(pty.slave).output, 57600u);   // refused before the line was touched
    }

    void openRate_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<unsigned>("rate");
        QTest::newRow("given") << 57600 << 57600u;
        QTest::newRow("zero") << 0 << 115200u;
        QTest::newRow("negative keeps the line") << -1 << 19200u;
    }
    void openRate()
    {
        QFETCH(int, baud);
        PseudoTerminal pty;
        QVERIFY(pty.open(nullptr));
        termios tio{};
        ::tcgetattr(pty.slave, &tio);
        ::cfsetspeed(&tio, B19200);
        tio.c_cflag |= CSTOPB;
        QCOMPARE(::tcsetattr(pty.slave, TCSANOW, &tio), 0);
        TKOVSerial port;
        port.Open(pty.devicePath, baud);
        QTEST(ttyRates(pty.slave).output, "rate");
        ::tcgetattr(pty.slave, &tio);
        QCOMPARE(bool(tio.c_cflag & CSTOPB), baud < 0);
        port.Close();
    }

    void openFailureNamesTheReasonInASecondLine()
    {
        TKOVSerial port;
        QString detail;
        try {
            port.Open(u"/dev/kov-no-such-port"_qs, -1);
        } catch (const OstrelError &e) {
            QCOMPARE(e.message(), u"serial port cannot open"_qs);
            detail = e.detail();
        }
        QVERIFY(!port.IsOpen());
        QVERIFY2(detail.startsWith(u"serial port '/dev/kov-no-such-port': "_qs), qPrintable(detail));
        QVERIFY(detail.size() > 40);
    }

    void closedPort()
    {
        TKOVSerial port;
        char byte = 0;
        QCOMPARE(port.InQueueCount(), -1);
        QCOMPARE(messageOf([&] { port.Read(&byte, 1); }), u"TKOVSerial; ReadFile()"_qs);
        QCOMPARE(messageOf([&] { port.Write(&byte, 1); }), u"TKOVSerial; WriteFile() error"_qs);
        port.ReplyTimeout = 5;
        QCOMPARE(messageOf([&] { port.ReadReply(nullptr, 0); }), u"Read timeout"_qs);
    }

    void blocksGoToTheControllerAndComeBack()
    {
        ServedController controller;
        TKOVSerial port;
        port.Open(controller.pty.devicePath(), -1);
        port.SetParams(u"115.2k"_qs);
        for (int block = 0; block < 4; ++block) {
            const QByteArray data = pattern(256, block);
            QCOMPARE(port.SendBlock(0xFC, 0x010000 + 256 * block, 128, data.constData()), 264);
            QCOMPARE(port.ReadReply(nullptr, 0), 0);
        }
        port.SendRequest(0xF8, 0x010000, 128, 256);
        QByteArray image(65536, '\0');
        for (int block = 0; block < 256; ++block)
            QCOMPARE(port.ReadReply(image.data() + 256 * block, 256), 256);
        port.Close();
        QCOMPARE(image.first(1024), pattern(256, 0) + pattern(256, 1) + pattern(256, 2) + pattern(256, 3));
        QCOMPARE(image.sliced(1024), QByteArray(65536 - 1024, char(0xFF)));
        QCOMPARE(port.Handle, TKOVPort::InvalidHandle);
    }

    // A real port comes up cooked: echo, XON/XOFF, CR/LF mapping, signals. An
    // opened port must still carry every byte value unchanged both ways.
    void everyByteValueCrossesAStockTty_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<QString>("params");
        QTest::newRow("line's own settings") << -1 << QString();
        QTest::newRow("115.2k") << -1 << u"115.2k"_qs;
        QTest::newRow("opened at a rate") << 9600 << QString();
    }
    void everyByteValueCrossesAStockTty()
    {
        QFETCH(int, baud);
        QFETCH(QString, params);
        ServedController controller;
        {
            const int fd = ::open(qPrintable(controller.pty.devicePath()), O_RDWR | O_NOCTTY);
            QVERIFY(fd >= 0);
            termios tio{};
            QCOMPARE(::tcgetattr(fd, &tio), 0);
            tio.c_iflag = ICRNL | IXON | IXOFF | IXANY | BRKINT | IMAXBEL | INLCR | ISTRIP;
            tio.c_oflag = OPOST | ONLCR | OCRNL;
            tio.c_lflag = ECHO | ECHOE | ECHOK | ECHOCTL | ECHOKE | ICANON | ISIG | IEXTEN;
            tio.c_cflag = CS8 | CREAD | HUPCL | B9600;
            QCOMPARE(::tcsetattr(fd, TCSANOW, &tio), 0);
            ::close(fd);
        }
        TKOVSerial port;
        port.Open(controller.pty.devicePath(), baud);
        if (!params.isEmpty())
            port.SetParams(params);
        QByteArray everyByte(512, '\0');
        for (int i = 0; i < 256; ++i)
            everyByte[i] = everyByte[511 - i] = char(i);
        for (int block = 0; block < 2; ++block) {
            QCOMPARE(port.SendBlock(0xFC, 0x010000 + 256 * block, 128, everyByte.constData() + 256 * block), 264);
            QCOMPARE(port.ReadReply(nullptr, 0), 0);
        }
        QCOMPARE(controller.model.table.first(512), everyByte);
        controller.model.table.replace(256 * 255, 512 - 256, everyByte.first(256));
        controller.model.table.replace(256 * 100, 256, everyByte.sliced(256));
        port.SendRequest(0xF8, 0x010000, 128, 256);
        QByteArray image(65536, '\0');
        for (int block = 0; block < 256; ++block)
            QCOMPARE(port.ReadReply(image.data() + 256 * block, 256), 256);
        port.Close();
        QCOMPARE(image, controller.model.table);
    }

    // A port held by another program is busy, whatever the groups say.
    void aBusyPortSaysSo()
    {
        PseudoTerminal pty;
        QVERIFY(pty.open(nullptr));
        TKOVSerial first, second;
        first.Open(pty.devicePath, 0);
        QString detail;
        try {
            second.Open(pty.devicePath, 0);
        } catch (const OstrelError &e) {
            detail = e.detail();
        }
        first.Close();
        QVERIFY2(detail.contains(u"the port is busy: another program has it open"_qs), qPrintable(detail));
        QVERIFY2(!detail.contains(u"dialout"_qs), qPrintable(detail));
    }

    void debugCopyHoldsEveryByteWritten()
    {
        ServedController controller;
        TKOVSerial port;
        port.Open(controller.pty.devicePath(), 0);
        QByteArray expected;
        for (int block = 0; block < 2; ++block) {
            const QByteArray data = pattern(256, block);
            port.SendBlock(0xFC, 0x010000 + 256 * block, 128, data.constData());
            QCOMPARE(QFileInfo(u"dbg.out"_qs).size(), 264 * (block + 1));
            port.ReadReply(nullptr, 0);
            expected += QByteArray::fromHex("FC00") + char(block) + QByteArray::fromHex("0180 00")
                        + char(0x82 - block) + data + char(TKOVPort::FrameChecksum(data.constData(), 256));
        }
        port.Close();
        QFile copy(u"dbg.out"_qs);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), expected);
        copy.close();
        port.Open(controller.pty.devicePath(), 0);   // a new open starts a new copy
        QCOMPARE(QFileInfo(u"dbg.out"_qs).size(), 0);
        port.Close();
    }

    void debugCopyThatCannotBeCreatedDoesNotStopTheTransfer()
    {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        QVERIFY(QDir().mkdir(u"dbg.out"_qs));
        ServedController controller;
        LogCapture log;
        TKOVSerial port;
        port.Open(controller.pty.devicePath(), 0);
        const QByteArray data = pattern(256, 9);
        QCOMPARE(port.SendBlock(0xFC, 0x010000, 128, data.constData()), 264);
        QCOMPARE(port.ReadReply(nullptr, 0), 0);
        port.Close();
        QDir::setCurrent(previous);
        QCOMPARE(log.magenta.size(), 1);
        QVERIFY2(log.magenta[0].startsWith(u"cannot create 'dbg.out'"_qs), qPrintable(log.magenta[0]));
        QCOMPARE(controller.model.table.first(256), data);
    }

    // What the other side sends, then whether it hangs up; every case ends in a
    // message of the link within the time-out.
    void badInputOnTheWire_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("hangUp");
        QTest::addColumn<QString>("error");
        QTest::newRow("garbage") << QByteArray::fromHex("1500FFFF") << false << u"reply header missing"_qs;
        QTest::newRow("wrong checksum") << QByteArray::fromHex("060000") << false << u"checksum missmatched"_qs;
        QTest::newRow("header then silence") << QByteArray::fromHex("0680") << false << u"Read timeout"_qs;
        QTest::newRow("frame never ends") << QByteArray::fromHex("0680") + QByteArray(100, 'x') << false
                                          << u"Read timeout"_qs;
        QTest::newRow("one byte") << QByteArray::fromHex("06") << false << u"Read timeout"_qs;
        QTest::newRow("hang-up mid-frame") << QByteArray::fromHex("0680") + QByteArray(10, 'x') << true
                                           << u"the serial port %1 is gone: unplugged? (EIO)"_qs;
    }
    void badInputOnTheWire()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, hangUp);
        PseudoTerminal pty;
        QVERIFY(pty.open(nullptr));
        TKOVSerial port;
        port.Open(pty.devicePath, 0);
        port.ReplyTimeout = 150;
        QCOMPARE(::write(pty.master, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        if (hangUp) {
            ::close(pty.master);
            pty.master = -1;
        }
        QElapsedTimer timer;
        timer.start();
        QFETCH(QString, error);
        QCOMPARE(messageOf([&] { port.ReadReply(nullptr, 0); }), error.arg(pty.devicePath.mid(5)));
        QCOMPARE(port.LinkGone, hangUp);
        QVERIFY(timer.elapsed() <= port.ReplyTimeout + 200);
        port.Close();
    }
};

QTEST_GUILESS_MAIN(TestSerial)
#include "test_serial.moc"
