#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// One device seen by a scan.
struct TBleDeviceInfo
{
    QString Name;    // as the device reports it; may be empty
    QString Address; // its identifier
};

// One characteristic of a discovered service.
struct TBleCharacteristicInfo
{
    QString Uuid; // upper-case hexadecimal in braces
};

// One discovered GATT service with its characteristics.
struct TBleServiceInfo
{
    QString Uuid; // upper-case hexadecimal in braces
    QString Name; // the UUID's readable name, if the platform knows one
    QList<TBleCharacteristicInfo> Characteristics;
};

// A characteristic as positions in the component's service list.
struct TBleCharacteristicRef
{
    int Service = -1;
    int Characteristic = -1;
    bool IsValid() const { return Service >= 0 && Characteristic >= 0; }
    bool operator==(const TBleCharacteristicRef &) const = default;
};

// The Bluetooth LE component the connection manager drives: scan, connect,
// discover services, write and subscribe. Its events arrive on the UI
// thread; the manager attaches its handlers to them. The real one sits on
// Qt Bluetooth; tests script one.
class IBleComponent
{
public:
    virtual ~IBleComponent() = default;

    // Makes the radio usable (creates what scanning needs).
    virtual void Enable() = 0;
    // Starts a scan that ends by itself after ATimeoutMs; false when it
    // cannot be started.
    virtual bool StartDiscovery(int ATimeoutMs) = 0;
    // Every device the current scan has seen, in discovery order.
    virtual QList<TBleDeviceInfo> DiscoveredDevices() const = 0;
    // Asks ADevice to connect; false when that is refused at once. A device
    // held before is dropped.
    virtual bool ConnectDevice(const TBleDeviceInfo &ADevice) = 0;
    // Disconnects and forgets the device held, if any; the component sends
    // no further events about it.
    virtual void DisconnectDevice() = 0;
    virtual bool IsDeviceConnected() const = 0;
    // Starts the discovery of the connected device's services and their
    // characteristics; false when that cannot be started.
    virtual bool DiscoverServices() = 0;
    // The services found by the last finished discovery.
    virtual QList<TBleServiceInfo> Services() const = 0;
    // Writes AValue (with response where the characteristic allows it).
    virtual void WriteCharacteristic(const TBleCharacteristicRef &ARef, const QByteArray &AValue) = 0;
    // Asks the device to notify the characteristic.
    virtual void SubscribeCharacteristic(const TBleCharacteristicRef &ARef) = 0;

    // Events. A new device was seen (once per device).
    std::function<void()> OnDiscoverLEDevice;
    // The scan ended.
    std::function<void()> OnEndDiscoverDevices;
    // The radio link to the device came up (services resolved).
    std::function<void()> OnConnect;
    // The device held disconnected.
    std::function<void()> OnDisconnect;
    // Service discovery has found the list of services; details follow.
    std::function<void()> OnServicesDiscovered;
    // Service discovery ended; Services() holds the result.
    std::function<void()> OnEndDiscoverServices;
    // A characteristic notified a value.
    std::function<void(const TBleCharacteristicRef &ARef, const QByteArray &AValue)> OnCharacteristicRead;
    // Any other failure of the platform, with its own message.
    std::function<void(const QString &AMessage)> OnError;
};
