#pragma once

#include "timing/ITimer.h"

#include <QTimer>

// ITimer over a QTimer of the calling thread's event loop.
class TQtTimer final : public ITimer
{
public:
    TQtTimer();

    void SetInterval(int AMs) override;
    int Interval() const override;
    void Start() override;
    void Stop() override;
    bool IsActive() const override;
    void SetOnTimer(std::function<void()> AOnTimer) override;

private:
    QTimer FTimer;
    std::function<void()> FOnTimer;
};
