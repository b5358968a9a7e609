// The serial transport on Linux: a tty or pseudo-terminal through QSerialPort.
#include "device/kovserial.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

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
};

// The settings the line has before we open it, so that opening with a negative
// rate keeps them (QSerialPort applies its own settings when it opens). Only
// the framing is kept: flow control and byte mapping never carry over.
std::optional<LineSettings> presentLineSettings(const QString &name)
{
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
                        (tio.c_cflag & CSTOPB) ? QSerialPort::TwoStop : QSerialPort::OneStop};
}

// The table holds every byte value: the line must pass each one unchanged both
// ways. QSerialPort's own set-up leaves IXOFF, IXANY and a few mappings as the
// tty had them, so everything but the framing and the rate is cleared here.
bool makeLineRaw(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY | IUCLC | IMAXBEL | INPCK | IUTF8);
    tio.c_iflag |= IGNBRK;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag &= ~tcflag_t(CRTSCTS | HUPCL);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

// Who holds a port we may use but could not open: the lock file's owner, or a
// process with the device open, where the system lets us see it.
QString portHolder(const QString &path)
{
    const QString device = QFileInfo(path).canonicalFilePath();
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        if (pid.toLongLong(&numeric) == QCoreApplication::applicationPid() || !numeric)
            continue;
        const QDir fds(proc.filePath(pid + QStringLiteral("/fd")));
        for (const QString &fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
            if (QFileInfo(fds.filePath(fd)).symLinkTarget() != device)
                continue;
            QFile comm(proc.filePath(pid + QStringLiteral("/comm")));
            const QString name = comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll().trimmed())
                                                                : QString();
            return QString::fromUtf8(Msg::SerialHeldBy).arg(pid, name);
        }
    }
    return QString();
}

// The reason shown for a port that would not open: a port we may use but
// cannot get is busy, not a matter of group membership.
QString openFailureReason(const QSerialPort &port)
{
    QString reason = port.errorString();
    if (port.error() != QSerialPort::PermissionError)
        return reason;
    const QString path = port.portName().startsWith(u'/') ? port.portName()
                                                         : QStringLiteral("/dev/") + port.portName();
    if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0)
        return QString::fromUtf8(Msg::SerialBusy) + portHolder(path);
    return reason + QString::fromUtf8(Msg::SerialAccessHint);
}


bool lostLink(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
}

// Why a line that failed is gone, in the system's name for it (EIO for a
// hung-up tty); empty while the line is still there.
QString goneCode(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0)
        return QString();
    const int code = errno;
    const char *name = ::strerrorname_np(code);
    return name ? QString::fromLatin1(name) : QString::number(code);
}

// An adapter of unknown kind may hold received bytes this long (an FTDI
// chip's default latency timer).
constexpr int UnknownAdapterLatencyMs = 16;
// Above this an adapter's latency timer slows every reply noticeably.
constexpr int SlowLatencyMs = 2;

TKOVPort::LineErrorCounts driverCounts(int fd)
{
    serial_icounter_struct counts{};
    if (::ioctl(fd, TIOCGICOUNT, &counts) != 0)
        return {};
    return {quint32(counts.parity), quint32(counts.frame), quint32(counts.overrun + counts.buf_overrun)};
}
} // namespace

void TKOVSerial::lowerAdapterLatency()
{
    const int fd = int(Handle);
    // Refused by ports that have no such setting (a pseudo-terminal, say).
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0 && !(serial.flags & ASYNC_LOW_LATENCY)) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &serial);
    }
    const QString path = m_name.startsWith(u'/') ? m_name : QStringLiteral("/dev/") + m_name;
    const QString device = QFileInfo(QFileInfo(path).canonicalFilePath()).fileName();
    const bool usbAdapter = device.startsWith(QLatin1String("ttyUSB")) || device.startsWith(QLatin1String("ttyACM"));
    const QString timerPath = QStringLiteral("/sys/bus/usb-serial/devices/%1/latency_timer").arg(device);
    const auto timerMs = [&timerPath]() -> int {
        QFile timer(timerPath);
        bool ok = false;
        const int ms = timer.open(QIODevice::ReadOnly) ? timer.readAll().trimmed().toInt(&ok) : 0;
        return ok ? ms : -1;
    };
    int ms = timerMs();
    if (ms > SlowLatencyMs) {
        // Where the udev rule or the system left it writable for us, set it ourselves.
        QFile timer(timerPath);
        if (timer.open(QIODevice::WriteOnly) && timer.write("1") == 1) {
            timer.close();
            ms = timerMs();
        }
    }
    if (ms > SlowLatencyMs && WarnOnce(device))
        zered::LogPrint(zered::clWarning, Msg::LatencyTimerHigh, qUtf8Printable(device), ms, qUtf8Printable(timerPath));
    AdapterLatencyMs = ms >= 0 ? ms : usbAdapter ? UnknownAdapterLatencyMs : 0;
}

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
                                QSerialPort::OneStop};
    port->setBaudRate(settings->rate);
    port->setDataBits(settings->dataBits);
    port->setParity(settings->parity);
    port->setStopBits(settings->stopBits);
    port->setFlowControl(QSerialPort::NoFlowControl);
    const auto cannotOpen = [&](const QString &reason) {
        return OstrelError(Msg::SerialCannotOpen, QString::asprintf(Msg::SerialOpenReason, qUtf8Printable(name),
                                                                    qUtf8Printable(reason)));
    };
    if (!port->open(QIODevice::ReadWrite))
        throw cannotOpen(openFailureReason(*port));
    if (!makeLineRaw(int(port->handle())))
        throw cannotOpen(QString::fromLocal8Bit(std::strerror(errno)));
    // Bytes left from before the open are not part of any reply.
    port->clear(QSerialPort::AllDirections);
    Handle = qintptr(port->handle());
    m_port = std::move(port);
    m_name = name;
    LinkGone = false;
    LineRate = settings->rate;
    m_countsAtOpen = driverCounts(int(Handle));
    lowerAdapterLatency();
    openDebugCopy();
}

TKOVPort::LineErrorCounts TKOVSerial::LineErrors() const
{
    if (!IsOpen())
        return {};
    const LineErrorCounts now = driverCounts(int(Handle));
    return {now.Parity - m_countsAtOpen.Parity, now.Framing - m_countsAtOpen.Framing,
            now.Overrun - m_countsAtOpen.Overrun};
}

void TKOVSerial::fail(const char *message)
{
    if (const QString gone = goneCode(int(Handle)); !gone.isEmpty())
        linkGone(gone);
    throw OstrelError(message);
}

const int TKOVSerial::ClosedPortCode = EBADF;
const int TKOVSerial::RefusedSettingCode = EINVAL;

int TKOVSerial::applyLineParams(const TKOVLineParams &params)
{
    errno = 0;
    if (!m_port->setBaudRate(params.Rate) || !m_port->setDataBits(QSerialPort::DataBits(params.DataBits))
        || !m_port->setParity(toQtParity(params.Parity))
        || !m_port->setStopBits(params.StopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop)
        || (params.Dtr && !m_port->setDataTerminalReady(true))
        || (params.Rts && !m_port->setRequestToSend(true))) {
        return errno ? errno : RefusedSettingCode;
    }
    return 0;
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
        fail(Msg::ClearCommErrorFailed);
    m_port->clearError();
    CommErrors = 0;   // Qt 6 reports no parity or framing errors; LineErrors has the driver's counts
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
        fail(Msg::SerialReadFailed);
    m_port->clearError();
    return int(got);
}

int TKOVSerial::Write(const void *buffer, int count)
{
    copyToDebug(buffer, count);
    const auto *bytes = static_cast<const char *>(buffer);
    if (!IsOpen())
        throw OstrelError(Msg::SerialWriteError);
    if (m_port->write(bytes, count) != count)
        fail(Msg::SerialWriteError);
    // Written means handed to the line, not parked in the port object's buffer.
    QElapsedTimer timer;
    timer.start();
    while (m_port->bytesToWrite() > 0 && timer.elapsed() < WriteTimeoutMs) {
        if (!m_port->waitForBytesWritten(int(WriteTimeoutMs - timer.elapsed()))
            && m_port->error() != QSerialPort::TimeoutError && m_port->error() != QSerialPort::NoError)
            fail(Msg::SerialWriteError);
    }
    if (m_port->bytesToWrite() > 0)
        throw OstrelError(Msg::SerialWriteShort);
    m_port->clearError();
    ::tcdrain(int(Handle));
    return count;
}

void TKOVSerial::WaitReadable(int ms)
{
    if (m_port)
        m_port->waitForReadyRead(ms);
    else
        TKOVPort::WaitReadable(ms);
}
