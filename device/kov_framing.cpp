#include "device/kovserial.h"

#include "common/messages.h"
#include "common/zered_error.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace kov {
namespace {
class SystemClock final : public Clock
{
public:
    SystemClock() { m_timer.start(); }
    qint64 tick() override { return m_timer.elapsed(); }
    void wait(TKOVPort *port, int ms) override
    {
        if (port)
            port->WaitReadable(ms);
        else
            QThread::msleep(ms);
    }

private:
    QElapsedTimer m_timer;
};
} // namespace

Clock &systemClock()
{
    static SystemClock clock;
    return clock;
}
} // namespace kov

TKOVPort::TKOVPort(QObject *owner) : QObject(owner), m_clock(&kov::systemClock()) {}

void TKOVPort::SetParams(const QString &) {}

void TKOVPort::WaitReadable(int ms)
{
    // Without a way to wait on the input, look again after a millisecond.
    (void)ms;
    QThread::msleep(1);
}

quint8 TKOVPort::FrameChecksum(const void *data, int count)
{
    const auto *bytes = static_cast<const quint8 *>(data);
    quint8 sum = 0;
    for (int i = 0; i < count; ++i)
        sum += bytes[i];
    return quint8(0xFF - sum);
}

namespace {
// Appends a frame: the bytes, then their checksum.
void appendFrame(QByteArray &wire, const void *data, int count)
{
    wire.append(static_cast<const char *>(data), count);
    wire.append(char(TKOVPort::FrameChecksum(data, count)));
}

QByteArray requestFrame(quint8 command, int address, int words, int repeat)
{
    const quint8 header[6] = {command,
                              quint8(address),
                              quint8(address >> 8),
                              quint8(address >> 16),
                              quint8(words),
                              quint8(repeat >= 1 ? repeat - 1 : 0)};
    QByteArray wire;
    appendFrame(wire, header, sizeof header);
    return wire;
}
} // namespace

// A request, or a request and its data, goes out in one write: each write of a
// transport drains the line, so fewer writes keep the line busy.
int TKOVPort::SendRequest(quint8 command, int address, int words, int repeat)
{
    const QByteArray wire = requestFrame(command, address, words, repeat);
    return Write(wire.constData(), int(wire.size()));
}

int TKOVPort::SendBlock(quint8 command, int address, int words, const void *data)
{
    QByteArray wire = requestFrame(command, address, words, 0);
    appendFrame(wire, data, 2 * (words & 0xFF));
    return Write(wire.constData(), int(wire.size()));
}

void TKOVPort::waitForInput(int count, qint64 t0, int timeoutMs)
{
    for (;;) {
        if (InQueueCount() >= count)
            return;
        const qint64 remaining = t0 + timeoutMs - m_clock->tick();
        if (remaining < 0)
            throw OstrelError(Msg::ReadTimeout);
        // Wait for the input itself; a keep-alive needs its turn now and then.
        int slice = int(remaining) + 1;
        if (WhileWaiting) {
            WhileWaiting();
            slice = std::min(slice, KeepAliveIntervalMs);
        }
        m_clock->wait(this, slice);
    }
}

bool TKOVPort::DrainInput(int quietMs, int limitMs)
{
    const qint64 t0 = m_clock->tick();
    qint64 lastInput = t0;
    std::array<char, MaxReplySize> sink;
    for (;;) {
        const qint64 now = m_clock->tick();
        const int waiting = InQueueCount();
        if (waiting > 0) {
            Read(sink.data(), std::min(waiting, int(sink.size())));
            lastInput = now;
        } else if (now - lastInput >= quietMs) {
            return true;
        }
        if (now - t0 >= limitMs)
            return false;
        if (WhileWaiting)
            WhileWaiting();
        if (waiting <= 0)
            m_clock->wait(this, std::min(int(lastInput + quietMs - now), KeepAliveIntervalMs));
    }
}

int TKOVPort::ReadReply(void *destination, int capacity, int timeoutMs)
{
    // Heap scratch buffer of the largest frame; released on every path.
    auto scratch = std::make_unique<std::array<quint8, MaxReplySize>>();
    quint8 *frame = scratch->data();
    frame[0] = frame[1] = 0;
    const qint64 t0 = m_clock->tick();
    if (timeoutMs < 0)
        timeoutMs = ReplyTimeout;

    waitForInput(2, t0, timeoutMs);
    Read(frame, 2);
    if (frame[0] != 0x06)
        throw OstrelError(Msg::ReplyHeaderMissing);
    const int rest = 2 * frame[1] + 1;
    waitForInput(rest, t0, timeoutMs);
    // A transport never hands back more than asked; clamp so a faulty one
    // cannot make the frame run past the buffer.
    const int got = std::clamp(Read(frame + 2, rest), 0, rest);
    const int total = got + 2;
    if (FrameChecksum(frame, total - 1) != frame[total - 1])
        throw OstrelError(Msg::ChecksumMismatched);
    const int copied = std::min(total - 3, capacity);
    if (destination && copied > 0)
        std::memcpy(destination, frame + 2, size_t(copied));
    return total - 3;
}
