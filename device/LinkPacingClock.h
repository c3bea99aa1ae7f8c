#pragma once

#include "timing/IClock.h"

// The clock the link hands to its command sender. Qt Bluetooth puts each
// queued GATT request on the air only after the event loop has handled the
// reply to the previous one, so a pause that blocked the thread would hold
// the pieces of a command back and let them leave in a burst. A pause here
// keeps serving the events the link needs (D-Bus replies and signals,
// notifications, painting) but no user input and no timer: no button and
// no timer-driven step can start or stop a run in the middle of a send.
class TLinkPacingClock final : public IClock
{
public:
    // ABase gives the tick and must outlive this clock.
    explicit TLinkPacingClock(IClock &ABase) : FBase(ABase) {}

    quint32 TickMs() override { return FBase.TickMs(); }
    void SleepMs(int AMs) override;

    // True while a pause runs (events seen now come from inside a send).
    bool InPause() const { return FDepth > 0; }

private:
    IClock &FBase;
    int FDepth = 0;
};
