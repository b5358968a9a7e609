// Reply framing over a transport whose bytes arrive in pieces at times the
// input chooses: a reply is either refused with the link's error or is a
// well-formed frame (after bytes that cannot start one) whose payload fits where it was copied.
#include "common/zered_error.h"
#include "device/kovserial.h"
#include "fake_clock.h"
#include "fuzz_check.h"

#include <QList>
#include <cstring>

namespace {

// Input: one byte choosing the copy capacity, then pieces of
// [delay in ms] [length] [bytes...] that arrive on the fake clock.
class PiecewisePort final : public TKOVPort
{
public:
    PiecewisePort(FakeClock &clock, const uint8_t *data, size_t size) : m_clock(clock)
    {
        SetClock(clock);
        Handle = 1;
        qint64 at = 0;
        size_t i = 0;
        while (i + 2 <= size) {
            at += data[i];
            const size_t length = std::min<size_t>(data[i + 1], size - i - 2);
            m_pieces.append({at, QByteArray(reinterpret_cast<const char *>(data + i + 2), qsizetype(length))});
            i += 2 + length;
        }
    }

    QByteArray delivered;   // every byte handed to the framing, in order

    int InQueueCount() override
    {
        arrive();
        return int(m_queue.size());
    }
    void Open(const QString &, int) override {}
    void Close() override {}
    int Read(void *buffer, int count) override
    {
        arrive();
        FUZZ_CHECK(count >= 0);
        const int n = int(std::min<qsizetype>(count, m_queue.size()));
        std::memcpy(buffer, m_queue.constData(), size_t(n));
        delivered += m_queue.left(n);
        m_queue.remove(0, n);
        return n;
    }
    int Write(const void *, int count) override { return count; }

private:
    struct Piece
    {
        qint64 at;
        QByteArray bytes;
    };
    void arrive()
    {
        while (!m_pieces.isEmpty() && m_pieces.front().at <= m_clock.now)
            m_queue += m_pieces.takeFirst().bytes;
    }

    FakeClock &m_clock;
    QList<Piece> m_pieces;
    QByteArray m_queue;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int capacity = data[0] * 2;   // 0 to 510 bytes of payload wanted
    FakeClock clock;
    PiecewisePort port(clock, data + 1, size - 1);
    QByteArray destination(capacity, '\x5A');
    int got = -1;
    try {
        got = port.ReadReply(capacity ? destination.data() : nullptr, capacity, 2000);
    } catch (const OstrelError &) {
        return 0;
    }
    const QByteArray &delivered = port.delivered;
    FUZZ_CHECK(got >= 0 && got % 2 == 0 && got <= 510);
    FUZZ_CHECK(delivered.size() >= got + 3);
    // The frame ends what was taken; only bytes that cannot start a reply came before it.
    const qsizetype skipped = delivered.size() - (got + 3);
    for (qsizetype i = 0; i < skipped; ++i)
        FUZZ_CHECK(quint8(delivered[i]) != 0x06);
    const char *frame = delivered.constData() + skipped;
    FUZZ_CHECK(quint8(frame[0]) == 0x06 && quint8(frame[1]) * 2 == got);
    FUZZ_CHECK(TKOVPort::FrameChecksum(frame, got + 2) == quint8(frame[got + 2]));
    FUZZ_CHECK(std::memcmp(destination.constData(), frame + 2, size_t(std::min(got, capacity))) == 0);
    return 0;
}
