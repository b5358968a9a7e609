#pragma once

#include "device/kov_clock.h"

// Time that passes only when waited on: one millisecond per wait.
struct FakeClock final : kov::Clock
{
    qint64 now = 0;
    qint64 tick() override { return now; }
    void wait1ms(TKOVPort *) override { ++now; }
};
