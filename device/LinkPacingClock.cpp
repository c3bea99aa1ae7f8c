#include "device/LinkPacingClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

void TLinkPacingClock::SleepMs(int AMs)
{
    if (AMs <= 0)
        return;
    if (!QCoreApplication::instance()) {
        FBase.SleepMs(AMs);
        return;
    }
    struct TDepth
    {
        int &depth;
        explicit TDepth(int &ADepth) : depth(ADepth) { ++depth; }
        ~TDepth() { --depth; }
    } depth(FDepth);

    constexpr QEventLoop::ProcessEventsFlags flags =
        QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers;
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        QCoreApplication::processEvents(flags);
        const qint64 left = AMs - elapsed.elapsed();
        if (left <= 0)
            break;
        // Short naps: the replies come from Qt D-Bus's own thread as posted
        // events, which a nap does not delay by more than its length.
        QThread::msleep(ulong(qMin<qint64>(left, 2)));
    }
}
