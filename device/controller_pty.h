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
    // A USB-serial adapter between controller and host: it holds what the
    // controller sends until it has AdapterPacket bytes or its first byte has
    // waited ms (an FTDI chip's latency timer); 0 means no adapter.
    static constexpr int AdapterPacket = 62;
    void setAdapterLatency(int ms) { m_latencyMs = ms; }
    // The adapter also passes on what it holds as soon as this byte comes in
    // any place but the first of what it holds (an FTDI chip's event
    // character, set by its host); -1 means none.
    void setAdapterEventChar(int byte) { m_eventChar = byte; }
    // The controller starts each answer ms after the request's last byte.
    void setLate(int ms) { m_lateMs = ms; }

    // Answers until stopFd becomes readable (-1: never) or, once the model
    // hangs up, the line goes away: the host's side then reads an error, as
    // from an adapter pulled out.
    void serve(int stopFd);

private:
    ControllerModel &m_model;
    PseudoTerminal m_pty;
    int m_baud = 0;
    int m_latencyMs = 0;
    int m_eventChar = -1;
    int m_lateMs = 0;
    std::FILE *m_capture = nullptr;
};
