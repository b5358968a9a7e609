// The serial transport on Windows: a COM port through the Win32 calls. The
// queue is looked at with ClearCommError and a ReadFile whose time-outs return
// at once; a wait for input is a ReadFile that returns as soon as a byte came
// (or its time-out passed), so no overlapped reads or comm events are needed
// (some drivers and emulated ports never signal those) and no sleep stretches
// a wait to the scheduler's tick.
#include "device/kovserial.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {
constexpr DWORD WriteTimeoutMs = 2000;

HANDLE handleOf(qintptr handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// COM10 and above open only through the device namespace; COM1 to COM9 open either way.
std::wstring deviceName(const QString &name)
{
    const QString device = name.startsWith(QLatin1String("\\\\")) ? name : QStringLiteral("\\\\.\\") + name;
    return device.toStdWString();
}

// Takes the framing (rate, data bits, parity, stop bits) the system keeps for
// the port; false when it has none. Flow control and mappings never carry over.
bool presentFraming(const QString &name, DCB &dcb)
{
    COMMCONFIG config{};
    config.dwSize = sizeof config;
    DWORD size = sizeof config;
    if (!GetDefaultCommConfigW(reinterpret_cast<LPCWSTR>(name.utf16()), &config, &size))
        return false;
    dcb.BaudRate = config.dcb.BaudRate;
    dcb.ByteSize = config.dcb.ByteSize;
    dcb.Parity = config.dcb.Parity;
    dcb.StopBits = config.dcb.StopBits;
    return true;
}

// The table holds every byte value: the line passes each one unchanged both
// ways, without flow control or character replacement. DTR and RTS stay as
// the driver has them, held on where it would use them for a handshake.
void makeLineRaw(DCB &dcb)
{
    dcb.fBinary = TRUE;
    dcb.fParity = dcb.Parity != NOPARITY;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE)
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_TOGGLE)
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    // FTDI's driver makes this the chip's event character, so acknowledgements
    // come without waiting for the latency timer; other drivers only flag its
    // arrival (EV_RXFLAG), which nothing here waits for.
    dcb.EvtChar = char(TKOVPort::AckLastByte);
}

// Read time-outs: with wait 0 a read takes what is waiting and returns at
// once; otherwise a read ends when it has its bytes or after wait ms. A wait
// reads one byte, so it ends as soon as one is there: the special case for
// that (interval and multiplier MAXDWORD) is not kept by every driver (Wine's
// waits out the time).
COMMTIMEOUTS readTimeouts(DWORD wait)
{
    if (wait == 0)
        return {MAXDWORD, 0, 0, 0, WriteTimeoutMs};
    return {0, 0, wait, 0, WriteTimeoutMs};
}

// The errors a port that was pulled out answers with, by their names.
QString goneCode(DWORD code)
{
    switch (code) {
    case ERROR_ACCESS_DENIED: return QStringLiteral("ERROR_ACCESS_DENIED");
    case ERROR_BAD_COMMAND: return QStringLiteral("ERROR_BAD_COMMAND");
    case ERROR_GEN_FAILURE: return QStringLiteral("ERROR_GEN_FAILURE");
    case ERROR_OPERATION_ABORTED: return QStringLiteral("ERROR_OPERATION_ABORTED");
    case ERROR_DEVICE_NOT_CONNECTED: return QStringLiteral("ERROR_DEVICE_NOT_CONNECTED");
    case ERROR_DEVICE_REMOVED: return QStringLiteral("ERROR_DEVICE_REMOVED");
    case ERROR_INVALID_HANDLE: return QStringLiteral("ERROR_INVALID_HANDLE");
    default: return QString();
    }
}

// An adapter of unknown kind may hold received bytes this long (an FTDI
// chip's default latency timer).
constexpr int UnknownAdapterLatencyMs = 16;
// Above this an adapter's latency timer slows every reply noticeably.
constexpr DWORD SlowLatencyMs = 2;

// The latency timer FTDI's driver keeps for the COM port name; -1 when the
// port is not one of its.
int ftdiLatencyTimer(const QString &name)
{
    HKEY bus = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS", 0, KEY_READ, &bus)
        != ERROR_SUCCESS)
        return -1;
    int found = -1;
    for (DWORD index = 0; found < 0; ++index) {
        wchar_t device[256];
        DWORD size = DWORD(std::size(device));
        if (RegEnumKeyExW(bus, index, device, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring parameters = std::wstring(device) + L"\\0000\\Device Parameters";
        HKEY key = nullptr;
        if (RegOpenKeyExW(bus, parameters.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        wchar_t port[64] = {};
        DWORD portSize = sizeof port - sizeof(wchar_t);
        DWORD latency = 0, latencySize = sizeof latency;
        if (RegQueryValueExW(key, L"PortName", nullptr, nullptr, reinterpret_cast<BYTE *>(port), &portSize)
                == ERROR_SUCCESS
            && name.compare(QString::fromWCharArray(port), Qt::CaseInsensitive) == 0
            && RegQueryValueExW(key, L"LatencyTimer", nullptr, nullptr, reinterpret_cast<BYTE *>(&latency),
                                &latencySize)
                   == ERROR_SUCCESS)
            found = int(latency);
        RegCloseKey(key);
    }
    RegCloseKey(bus);
    return found;
}
} // namespace

void TKOVSerial::lowerAdapterLatency()
{
    // The timer of FTDI's COM ports is set by the user (or an installer) in
    // the registry; we can only read it.
    const int ms = ftdiLatencyTimer(m_name);
    if (ms > int(SlowLatencyMs) && WarnOnce(m_name))
        zered::LogPrint(zered::clWarning, Msg::LatencyTimerHighWindows, qUtf8Printable(m_name), ms,
                        qUtf8Printable(m_name));
    AdapterLatencyMs = ms >= 0 ? ms : UnknownAdapterLatencyMs;
}

TKOVPort::LineErrorCounts TKOVSerial::LineErrors() const
{
    return m_lineErrors;
}

void TKOVSerial::WaitReadable(int ms)
{
    if (!IsOpen() || !m_received.isEmpty())
        return;
    const DWORD wait = DWORD(std::max(ms, 1));
    if (m_readWaitMs != wait) {
        COMMTIMEOUTS timeouts = readTimeouts(wait);
        if (!SetCommTimeouts(handleOf(Handle), &timeouts))
            return;
        m_readWaitMs = wait;
    }
    char byte = 0;
    DWORD got = 0;
    if (ReadFile(handleOf(Handle), &byte, 1, &got, nullptr))
        m_received.append(&byte, qsizetype(got));
}

void TKOVSerial::Open(const QString &name, int baud)
{
    if (IsOpen())
        CloseHandle(handleOf(Handle));
    Handle = InvalidHandle;
    m_debugCopy.reset();
    m_received.clear();

    const auto cannotOpen = [&](DWORD code) {
        // Windows reports a port in use as access denied.
        const QString reason = code == ERROR_ACCESS_DENIED ? QString::fromUtf8(Msg::SerialBusy)
                                                           : qt_error_string(int(code));
        return OstrelError(Msg::SerialCannotOpen, QString::asprintf(Msg::SerialOpenReason, qUtf8Printable(name),
                                                                    qUtf8Printable(reason)));
    };
    const HANDLE port = CreateFileW(deviceName(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port == INVALID_HANDLE_VALUE)
        throw cannotOpen(GetLastError());

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    if (baud >= 0 || !presentFraming(name, dcb)) {
        dcb.BaudRate = baud > 0 ? DWORD(baud) : 115200;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
    }
    makeLineRaw(dcb);
    // Reads take what is waiting and return at once; a write that the line
    // cannot take in time fails instead of hanging.
    COMMTIMEOUTS timeouts = readTimeouts(0);
    if (!SetCommState(port, &dcb) || !SetCommTimeouts(port, &timeouts)) {
        const DWORD code = GetLastError();
        CloseHandle(port);
        throw cannotOpen(code);
    }
    // Bytes left from before the open are not part of any reply.
    PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    Handle = reinterpret_cast<qintptr>(port);
    m_name = name;
    m_readWaitMs = 0;
    m_lineErrors = {};
    LinkGone = false;
    LineRate = int(dcb.BaudRate);
    lowerAdapterLatency();
    openDebugCopy();
}

const int TKOVSerial::ClosedPortCode = ERROR_INVALID_HANDLE;
const int TKOVSerial::RefusedSettingCode = ERROR_INVALID_PARAMETER;

int TKOVSerial::applyLineParams(const TKOVLineParams &params)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(handleOf(Handle), &dcb);
    dcb.fBinary = TRUE;
    dcb.BaudRate = DWORD(params.Rate);
    dcb.ByteSize = BYTE(params.DataBits);
    dcb.Parity = BYTE(params.Parity);
    dcb.fParity = params.Parity != NOPARITY;
    dcb.StopBits = params.StopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    if (params.Dtr)
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
    if (params.Rts)
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!SetCommState(handleOf(Handle), &dcb)) {
        const DWORD code = GetLastError();
        return code ? int(code) : RefusedSettingCode;
    }
    return 0;
}

void TKOVSerial::Close()
{
    if (IsOpen() && !CloseHandle(handleOf(Handle)))
        throw OstrelError(Msg::CloseHandleFailed);
    Handle = InvalidHandle;
    m_debugCopy.reset();
}

void TKOVSerial::fail(const char *message)
{
    // Read first: anything called on the way may change the thread's last error.
    if (const QString gone = goneCode(GetLastError()); !gone.isEmpty())
        linkGone(gone);
    throw OstrelError(message);
}

int TKOVSerial::InQueueCount()
{
    if (!IsOpen())
        return -1;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handleOf(Handle), &errors, &status))
        fail(Msg::ClearCommErrorFailed);
    CommErrors = errors;
    countCommErrors(errors);
    // Some drivers (Wine's on a pseudo-terminal) report an empty queue while
    // bytes wait: take what a read that returns at once gets.
    if (m_readWaitMs != 0) {
        COMMTIMEOUTS timeouts = readTimeouts(0);
        if (!SetCommTimeouts(handleOf(Handle), &timeouts))
            fail(Msg::ClearCommErrorFailed);
        m_readWaitMs = 0;
    }
    char chunk[4096];
    DWORD got = 0;
    if (!ReadFile(handleOf(Handle), chunk, sizeof chunk, &got, nullptr))
        fail(Msg::SerialReadFailed);
    m_received.append(chunk, qsizetype(got));
    quint32 flags = 0;
    std::memcpy(&flags, &status, sizeof flags);   // the flag bits lead the record
    ComStat = {flags, quint32(m_received.size()), quint32(status.cbOutQue)};
    return int(ComStat.InQueue);
}

int TKOVSerial::Read(void *buffer, int count)
{
    if (!IsOpen())
        throw OstrelError(Msg::SerialReadFailed);
    if (m_received.size() < count)
        InQueueCount();
    const int taken = int(std::min<qsizetype>(count, m_received.size()));
    std::memcpy(buffer, m_received.constData(), size_t(taken));
    m_received.remove(0, taken);
    return taken;
}

int TKOVSerial::Write(const void *buffer, int count)
{
    copyToDebug(buffer, count);
    DWORD written = 0;
    if (!IsOpen())
        throw OstrelError(Msg::SerialWriteError);
    if (!WriteFile(handleOf(Handle), buffer, DWORD(count), &written, nullptr))
        fail(Msg::SerialWriteError);
    if (written < DWORD(count))
        throw OstrelError(Msg::SerialWriteShort);
    return count;
}
