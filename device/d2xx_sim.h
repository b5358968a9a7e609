#pragma once

#include "device/d2xx.h"

#include <QByteArray>
#include <vector>

class ControllerModel;

namespace kov {
class Clock;
}

namespace d2xx {

// FTDI devices played by controller models, for tests and the simulator link.
class Simulator : public Library
{
public:
    // Calls to make fail, for the failure paths of the transport.
    struct Failures
    {
        bool list = false;
        bool create = false;
        bool timeouts = false;
        bool clearCommError = false;
        bool read = false;
        bool write = false;
        quint32 writeShortBy = 0;   // a write reports this many bytes fewer
        quint8 readXor = 0;         // bytes read arrive with these bits flipped
        bool gone = false;   // the device was pulled out: every call on it fails
    };

    explicit Simulator(kov::Clock &clock);
    ~Simulator() override;

    // A device with the given description and chip serial number; without a
    // controller it never answers.
    void addDevice(const QByteArray &description, ControllerModel *controller = nullptr,
                   const QByteArray &serial = QByteArray());

    Failures failures;
    // Every byte the host wrote to an open device, in order.
    QByteArray wire;
    int listedCount() const { return m_listed; }
    bool isOpen() const { return m_open >= 0; }
    quint32 readTimeout() const { return m_readTimeout; }

    FT_STATUS ListDevices(char **list, quint32 *count, quint32 flags) override;
    FT_HANDLE W32_CreateFile(const char *name, quint32 access, quint32 shareMode, void *security,
                             quint32 creation, quint32 flags, void *templateFile) override;
    bool W32_SetCommTimeouts(FT_HANDLE handle, FTTIMEOUTS *timeouts) override;
    bool W32_ClearCommError(FT_HANDLE handle, quint32 *errors, FTCOMSTAT *stat) override;
    bool W32_ReadFile(FT_HANDLE handle, void *buffer, quint32 count, quint32 *read,
                      void *overlapped) override;
    bool W32_WriteFile(FT_HANDLE handle, const void *buffer, quint32 count, quint32 *written,
                       void *overlapped) override;
    bool W32_CloseHandle(FT_HANDLE handle) override;
    QString goneReason(FT_HANDLE handle) const override;

private:
    struct Device
    {
        QByteArray description;
        ControllerModel *controller;
        QByteArray serial;
    };
    bool valid(FT_HANDLE handle) const;

    kov::Clock &m_clock;
    std::vector<Device> m_devices;
    int m_open = -1;
    int m_listed = 0;
    quint32 m_readTimeout = 0;
    QByteArray m_input;   // answers waiting to be read
};

} // namespace d2xx
