#pragma once

#include "timing/IClock.h"

// The real tick (a monotonic clock truncated to 32 bits) and sleep.
class TSystemClock final : public IClock
{
public:
    quint32 TickMs() override;
    void SleepMs(int AMs) override;

    // The one instance the application uses.
    static TSystemClock &Instance();
};
