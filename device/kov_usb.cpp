#include "device/kovserial.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "device/d2xx.h"

#include <array>
#include <cstring>

TKOVUSB::TKOVUSB(QObject *owner, d2xx::Library *library)
    : TKOVPort(owner), m_library(library ? library : &d2xx::platformLibrary())
{
}

namespace {
// The listing's descriptions, each ended even when the library filled its buffer.
using Descriptions = std::array<std::array<char, d2xx::DescriptionSize>, TKOVUSB::ListRoom>;

d2xx::FT_STATUS listDescriptions(d2xx::Library &library, Descriptions &descriptions)
{
    std::array<char *, TKOVUSB::ListRoom + 1> list{};
    for (int i = 0; i < TKOVUSB::ListRoom; ++i)
        list[i] = descriptions[i].data();
    quint32 count = 0;
    const d2xx::FT_STATUS status =
        library.ListDevices(list.data(), &count, d2xx::FT_LIST_ALL | d2xx::FT_OPEN_BY_DESCRIPTION);
    for (auto &description : descriptions)
        description.back() = '\0';
    return status;
}

const char *findController(const Descriptions &descriptions)
{
    for (const auto &description : descriptions)
        if (std::strcmp(description.data(), TKOVUSB::DeviceDescription) == 0)
            return description.data();
    return nullptr;
}
} // namespace

bool TKOVUSB::ControllerPresent(d2xx::Library *library)
{
    Descriptions descriptions{};
    return listDescriptions(library ? *library : d2xx::platformLibrary(), descriptions) == d2xx::FT_OK
           && findController(descriptions);
}

void TKOVUSB::Open(const QString &name, int)
{
    Descriptions descriptions{};
    const d2xx::FT_STATUS status = listDescriptions(*m_library, descriptions);
    const char *match = findController(descriptions);
    if (status != d2xx::FT_OK || !match)
        throw OstrelError(Msg::UsbNotFound, m_library->unavailableReason());

    LinkGone = false;
    // The chip's latency timer is set to 1 ms as the device opens.
    AdapterLatencyMs = 1;
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
    // A device that went away takes no closing command.
    if (Handshaken && !LinkGone) {
        static constexpr quint8 closing[7] = {0xFE, 0x8C, 0x73, 0x00, 0x00, 0x00, 0x02};
        writeExact(closing, sizeof closing);
    }
    m_library->W32_CloseHandle(Handle);
    Handle = InvalidHandle;
    Handshaken = false;
}

void TKOVUSB::failed(const char *message)
{
    const QString gone = m_library->goneReason(Handle);
    if (gone.isEmpty())
        throw OstrelError(message);
    LinkGone = true;
    throw OstrelError(QString::fromUtf8(Msg::UsbDeviceGone).arg(QLatin1String(DeviceDescription), gone));
}

int TKOVUSB::InQueueCount()
{
    if (!IsOpen())
        return -1;
    d2xx::FTCOMSTAT stat{};
    if (!m_library->W32_ClearCommError(Handle, &CommErrors, &stat))
        failed(Msg::UsbClearCommErrorFailed);
    countCommErrors(CommErrors);
    ComStat = {stat.Flags, stat.cbInQue, stat.cbOutQue};
    return int(ComStat.InQueue);
}

int TKOVUSB::Read(void *buffer, int count)
{
    quint32 read = 0;
    if (!m_library->W32_ReadFile(Handle, buffer, quint32(count), &read, nullptr))
        failed(Msg::UsbReadError);
    return int(read);
}

int TKOVUSB::Write(const void *buffer, int count)
{
    quint32 written = 0;
    if (!m_library->W32_WriteFile(Handle, buffer, quint32(count), &written, nullptr))
        failed(Msg::UsbWriteError);
    if (written < quint32(count))
        throw OstrelError(Msg::SerialWriteShort);
    return int(written);
}
