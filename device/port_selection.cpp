#include "device/port_selection.h"

#include "common/messages.h"

#include <QSerialPortInfo>

bool IsUsbPortName(const QString &portText)
{
    return portText.compare(QLatin1String("usb"), Qt::CaseInsensitive) == 0;
}

bool IsDefaultBaud(const QString &baudText)
{
    return baudText.compare(QLatin1String("default"), Qt::CaseInsensitive) == 0;
}

QList<PortEntry> AvailablePorts()
{
    const QList<QSerialPortInfo> serial = QSerialPortInfo::availablePorts();
    bool controller = TKOVUSB::ControllerPresent();
    QList<PortEntry> ports;
    for (const QSerialPortInfo &info : serial) {
        QStringList about;
        for (const QString &text : {info.description(), info.manufacturer()})
            if (!text.isEmpty() && !about.contains(text))
                about.append(text);
        controller = controller || info.description() == QLatin1String(TKOVUSB::DeviceDescription);
        ports.append({info.portName(), about.isEmpty() ? info.portName()
                                                       : info.portName() + QStringLiteral(" — ") + about.join(u", ")});
    }
    const QString usb = QStringLiteral("USB");
    ports.prepend({usb, usb + QStringLiteral(" — ")
                            + QString::fromUtf8(controller ? Msg::UsbControllerPresent : Msg::UsbControllerAbsent)
                                  .arg(QLatin1String(TKOVUSB::DeviceDescription))});
    return ports;
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
