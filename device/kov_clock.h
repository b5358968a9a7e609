#pragma once

#include <QtGlobal>

class TKOVPort;

namespace kov {

// Where the device link gets its time: a millisecond tick and a wait of at most
// one millisecond. Replies are polled through this, so tests can run the
// framing on a clock that advances only when it is waited on.
class Clock
{
public:
    virtual ~Clock() = default;
    // Milliseconds of a monotonic counter.
    virtual qint64 tick() = 0;
    // Waits at most 1 ms. Given a port, the wait may end as soon as new input
    // arrives on it, so a reply is picked up without waiting out the millisecond.
    virtual void wait1ms(TKOVPort *port) = 0;
};

// The real clock of the process.
Clock &systemClock();

} // namespace kov
