#pragma once

#include <QString>

#include <functional>

class IDialogService;
class IFeedbackSignals;

// The application's general error display. Every handler that can fail runs
// inside Guard: an EAppError is shown in an error dialog and the action is
// abandoned; ESilentAbort ends it quietly. No exception ever reaches the Qt
// event loop.
class TErrorDisplay
{
public:
    explicit TErrorDisplay(IDialogService &ADialogs);

    // True when AAction ran to its end.
    bool Guard(const std::function<void()> &AAction) noexcept;
    void Show(const QString &AMessage) noexcept;

private:
    IDialogService &FDialogs;
};
