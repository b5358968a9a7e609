// D2XX calls over libftdi1 and libusb. A device is found by its USB product
// description; the input queue and the read time-out that D2XX keeps in its
// driver are kept here, on the host side.
#include "device/d2xx.h"

#include "device/kovserial.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstring>
#include <ftdi.h>
#include <libusb.h>
#include <map>

namespace d2xx {
namespace {

constexpr int FtdiVendor = 0x0403;
// The chip sends what it holds after this many ms; its default of 16 ms
// would hold every reply back that long.
constexpr unsigned char LatencyMs = 1;
constexpr int ChunkSize = 4096;

struct Device
{
    ftdi_context *ftdi;
    QByteArray input;          // received, not yet read
    quint32 readTimeout = 500; // ms, as set by SetCommTimeouts
    int lastError = 0;   // of the last failed transfer
};

// libftdi's code for a device that is no longer there, and libusb's.
constexpr int FtdiDeviceUnavailable = -666;

bool isGone(int code)
{
    return code == FtdiDeviceUnavailable || code == LIBUSB_ERROR_NO_DEVICE;
}

// Calls fn(device, description, serial number) for every FTDI device until it returns true.
template<typename Fn>
bool forEachFtdiDevice(ftdi_context *ftdi, Fn fn)
{
    libusb_device **devices = nullptr;
    const ssize_t n = libusb_get_device_list(ftdi->usb_ctx, &devices);
    if (n < 0)
        return false;
    bool stopped = false;
    for (ssize_t i = 0; i < n && !stopped; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(devices[i], &descriptor) != 0 || descriptor.idVendor != FtdiVendor)
            continue;
        char description[DescriptionSize] = {};
        char serial[DescriptionSize] = {};
        if (ftdi_usb_get_strings(ftdi, devices[i], nullptr, 0, description, sizeof description, serial, sizeof serial)
            < 0)
            continue;
        description[DescriptionSize - 1] = '\0';
        serial[DescriptionSize - 1] = '\0';
        stopped = fn(devices[i], description, serial);
    }
    libusb_free_device_list(devices, 1);
    return true;
}

class LibFtdi final : public Library
{
public:
    FT_STATUS ListDevices(char **list, quint32 *count, quint32 flags) override
    {
        const bool bySerial = flags == (FT_LIST_ALL | FT_OPEN_BY_SERIAL_NUMBER);
        if (flags != (FT_LIST_ALL | FT_OPEN_BY_DESCRIPTION) && !bySerial)
            return FT_OTHER_ERROR;
        ftdi_context *ftdi = ftdi_new();
        if (!ftdi)
            return FT_OTHER_ERROR;
        quint32 found = 0;
        int filled = 0;
        const bool listed = forEachFtdiDevice(ftdi, [&](libusb_device *, const char *description, const char *serial) {
            ++found;
            if (list[filled])
                std::strncpy(list[filled++], bySerial ? serial : description, DescriptionSize);
            return false;
        });
        ftdi_free(ftdi);
        *count = found;
        return listed ? FT_OK : FT_OTHER_ERROR;
    }

    FT_HANDLE W32_CreateFile(const char *name, quint32, quint32, void *, quint32, quint32 flags,
                             void *) override
    {
        const bool bySerial = flags & FT_OPEN_BY_SERIAL_NUMBER;
        if (!(flags & FT_OPEN_BY_DESCRIPTION) && !bySerial)
            return InvalidHandle;
        ftdi_context *ftdi = ftdi_new();
        if (!ftdi)
            return InvalidHandle;
        // Give the tty back to the kernel's serial driver when we close.
        ftdi->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
        bool opened = false;
        forEachFtdiDevice(ftdi, [&](libusb_device *device, const char *description, const char *serial) {
            if (std::strcmp(bySerial ? serial : description, name) != 0)
                return false;
            opened = ftdi_usb_open_dev(ftdi, device) == 0;
            return true;
        });
        if (!opened || ftdi_set_latency_timer(ftdi, LatencyMs) < 0) {
            if (opened)
                ftdi_usb_close(ftdi);
            ftdi_free(ftdi);
            return InvalidHandle;
        }
        // A chip that refuses the event character keeps passing acknowledgements
        // on at its timer.
        ftdi_set_event_char(ftdi, TKOVPort::AckLastByte, 1);
        // A bulk read returns after one latency period when the chip holds nothing.
        ftdi->usb_read_timeout = 50;
        auto device = std::make_unique<Device>(Device{ftdi, {}, 500});
        const FT_HANDLE handle = FT_HANDLE(device.get());
        m_devices.emplace(handle, std::move(device));
        return handle;
    }

    bool W32_SetCommTimeouts(FT_HANDLE handle, FTTIMEOUTS *timeouts) override
    {
        Device *device = find(handle);
        if (!device)
            return false;
        device->readTimeout = timeouts->ReadTotalTimeoutConstant;
        device->ftdi->usb_write_timeout = int(std::max<quint32>(timeouts->WriteTotalTimeoutConstant, 1));
        return true;
    }

    bool W32_ClearCommError(FT_HANDLE handle, quint32 *errors, FTCOMSTAT *stat) override
    {
        Device *device = find(handle);
        if (!device || !pull(*device))
            return false;
        *errors = 0;
        *stat = {0, quint32(device->input.size()), 0};
        return true;
    }

    bool W32_ReadFile(FT_HANDLE handle, void *buffer, quint32 count, quint32 *read, void *) override
    {
        Device *device = find(handle);
        if (!device)
            return false;
        QElapsedTimer timer;
        timer.start();
        while (quint32(device->input.size()) < count && timer.elapsed() < device->readTimeout) {
            if (!pull(*device))
                return false;
        }
        *read = std::min(count, quint32(device->input.size()));
        std::memcpy(buffer, device->input.constData(), *read);
        device->input.remove(0, *read);
        return true;
    }

    bool W32_WriteFile(FT_HANDLE handle, const void *buffer, quint32 count, quint32 *written,
                       void *) override
    {
        Device *device = find(handle);
        if (!device)
            return false;
        const int n = ftdi_write_data(device->ftdi, static_cast<const unsigned char *>(buffer), int(count));
        if (n < 0) {
            device->lastError = n;
            return false;
        }
        *written = quint32(n);
        return true;
    }

    bool W32_CloseHandle(FT_HANDLE handle) override
    {
        const auto it = m_devices.find(handle);
        if (it == m_devices.end())
            return false;
        ftdi_usb_close(it->second->ftdi);
        ftdi_free(it->second->ftdi);
        m_devices.erase(it);
        return true;
    }

    QString goneReason(FT_HANDLE handle) const override
    {
        const auto it = m_devices.find(handle);
        if (it == m_devices.end() || !isGone(it->second->lastError))
            return QString();
        const int code = it->second->lastError;
        return code == FtdiDeviceUnavailable ? QStringLiteral("device unavailable")
                                             : QString::fromLatin1(libusb_error_name(code));
    }

private:
    Device *find(FT_HANDLE handle)
    {
        const auto it = m_devices.find(handle);
        return it == m_devices.end() ? nullptr : it->second.get();
    }

    // Moves what the chip holds into the input queue.
    static bool pull(Device &device)
    {
        unsigned char chunk[ChunkSize];
        const int n = ftdi_read_data(device.ftdi, chunk, sizeof chunk);
        if (n < 0) {
            device.lastError = n;
            return false;
        }
        device.input.append(reinterpret_cast<const char *>(chunk), n);
        return true;
    }

    std::map<FT_HANDLE, std::unique_ptr<Device>> m_devices;
};

} // namespace

Library &platformLibrary()
{
    static LibFtdi library;
    return library;
}

} // namespace d2xx
