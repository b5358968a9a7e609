// Platforms without an FTDI layer: the listing finds no device.
#include "device/d2xx.h"

namespace d2xx {
namespace {
class NoLibrary final : public Library
{
public:
    FT_STATUS ListDevices(char **, quint32 *count, quint32) override
    {
        *count = 0;
        return FT_DEVICE_NOT_FOUND;
    }
    FT_HANDLE W32_CreateFile(const char *, quint32, quint32, void *, quint32, quint32, void *) override
    {
        return InvalidHandle;
    }
    bool W32_SetCommTimeouts(FT_HANDLE, FTTIMEOUTS *) override { return false; }
    bool W32_ClearCommError(FT_HANDLE, quint32 *, FTCOMSTAT *) override { return false; }
    bool W32_ReadFile(FT_HANDLE, void *, quint32, quint32 *, void *) override { return false; }
    bool W32_WriteFile(FT_HANDLE, const void *, quint32, quint32 *, void *) override { return false; }
    bool W32_CloseHandle(FT_HANDLE) override { return false; }
};
} // namespace

Library &platformLibrary()
{
    static NoLibrary library;
    return library;
}
} // namespace d2xx
