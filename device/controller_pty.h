#pragma once

#include <QString>
#include <cstdio>

class ControllerModel;

// A pseudo-terminal in raw mode. The slave side stays open here too, so the
// master never sees a hang-up when a client closes and reopens the device.
struct PseudoTerminal
{
    int master = -1;
    int slave = -1;
    QString devicePath;   // the slave's path, for example /dev/pts/3

    // False with the system's reason in error.
    bool open(QString *error);
    void close();
    ~PseudoTerminal() { close(); }
};

// Plays a controller model on the master side of a pseudo-terminal.
class ControllerPty
{
public:
    explicit ControllerPty(ControllerModel &model) : m_model(model) {}

    bool open(QString *error) { return m_pty.open(error); }
    const QString &devicePath() const { return m_pty.devicePath; }

    // Wire time in both directions at this rate, 10 bits a byte; 0 means none.
    void setBaud(int baud) { m_baud = baud; }
    // Receives every byte that arrives from the host.
    void setCapture(std::FILE *capture) { m_capture = capture; }

    // Answers until stopFd becomes readable (-1: never).
    void serve(int stopFd);

private:
    ControllerModel &m_model;
    PseudoTerminal m_pty;
    int m_baud = 0;
    std::FILE *m_capture = nullptr;
};
