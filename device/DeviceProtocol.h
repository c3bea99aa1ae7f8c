#pragma once

#include <QString>

class TLSSettings;

// What the glide tester and this program agree on: the GATT service and
// characteristics, the framing of the text, the pacing of writes, and the
// commands.
class TDeviceProtocol
{
public:
    static const QString DeviceNamePattern;
    static const QString ServiceUuid;
    static const QString TxCharacteristicUuid; // the program writes
    static const QString RxCharacteristicUuid; // the device notifies

    static const QString TxCommandEndTag; // "\r"
    static const QString RxCommandEndTag; // "\r\n"

    // BLE's default payload of one write; longer commands are cut.
    static constexpr int MaxWriteChars = 20;
    static constexpr int RxNotificationPauseMs = 100;
    static constexpr int WritePauseMs = 200;
    static constexpr int AsyncCommandIntervalMs = 800;

    static const QString StopCommand;
    static const QString ProbeCommand;
    static const QString StateCommand;

    // "START " and the detection zone and flux window of ASettings as
    // decimal integers joined by "," (e.g. "START 1,50,1100,9000").
    static QString StartCommand(const TLSSettings &ASettings);
    static QString StartCommand(int AMinSensorValue, int AMaxSensorValue, int AMinFluxValue, int AMaxFluxValue);
};
