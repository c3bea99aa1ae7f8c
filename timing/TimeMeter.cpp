#include "timing/TimeMeter.h"

#include "timing/IClock.h"

namespace {

qint32 AsSigned(quint32 ATick)
{
    return qint32(ATick);
}

// Wrap-around sum and difference without signed overflow.
qint32 Add(qint32 A, qint32 B)
{
    return qint32(quint32(A) + quint32(B));
}

qint32 Sub(qint32 A, qint32 B)
{
    return qint32(quint32(A) - quint32(B));
}

} // namespace

TTimeMeter::TTimeMeter(IClock &AClock, QObject *AOwner)
    : QObject(AOwner), FClock(AClock)
{
    FTimeShift = 0;
    FPaused = false;
    Start();
}

int TTimeMeter::Since(qint32 ASince) const
{
    return Sub(AsSigned(FClock.TickMs()), ASince);
}

void TTimeMeter::Start()
{
    FtPauseLength = 0;
    FPaused = false;
    FtStart = AsSigned(FClock.TickMs());
}

void TTimeMeter::Pause()
{
    FtPauseStart = AsSigned(FClock.TickMs());
    FPaused = true;
}

void TTimeMeter::Resume()
{
    // Without a pause in progress there is no pause start to measure from.
    if (!FPaused)
        return;
    FtPauseLength = Add(FtPauseLength, Since(FtPauseStart));
    FPaused = false;
}

bool TTimeMeter::isOver(int ATimeoutMs) const
{
    return ATimeoutMs < Add(Since(FtStart), FTimeShift);
}

int TTimeMeter::TimeElapsed() const
{
    qint32 result = Add(Sub(Since(FtStart), FtPauseLength), FTimeShift);
    if (FPaused)
        result = Sub(result, Since(FtPauseStart));
    return result;
}
