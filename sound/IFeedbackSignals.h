#pragma once

// The three tones that mark the events of a run; the main window keeps the
// method names and delegates to an implementation of this.
class IFeedbackSignals
{
public:
    virtual ~IFeedbackSignals() = default;
    virtual void PlayBeep1() = 0;     // reflector passed
    virtual void PlayBeep2() = 0;     // finish, start, stop
    virtual void PlayBeepError() = 0; // error: three short beeps
};
