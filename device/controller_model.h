#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The controller as the host sees it on the wire: a 64 KiB table at 0x010000,
// read (0xF8) and write (0xFC) requests, and on the USB link the opening
// handshake 55 8C and the closing command 0xFE. Bytes go in, answers come out.
struct ControllerFaults
{
    // Reply frames are counted from 1 over the whole session; -1 is off. Each
    // fault below hits its frame and the times - 1 frames after it.
    int silentAfter = -1;     // no frame after this many is sent
    int badChecksumAt = -1;   // this frame's checksum is wrong
    int nakHeaderAt = -1;     // this frame starts with 0x15
    int shortFrameAt = -1;    // this data frame carries 06 40 and 128 bytes
    int ackWithDataAt = -1;   // this acknowledgement carries 06 01 and 2 bytes
    int strayBeforeAt = -1;   // a 0x00 byte goes out just before this frame
    int garbleAt = -1;   // one bit of this frame's middle byte is flipped
    int hangUpAt = -1;   // the line goes away where this frame would start
    int times = 1;

    bool hits(int fault, int frame) const { return fault >= 1 && frame >= fault && frame < fault + times; }
};

class ControllerModel
{
public:
    enum class Link { Serial, Usb };
    static constexpr int TableAddress = 0x010000;
    static constexpr int TableSize = 0x10000;
    static constexpr quint8 ReadCommand = 0xF8;
    static constexpr quint8 WriteCommand = 0xFC;
    static constexpr quint8 CloseCommand = 0xFE;

    explicit ControllerModel(Link link = Link::Serial);

    // Takes received bytes and returns what the controller answers to them.
    QByteArray receive(QByteArrayView bytes);

    QByteArray table;   // TableSize bytes, 0xFF when new
    ControllerFaults faults;
    int framesSent() const { return m_framesSent; }
    bool closedByHost() const { return m_closed; }
    bool handshaken() const { return m_handshaken; }
    // Once the hang-up frame is due, nothing more is answered and the line is gone.
    bool hungUp() const { return m_hungUp; }

private:
    // Consumes one complete request from m_pending into out; false when incomplete.
    bool takeRequest(QByteArray &out);
    void reply(QByteArray &out, quint8 words, QByteArrayView payload, bool isAck);

    Link m_link;
    QByteArray m_pending;
    int m_framesSent = 0;
    bool m_closed = false;
    bool m_handshaken = false;
    bool m_hungUp = false;
};
