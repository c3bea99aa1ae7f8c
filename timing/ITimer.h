#pragma once

#include <functional>

// A repeating timer on the UI thread, injected so that what it drives can
// be ticked by hand in tests.
class ITimer
{
public:
    virtual ~ITimer() = default;
    virtual void SetInterval(int AMs) = 0;
    virtual int Interval() const = 0;
    // Starts the timer. A running timer keeps its phase: starting it again
    // does not push its next tick back.
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    // Called on every tick; replaces the previous handler.
    virtual void SetOnTimer(std::function<void()> AOnTimer) = 0;
};
