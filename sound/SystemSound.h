#pragma once

#include "sound/ISpeaker.h"

#include <memory>

class IClock;
class IFeedbackSignals;
class TLSSettings;

// The speaker output: the toolkit's beep.
class TSystemSpeaker final : public ISpeaker
{
public:
    explicit TSystemSpeaker(IClock &AClock) : FClock(AClock) {}
    void Beep(int AFrequency, int ADurationMs) override;

private:
    IClock &FClock;
};

// The feedback signals on the real sound card and clock, for the main
// window. ASettings must outlive the result; release the result on the UI
// thread before the application object goes.
std::unique_ptr<IFeedbackSignals> MakeSystemFeedbackSignals(const TLSSettings &ASettings);
