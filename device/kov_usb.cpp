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
// One listing's texts (descriptions or serial numbers), each ended even when
// the library filled its buffer.
using Listing = std::array<std::array<char, d2xx::DescriptionSize>, TKOVUSB::ListRoom>;

d2xx::FT_STATUS listDevices(d2xx::Library &library, Listing &texts, quint32 by)
{
    std::array<char *, TKOVUSB::ListRoom + 1> list{};
    for (int i = 0; i < TKOVUSB::ListRoom; ++i)
        list[i] = texts[i].data();
    quint32 count = 0;
    const d2xx::FT_STATUS status = library.ListDevices(list.data(), &count, d2xx::FT_LIST_ALL | by);
    for (auto &text : texts)
        text.back() = '\0';
    return status;
}

// The listed controllers: their place in the listing and their chips' serial
// numbers (empty where the library gives none).
struct Controllers
{
    d2xx::FT_STATUS status = d2xx::FT_OK;
    QList<int> places;
    QStringList serials;
};

Controllers listControllers(d2xx::Library &library)
{
    Controllers found;
    Listing descriptions{}, serials{};
    found.status = listDevices(library, descriptions, d2xx::FT_OPEN_BY_DESCRIPTION);
    if (found.status != d2xx::FT_OK)
        return found;
    const bool serialsListed = listDevices(library, serials, d2xx::FT_OPEN_BY_SERIAL_NUMBER) == d2xx::FT_OK;
    for (int i = 0; i < TKOVUSB::ListRoom; ++i)
        if (std::strcmp(descriptions[size_t(i)].data(), TKOVUSB::DeviceDescription) == 0) {
            found.places.append(i);
            found.serials.append(serialsListed ? QString::fromLatin1(serials[size_t(i)].data()) : QString());
        }
    return found;
}
} // namespace

bool TKOVUSB::ControllerPresent(d2xx::Library *library)
{
    return !listControllers(library ? *library : d2xx::platformLibrary()).places.isEmpty();
}

QStringList TKOVUSB::ControllerSerials(d2xx::Library *library)
{
    QStringList serials = listControllers(library ? *library : d2xx::platformLibrary()).serials;
    serials.removeAll(QString());
    return serials;
}

QString TKOVUSB::SerialNamed(const QString &portName)
{
    static const QLatin1String prefix("usb:");
    return portName.startsWith(prefix, Qt::CaseInsensitive) ? portName.sliced(prefix.size()) : QString();
}

void TKOVUSB::Open(const QString &name, int)
{
    const Controllers controllers = listControllers(*m_library);
    const QString wanted = SerialNamed(name);
    const qsizetype chosen = wanted.isEmpty() ? (controllers.places.isEmpty() ? -1 : 0)
                                              : controllers.serials.indexOf(wanted);
    if (controllers.status != d2xx::FT_OK || chosen < 0) {
        const QString others = controllers.serials.join(u", ");
        throw OstrelError(Msg::UsbNotFound, wanted.isEmpty()
                                                ? m_library->unavailableReason()
                                                : QString::fromUtf8(Msg::UsbSerialNotFound)
                                                      .arg(wanted, others.isEmpty() ? QStringLiteral("-") : others));
    }
    Identity.adapter = QLatin1String(DeviceDescription);
    Identity.serialNumber = controllers.serials[chosen];

    LinkGone = false;
    // The chip's latency timer is set to 1 ms as the device opens.
    AdapterLatencyMs = 1;
    const QByteArray serial = wanted.toLatin1();
    Handle = m_library->W32_CreateFile(wanted.isEmpty() ? DeviceDescription : serial.constData(),
                                       d2xx::GenericRead | d2xx::GenericWrite, 0, nullptr, d2xx::OpenExisting,
                                       d2xx::FileAttributeNormal
                                           | (wanted.isEmpty() ? d2xx::FT_OPEN_BY_DESCRIPTION
                                                               : d2xx::FT_OPEN_BY_SERIAL_NUMBER),
                                       nullptr);
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
