#pragma once

#include "timing/IClock.h"

#include <QList>

// A clock that moves only when told: sleeping advances it at once, and every
// sleep is recorded so that tests can check the pauses without waiting.
class TFakeClock final : public IClock
{
public:
    explicit TFakeClock(quint32 AStart = 1000) : FNow(AStart) {}

    quint32 TickMs() override { return FNow; }
    void SleepMs(int AMs) override
    {
        Sleeps.append(AMs);
        if (AMs > 0)
            FNow += quint32(AMs);
    }

    void Advance(qint64 AMs) { FNow += quint32(AMs); }
    void Set(quint32 ANow) { FNow = ANow; }

    QList<int> Sleeps;

private:
    quint32 FNow;
};
