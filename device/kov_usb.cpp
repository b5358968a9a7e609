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
