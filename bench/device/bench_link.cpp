// Link benchmarks over a pseudo-terminal:
//  1. round trip of one 264-byte block and its acknowledgement against kov-sim
//     (no wire time modelled);
//  2. time ReadReply spends after a reply's bytes have arrived (polling overhead);
//  3. a whole table sent and received against the controller paced at a real
//     rate, behind a USB-serial adapter that holds its bytes up to 0, 1 or
//     16 ms (also with the acknowledgement's last byte as the adapter's event
//     character), and with one reply garbled on the way (one retry): the wire limit
//     (bytes x 10 / baud) over the time taken, 1.0 being the line's best; beside
//     the send, what a bare loop of system calls reaches on the same rig.
#include "device/controller_model.h"
#include "device/controller_pty.h"
#include "device/port_selection.h"
#include "documents/table_document.h"
#include "documents/table_transfer.h"
#include "device/kovserial.h"
#include "common/zered_error.h"

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

void report(const char *what, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    double sum = 0;
    for (double s : samples)
        sum += s;
    std::printf("%-44s n=%zu  mean %.1f us  median %.1f us  p99 %.1f us  max %.1f us\n", what, samples.size(),
                sum / double(samples.size()), samples[samples.size() / 2], samples[samples.size() * 99 / 100],
                samples.back());
}

int roundTrips()
{
    QProcess sim;
    sim.start(qEnvironmentVariable("OSTREL_BUILD_DIR", QStringLiteral(".")) + QStringLiteral("/kov-sim"));
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "kov-sim did not start\n");
        return 1;
    }
    const QString device = QString::fromUtf8(sim.readLine()).trimmed();
    TKOVSerial port;
    port.Open(device, 0);
    const QByteArray block(256, '\x3C');
    std::vector<double> samples;
    for (int i = 0; i < 2000; ++i) {
        const auto t0 = Clock::now();
        port.SendBlock(0xFC, 0x010000 + 256 * (i % 256), 128, block.constData());
        if (port.ReadReply(nullptr, 0) != 0)
            return 1;
        samples.push_back(micros(Clock::now() - t0));
    }
    port.Close();
    sim.terminate();
    sim.waitForFinished(5000);
    report("block + ack round trip via kov-sim", samples);
    return 0;
}

int overhead(const QByteArray &reply, const char *what)
{
    PseudoTerminal pty;
    if (!pty.open(nullptr))
        return 1;
    TKOVSerial port;
    port.Open(pty.devicePath, 0);
    std::atomic<bool> waiting{false};
    std::atomic<Clock::rep> writtenAt{0};
    std::atomic<bool> done{false};
    std::thread writer([&] {
        std::mt19937 random(7);
        while (!done) {
            if (!waiting.exchange(false)) {
                std::this_thread::yield();
                continue;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200 + random() % 1800));
            writtenAt = Clock::now().time_since_epoch().count();
            [[maybe_unused]] const ssize_t n = ::write(pty.master, reply.constData(), size_t(reply.size()));
        }
    });
    std::vector<double> samples;
    QByteArray destination(512, '\0');
    for (int i = 0; i < 1000; ++i) {
        waiting = true;
        port.ReadReply(destination.data(), 512);
        const auto returned = Clock::now().time_since_epoch().count();
        samples.push_back(micros(Clock::duration(returned - writtenAt.load())));
    }
    done = true;
    writer.join();
    port.Close();
    report(what, samples);
    return 0;
}
} // namespace

// The port the bench names; progress tells when the first block was asked
// for and when the last one was done.
struct BenchHost : TransferHost
{
    QString device, baud;
    PortHolder ports;
    Clock::time_point blocksStart, blocksEnd;
    TKOVPort &OpenPort() override { return ports.OpenPort(device, baud); }
    void ClosePort() override { ports.ClosePort(); }
    void ProgressStart(int, int, int) override { blocksStart = Clock::now(); }
    void ProgressStep(int, int) override { blocksEnd = Clock::now(); }
    void ProgressEnd() override {}
};

// The fastest the blocks of a send can go over this pseudo-terminal and
// machine: a bare loop that writes the link's blocks again, each as it was on
// the line, and reads each acknowledgement with plain system calls. What it
// loses against the wire limit is the rig's (the pseudo-terminal's hand-over
// in both directions, a waking processor).
double bareSendSeconds(const QString &device, const QByteArray &blocks)
{
    constexpr qsizetype frameBytes = 7 + TableLink::BlockBytes + 1;
    const int fd = ::open(qUtf8Printable(device), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return -1;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    const auto t0 = Clock::now();
    int got = blocks.size() == TableLink::BlockCount * frameBytes ? 3 : -1;
    for (qsizetype at = 0; got == 3 && at < blocks.size(); at += frameBytes) {
        got = ::write(fd, blocks.constData() + at, size_t(frameBytes)) == frameBytes ? 0 : -1;
        char ack[3];
        for (ssize_t n = 0; got >= 0 && got < 3; got += int(n))
            if ((n = ::read(fd, ack + got, size_t(3 - got))) <= 0)
                got = -1;
    }
    const double seconds = micros(Clock::now() - t0) / 1e6;
    ::close(fd);
    return got == 3 ? seconds : -1;
}

struct Timing
{
    double whole = -1;   // seconds from opening the port to closing it
    double blocks = -1;   // seconds from the first block asked for to the last one done
    QByteArray wire;   // what the host put on the line
};

// A whole-table send (or receive) against a controller paced at baud behind
// an adapter of latencyMs (passing acknowledgements on at once with
// eventChar); with garbled, one of its replies comes garbled. With bareBlocks
// a bare loop writes those blocks instead of the link.
Timing timedTransfer(bool send, int baud, int latencyMs, bool eventChar, bool garbled,
                     const QByteArray *bareBlocks = nullptr)
{
    ControllerModel model;
    if (garbled)
        model.faults.garbleAt = 100;
    ControllerPty pty(model);
    int stop[2];
    if (!pty.open(nullptr) || ::pipe(stop) != 0)
        return {};
    pty.setBaud(baud);
    pty.setAdapterLatency(latencyMs);
    pty.setAdapterEventChar(eventChar ? TKOVPort::AckLastByte : -1);
    char *captured = nullptr;
    size_t capturedSize = 0;
    std::FILE *capture = ::open_memstream(&captured, &capturedSize);
    pty.setCapture(capture);
    std::thread server([&] { pty.serve(stop[0]); });
    BenchHost host;
    host.device = pty.devicePath();
    host.baud = QString::number(baud);
    TableDocument document;
    Timing timing;
    const auto t0 = Clock::now();
    try {
        if (bareBlocks) {
            timing.whole = timing.blocks = bareSendSeconds(pty.devicePath(), *bareBlocks);
        } else {
            if (send)
                SendTable(document, host);
            else
                ReadControllerTable(host);
            timing.whole = micros(Clock::now() - t0) / 1e6;
            timing.blocks = micros(host.blocksEnd - host.blocksStart) / 1e6;
        }
    } catch (const OstrelError &e) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(e.message()));
    }
    [[maybe_unused]] const ssize_t n = ::write(stop[1], "x", 1);
    server.join();
    ::close(stop[0]);
    ::close(stop[1]);
    std::fclose(capture);
    timing.wire = QByteArray(captured, qsizetype(capturedSize));
    std::free(captured);
    return timing;
}

// The median of three runs, so one disturbed by the machine's other work does not count.
Timing medianOfThree(const std::function<Timing()> &run)
{
    std::array<Timing, 3> runs{run(), run(), run()};
    std::sort(runs.begin(), runs.end(), [](const Timing &a, const Timing &b) { return a.blocks < b.blocks; });
    return runs[0].blocks < 0 ? Timing{} : runs[1];
}

enum class Adapter { Plain, EventChar };

int wireEfficiency(int baud, int latencyMs, bool garbled, Adapter adapter = Adapter::Plain)
{
    const bool eventChar = adapter == Adapter::EventChar;
    const Timing send = medianOfThree([&] { return timedTransfer(true, baud, latencyMs, eventChar, garbled); });
    // A retry puts a block on the line twice: no bare loop beside it.
    const Timing bare = garbled ? Timing{0, 0, {}} : medianOfThree([&] {
        return timedTransfer(true, baud, latencyMs, eventChar, false, &send.wire);
    });
    const Timing receive = timedTransfer(false, baud, latencyMs, eventChar, garbled);
    if (send.blocks < 0 || bare.blocks < 0 || receive.blocks < 0)
        return 1;
    // Bytes on the wire: send 256 x (264 out + 3 back), receive 7 out + 256 x 259 back.
    const double sendLimit = 256.0 * (264 + 3) * 10 / baud, recvLimit = (7 + 256.0 * 259) * 10 / baud;
    std::printf("%6d baud, adapter %2d ms%s%s: send %5.2f s (%.3f, blocks %.3f", baud, latencyMs,
                eventChar ? ", event char" : "            ", garbled ? ", one retry" : "           ", send.whole,
                sendLimit / send.whole, sendLimit / send.blocks);
    if (bare.blocks > 0)
        std::printf(", bare loop %.3f", sendLimit / bare.blocks);
    std::printf(")  receive %5.2f s (%.3f, blocks %.3f)\n", receive.whole, recvLimit / receive.whole,
                recvLimit / receive.blocks);
    return 0;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QByteArray frame = QByteArray::fromHex("0680") + QByteArray(256, '\x55');
    frame.append(char(TKOVPort::FrameChecksum(frame.constData(), int(frame.size()))));
    return roundTrips() || overhead(QByteArray::fromHex("0600F9"), "ReadReply time after ack arrived")
           || overhead(frame, "ReadReply time after 259-byte frame arrived") || wireEfficiency(115200, 0, false)
           || wireEfficiency(115200, 1, false) || wireEfficiency(115200, 16, false)
           || wireEfficiency(115200, 1, false, Adapter::EventChar) || wireEfficiency(115200, 16, false, Adapter::EventChar)
           || wireEfficiency(115200, 1, true) || wireEfficiency(500000, 0, false) || wireEfficiency(500000, 1, false)
           || wireEfficiency(500000, 16, false) || wireEfficiency(500000, 16, false, Adapter::EventChar)
           || wireEfficiency(500000, 1, true);
}
