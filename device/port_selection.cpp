#include "device/port_selection.h"

#include "common/messages.h"
#include "common/zered_lang.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <iterator>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

bool IsUsbPortName(const QString &portText)
{
    return portText.compare(QLatin1String("usb"), Qt::CaseInsensitive) == 0
           || !TKOVUSB::SerialNamed(portText).isEmpty();
}

bool IsDefaultBaud(const QString &baudText)
{
    return baudText.compare(QLatin1String("default"), Qt::CaseInsensitive) == 0;
}

namespace {

#ifdef Q_OS_WIN
// The serial ports Windows lists in HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: the data of
// its string values, in the registry's order. The key is opened for reading only;
// full access to HKLM is refused to anyone but an administrator.
QStringList SerialPortNames(const QList<QSerialPortInfo> &)
{
    QStringList names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameSize = DWORD(std::size(name));
        wchar_t data[256] = {};
        DWORD dataSize = sizeof data - sizeof(wchar_t);   // room for the end the registry may omit
        DWORD type = 0;
        const LONG status = RegEnumValueW(key, index, name, &nameSize, nullptr, &type,
                                          reinterpret_cast<BYTE *>(data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS && type == REG_SZ)
            names.append(QString::fromWCharArray(data));
    }
    RegCloseKey(key);
    return names;
}
#else
QStringList SerialPortNames(const QList<QSerialPortInfo> &serial)
{
    QStringList names;
    for (const QSerialPortInfo &info : serial)
        names.append(info.portName());
    return names;
}
#endif

} // namespace

QList<PortEntry> AvailablePorts()
{
    const QList<QSerialPortInfo> serial = QSerialPortInfo::availablePorts();
    bool controller = TKOVUSB::ControllerPresent();
    QList<PortEntry> ports;
    for (const QString &name : SerialPortNames(serial)) {
        QStringList about;
        const auto info = std::find_if(serial.begin(), serial.end(),
                                       [&name](const QSerialPortInfo &i) { return i.portName() == name; });
        if (info != serial.end()) {
            for (const QString &text : {info->description(), info->manufacturer()})
                if (!text.isEmpty() && !about.contains(text))
                    about.append(text);
            // Adapters alike tell apart by it.
            if (!info->serialNumber().isEmpty())
                about.append(SerialNumberText(info->serialNumber()));
            controller = controller || info->description() == QLatin1String(TKOVUSB::DeviceDescription);
        }
        ports.append({name, about.isEmpty() ? name : name + QStringLiteral(" — ") + about.join(u", ")});
    }
    // Each controller's own USB chip by its serial number, after the first found.
    const QString usb = QStringLiteral("USB");
    const QString state = controller ? LocaleLookup(QStringLiteral("usb controller present"),
                                                    QString::fromUtf8(Msg::UsbControllerPresent))
                                     : LocaleLookup(QStringLiteral("usb controller absent"),
                                                    QString::fromUtf8(Msg::UsbControllerAbsent));
    QList<PortEntry> controllers{
        {usb, usb + QStringLiteral(" — ") + state.arg(QLatin1String(TKOVUSB::DeviceDescription))}};
    for (const QString &serialNumber : TKOVUSB::ControllerSerials()) {
        const QString name = usb + u':' + serialNumber;
        controllers.append({name, name + QStringLiteral(" — ") + QLatin1String(TKOVUSB::DeviceDescription)
                                      + QStringLiteral(", ") + SerialNumberText(serialNumber)});
    }
    return controllers + ports;
}

QString SerialNumberText(const QString &serialNumber)
{
    return LocaleLookup(QStringLiteral("port serial number"), QStringLiteral("serial number %1")).arg(serialNumber);
}

PortIdentity IdentifyPort(const QString &portText)
{
    PortIdentity identity{portText, {}, {}};
    const QSerialPortInfo info(portText);
    if (!info.isNull()) {
        identity.adapter = info.description();
        identity.serialNumber = info.serialNumber();
    }
    return identity;
}

PortHolder::Factory PortHolder::DefaultFactory()
{
    return [](bool usb) -> std::unique_ptr<TKOVPort> {
        if (usb)
            return std::make_unique<TKOVUSB>();
        return std::make_unique<TKOVSerial>();
    };
}

PortHolder::PortHolder(Factory factory) : m_factory(std::move(factory)) {}

PortHolder::~PortHolder() = default;

TKOVPort &PortHolder::OpenPort(const QString &portText, const QString &baudText)
{
    if (!m_port)
        m_port = m_factory(IsUsbPortName(portText));
    // A serial port starts from its own configuration, then takes the rate text.
    m_port->Identity = IdentifyPort(portText);
    m_port->Open(portText, -1);
    if (dynamic_cast<TKOVSerial *>(m_port.get()) && !IsDefaultBaud(baudText))
        m_port->SetParams(baudText);
    return *m_port;
}

void PortHolder::ClosePort()
{
    std::unique_ptr<TKOVPort> port = std::move(m_port);
    if (port && port->IsOpen())
        port->Close();
}
