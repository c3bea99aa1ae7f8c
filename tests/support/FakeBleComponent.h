#pragma once

#include "device/IBleComponent.h"
#include "timing/IClock.h"

#include <QStringList>

#include <optional>

// A Bluetooth LE component played by the test: every call lands in
// Journal, each start can be made to fail, and the test fires the events
// by hand (See, EndScan, ComeUp, Drop, EndServiceDiscovery, Fail).
class TFakeBleComponent final : public IBleComponent
{
public:
    // AClock tells when the scan was started; it must outlive the component.
    explicit TFakeBleComponent(IClock &AClock) : FClock(AClock) {}

    void Enable() override { Journal.append(QStringLiteral("enable")); }
    bool StartDiscovery(int ATimeoutMs) override
    {
        Journal.append(QStringLiteral("scan %1").arg(ATimeoutMs));
        ScanStartedAt = FClock.TickMs();
        if (!CanScan)
            return false;
        Devices.clear();
        return true;
    }
    QList<TBleDeviceInfo> DiscoveredDevices() const override { return Devices; }
    bool ConnectDevice(const TBleDeviceInfo &ADevice) override
    {
        Journal.append(QStringLiteral("connect ") + ADevice.Address);
        if (!CanConnect)
            return false;
        Held = ADevice;
        return true;
    }
    void DisconnectDevice() override
    {
        Journal.append(QStringLiteral("disconnect"));
        Held.reset();
        Connected = false;
    }
    bool IsDeviceConnected() const override { return Connected; }
    bool DiscoverServices() override
    {
        Journal.append(QStringLiteral("discover services"));
        return CanDiscoverServices;
    }
    QList<TBleServiceInfo> Services() const override { return ServiceList; }
    void WriteCharacteristic(const TBleCharacteristicRef &ARef, const QByteArray &AValue) override
    {
        Journal.append(QStringLiteral("write %1 %2").arg(Ref(ARef), QString::fromUtf8(AValue).replace(
                                                                         QLatin1Char('\r'), QLatin1String("\\r"))));
    }
    void SubscribeCharacteristic(const TBleCharacteristicRef &ARef) override
    {
        Journal.append(QStringLiteral("subscribe ") + Ref(ARef));
    }

    // The test's hands. Handlers are copied before the call, since a
    // handler may detach the manager from the component.
    void See(const QString &AName, const QString &AAddress)
    {
        Devices.append({AName, AAddress});
        Fire(OnDiscoverLEDevice);
    }
    void EndScan() { Fire(OnEndDiscoverDevices); }
    void ComeUp()
    {
        Connected = true;
        Fire(OnConnect);
    }
    void Drop()
    {
        Connected = false;
        Fire(OnDisconnect);
    }
    void EndServiceDiscovery(const QList<TBleServiceInfo> &AServices)
    {
        ServiceList = AServices;
        Fire(OnServicesDiscovered);
        Fire(OnEndDiscoverServices);
    }
    void Fail(const QString &AMessage)
    {
        if (auto handler = OnError)
            handler(AMessage);
    }

    // "service/characteristic", as Journal writes a characteristic.
    static QString Ref(const TBleCharacteristicRef &ARef)
    {
        return QStringLiteral("%1/%2").arg(ARef.Service).arg(ARef.Characteristic);
    }

    bool CanScan = true;
    bool CanConnect = true;
    bool CanDiscoverServices = true;
    bool Connected = false;
    std::optional<TBleDeviceInfo> Held;
    QList<TBleDeviceInfo> Devices;
    QList<TBleServiceInfo> ServiceList;
    QStringList Journal;
    quint32 ScanStartedAt = 0;

private:
    static void Fire(const std::function<void()> &AEvent)
    {
        if (auto handler = AEvent)
            handler();
    }

    IClock &FClock;
};
