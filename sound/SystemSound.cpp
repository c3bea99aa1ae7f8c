#include "sound/SystemSound.h"

#include "sound/FeedbackSignals.h"
#include "sound/UtilSound.h"
#include "sound/Waver.h"
#include "timing/SystemClock.h"

#include <QApplication>

void TSystemSpeaker::Beep(int AFrequency, int ADurationMs)
{
    Q_UNUSED(AFrequency);
    // Most platforms have no beep service that plays a given pitch for a
    // given time: the toolkit's beep is the system bell at its own pitch
    // and length. It is rung on the UI thread, without waiting for it (the
    // UI thread may itself be waiting for this worker), and the duration is
    // slept out here as a blocking beep would.
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [] { QApplication::beep(); }, Qt::QueuedConnection);
    FClock.SleepMs(ADurationMs);
}

std::unique_ptr<IFeedbackSignals> MakeSystemFeedbackSignals(const TLSSettings &ASettings)
{
    IClock &clock = TSystemClock::Instance();
    auto sound = std::make_unique<TUtilSound>(CreateWaver, clock, std::make_unique<TSystemSpeaker>(clock));
    return std::make_unique<TFeedbackSignals>(ASettings, std::move(sound), clock);
}
