// D2XX calls through ftd2xx.dll, loaded when first needed, so the program
// starts on machines without FTDI's driver and then finds no USB device.
#include "device/d2xx.h"

#include "common/messages.h"
#include "device/kovserial.h"

#include <cstring>
#include <vector>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace d2xx {
namespace {

constexpr DWORD FT_LIST_NUMBER_ONLY = 0x80000000;
// The chip sends what it holds after this many ms; its default of 16 ms
// would hold every reply back that long.
constexpr UCHAR LatencyMs = 1;

class Ftd2xxDll final : public Library
{
public:
    Ftd2xxDll()
    {
        m_dll = LoadLibraryA("ftd2xx.dll");
        if (!m_dll) {
            m_unavailable = QString::fromUtf8(Msg::UsbDriverMissing).arg(qt_error_string(int(GetLastError())));
            return;
        }
        resolve(m_list, "FT_ListDevices");
        resolve(m_create, "FT_W32_CreateFile");
        resolve(m_timeouts, "FT_W32_SetCommTimeouts");
        resolve(m_clear, "FT_W32_ClearCommError");
        resolve(m_read, "FT_W32_ReadFile");
        resolve(m_write, "FT_W32_WriteFile");
        resolve(m_close, "FT_W32_CloseHandle");
        resolve(m_latency, "FT_SetLatencyTimer");
        resolve(m_chars, "FT_SetChars");
    }

    FT_STATUS ListDevices(char **list, quint32 *count, quint32 flags) override
    {
        if (!m_list)
            return FT_OTHER_ERROR;
        // The driver fills one buffer per device, however many there are: list
        // into room for all of them, then hand on what the caller has room for.
        DWORD devices = 0;
        FT_STATUS status = m_list(&devices, nullptr, FT_LIST_NUMBER_ONLY);
        if (status != FT_OK)
            return status;
        std::vector<std::vector<char>> room(devices + 1, std::vector<char>(DescriptionSize));
        std::vector<char *> pointers;
        for (auto &buffer : room)
            pointers.push_back(buffer.data());
        pointers.push_back(nullptr);
        DWORD listed = 0;
        status = m_list(pointers.data(), &listed, DWORD(flags));
        for (size_t i = 0; list[i] && i < room.size(); ++i) {
            room[i].back() = '\0';
            std::memcpy(list[i], room[i].data(), DescriptionSize);
        }
        *count = quint32(listed);
        return status;
    }

    FT_HANDLE W32_CreateFile(const char *name, quint32 access, quint32 shareMode, void *security,
                             quint32 creation, quint32 flags, void *templateFile) override
    {
        if (!m_create)
            return InvalidHandle;
        const HANDLE handle = m_create(name, access, shareMode, security, creation, flags, templateFile);
        // A driver too old for these calls, or one that refuses them, keeps its
        // own timer and passes acknowledgements on at it.
        if (handle != INVALID_HANDLE_VALUE && m_latency)
            m_latency(handle, LatencyMs);
        if (handle != INVALID_HANDLE_VALUE && m_chars)
            m_chars(handle, TKOVPort::AckLastByte, 1, 0, 0);
        return FT_HANDLE(handle);
    }
    bool W32_SetCommTimeouts(FT_HANDLE handle, FTTIMEOUTS *timeouts) override
    {
        return m_timeouts && m_timeouts(HANDLE(handle), timeouts);
    }
    bool W32_ClearCommError(FT_HANDLE handle, quint32 *errors, FTCOMSTAT *stat) override
    {
        DWORD flags = 0;
        const bool ok = m_clear && m_clear(HANDLE(handle), &flags, stat);
        *errors = quint32(flags);
        return ok;
    }
    bool W32_ReadFile(FT_HANDLE handle, void *buffer, quint32 count, quint32 *read, void *overlapped) override
    {
        DWORD n = 0;
        const bool ok = m_read && m_read(HANDLE(handle), buffer, count, &n, overlapped);
        *read = quint32(n);
        return ok;
    }
    bool W32_WriteFile(FT_HANDLE handle, const void *buffer, quint32 count, quint32 *written,
                       void *overlapped) override
    {
        DWORD n = 0;
        const bool ok = m_write && m_write(HANDLE(handle), const_cast<void *>(buffer), count, &n, overlapped);
        *written = quint32(n);
        return ok;
    }
    bool W32_CloseHandle(FT_HANDLE handle) override { return m_close && m_close(HANDLE(handle)); }
    QString unavailableReason() const override { return m_unavailable; }

private:
    template<typename Fn>
    void resolve(Fn &fn, const char *name)
    {
        fn = reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(m_dll, name)));
    }

    HMODULE m_dll = nullptr;
    QString m_unavailable;
    DWORD(WINAPI *m_list)(void *, void *, DWORD) = nullptr;
    HANDLE(WINAPI *m_create)(const char *, DWORD, DWORD, void *, DWORD, DWORD, void *) = nullptr;
    BOOL(WINAPI *m_timeouts)(HANDLE, FTTIMEOUTS *) = nullptr;
    BOOL(WINAPI *m_clear)(HANDLE, DWORD *, FTCOMSTAT *) = nullptr;
    BOOL(WINAPI *m_read)(HANDLE, void *, DWORD, DWORD *, void *) = nullptr;
    BOOL(WINAPI *m_write)(HANDLE, void *, DWORD, DWORD *, void *) = nullptr;
    BOOL(WINAPI *m_close)(HANDLE) = nullptr;
    FT_STATUS(WINAPI *m_latency)(HANDLE, UCHAR) = nullptr;
    FT_STATUS(WINAPI *m_chars)(HANDLE, UCHAR, UCHAR, UCHAR, UCHAR) = nullptr;
};

} // namespace

Library &platformLibrary()
{
    static Ftd2xxDll library;
    return library;
}

} // namespace d2xx
