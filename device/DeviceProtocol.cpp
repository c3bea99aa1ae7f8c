#include "device/DeviceProtocol.h"

#include "storage/LSUtils.h"

const QString TDeviceProtocol::DeviceNamePattern = QStringLiteral("GORVIK_QUORVEL_02");
const QString TDeviceProtocol::ServiceUuid = QStringLiteral("6B894DE1-A0E2-4077-A08D-D6FBD6470E94");
const QString TDeviceProtocol::TxCharacteristicUuid = QStringLiteral("6B894DE2-A0E2-4077-A08D-D6FBD6470E94");
const QString TDeviceProtocol::RxCharacteristicUuid = QStringLiteral("6B894DE3-A0E2-4077-A08D-D6FBD6470E94");

const QString TDeviceProtocol::TxCommandEndTag = QStringLiteral("\r");
const QString TDeviceProtocol::RxCommandEndTag = QStringLiteral("\r\n");

const QString TDeviceProtocol::StopCommand = QStringLiteral("STOP");
const QString TDeviceProtocol::ProbeCommand = QStringLiteral("PROBE");
const QString TDeviceProtocol::StateCommand = QStringLiteral("STATE");

QString TDeviceProtocol::StartCommand(const TLSSettings &ASettings)
{
    return StartCommand(ASettings.MinSensorValue, ASettings.MaxSensorValue, ASettings.MinFluxValue,
                        ASettings.MaxFluxValue);
}

QString TDeviceProtocol::StartCommand(int AMinSensorValue, int AMaxSensorValue, int AMinFluxValue, int AMaxFluxValue)
{
    // Plain decimal integers: the device does not know the user's locale.
    return QStringLiteral("START %1,%2,%3,%4")
        .arg(QString::number(AMinSensorValue), QString::number(AMaxSensorValue), QString::number(AMinFluxValue),
             QString::number(AMaxFluxValue));
}
