#pragma once

#include <QtGlobal>

class TKOVPort;

namespace kov {

// Where the device link gets its time: a millisecond tick and a bounded wait.
// Replies are waited for through this, so tests can run the framing on a clock
// that advances only when it is waited on.
class Clock
{
public:
    virtual ~Clock() = default;
    // Milliseconds of a monotonic counter.
    virtual qint64 tick() = 0;
    // Waits at most ms (at least 1); it may end sooner. Given a port, the wait
    // ends as soon as new input arrives on it, so a reply is picked up at once.
    virtual void wait(TKOVPort *port, int ms) = 0;
};

// The real clock of the process.
Clock &systemClock();

} // namespace kov
