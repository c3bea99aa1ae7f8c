#pragma once

#include "device/IBleComponent.h"

#include <QBluetoothDeviceInfo>
#include <QList>
#include <QLowEnergyCharacteristic>
#include <QObject>
#include <QPointer>

class QBluetoothDeviceDiscoveryAgent;
class QLowEnergyController;
class QLowEnergyService;

// The Bluetooth LE component over Qt Bluetooth: a low-energy scan, a
// central controller, services discovered without reading values, and
// notifications switched on through the client configuration descriptor.
class TQtBleComponent final : public QObject, public IBleComponent
{
public:
    explicit TQtBleComponent(QObject *AParent = nullptr);
    ~TQtBleComponent() override;

    void Enable() override;
    bool StartDiscovery(int ATimeoutMs) override;
    QList<TBleDeviceInfo> DiscoveredDevices() const override;
    bool ConnectDevice(const TBleDeviceInfo &ADevice) override;
    void DisconnectDevice() override;
    bool IsDeviceConnected() const override;
    bool DiscoverServices() override;
    QList<TBleServiceInfo> Services() const override;
    void WriteCharacteristic(const TBleCharacteristicRef &ARef, const QByteArray &AValue) override;
    void SubscribeCharacteristic(const TBleCharacteristicRef &ARef) override;

private:
    struct TService
    {
        QPointer<QLowEnergyService> Service;
        QList<QLowEnergyCharacteristic> Characteristics;
    };

    void DeviceDiscovered(const QBluetoothDeviceInfo &AInfo);
    void ControllerDiscoveryFinished();
    void ServiceStateChanged();
    void DropController();
    void Emit(const std::function<void()> &AEvent) const;

    QBluetoothDeviceDiscoveryAgent *FAgent = nullptr; // child
    QList<QBluetoothDeviceInfo> FDevices;
    bool FStartingScan = false;
    bool FScanFailed = false;
    QLowEnergyController *FController = nullptr; // child, released with deleteLater
    bool FStartingConnect = false;
    bool FConnectFailed = false;
    QList<TService> FServices;
    QList<TBleServiceInfo> FServiceInfos;
    bool FDetailsPending = false;
    // Counts controllers, so that a queued event of a dropped one is ignored.
    quint64 FGeneration = 0;
};
