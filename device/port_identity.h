#pragma once

#include <QString>

// Which controller a port reaches: the port as chosen ("USB", "USB:FT6Z1K3A",
// "ttyUSB0") and, where the system says, its adapter's description and serial
// number (the controller's own USB chip on the USB link).
struct PortIdentity
{
    QString port;
    QString adapter;
    QString serialNumber;
};
