#include "common/zered_error.h"
#include "device/kovserial.h"
#include "fake_clock.h"
#include "test_support.h"

#include <QRandomGenerator>
#include <QTest>
#include <cstring>

namespace {

QByteArray withChecksum(QByteArray frame)
{
    return frame.append(char(TKOVPort::FrameChecksum(frame.constData(), int(frame.size()))));
}

// A transport whose input arrives on a schedule of the fake clock.
class ScriptedPort final : public TKOVPort
{
public:
    struct Arrival
    {
        qint64 at;
        QByteArray bytes;
    };

    explicit ScriptedPort(FakeClock &clock) : m_clock(clock)
    {
        SetClock(clock);
        Handle = 1;
    }

    QList<Arrival> script;
    QList<QByteArray> writes;
    bool readBeyondQueue = false;

    int InQueueCount() override
    {
        if (!IsOpen())
            return -1;
        arrive();
        return int(m_queue.size());
    }
    void Open(const QString &, int) override { Handle = 1; }
    void Close() override { Handle = InvalidHandle; }
    int Read(void *buffer, int count) override
    {
        arrive();
        readBeyondQueue |= count > m_queue.size();
        const int n = int(qMin<qsizetype>(count, m_queue.size()));
        std::memcpy(buffer, m_queue.constData(), size_t(n));
        m_queue.remove(0, n);
        return n;
    }
    int Write(const void *buffer, int count) override
    {
        writes << QByteArray(static_cast<const char *>(buffer), count);
        return count;
    }

private:
    void arrive()
    {
        while (!script.isEmpty() && script.front().at <= m_clock.now)
            m_queue += script.takeFirst().bytes;
    }

    FakeClock &m_clock;
    QByteArray m_queue;
};

using Script = QList<ScriptedPort::Arrival>;
} // namespace

Q_DECLARE_METATYPE(Script)

class TestFraming : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void checksum_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("expected");
        QTest::newRow("no bytes") << QByteArray() << 0xFF;
        QTest::newRow("empty ack") << hex("0600") << 0xF9;
        QTest::newRow("closing command") << hex("FE8C73000000") << 0x02;
        QTest::newRow("read request") << hex("F80000 0180FF") << 0x87;
        QTest::newRow("sum wraps") << hex("FFFF02") << 0xFF;
    }
    void checksum()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, expected);
        QCOMPARE(int(TKOVPort::FrameChecksum(bytes.constData(), int(bytes.size()))), expected);
    }

    void sendRequest_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("read whole table") << 0xF8 << 0x010000 << 128 << 256 << hex("F8000001 80FF 87");
        QTest::newRow("repeat 1") << 0xF8 << 0x010000 << 128 << 1 << withChecksum(hex("F800000180 00"));
        QTest::newRow("repeat 0") << 0xF8 << 0x010000 << 128 << 0 << withChecksum(hex("F800000180 00"));
        QTest::newRow("negative repeat") << 0xF8 << 0x010000 << 128 << -3 << withChecksum(hex("F800000180 00"));
        QTest::newRow("repeat 257 wraps") << 0xF8 << 0x010000 << 128 << 257 << withChecksum(hex("F800000180 00"));
        QTest::newRow("address high bits dropped")
            << 0xFC << 0x7A123456 << 0x1FF << 2 << withChecksum(hex("FC563412FF01"));
    }
    void sendRequest()
    {
        QFETCH(int, command);
        QFETCH(int, address);
        QFETCH(int, words);
        QFETCH(int, repeat);
        QFETCH(QByteArray, wire);
        FakeClock clock;
        ScriptedPort port(clock);
        QCOMPARE(port.SendRequest(quint8(command), address, words, repeat), 7);
        QCOMPARE(port.writes, QList<QByteArray>{wire});
    }

    void sendBlockIsOneWrite()
    {
        FakeClock clock;
        ScriptedPort port(clock);
        QByteArray block(256, '\0');
        for (int i = 0; i < block.size(); ++i)
            block[i] = char(i);
        QCOMPARE(port.SendBlock(0xFC, 0x010000 + 255 * 256, 128, block.constData()), 264);
        QCOMPARE(port.writes, QList<QByteArray>{hex("FC00FF0180 00 83") + block
                                                + char(TKOVPort::FrameChecksum(block.constData(), 256))});
    }

    void readReply_data()
    {
        QTest::addColumn<Script>("script");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("expected");   // payload length, or -1 when it raises
        QTest::addColumn<QString>("error");
        QTest::addColumn<qint64>("endsAt");   // clock when ReadReply returns or raises

        QByteArray payload(256, '\0');
        for (int i = 0; i < payload.size(); ++i)
            payload[i] = char(255 - i);
        const QByteArray dataFrame = withChecksum(hex("0680") + payload);

        QTest::newRow("empty ack") << Script{{0, hex("0600F9")}} << 0 << -1 << 0 << QString() << qint64(0);
        QTest::newRow("256 bytes into 256") << Script{{3, dataFrame}} << 256 << -1 << 256 << QString() << qint64(3);
        QTest::newRow("256 bytes into 100") << Script{{0, dataFrame}} << 100 << -1 << 256 << QString() << qint64(0);
        QTest::newRow("bytes trickle in") << Script{{5, dataFrame.first(1)}, {9, dataFrame.sliced(1, 100)},
                                                    {40, dataFrame.sliced(101)}}
                                          << 256 << -1 << 256 << QString() << qint64(40);
        QTest::newRow("wrong checksum") << Script{{0, hex("060000")}} << 0 << -1 << -1
                                        << u"checksum missmatched"_qs << qint64(0);
        QTest::newRow("stray bytes before the reply")
            << Script{{0, hex("00")}, {4, hex("FF15")}, {6, hex("0600F9")}} << 0 << -1 << 0 << QString() << qint64(6);
        QTest::newRow("only bytes that cannot start a reply")
            << Script{{0, hex("15")}, {7, hex("00")}} << 0 << -1 << -1 << u"reply header missing"_qs << qint64(2001);
        QTest::newRow("one byte only") << Script{{0, hex("06")}} << 0 << -1 << -1 << u"Read timeout"_qs << qint64(105);
        QTest::newRow("nothing") << Script{} << 0 << -1 << -1 << u"Read timeout"_qs << qint64(2001);
        // From its first byte on, a frame has its wire time (9600 when the
        // rate is not known) twice over, and 100 ms.
        QTest::newRow("header 1900, rest 100 ms later")
            << Script{{1900, hex("0600")}, {2000, hex("F9")}} << 0 << -1 << 0 << QString() << qint64(2000);
        QTest::newRow("header 1900, rest 200 ms later")
            << Script{{1900, hex("0600")}, {2100, hex("F9")}} << 0 << -1 << -1 << u"Read timeout"_qs << qint64(2007);
        QTest::newRow("frame stalls") << Script{{0, dataFrame.first(200)}} << 256 << -1 << -1 << u"Read timeout"_qs
                                      << qint64(639);
        QTest::newRow("own time-out to the first byte")
            << Script{{60, hex("0600F9")}} << 0 << 50 << -1 << u"Read timeout"_qs << qint64(51);
        QTest::newRow("largest frame") << Script{{0, withChecksum(hex("06FF") + QByteArray(510, 'x'))}} << 600
                                       << -1 << 510 << QString() << qint64(0);
    }
    void readReply()
    {
        QFETCH(Script, script);
        QFETCH(int, capacity);
        QFETCH(int, timeout);
        QFETCH(int, expected);
        QFETCH(QString, error);
        QFETCH(qint64, endsAt);
        FakeClock clock;
        ScriptedPort port(clock);
        port.script = script;
        QByteArray destination(600, 'z');
        QString raised;
        int result = -1;
        try {
            result = port.ReadReply(destination.data(), capacity, timeout);
        } catch (const OstrelError &e) {
            raised = e.message();
        }
        QCOMPARE(raised, error);
        QCOMPARE(result, expected);
        QCOMPARE(clock.now, endsAt);
        QVERIFY(!port.readBeyondQueue);
        if (expected > 0) {
            QByteArray frame;
            for (const auto &arrival : std::as_const(script))
                frame += arrival.bytes;
            const int copied = qMin(expected, capacity);
            QCOMPARE(destination.first(copied), frame.sliced(2, copied));
            QCOMPARE(destination.sliced(copied), QByteArray(destination.size() - copied, 'z'));
        }
    }

    // A frame that starts late still has its whole wire time; a frame that
    // comes slower than its line stalls, however early it started.
    void deadlinesFollowTheLine_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("latency");
        QTest::addColumn<qint64>("headerAt");
        QTest::addColumn<int>("restMs");   // the frame's 259 bytes after the header spread over this
        QTest::addColumn<bool>("arrives");
        QTest::newRow("9600, 1.8 s late, at wire pace") << 9600 << 0 << qint64(1800) << 270 << true;
        QTest::newRow("9600, 1.99 s late, at wire pace") << 9600 << 0 << qint64(1990) << 270 << true;
        QTest::newRow("115200, at 9600 pace") << 115200 << 0 << qint64(0) << 270 << false;
        QTest::newRow("115200, at 115200 pace, 1.9 s late") << 115200 << 0 << qint64(1900) << 23 << true;
        QTest::newRow("115200, held 150 ms, no adapter") << 115200 << 0 << qint64(0) << 150 << false;
        QTest::newRow("115200, held 150 ms by a 16 ms adapter") << 115200 << 16 << qint64(0) << 150 << true;
    }
    void deadlinesFollowTheLine()
    {
        QFETCH(int, rate);
        QFETCH(int, latency);
        QFETCH(qint64, headerAt);
        QFETCH(int, restMs);
        QFETCH(bool, arrives);
        FakeClock clock;
        ScriptedPort port(clock);
        port.LineRate = rate;
        port.AdapterLatencyMs = latency;
        const QByteArray frame = withChecksum(hex("0680") + QByteArray(256, '\x11'));
        port.script.append({headerAt, frame.first(2)});
        for (int i = 1; i <= 10; ++i)
            port.script.append({headerAt + restMs * i / 10, frame.sliced(2 + 26 * (i - 1), i < 10 ? 26 : 23)});
        QByteArray destination(256, '\0');
        QString raised;
        try {
            QCOMPARE(port.ReadReply(destination.data(), 256), 256);
        } catch (const OstrelError &e) {
            raised = e.message();
        }
        QCOMPARE(raised, arrives ? QString() : u"Read timeout"_qs);
    }

    // After a stopped transfer the rest of a reply is dropped until the line
    // has been quiet for a while, or until the limit.
    void drainDropsInputUntilTheLineIsQuiet_data()
    {
        QTest::addColumn<Script>("script");
        QTest::addColumn<bool>("quiet");
        QTest::addColumn<qint64>("endsAt");
        QTest::newRow("nothing comes") << Script{} << true << qint64(20);
        QTest::newRow("a reply's rest") << Script{{0, hex("0680AA")}, {15, hex("BB")}, {30, hex("CC")}} << true
                                        << qint64(50);
        Script endless;
        for (qint64 at = 0; at < 1000; at += 10)
            endless.append({at, hex("55")});
        QTest::newRow("never stops") << endless << false << qint64(100);
    }
    void drainDropsInputUntilTheLineIsQuiet()
    {
        QFETCH(Script, script);
        FakeClock clock;
        ScriptedPort port(clock);
        port.script = script;
        QTEST(port.DrainInput(20, 100), "quiet");
        QTEST(clock.now, "endsAt");
        QVERIFY(!port.readBeyondQueue);
        if (clock.now < 100)
            QCOMPARE(port.InQueueCount(), 0);
    }

    void readReplyOnClosedPortTimesOut()
    {
        FakeClock clock;
        ScriptedPort port(clock);
        port.Close();
        port.ReplyTimeout = 30;
        QVERIFY_THROWS_EXCEPTION(OstrelError, port.ReadReply(nullptr, 0));
        QCOMPARE(clock.now, 31);
    }

    void randomStreamsEndInAMessageWithinTheDeadline()
    {
        QRandomGenerator random(20261207);
        const QStringList messages{u"Read timeout"_qs, u"reply header missing"_qs, u"checksum missmatched"_qs};
        int answered = 0;
        for (int run = 0; run < 10000; ++run) {
            // Mostly near-frames: a proper header, a random length, now and then garbage.
            QByteArray stream;
            const int kind = random.bounded(4);
            const int words = random.bounded(256);
            if (kind > 0)
                stream += char(0x06);
            stream += char(words);
            const qsizetype size = kind == 3 ? 2 * words + 1 : random.bounded(600);
            for (qsizetype i = 0; i < size; ++i)
                stream += char(random.bounded(256));
            if (kind == 3)
                stream = withChecksum(stream.first(2 + 2 * words));
            FakeClock clock;
            ScriptedPort port(clock);
            port.ReplyTimeout = 1 + random.bounded(100);
            qint64 at = 0;
            for (qsizetype i = 0; i < stream.size();) {
                const qsizetype n = 1 + random.bounded(qsizetype(64));
                port.script.append({at, stream.mid(i, n)});
                i += n;
                at += random.bounded(8);
            }
            QByteArray destination(256, '\0');
            try {
                const int n = port.ReadReply(destination.data(), 256, -1);
                QCOMPARE(n, 2 * quint8(stream[1]));
                ++answered;
            } catch (const OstrelError &e) {
                QVERIFY2(messages.contains(e.message()), qPrintable(e.message()));
            }
            QVERIFY(clock.now <= port.ReplyTimeout + port.RestAllowanceMs(TKOVPort::MaxReplySize) + 1);
            QVERIFY(!port.readBeyondQueue);
        }
        QVERIFY(answered > 1000);   // the streams did exercise complete frames
    }
};

QTEST_GUILESS_MAIN(TestFraming)
#include "test_framing.moc"
