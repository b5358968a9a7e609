#pragma once

#include "device/kov_clock.h"
#include "device/port_identity.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QFile;
class QSerialPort;

namespace d2xx {
class Library;
}

// Status record filled by a transport's clear-errors call.
struct TKOVComStat
{
    quint32 Flags = 0;
    quint32 InQueue = 0;   // received bytes waiting to be read
    quint32 OutQueue = 0;  // bytes waiting to be sent
};

// The device port: request and reply framing with its checksum and reply
// time-out, over seven transport operations that the serial and USB links provide.
class TKOVPort : public QObject
{
    Q_OBJECT
public:
    static constexpr qintptr InvalidHandle = -1;
    static constexpr int MaxReplySize = 2 + 510 + 1;

    explicit TKOVPort(QObject *owner = nullptr);
    // Destroying an open port does not close its link: the caller closes first.
    ~TKOVPort() override = default;

    qintptr Handle = InvalidHandle;
    quint32 CommErrors = 0;
    qint32 ReplyTimeout = 2000;
    // Runs on every turn of a wait for a reply, at least every
    // KeepAliveIntervalMs (a window keeps painting here); what it raises ends
    // the wait.
    std::function<void()> WhileWaiting;
    static constexpr int KeepAliveIntervalMs = 10;

    // The line's pace as the transport knows it: bits per second (0 when not
    // known: the slowest rate offered is assumed) and how long an adapter
    // between the controller and us may hold received bytes back.
    int LineRate = 0;
    int AdapterLatencyMs = 0;
    static constexpr int AssumedRate = 9600;
    // Wire time of bytes at the line's rate, 10 bits a byte, rounded up.
    int WireMs(qint64 bytes) const;
    // How long a frame's remaining bytes may take once its first byte came:
    // twice their wire time, the adapter's latency and a margin for the system.
    int RestAllowanceMs(int bytes) const;
    // How long the line must stay quiet to count as done: a few character
    // times and twice the adapter's latency (it may hold a part of a reply).
    int QuietMs() const;
    // Bytes taken from the line by ReadReply, DrainInput and DiscardInput.
    qint64 BytesTaken = 0;
    // The controller this port reaches, for the journal: the port as chosen
    // and, once open, the adapter the system names.
    PortIdentity Identity;
    // Set by a transport whose link went away (an adapter pulled out, say):
    // nothing more passes, so there is nothing to wait for.
    bool LinkGone = false;

    // Parity, framing and overrun errors the line reported since it opened.
    struct LineErrorCounts
    {
        quint32 Parity = 0;
        quint32 Framing = 0;
        quint32 Overrun = 0;
        bool any() const { return Parity || Framing || Overrun; }
    };
    virtual LineErrorCounts LineErrors() const { return m_lineErrors; }

    // Transport operations, in their fixed order.
    virtual bool IsOpen() const final { return Handle != InvalidHandle; }
    virtual int InQueueCount() = 0;
    virtual void Open(const QString &name, int baud) = 0;
    virtual void SetParams(const QString &text);
    virtual void Close() = 0;
    virtual int Read(void *buffer, int count) = 0;
    virtual int Write(const void *buffer, int count) = 0;
    // Blocks at most ms until new input may be waiting; the real clock's wait.
    // The base looks again after a millisecond; a transport that can wait on
    // its input does so.
    virtual void WaitReadable(int ms);

    // 0xFF minus the byte sum of the covered bytes.
    static quint8 FrameChecksum(const void *data, int count);
    // The last byte of the empty acknowledgement 06 00 F9. A USB-serial chip
    // that passes on what it holds when this byte comes (an FTDI chip's event
    // character) hands every acknowledgement on at once instead of after its
    // latency timer: the transports set it where the driver lets them.
    static constexpr quint8 AckLastByte = 0xF9;
    // Each sends its frames with one Write and returns the bytes written.
    int SendRequest(quint8 command, int address, int words, int repeat);
    int SendBlock(quint8 command, int address, int words, const void *data);
    // Reads one reply frame 06 n payload[2n] checksum; copies at most capacity
    // payload bytes into destination (may be null) and returns 2n. Bytes that
    // cannot start a reply are skipped. The first byte of the reply has
    // timeoutMs (negative: ReplyTimeout), the rest RestAllowanceMs from then.
    int ReadReply(void *destination, int capacity, int timeoutMs = -1);
    // Reads and drops input until none has come for quietMs, for at most
    // limitMs; false when input was still coming at the limit.
    bool DrainInput(int quietMs, int limitMs);
    // Drops what is waiting now, without waiting; returns how many bytes.
    int DiscardInput();

    void SetClock(kov::Clock &clock) { m_clock = &clock; }
    kov::Clock &clock() const { return *m_clock; }

protected:
    // Counts the error flags of a clear-errors call (CE_RXOVER, CE_OVERRUN,
    // CE_RXPARITY, CE_FRAME).
    void countCommErrors(quint32 flags);
    LineErrorCounts m_lineErrors;

private:
    // Waits until count bytes are waiting; past deadline raises message.
    void waitForInput(int count, qint64 deadline, const char *message);
    int take(void *buffer, int count);

    kov::Clock *m_clock;
};

// Line settings as SetParams reads them from its comma text.
struct TKOVLineParams
{
    int Rate = 9600;
    int DataBits = 8;
    int Parity = 0;    // 0 none, 1 odd, 2 even
    int StopBits = 0;  // 0 one, 2 two
    bool Dtr = false;  // set only when the mask holds "d"
    bool Rts = false;  // set only when the mask holds "r"
};

// Raises the conversion error naming the text when a number does not read.
TKOVLineParams KovParseLineParams(const QString &text);

// The serial transport: a COM port, a tty or a pseudo-terminal (QSerialPort on
// Linux, the Win32 calls on Windows).
class TKOVSerial : public TKOVPort
{
    Q_OBJECT
public:
    static constexpr char DebugCopyName[] = "dbg.out";

    explicit TKOVSerial(QObject *owner = nullptr);
    ~TKOVSerial() override;

    TKOVComStat ComStat;
    // Where Open writes the debug copy; transfers on several ports at once
    // each need a file of their own.
    QString DebugCopyPath = QString::fromLatin1(DebugCopyName);

    int InQueueCount() override;
    // baud > 0: that rate, 8N1; 0: 115200, 8N1; < 0: the line keeps the
    // settings it has when opened.
    void Open(const QString &name, int baud) override;
    void SetParams(const QString &text) override;
    void Close() override;
    int Read(void *buffer, int count) override;
    int Write(const void *buffer, int count) override;
    void WaitReadable(int ms) override;
    LineErrorCounts LineErrors() const override;

private:
    // The system's codes SetParams reports for a closed port and for settings
    // that no line takes (the error number on Linux, the Win32 error on Windows).
    static const int ClosedPortCode;
    static const int RefusedSettingCode;
    // Sets the line to already checked settings: 0, or the system's code for the refusal.
    int applyLineParams(const TKOVLineParams &params);
    // "dbg.out" afresh in the working folder; a failure is logged and the port stays usable.
    void openDebugCopy();
    void copyToDebug(const void *buffer, int count);
    // Marks the link gone and raises the error naming the port and the system's code.
    [[noreturn]] void linkGone(const QString &code);
    // Raises message for a call on the port that failed, or the port's own
    // message when the failure was the link going away.
    [[noreturn]] void fail(const char *message);
    // Lowers the latency of a USB-serial adapter where the system lets us, and
    // says how when it does not; sets AdapterLatencyMs.
    void lowerAdapterLatency();
    // True the first time this run asks about port.
    static bool WarnOnce(const QString &port);

    QString m_name;   // as opened

#if defined(Q_OS_WIN)
    QByteArray m_received;                 // read from the port, not yet taken
    quint32 m_readWaitMs = 0;   // the read time-out the port has now
#else
    std::unique_ptr<QSerialPort> m_port;
    LineErrorCounts m_countsAtOpen;   // the driver's counters when the port opened
#endif
    std::unique_ptr<QFile> m_debugCopy;
};

// The USB transport: the controller's FTDI chip through the D2XX calls.
class TKOVUSB : public TKOVPort
{
    Q_OBJECT
public:
    static constexpr char DeviceDescription[] = "KOV Vision Sensor";
    static constexpr int ListRoom = 10;   // descriptions taken from the listing

    // Without a library the platform's D2XX layer is used.
    explicit TKOVUSB(QObject *owner = nullptr, d2xx::Library *library = nullptr);
    // Whether the library lists a device described as the controller.
    static bool ControllerPresent(d2xx::Library *library = nullptr);
    // The serial numbers of the controllers' USB chips the library lists, in its order.
    static QStringList ControllerSerials(d2xx::Library *library = nullptr);
    // "USB:FT6Z1K3A" names the controller whose chip has that serial number.
    static QString SerialNamed(const QString &portName);

    TKOVComStat ComStat;
    bool Handshaken = false;

    int InQueueCount() override;
    // The name "USB:<serial number>" opens the controller whose chip has it,
    // any other the first controller listed; "no" skips the opening
    // handshake. baud is not used.
    void Open(const QString &name, int baud) override;
    void Close() override;
    int Read(void *buffer, int count) override;
    int Write(const void *buffer, int count) override;

private:
    void writeExact(const void *data, quint32 count);
    // Raises message, or that the device is gone when the library says so.
    [[noreturn]] void failed(const char *message);

    d2xx::Library *m_library;
};
