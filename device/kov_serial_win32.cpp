// The serial transport on Windows: a COM port through the Win32 calls. Input is
// polled (ClearCommError for the queue, ReadFile with time-outs that return at
// once), so no overlapped reads or comm events are needed; some drivers and
// emulated ports never signal those.
#include "device/kovserial.h"

#include "common/messages.h"
#include "common/zered_error.h"

#include <QFile>
#include <algorithm>
#include <cstring>
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
// ways, without flow control or character replacement.
void makeLineRaw(DCB &dcb)
{
    dcb.fBinary = TRUE;
    dcb.fParity = dcb.Parity != NOPARITY;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = FALSE;
}
} // namespace

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
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, WriteTimeoutMs};
    if (!SetCommState(port, &dcb) || !SetCommTimeouts(port, &timeouts)) {
        const DWORD code = GetLastError();
        CloseHandle(port);
        throw cannotOpen(code);
    }
    // Bytes left from before the open are not part of any reply.
    PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    Handle = reinterpret_cast<qintptr>(port);
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

int TKOVSerial::InQueueCount()
{
    if (!IsOpen())
        return -1;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handleOf(Handle), &errors, &status))
        throw OstrelError(Msg::ClearCommErrorFailed);
    CommErrors = errors;
    // Some drivers (Wine's on a pseudo-terminal) report an empty queue while
    // bytes wait: take what a read that returns at once gets.
    char chunk[4096];
    DWORD got = 0;
    if (!ReadFile(handleOf(Handle), chunk, sizeof chunk, &got, nullptr))
        throw OstrelError(Msg::SerialReadFailed);
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
    if (!IsOpen() || !WriteFile(handleOf(Handle), buffer, DWORD(count), &written, nullptr))
        throw OstrelError(Msg::SerialWriteError);
    if (written < DWORD(count))
        throw OstrelError(Msg::SerialWriteShort);
    return count;
}
