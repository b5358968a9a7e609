#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>

// The seven calls of FTDI's D2XX library that the USB link uses, with their
// arguments and results. Backends: libftdi1 (Linux), ftd2xx.dll (Windows) and a
// simulator over the controller model for tests.
namespace d2xx {

using FT_STATUS = quint32;
using FT_HANDLE = qintptr;

inline constexpr FT_STATUS FT_OK = 0;
inline constexpr FT_STATUS FT_DEVICE_NOT_FOUND = 2;
inline constexpr FT_STATUS FT_OTHER_ERROR = 18;
inline constexpr FT_HANDLE InvalidHandle = -1;

inline constexpr quint32 FT_OPEN_BY_SERIAL_NUMBER = 1;
inline constexpr quint32 FT_OPEN_BY_DESCRIPTION = 2;
inline constexpr quint32 FT_LIST_ALL = 0x20000000;
inline constexpr quint32 GenericRead = 0x80000000;
inline constexpr quint32 GenericWrite = 0x40000000;
inline constexpr quint32 OpenExisting = 3;
inline constexpr quint32 FileAttributeNormal = 0x80;
inline constexpr int DescriptionSize = 64;   // one buffer of the device listing

struct FTCOMSTAT
{
    quint32 Flags;
    quint32 cbInQue;
    quint32 cbOutQue;
};

struct FTTIMEOUTS
{
    quint32 ReadIntervalTimeout;
    quint32 ReadTotalTimeoutMultiplier;
    quint32 ReadTotalTimeoutConstant;
    quint32 WriteTotalTimeoutMultiplier;
    quint32 WriteTotalTimeoutConstant;
};

class Library
{
public:
    virtual ~Library() = default;
    // With FT_LIST_ALL | FT_OPEN_BY_DESCRIPTION (or FT_OPEN_BY_SERIAL_NUMBER):
    // list is a null-ended array of DescriptionSize-byte buffers; each gets one
    // device's description (or serial number), both listings in the same
    // order, and no more buffers are written than the array holds.
    virtual FT_STATUS ListDevices(char **list, quint32 *count, quint32 flags) = 0;
    // flags hold FT_OPEN_BY_DESCRIPTION or FT_OPEN_BY_SERIAL_NUMBER: what name is.
    virtual FT_HANDLE W32_CreateFile(const char *name, quint32 access, quint32 shareMode,
                                     void *security, quint32 creation, quint32 flags,
                                     void *templateFile) = 0;
    virtual bool W32_SetCommTimeouts(FT_HANDLE handle, FTTIMEOUTS *timeouts) = 0;
    virtual bool W32_ClearCommError(FT_HANDLE handle, quint32 *errors, FTCOMSTAT *stat) = 0;
    virtual bool W32_ReadFile(FT_HANDLE handle, void *buffer, quint32 count, quint32 *read,
                              void *overlapped) = 0;
    virtual bool W32_WriteFile(FT_HANDLE handle, const void *buffer, quint32 count,
                               quint32 *written, void *overlapped) = 0;
    virtual bool W32_CloseHandle(FT_HANDLE handle) = 0;
    // Why the library cannot be used at all (its DLL is missing, say); empty when it can.
    virtual QString unavailableReason() const { return QString(); }
    // After a failed call: why the device is gone (unplugged), in the
    // system's name for it; empty while it is still there.
    virtual QString goneReason(FT_HANDLE handle) const
    {
        (void)handle;
        return QString();
    }
};

// The platform's backend: libftdi1 on Linux, ftd2xx.dll on Windows; where neither
// exists, one whose listing finds no device.
Library &platformLibrary();

} // namespace d2xx
