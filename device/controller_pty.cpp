#include "device/controller_pty.h"

#include "device/controller_model.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

bool PseudoTerminal::open(QString *error)
{
    const auto fail = [&] {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        close();
        return false;
    };
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return fail();
    const char *name = ::ptsname(master);
    if (!name)
        return fail();
    devicePath = QString::fromLocal8Bit(name);
    slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0)
        return fail();
    termios tio{};
    if (::tcgetattr(slave, &tio) != 0)
        return fail();
    ::cfmakeraw(&tio);
    if (::tcsetattr(slave, TCSANOW, &tio) != 0)
        return fail();
    return true;
}

void PseudoTerminal::close()
{
    if (slave >= 0)
        ::close(slave);
    if (master >= 0)
        ::close(master);
    slave = master = -1;
}

namespace {
qint64 nowNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

struct TimedByte
{
    qint64 due;
    char byte;
};

// Bytes of the front of queue that are due by now.
QByteArray takeDue(std::deque<TimedByte> &queue, qint64 now)
{
    QByteArray bytes;
    while (!queue.empty() && queue.front().due <= now) {
        bytes.append(queue.front().byte);
        queue.pop_front();
    }
    return bytes;
}
} // namespace

// The wire's timing is kept by the clock, not by when this thread gets to run:
// a request's bytes are timed from the moment they were noticed, an answer
// starts when the byte that completed its request was due (however late the
// thread woke for it), and the timers carry no slack, which a line does not
// have either.
void ControllerPty::serve(int stopFd)
{
    constexpr qint64 msNs = 1'000'000;
    const qint64 byteNs = m_baud > 0 ? 10'000'000'000LL / m_baud : 0;
    if (byteNs > 0 || m_latencyMs > 0 || m_lateMs > 0)
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::deque<TimedByte> incoming, outgoing;
    QByteArray held;   // in the adapter, waiting for a full packet or its timer
    qint64 heldSince = 0;   // when the first held byte came
    QByteArray unwritten;   // due but not yet taken by the pty
    qint64 rxFree = 0, txFree = 0;
    char chunk[4096];
    const qint64 latencyNs = m_latencyMs * msNs;
    // Behind an adapter the host sees nothing until the adapter passes what it
    // holds on: at a full packet, at its event character or when its timer runs out.
    const auto adapterRelease = [&] {
        qsizetype count = held.size();
        const qint64 timer = (held.isEmpty() ? outgoing.front().due : heldSince) + latencyNs;
        for (const TimedByte &byte : outgoing) {
            if (count > 0 && byte.due >= timer)
                break;
            ++count;
            if (count >= AdapterPacket || (count > 1 && uchar(byte.byte) == m_eventChar))
                return byte.due;
        }
        return timer;
    };

    for (;;) {
        qint64 now = nowNs();
        for (; !incoming.empty() && incoming.front().due <= now; incoming.pop_front()) {
            const qint64 answerFrom = incoming.front().due + m_lateMs * msNs;
            for (char c : m_model.receive(QByteArrayView(&incoming.front().byte, 1))) {
                txFree = std::max(txFree, answerFrom) + byteNs;
                outgoing.push_back({txFree, c});
            }
        }
        if (m_latencyMs <= 0) {
            unwritten += takeDue(outgoing, now);
        } else {
            for (; !outgoing.empty() && outgoing.front().due <= now; outgoing.pop_front()) {
                const TimedByte &byte = outgoing.front();
                // However late this thread woke, a timer that ran out before
                // this byte came passed the others on without it.
                if (!held.isEmpty() && byte.due >= heldSince + latencyNs) {
                    unwritten += held;
                    held.clear();
                }
                if (held.isEmpty())
                    heldSince = byte.due;
                held += byte.byte;
                if (held.size() >= AdapterPacket || (held.size() > 1 && uchar(byte.byte) == m_eventChar)) {
                    unwritten += held;
                    held.clear();
                }
            }
            if (!held.isEmpty() && now >= heldSince + latencyNs) {
                unwritten += held;
                held.clear();
            }
        }
        if (!unwritten.isEmpty()) {
            const ssize_t n = ::write(m_pty.master, unwritten.constData(), size_t(unwritten.size()));
            if (n > 0)
                unwritten.remove(0, n);
        }
        if (m_model.hungUp() && outgoing.empty() && held.isEmpty() && unwritten.isEmpty()) {
            // Closing the master hangs up every open slave descriptor.
            ::close(m_pty.master);
            m_pty.master = -1;
            return;
        }

        // A request is taken when its last byte is due, not byte by byte:
        // each answer is timed from the byte that completed its request anyway.
        qint64 nextDue = incoming.empty() ? -1 : incoming.back().due;
        if (!outgoing.empty() || !held.isEmpty()) {
            const qint64 next = m_latencyMs > 0 ? adapterRelease() : outgoing.front().due;
            nextDue = nextDue < 0 ? next : std::min(nextDue, next);
        }
        timespec timeout{};
        timespec *timeoutPtr = nullptr;
        if (nextDue >= 0) {
            const qint64 wait = std::max<qint64>(0, nextDue - nowNs());
            timeout = {time_t(wait / 1'000'000'000), long(wait % 1'000'000'000)};
            timeoutPtr = &timeout;
        }
        pollfd fds[2] = {{m_pty.master, short(POLLIN | (unwritten.isEmpty() ? 0 : POLLOUT)), 0},
                         {stopFd, POLLIN, 0}};
        if (::ppoll(fds, stopFd >= 0 ? 2 : 1, timeoutPtr, nullptr) < 0 && errno != EINTR)
            return;
        if (stopFd >= 0 && (fds[1].revents & (POLLIN | POLLHUP)))
            return;
        if (fds[0].revents & POLLIN) {
            now = nowNs();
            const ssize_t n = ::read(m_pty.master, chunk, sizeof chunk);
            for (ssize_t i = 0; i < n; ++i) {
                rxFree = std::max(rxFree, now) + byteNs;
                incoming.push_back({rxFree, chunk[i]});
            }
            if (n > 0 && m_capture) {
                std::fwrite(chunk, 1, size_t(n), m_capture);
                std::fflush(m_capture);
            }
        }
    }
}
