#pragma once

#include <QtGlobal>

// The system's millisecond tick counter and sleeping, injected so that
// timing logic can be driven by a fake clock in tests.
class IClock
{
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start, as an unsigned 32-bit counter
    // that wraps around after about 49.7 days.
    virtual quint32 TickMs() = 0;
    // Blocks the calling thread for AMs milliseconds.
    virtual void SleepMs(int AMs) = 0;
};
