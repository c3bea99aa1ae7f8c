#include "timing/ReflectorPassProcessor.h"

#include "device/DeviceProtocol.h"
#include "device/IDebugLog.h"
#include "dialogs/IDialogService.h"
#include "sound/IFeedbackSignals.h"
#include "storage/LSResult.h"
#include "storage/LSUtils.h"
#include "timing/IClock.h"
#include "timing/IReflectorPassHost.h"
#include "timing/ReflectorIndicator.h"
#include "timing/RunState.h"
#include "timing/TimeMeter.h"

#include <QLocale>

TReflectorPassProcessor::TReflectorPassProcessor(TRunState &ARun, const TLSSettings &ASettings,
                                                 const TTimeMeter &ATimeMeter, TReflectorIndicator &AIndicator,
                                                 IReflectorPassHost &AHost, IDebugLog &ADebugLog,
                                                 IFeedbackSignals &ASignals, IDialogService &ADialogs, IClock &AClock)
    : FRun(ARun),
      FSettings(ASettings),
      FTimeMeter(ATimeMeter),
      FIndicator(AIndicator),
      FHost(AHost),
      FDebugLog(ADebugLog),
      FSignals(ASignals),
      FDialogs(ADialogs),
      FClock(AClock)
{
}

QString TReflectorPassProcessor::ProbeText(double AFluxValue)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(AFluxValue, 'g', 15);
}

qint64 TReflectorPassProcessor::ElapsedMs(quint32 AStart, quint32 ANow)
{
    // Widened before the sign is dropped: the absolute value of the most
    // negative 32-bit difference does not fit 32 bits.
    const qint64 difference = qint32(ANow - AStart);
    return difference < 0 ? -difference : difference;
}

void TReflectorPassProcessor::OnSensorData(double ADeviceTime, double AFluxValue)
{
    FDebugLog.Append(QStringLiteral("Data"));
    if (FHost.IsProbeChecked())
        FHost.SetResultIndicatorText(ProbeText(AFluxValue));

    // Lines after the run has ended, or while the start command is still
    // being sent, do not count.
    if (FRun.FMode != TLSMode::lsmMeasure || FRun.FNeedStop || FTimeMeter.Paused())
        return;

    if (!FHost.IsBTConnectionActive()) {
        Abandon();
        FSignals.PlayBeepError();
        FDialogs.MessageDialogAsync(QStringLiteral("Разрыв связи с откатчиком"), TMsgDlgType::mtError,
                                    TMsgDlgButtons::mbOK);
        return;
    }
    if (ElapsedMs(FRun.FMeasureStart, FClock.TickMs()) > FSettings.MaxWaitTimeMs) {
        Abandon();
        return;
    }
    RegisterReflectorPass(ADeviceTime);
}

void TReflectorPassProcessor::RegisterReflectorPass(double AT)
{
    const int i = FRun.FCurrReflectorIdx;
    if (i == 0) {
        FRun.FFirstReflectorDevTime = AT;
        FRun.FPrevReflectorDevTime = AT;
    } else if (FRun.currRes && i - 1 < TLSResult::MaxSegments) {
        // Stored as measured, negative or not: the device's clock is the
        // judge of a run.
        FRun.currRes->ReflectorTimesMs[i - 1] = AT - FRun.FPrevReflectorDevTime;
    }
    FIndicator.MarkReflectorPassed(i);
    FRun.FCurrReflectorIdx = i + 1;
    FRun.FPrevReflectorDevTime = AT;

    // "Reached" also covers a count lowered in the settings during the run,
    // which a test for equality would let run past the record's segments.
    if (FRun.FCurrReflectorIdx >= FSettings.ReflectorCount) {
        FRun.FMode = TLSMode::lsmIdle;
        FRun.FNeedStop = true;
        FRun.FMeasureSuccesful = true;
    }

    if (FRun.FNeedStop && FRun.FMeasureSuccesful) {
        const double finalTimeMs = AT - FRun.FFirstReflectorDevTime;
        if (FRun.currRes)
            FRun.currRes->FinalTimeMs = finalTimeMs;
        FHost.ShowFinalTime(finalTimeMs);
        FSignals.PlayBeep2();
        FHost.SendBTCommandAsync(TDeviceProtocol::StopCommand);
    } else {
        FSignals.PlayBeep1();
    }
}

void TReflectorPassProcessor::Abandon()
{
    FRun.FMode = TLSMode::lsmIdle;
    FRun.FNeedStop = true;
    FRun.FMeasureSuccesful = false;
}
