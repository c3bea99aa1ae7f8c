#pragma once

#include "sound/IFeedbackSignals.h"

#include <QStringList>

// Feedback signals that write into a list the test keeps: "beep1",
// "beep2", "error".
class TRecordingFeedback final : public IFeedbackSignals
{
public:
    explicit TRecordingFeedback(QStringList &AList) : FList(AList) {}
    void PlayBeep1() override { FList.append(QStringLiteral("beep1")); }
    void PlayBeep2() override { FList.append(QStringLiteral("beep2")); }
    void PlayBeepError() override { FList.append(QStringLiteral("error")); }

private:
    QStringList &FList;
};
