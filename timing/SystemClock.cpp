#include "timing/SystemClock.h"

#include <QThread>

#include <chrono>

quint32 TSystemClock::TickMs()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return quint32(quint64(ms));
}

void TSystemClock::SleepMs(int AMs)
{
    if (AMs > 0)
        QThread::msleep(ulong(AMs));
}

TSystemClock &TSystemClock::Instance()
{
    static TSystemClock clock;
    return clock;
}
