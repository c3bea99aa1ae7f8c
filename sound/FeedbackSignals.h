#pragma once

#include "sound/IFeedbackSignals.h"

#include <memory>

class IClock;
class TLSSettings;
class TUtilSound;

// The tones of a run: a beep per reflector, another for the finish, start
// and stop, three for an error. Silent while the settings' UseSound is off.
// Owns the tone module: releasing this object is the sound shutdown, which
// waits for a tone still sounding (at most about 300 ms for these tones).
class TFeedbackSignals final : public IFeedbackSignals
{
public:
    // ASettings is read at every signal and must outlive this object.
    // AClock spaces the error beeps on the calling thread.
    TFeedbackSignals(const TLSSettings &ASettings, std::unique_ptr<TUtilSound> ASound, IClock &AClock);
    ~TFeedbackSignals() override;

    void PlayBeep1() override;
    void PlayBeep2() override;
    void PlayBeepError() override;

    TUtilSound &Sound() { return *FSound; }

private:
    const TLSSettings &FSettings;
    std::unique_ptr<TUtilSound> FSound;
    IClock &FClock;
};
