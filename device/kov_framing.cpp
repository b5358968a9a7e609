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

namespace {
// What the system may add to a frame's time: a thread woken late, a busy bus.
constexpr int FrameMarginMs = 100;
// The least time the line must stay quiet, whatever its rate.
constexpr int QuietFloorMs = 20;
constexpr int QuietCharacters = 10;
}   // namespace

int TKOVPort::WireMs(qint64 bytes) const
{
    const qint64 rate = LineRate > 0 ? LineRate : AssumedRate;
    return int((bytes * 10 * 1000 + rate - 1) / rate);
}

int TKOVPort::RestAllowanceMs(int bytes) const
{
    return 2 * WireMs(bytes) + AdapterLatencyMs + FrameMarginMs;
}

int TKOVPort::QuietMs() const
{
    return WireMs(QuietCharacters) + 2 * AdapterLatencyMs + QuietFloorMs;
}

void TKOVPort::countCommErrors(quint32 flags)
{
    constexpr quint32 rxOver = 0x1, overrun = 0x2, parity = 0x4, frame = 0x8;
    m_lineErrors.Overrun += (flags & (rxOver | overrun)) ? 1 : 0;
    m_lineErrors.Parity += (flags & parity) ? 1 : 0;
    m_lineErrors.Framing += (flags & frame) ? 1 : 0;
}

int TKOVPort::take(void *buffer, int count)
{
    const int got = Read(buffer, count);
    BytesTaken += std::max(got, 0);
    return got;
}

void TKOVPort::waitForInput(int count, qint64 deadline, const char *message)
{
    for (;;) {
        if (InQueueCount() >= count)
            return;
        const qint64 remaining = deadline - m_clock->tick();
        if (remaining < 0)
            throw OstrelError(message);
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
            take(sink.data(), std::min(waiting, int(sink.size())));
            lastInput = now;
        } else if (now - lastInput >= quietMs) {
            return true;
        }
        if (now - t0 >= limitMs)
            return false;
        if (WhileWaiting)
            WhileWaiting();
        if (waiting <= 0)
            m_clock->wait(this, std::max(1, std::min(int(lastInput + quietMs - now), KeepAliveIntervalMs)));
    }
}

int TKOVPort::DiscardInput()
{
    std::array<char, MaxReplySize> sink;
    int dropped = 0;
    for (int waiting = InQueueCount(); waiting > 0; waiting = InQueueCount()) {
        const int got = take(sink.data(), std::min(waiting, int(sink.size())));
        if (got <= 0)
            break;
        dropped += got;
    }
    return dropped;
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

    // A byte that cannot start a reply (noise, a controller powering up) is
    // skipped; when only such bytes came, the header is what is missing.
    bool skipped = false;
    for (;;) {
        waitForInput(1, t0 + timeoutMs, skipped ? Msg::ReplyHeaderMissing : Msg::ReadTimeout);
        take(frame, 1);
        if (frame[0] == 0x06)
            break;
        skipped = true;
    }
    // From its first byte on, a frame comes at the line's pace.
    const qint64 headerAt = m_clock->tick();
    waitForInput(1, headerAt + RestAllowanceMs(1), Msg::ReadTimeout);
    take(frame + 1, 1);
    const int rest = 2 * frame[1] + 1;
    waitForInput(rest, headerAt + RestAllowanceMs(rest + 1), Msg::ReadTimeout);
    // A transport never hands back more than asked; clamp so a faulty one
    // cannot make the frame run past the buffer.
    const int got = std::clamp(take(frame + 2, rest), 0, rest);
    const int total = got + 2;
    if (FrameChecksum(frame, total - 1) != frame[total - 1])
        throw OstrelError(Msg::ChecksumMismatched);
    const int copied = std::min(total - 3, capacity);
    if (destination && copied > 0)
        std::memcpy(destination, frame + 2, size_t(copied));
    return total - 3;
}
