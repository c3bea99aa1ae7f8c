#include "sound/FeedbackSignals.h"

#include "sound/UtilSound.h"
#include "storage/LSUtils.h"
#include "timing/IClock.h"

TFeedbackSignals::TFeedbackSignals(const TLSSettings &ASettings, std::unique_ptr<TUtilSound> ASound, IClock &AClock)
    : FSettings(ASettings), FSound(std::move(ASound)), FClock(AClock)
{
}

TFeedbackSignals::~TFeedbackSignals() = default;

void TFeedbackSignals::PlayBeep1()
{
    if (FSettings.UseSound)
        FSound->PlayTone(800, 100, TToneOutput::toSoundCard, TWavGenMode::wgmPWM, true);
}

void TFeedbackSignals::PlayBeep2()
{
    if (FSettings.UseSound)
        FSound->PlayTone(1200, 200, TToneOutput::toSoundCard, TWavGenMode::wgmPWM, true);
}

void TFeedbackSignals::PlayBeepError()
{
    // The beeps are spaced by this sleep together with each request's wait
    // for the previous tone and its pause: about 200 ms onset to onset.
    for (int i = 0; i < 3; ++i) {
        PlayBeep1();
        FClock.SleepMs(110);
    }
}
