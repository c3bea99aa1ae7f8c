#pragma once

#include "device/ISensorDataSink.h"

#include <QString>

class IClock;
class IDebugLog;
class IDialogService;
class IFeedbackSignals;
class IReflectorPassHost;
class TLSSettings;
class TReflectorIndicator;
class TTimeMeter;
struct TRunState;

// Turns the data lines of an armed run into a timed measurement: the first
// reflector's device time stamp starts the run, each further pass stores one
// segment time, the last one fixes the final time and ends the run. The
// system tick only abandons a run that takes longer than the settings allow.
// In probe mode every reading is also shown in the big result label.
class TReflectorPassProcessor final : public ISensorDataSink
{
public:
    // Every reference must outlive the processor. ASettings gives the
    // reflector count and the time limit as they are at each pass.
    TReflectorPassProcessor(TRunState &ARun, const TLSSettings &ASettings, const TTimeMeter &ATimeMeter,
                            TReflectorIndicator &AIndicator, IReflectorPassHost &AHost, IDebugLog &ADebugLog,
                            IFeedbackSignals &ASignals, IDialogService &ADialogs, IClock &AClock);

    // One data line: device time stamp and flux value.
    void OnSensorData(double ADeviceTime, double AFluxValue) override;
    // Accounts one pass at device time AT.
    void RegisterReflectorPass(double AT);

    // The probe display of a flux value: a general number in the default
    // locale's format, 15 significant digits, no group separators.
    static QString ProbeText(double AFluxValue);
    // |ANow - AStart| as a signed 32-bit difference: a wrap of the tick
    // counter between them does not make it huge.
    static qint64 ElapsedMs(quint32 AStart, quint32 ANow);

private:
    // Ends the run without a result.
    void Abandon();

    TRunState &FRun;
    const TLSSettings &FSettings;
    const TTimeMeter &FTimeMeter;
    TReflectorIndicator &FIndicator;
    IReflectorPassHost &FHost;
    IDebugLog &FDebugLog;
    IFeedbackSignals &FSignals;
    IDialogService &FDialogs;
    IClock &FClock;
};
