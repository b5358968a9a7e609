#pragma once

#include "device/kovserial.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The port selector's texts: "usb" in any case picks the USB link, and
// "usb:<serial number>" the controller whose USB chip has it; anything else
// names a serial port; "default" in any case keeps the port's own line
// settings.
bool IsUsbPortName(const QString &portText);
bool IsDefaultBaud(const QString &baudText);

// One entry of the port selector: the name the link takes and the text a
// person recognises it by ("ttyUSB0 — FT232R USB UART, FTDI").
struct PortEntry
{
    QString name;
    QString label;
};

// The selector's list: "USB" first (its label says whether a KOV Vision
// Sensor is attached), "USB:<serial number>" for each one attached, then the
// serial ports the serial transport can open, with their description, maker
// and serial number as the system reports them.
QList<PortEntry> AvailablePorts();
// "serial number A10K5XYZ", in the interface's language.
QString SerialNumberText(const QString &serialNumber);
// The port as chosen and what the system says of its adapter (nothing for
// the USB link, whose transport knows its chip).
PortIdentity IdentifyPort(const QString &portText);

// The one device port object of a transfer (ActivePort): created and opened
// at the transfer's start, closed and released in its clean-up.
class PortHolder
{
public:
    // Makes the transport for a selector text; tests hand in their own.
    using Factory = std::function<std::unique_ptr<TKOVPort>(bool usb)>;
    explicit PortHolder(Factory factory = DefaultFactory());
    static Factory DefaultFactory();
    // A port still held here is released without being closed.
    ~PortHolder();

    void setFactory(Factory factory) { m_factory = std::move(factory); }
    const Factory &factory() const { return m_factory; }
    TKOVPort *ActivePort() const { return m_port.get(); }
    // Opens the port the selectors name; raises the transport's errors, and
    // the port then stays for ClosePort to release.
    TKOVPort &OpenPort(const QString &portText, const QString &baudText);
    // Closes the port if it is open and releases it, also when closing
    // raises (the error still travels on).
    void ClosePort();

private:
    Factory m_factory;
    std::unique_ptr<TKOVPort> m_port;
};
