#pragma once

#include <QString>

// What reflector-pass processing needs of the main window.
class IReflectorPassHost
{
public:
    virtual ~IReflectorPassHost() = default;
    virtual bool IsBTConnectionActive() = 0;
    // Shows a run's final time large over the chart.
    virtual void ShowFinalTime(double ATimeMs) = 0;
    // Queues a command for the device; returns at once.
    virtual void SendBTCommandAsync(const QString &ACommand) = 0;
    // Probe mode: the check box chkProbe is checked.
    virtual bool IsProbeChecked() = 0;
    // Sets the text of the big result label lResultIndicator.
    virtual void SetResultIndicatorText(const QString &AText) = 0;
};
