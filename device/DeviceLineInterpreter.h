#pragma once

#include <QString>

class IDebugLog;
class IDialogService;
class ISensorDataSink;
struct TRunState;

// Interprets each text the device delivers (OnBTData): device errors, the
// device's push button, and data lines of three non-zero numbers, which go
// to the sensor data sink. The first line that is neither ends the text.
class TDeviceLineInterpreter
{
public:
    // The debug log holds at most this many lines before the next is added.
    static constexpr int MaxDebugLogLines = 20;

    // All references must outlive the interpreter.
    TDeviceLineInterpreter(TRunState &ARun, IDebugLog &ADebugLog, IDialogService &ADialogs, ISensorDataSink &ASink);

    void OnBTData(const QString &AValue);

    // The text shown for a "#ERR:" line.
    static QString DeviceErrorMessage(const QString &ALine);

private:
    TRunState &FRun;
    IDebugLog &FDebugLog;
    IDialogService &FDialogs;
    ISensorDataSink &FSink;
};
