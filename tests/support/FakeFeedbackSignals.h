#pragma once

#include "sound/IFeedbackSignals.h"

#include <QStringList>

// Records the signals in order: "beep1", "beep2", "error".
class TFakeFeedbackSignals final : public IFeedbackSignals
{
public:
    void PlayBeep1() override { Played.append(QStringLiteral("beep1")); }
    void PlayBeep2() override { Played.append(QStringLiteral("beep2")); }
    void PlayBeepError() override { Played.append(QStringLiteral("error")); }

    QStringList Played;
};
