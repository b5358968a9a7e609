#include "device/kovserial.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"
#include "device/d2xx.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QThread>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>

#if defined(Q_OS_WIN)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace kov {
namespace {
class SystemClock final : public Clock
{
public:
    SystemClock() { m_timer.start(); }
    qint64 tick() override { return m_timer.elapsed(); }
    void wait1ms(TKOVPort *port) override
    {
        if (port)
            port->WaitReadable(1);
        else
            QThread::msleep(1);
    }

private:
    QElapsedTimer m_timer;
};
} // namespace

Clock &systemClock()
{
    static SystemClock clock;
    return clock;
}
} // namespace kov

// ---------------------------------------------------------------- TKOVPort

TKOVPort::TKOVPort(QObject *owner) : QObject(owner), m_clock(&kov::systemClock()) {}

void TKOVPort::SetParams(const QString &) {}

void TKOVPort::WaitReadable(int ms)
{
    QThread::msleep(ms);
}

quint8 TKOVPort::FrameChecksum(const void *data, int count)
{
    const auto *bytes = static_cast<const quint8 *>(data);
    quint8 sum = 0;
    for (int i = 0; i < count; ++i)
        sum += bytes[i];
    return quint8(0xFF - sum);
}

int TKOVPort::WriteFrame(const void *data, int count)
{
    const quint8 checksum = FrameChecksum(data, count);
    const int written = Write(data, count);
    return written + Write(&checksum, 1);
}

int TKOVPort::SendRequest(quint8 command, int address, int words, int repeat)
{
    const quint8 header[6] = {command,
                              quint8(address),
                              quint8(address >> 8),
                              quint8(address >> 16),
                              quint8(words),
                              quint8(repeat >= 1 ? repeat - 1 : 0)};
    return WriteFrame(header, sizeof header);
}

int TKOVPort::SendBlock(quint8 command, int address, int words, const void *data)
{
    const int sent = SendRequest(command, address, words, 0);
    return sent + WriteFrame(data, 2 * (words & 0xFF));
}

void TKOVPort::waitForInput(int count, qint64 t0, int timeoutMs)
{
    for (;;) {
        if (InQueueCount() >= count)
            return;
        if (m_clock->tick() > t0 + timeoutMs)
            throw OstrelError(Msg::ReadTimeout);
        m_clock->wait1ms(this);
    }
}

int TKOVPort::ReadReply(void *destination, int capacity, int timeoutMs)
{
    // Heap scratch buffer of the largest frame; released on every path.
    auto scratch = std::make_unique<std::array<quint8, MaxReplySize>>();
    quint8 *frame = scratch->data();
    frame[0] = frame[1] = 0;
    const qint64 t0 = m_clock->tick();
    if (timeoutMs < 0)
        timeoutMs = ReplyTimeout;

    waitForInput(2, t0, timeoutMs);
    Read(frame, 2);
    if (frame[0] != 0x06)
        throw OstrelError(Msg::ReplyHeaderMissing);
    const int rest = 2 * frame[1] + 1;
    waitForInput(rest, t0, timeoutMs);
    // A transport never hands back more than asked; clamp so a faulty one
    // cannot make the frame run past the buffer.
    const int got = std::clamp(Read(frame + 2, rest), 0, rest);
    const int total = got + 2;
    if (FrameChecksum(frame, total - 1) != frame[total - 1])
        throw OstrelError(Msg::ChecksumMismatched);
    const int copied = std::min(total - 3, capacity);
    if (destination && copied > 0)
        std::memcpy(destination, frame + 2, size_t(copied));
    return total - 3;
}

// ---------------------------------------------------------------- line parameters

QStringList KovCommaItems(const QString &text)
{
    QStringList items;
    const auto isBlank = [](QChar c) { return c.unicode() >= 1 && c.unicode() <= ' '; };
    const qsizetype n = text.size();
    qsizetype p = 0;
    while (p < n && isBlank(text[p]))
        ++p;
    while (p < n) {
        QString item;
        if (text[p] == u'"') {
            // Quoted item: "" stands for one quote; the item ends at the closing quote.
            ++p;
            while (p < n) {
                if (text[p] == u'"') {
                    if (p + 1 < n && text[p + 1] == u'"') {
                        item += u'"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < n && text[p].unicode() > ' ' && text[p] != u',')
                ++p;
            item = text.mid(start, p - start);
        }
        items << item;
        while (p < n && isBlank(text[p]))
            ++p;
        if (p < n && text[p] == u',') {
            if (p + 1 == n)
                items << QString();
            do
                ++p;
            while (p < n && isBlank(text[p]));
        }
    }
    return items;
}

namespace {
int toInteger(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        throw OstrelError(QString::fromUtf8(Msg::NotAnInteger).arg(text));
    return value;
}

// "115.2" -> 115200: decimal digits with "." read exactly, times 1000,
// truncated toward zero (no binary floating-point rounding on the way).
int kiloToInteger(const QString &number)
{
    const auto fail = [&] { return OstrelError(QString::fromUtf8(Msg::NotAFloat).arg(number)); };
    qsizetype p = 0;
    bool negative = false;
    if (p < number.size() && (number[p] == u'+' || number[p] == u'-'))
        negative = number[p++] == u'-';
    qint64 value = 0;
    int digits = 0;
    for (; p < number.size() && number[p].isDigit(); ++p, ++digits) {
        value = value * 10 + number[p].digitValue();
        if (value > 10'000'000)
            throw fail();
    }
    value *= 1000;
    if (p < number.size() && number[p] == u'.') {
        qint64 scale = 100;
        for (++p; p < number.size() && number[p].isDigit(); ++p, ++digits) {
            value += number[p].digitValue() * scale;
            scale /= 10;
        }
    }
    if (digits == 0 || p != number.size())
        throw fail();
    return int(negative ? -value : value);
}
} // namespace

TKOVLineParams KovParseLineParams(const QString &text)
{
    TKOVLineParams params;
    const QStringList items = KovCommaItems(text);
    if (items.size() > 0) {
        const QString &rate = items[0];
        params.Rate = rate.endsWith(u'k') ? kiloToInteger(rate.chopped(1)) : toInteger(rate);
    }
    if (items.size() > 1)
        params.DataBits = toInteger(items[1]);
    if (items.size() > 2) {
        const QChar c = items[2].isEmpty() ? QChar() : items[2][0];
        params.Parity = (c == u'E' || c == u'e') ? 2 : (c == u'O' || c == u'o') ? 1 : 0;
    }
    if (items.size() > 3)
        params.StopBits = items[3].startsWith(u'2') ? 2 : 0;
    if (items.size() > 4) {
        params.Dtr = items[4].contains(u'd');
        params.Rts = items[4].contains(u'r');
    }
    return params;
}

// ---------------------------------------------------------------- TKOVSerial

namespace {
constexpr int WriteTimeoutMs = 2000;

QSerialPort::Parity toQtParity(int parity)
{
    return parity == 2 ? QSerialPort::EvenParity
                       : parity == 1 ? QSerialPort::OddParity : QSerialPort::NoParity;
}

struct LineSettings
{
    qint32 rate;
    QSerialPort::DataBits dataBits;
    QSerialPort::Parity parity;
    QSerialPort::StopBits stopBits;
    QSerialPort::FlowControl flow;
};

// The settings the line has before we open it, so that opening with a negative
// rate keeps them (QSerialPort applies its own settings when it opens).
std::optional<LineSettings> presentLineSettings(const QString &name)
{
#if defined(Q_OS_WIN)
    COMMCONFIG config{};
    DWORD size = sizeof config;
    if (!GetDefaultCommConfigA(name.toLocal8Bit().constData(), &config, &size))
        return std::nullopt;
    const DCB &dcb = config.dcb;
    return LineSettings{qint32(dcb.BaudRate), QSerialPort::DataBits(dcb.ByteSize),
                        dcb.Parity == 2 ? QSerialPort::EvenParity
                                        : dcb.Parity == 1 ? QSerialPort::OddParity : QSerialPort::NoParity,
                        dcb.StopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop,
                        dcb.fOutxCtsFlow ? QSerialPort::HardwareControl
                                         : dcb.fOutX ? QSerialPort::SoftwareControl : QSerialPort::NoFlowControl};
#else
    const QString path = name.startsWith(u'/') ? name : QStringLiteral("/dev/") + name;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    termios tio{};
    const bool ok = ::tcgetattr(fd, &tio) == 0;
    ::close(fd);
    if (!ok)
        return std::nullopt;
    static constexpr std::pair<speed_t, qint32> speeds[] = {
        {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},
        {B150, 150},       {B200, 200},       {B300, 300},       {B600, 600},
        {B1200, 1200},     {B1800, 1800},     {B2400, 2400},     {B4800, 4800},
        {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600},
        {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B500000, 500000},
        {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000}};
    const speed_t speed = ::cfgetospeed(&tio);
    qint32 rate = 9600;   // a custom divisor cannot be read through termios
    for (const auto &[code, value] : speeds)
        if (code == speed)
            rate = value;
    const tcflag_t size = tio.c_cflag & CSIZE;
    return LineSettings{rate,
                        size == CS5 ? QSerialPort::Data5 : size == CS6 ? QSerialPort::Data6
                                                   : size == CS7 ? QSerialPort::Data7 : QSerialPort::Data8,
                        !(tio.c_cflag & PARENB) ? QSerialPort::NoParity
                        : (tio.c_cflag & PARODD) ? QSerialPort::OddParity : QSerialPort::EvenParity,
                        (tio.c_cflag & CSTOPB) ? QSerialPort::TwoStop : QSerialPort::OneStop,
                        (tio.c_cflag & CRTSCTS) ? QSerialPort::HardwareControl
                        : (tio.c_iflag & IXON)  ? QSerialPort::SoftwareControl
                                                : QSerialPort::NoFlowControl};
#endif
}

// The system's codes for a refused setting and for a port that is not open.
#if defined(Q_OS_WIN)
constexpr int InvalidParameterCode = ERROR_INVALID_PARAMETER;
constexpr int InvalidHandleCode = ERROR_INVALID_HANDLE;
int lastSystemError()
{
    return int(GetLastError());
}
#else
constexpr int InvalidParameterCode = EINVAL;
constexpr int InvalidHandleCode = EBADF;
int lastSystemError()
{
    return errno;
}
#endif

bool lostLink(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
}
} // namespace

TKOVSerial::TKOVSerial(QObject *owner) : TKOVPort(owner) {}

TKOVSerial::~TKOVSerial() = default;

void TKOVSerial::Open(const QString &name, int baud)
{
    if (m_port)
        m_port->close();
    m_port.reset();
    m_debugCopy.reset();
    Handle = InvalidHandle;

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(name);
    std::optional<LineSettings> settings;
    if (baud < 0)
        settings = presentLineSettings(name);
    if (!settings)
        settings = LineSettings{baud > 0 ? baud : 115200, QSerialPort::Data8, QSerialPort::NoParity,
                                QSerialPort::OneStop, QSerialPort::NoFlowControl};
    port->setBaudRate(settings->rate);
    port->setDataBits(settings->dataBits);
    port->setParity(settings->parity);
    port->setStopBits(settings->stopBits);
    port->setFlowControl(settings->flow);
    if (!port->open(QIODevice::ReadWrite)) {
        QString reason = port->errorString();
        if (port->error() == QSerialPort::PermissionError)
            reason += QString::fromUtf8(Msg::SerialAccessHint);
        throw OstrelError(Msg::SerialCannotOpen,
                          QString::asprintf(Msg::SerialOpenReason, qUtf8Printable(name), qUtf8Printable(reason)));
    }
    // Bytes left from before the open are not part of any reply.
    port->clear(QSerialPort::AllDirections);
    Handle = qintptr(port->handle());
    m_port = std::move(port);

    auto copy = std::make_unique<QFile>(QString::fromLatin1(DebugCopyName));
    if (copy->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        m_debugCopy = std::move(copy);
    else
        zered::LogPrint(zered::clMagenta, Msg::DebugCopyCannotCreate, DebugCopyName,
                        qUtf8Printable(copy->errorString()));
}

void TKOVSerial::raiseSetParamsFailure(int code)
{
    throw OstrelError(QString::fromUtf8(Msg::SetCommStateRet) + QString::number(code));
}

void TKOVSerial::SetParams(const QString &text)
{
    const TKOVLineParams params = KovParseLineParams(text);
    if (!IsOpen())
        raiseSetParamsFailure(InvalidHandleCode);
    if (params.DataBits < 5 || params.DataBits > 8 || params.Rate <= 0)
        raiseSetParamsFailure(InvalidParameterCode);
    if (!m_port->setBaudRate(params.Rate) || !m_port->setDataBits(QSerialPort::DataBits(params.DataBits))
        || !m_port->setParity(toQtParity(params.Parity))
        || !m_port->setStopBits(params.StopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop)
        || (params.Dtr && !m_port->setDataTerminalReady(true))
        || (params.Rts && !m_port->setRequestToSend(true))) {
        const int code = lastSystemError();
        raiseSetParamsFailure(code ? code : InvalidParameterCode);
    }
}

void TKOVSerial::Close()
{
    if (m_port) {
        m_port->clearError();
        m_port->close();
        if (m_port->error() != QSerialPort::NoError)
            throw OstrelError(Msg::CloseHandleFailed);
    }
    Handle = InvalidHandle;
    m_port.reset();
    m_debugCopy.reset();
}

int TKOVSerial::InQueueCount()
{
    if (!IsOpen())
        return -1;
    // No event loop runs during a transfer: pull what the line holds now.
    m_port->waitForReadyRead(0);
    if (lostLink(m_port->error()))
        throw OstrelError(Msg::ClearCommErrorFailed);
    m_port->clearError();
    CommErrors = 0;   // Qt 6 reports no parity or framing errors of its own
    ComStat = {0, quint32(m_port->bytesAvailable()), quint32(m_port->bytesToWrite())};
    return int(ComStat.InQueue);
}

int TKOVSerial::Read(void *buffer, int count)
{
    if (!IsOpen())
        throw OstrelError(Msg::SerialReadFailed);
    auto *bytes = static_cast<char *>(buffer);
    qint64 got = m_port->read(bytes, count);
    if (got >= 0 && got < count) {
        m_port->waitForReadyRead(0);
        const qint64 more = m_port->read(bytes + got, count - got);
        got = more < 0 ? more : got + more;
    }
    if (got < 0 || lostLink(m_port->error()))
        throw OstrelError(Msg::SerialReadFailed);
    m_port->clearError();
    return int(got);
}

int TKOVSerial::Write(const void *buffer, int count)
{
    const auto *bytes = static_cast<const char *>(buffer);
    if (m_debugCopy)
        m_debugCopy->write(bytes, count);
    if (!IsOpen() || m_port->write(bytes, count) != count)
        throw OstrelError(Msg::SerialWriteError);
    // Written means handed to the line, not parked in the port object's buffer.
    QElapsedTimer timer;
    timer.start();
    while (m_port->bytesToWrite() > 0 && timer.elapsed() < WriteTimeoutMs) {
        if (!m_port->waitForBytesWritten(int(WriteTimeoutMs - timer.elapsed()))
            && m_port->error() != QSerialPort::TimeoutError && m_port->error() != QSerialPort::NoError)
            throw OstrelError(Msg::SerialWriteError);
    }
    if (m_port->bytesToWrite() > 0)
        throw OstrelError(Msg::SerialWriteShort);
    m_port->clearError();
#if !defined(Q_OS_WIN)
    ::tcdrain(int(Handle));
#endif
    return count;
}

void TKOVSerial::WaitReadable(int ms)
{
    if (m_port)
        m_port->waitForReadyRead(ms);
    else
        TKOVPort::WaitReadable(ms);
}

// ---------------------------------------------------------------- TKOVUSB

TKOVUSB::TKOVUSB(QObject *owner, d2xx::Library *library)
    : TKOVPort(owner), m_library(library ? library : &d2xx::platformLibrary())
{
}

void TKOVUSB::Open(const QString &name, int)
{
    std::array<std::array<char, d2xx::DescriptionSize>, ListRoom> descriptions{};
    std::array<char *, ListRoom + 1> list{};
    for (int i = 0; i < ListRoom; ++i)
        list[i] = descriptions[i].data();
    quint32 count = 0;
    const d2xx::FT_STATUS status =
        m_library->ListDevices(list.data(), &count, d2xx::FT_LIST_ALL | d2xx::FT_OPEN_BY_DESCRIPTION);

    const char *match = nullptr;
    for (auto &description : descriptions) {
        description.back() = '\0';   // a full buffer still ends the string
        if (std::strcmp(description.data(), DeviceDescription) == 0) {
            match = description.data();
            break;
        }
    }
    if (status != d2xx::FT_OK || !match)
        throw OstrelError(Msg::UsbNotFound);

    Handle = m_library->W32_CreateFile(match, d2xx::GenericRead | d2xx::GenericWrite, 0, nullptr,
                                       d2xx::OpenExisting,
                                       d2xx::FileAttributeNormal | d2xx::FT_OPEN_BY_DESCRIPTION, nullptr);
    if (Handle == InvalidHandle)
        throw OstrelError(Msg::UsbOpenFailed);
    d2xx::FTTIMEOUTS timeouts{0, 0, 500, 0, 500};
    if (!m_library->W32_SetCommTimeouts(Handle, &timeouts))
        throw OstrelError(Msg::UsbTimeoutsFailed);
    if (name == u"no")
        return;

    static constexpr quint8 request[2] = {0x55, 0x8C};
    writeExact(request, sizeof request);
    quint8 answer[2] = {};
    quint32 read = 0;
    if (!m_library->W32_ReadFile(Handle, answer, sizeof answer, &read, nullptr))
        throw OstrelError(Msg::UsbReadFailed);
    if (read != 2)
        throw OstrelError(Msg::UsbReadShort);
    if (answer[0] != 0x8C || answer[1] != 0x73)
        throw OstrelError(Msg::UsbBadAnswer);
    Handshaken = true;
}

void TKOVUSB::writeExact(const void *data, quint32 count)
{
    quint32 written = 0;
    if (!m_library->W32_WriteFile(Handle, data, count, &written, nullptr))
        throw OstrelError(Msg::UsbWriteFailed);
    if (written != count)
        throw OstrelError(Msg::UsbWriteShort);
}

void TKOVUSB::Close()
{
    if (Handshaken) {
        static constexpr quint8 closing[7] = {0xFE, 0x8C, 0x73, 0x00, 0x00, 0x00, 0x02};
        writeExact(closing, sizeof closing);
    }
    m_library->W32_CloseHandle(Handle);
    Handle = InvalidHandle;
    Handshaken = false;
}

int TKOVUSB::InQueueCount()
{
    if (!IsOpen())
        return -1;
    d2xx::FTCOMSTAT stat{};
    if (!m_library->W32_ClearCommError(Handle, &CommErrors, &stat))
        throw OstrelError(Msg::UsbClearCommErrorFailed);
    ComStat = {stat.Flags, stat.cbInQue, stat.cbOutQue};
    return int(ComStat.InQueue);
}

int TKOVUSB::Read(void *buffer, int count)
{
    quint32 read = 0;
    if (!m_library->W32_ReadFile(Handle, buffer, quint32(count), &read, nullptr))
        throw OstrelError(Msg::UsbReadError);
    return int(read);
}

int TKOVUSB::Write(const void *buffer, int count)
{
    quint32 written = 0;
    if (!m_library->W32_WriteFile(Handle, buffer, quint32(count), &written, nullptr))
        throw OstrelError(Msg::UsbWriteError);
    if (written < quint32(count))
        throw OstrelError(Msg::SerialWriteShort);
    return int(written);
}
