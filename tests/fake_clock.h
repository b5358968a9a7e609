#pragma once

#include "device/kov_clock.h"

// Time that passes only when waited on: every wait ends after one
// millisecond, as one that input cut short.
struct FakeClock final : kov::Clock
{
    qint64 now = 0;
    qint64 tick() override { return now; }
    void wait(TKOVPort *, int) override { ++now; }
};
