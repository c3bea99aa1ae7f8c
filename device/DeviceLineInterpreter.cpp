#include "device/DeviceLineInterpreter.h"

#include "device/DeviceText.h"
#include "device/IDebugLog.h"
#include "device/ISensorDataSink.h"
#include "dialogs/IDialogService.h"
#include "timing/RunState.h"

TDeviceLineInterpreter::TDeviceLineInterpreter(TRunState &ARun, IDebugLog &ADebugLog, IDialogService &ADialogs,
                                               ISensorDataSink &ASink)
    : FRun(ARun), FDebugLog(ADebugLog), FDialogs(ADialogs), FSink(ASink)
{
}

QString TDeviceLineInterpreter::DeviceErrorMessage(const QString &ALine)
{
    return QStringLiteral("Ошибка откатчика: \r\n") + ALine;
}

void TDeviceLineInterpreter::OnBTData(const QString &AValue)
{
    const QStringList lines = TDeviceText::SplitLines(AValue);
    for (const QString &line : lines) {
        const QStringList fields = TDeviceText::SplitFields(line);

        if (FDebugLog.LineCount() > MaxDebugLogLines)
            FDebugLog.Clear();
        FDebugLog.Append(line);

        if (line.startsWith(QLatin1Char('#'))) {
            if (line.startsWith(QLatin1String("#ERR:")))
                FDialogs.MessageDialogAsync(DeviceErrorMessage(line), TMsgDlgType::mtInformation,
                                            TMsgDlgButtons::mbOK);
            if (line.startsWith(QLatin1String("#CMD:BTN1"))) {
                if (FRun.FMode != TLSMode::lsmIdle)
                    FRun.FNeedStop = true;
                else
                    FRun.FNeedStart = true;
            }
            // A notice ends the text: what follows it is not looked at.
            return;
        }

        if (fields.size() != 3)
            return;
        const double deviceTime = TDeviceText::ToNumber(fields[0]);
        const double second = TDeviceText::ToNumber(fields[1]);
        const double flux = TDeviceText::ToNumber(fields[2]);
        if (deviceTime == 0.0 || second == 0.0 || flux == 0.0)
            return;
        FSink.OnSensorData(deviceTime, flux);
    }
}
