#pragma once

#include <QObject>

class IClock;

// A pausable millisecond stopwatch. All differences of ticks are taken in
// 32-bit wrap-around arithmetic, so readings stay right across a wrap of
// the tick counter for intervals under about 24.8 days.
class TTimeMeter : public QObject
{
    Q_OBJECT

public:
    // AClock must outlive the meter.
    explicit TTimeMeter(IClock &AClock, QObject *AOwner = nullptr);

    void Start();
    void Pause();
    // Ends the pause in progress; without one it does nothing.
    void Resume();
    // True when ATimeoutMs < now - start + shift (pauses not subtracted).
    bool isOver(int ATimeoutMs) const;
    int TimeElapsed() const;

    bool Paused() const { return FPaused; }

private:
    // now - ASince as a signed 32-bit difference.
    int Since(qint32 ASince) const;

    IClock &FClock;
    qint32 FtStart = 0;
    qint32 FtPauseStart = 0;
    qint32 FtPauseLength = 0;
    qint32 FTimeShift = 0;
    bool FPaused = false;
};
