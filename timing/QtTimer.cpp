#include "timing/QtTimer.h"

TQtTimer::TQtTimer()
{
    QObject::connect(&FTimer, &QTimer::timeout, &FTimer, [this] {
        if (FOnTimer)
            FOnTimer();
    });
}

void TQtTimer::SetInterval(int AMs)
{
    FTimer.setInterval(AMs);
}

int TQtTimer::Interval() const
{
    return FTimer.interval();
}

void TQtTimer::Start()
{
    // QTimer::start() would restart a running timer.
    if (!FTimer.isActive())
        FTimer.start();
}

void TQtTimer::Stop()
{
    FTimer.stop();
}

bool TQtTimer::IsActive() const
{
    return FTimer.isActive();
}

void TQtTimer::SetOnTimer(std::function<void()> AOnTimer)
{
    FOnTimer = std::move(AOnTimer);
}
