#include "device/controller_model.h"
#include "device/d2xx_sim.h"
#include "device/kov_clock.h"

#include <algorithm>
#include <cstring>

namespace d2xx {

Simulator::Simulator(kov::Clock &clock) : m_clock(clock) {}

Simulator::~Simulator() = default;

void Simulator::addDevice(const QByteArray &description, ControllerModel *controller, const QByteArray &serial)
{
    m_devices.push_back({description, controller, serial});
}

bool Simulator::valid(FT_HANDLE handle) const
{
    return m_open >= 0 && handle == FT_HANDLE(m_open + 1) && !failures.gone;
}

QString Simulator::goneReason(FT_HANDLE) const
{
    return failures.gone ? QStringLiteral("LIBUSB_ERROR_NO_DEVICE") : QString();
}

FT_STATUS Simulator::ListDevices(char **list, quint32 *count, quint32 flags)
{
    const bool bySerial = flags == (FT_LIST_ALL | FT_OPEN_BY_SERIAL_NUMBER);
    if (failures.list || (flags != (FT_LIST_ALL | FT_OPEN_BY_DESCRIPTION) && !bySerial))
        return FT_OTHER_ERROR;
    m_listed = 0;
    for (const Device &device : m_devices) {
        if (!list[m_listed])
            break;
        const QByteArray &text = bySerial ? device.serial : device.description;
        const auto n = std::min<qsizetype>(text.size(), DescriptionSize - 1);
        std::memcpy(list[m_listed], text.constData(), size_t(n));
        list[m_listed][n] = '\0';
        ++m_listed;
    }
    *count = quint32(m_devices.size());
    return FT_OK;
}

FT_HANDLE Simulator::W32_CreateFile(const char *name, quint32 access, quint32 shareMode, void *,
                                    quint32 creation, quint32 flags, void *)
{
    if (failures.create || m_open >= 0 || access != (GenericRead | GenericWrite) || shareMode != 0
        || creation != OpenExisting)
        return InvalidHandle;
    const bool bySerial = flags == (FileAttributeNormal | FT_OPEN_BY_SERIAL_NUMBER);
    if (flags != (FileAttributeNormal | FT_OPEN_BY_DESCRIPTION) && !bySerial)
        return InvalidHandle;
    for (size_t i = 0; i < m_devices.size(); ++i) {
        if ((bySerial ? m_devices[i].serial : m_devices[i].description) == name) {
            m_open = int(i);
            m_input.clear();
            return FT_HANDLE(i + 1);
        }
    }
    return InvalidHandle;
}

bool Simulator::W32_SetCommTimeouts(FT_HANDLE handle, FTTIMEOUTS *timeouts)
{
    if (failures.timeouts || !valid(handle))
        return false;
    m_readTimeout = timeouts->ReadTotalTimeoutConstant;
    return true;
}

bool Simulator::W32_ClearCommError(FT_HANDLE handle, quint32 *errors, FTCOMSTAT *stat)
{
    if (failures.clearCommError || !valid(handle))
        return false;
    *errors = 0;
    *stat = {0, quint32(m_input.size()), 0};
    return true;
}

bool Simulator::W32_ReadFile(FT_HANDLE handle, void *buffer, quint32 count, quint32 *read, void *)
{
    if (failures.read || !valid(handle))
        return false;
    // The controller answers at once, so a short read waits out the time-out.
    if (quint32(m_input.size()) < count) {
        const qint64 t0 = m_clock.tick();
        while (m_clock.tick() - t0 < qint64(m_readTimeout))
            m_clock.wait(nullptr, 1);
    }
    *read = std::min(count, quint32(m_input.size()));
    auto *bytes = static_cast<char *>(buffer);
    for (quint32 i = 0; i < *read; ++i)
        bytes[i] = char(m_input[i] ^ failures.readXor);
    m_input.remove(0, *read);
    return true;
}

bool Simulator::W32_WriteFile(FT_HANDLE handle, const void *buffer, quint32 count, quint32 *written,
                              void *)
{
    if (failures.write || !valid(handle))
        return false;
    *written = count - std::min(count, failures.writeShortBy);
    const QByteArrayView bytes(static_cast<const char *>(buffer), qsizetype(*written));
    wire += bytes;
    if (ControllerModel *controller = m_devices[size_t(m_open)].controller)
        m_input += controller->receive(bytes);
    return true;
}

bool Simulator::W32_CloseHandle(FT_HANDLE handle)
{
    if (m_open < 0 || handle != FT_HANDLE(m_open + 1))
        return false;
    m_open = -1;
    return true;
}

} // namespace d2xx
