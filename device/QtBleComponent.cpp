#include "device/QtBleComponent.h"

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothUuid>
#include <QLowEnergyController>
#include <QLowEnergyDescriptor>
#include <QLowEnergyService>
#include <QMetaObject>

namespace {
QString UuidText(const QBluetoothUuid &AUuid)
{
    return AUuid.toString(QUuid::WithBraces).toUpper();
}
}

TQtBleComponent::TQtBleComponent(QObject *AParent) : QObject(AParent) {}

TQtBleComponent::~TQtBleComponent()
{
    if (FAgent) {
        FAgent->disconnect(this);
        FAgent->stop();
    }
    if (FController) {
        FController->disconnect(this);
        // Deleting a connected controller closes its link.
        if (FController->state() != QLowEnergyController::UnconnectedState)
            FController->disconnectFromDevice();
        delete FController;
        FController = nullptr;
    }
}

void TQtBleComponent::Emit(const std::function<void()> &AEvent) const
{
    if (AEvent)
        AEvent();
}

void TQtBleComponent::Enable()
{
    if (FAgent)
        return;
    FAgent = new QBluetoothDeviceDiscoveryAgent(this);
    connect(FAgent, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this, &TQtBleComponent::DeviceDiscovered);
    connect(FAgent, &QBluetoothDeviceDiscoveryAgent::finished, this, [this] { Emit(OnEndDiscoverDevices); });
    connect(FAgent, &QBluetoothDeviceDiscoveryAgent::errorOccurred, this,
            [this](QBluetoothDeviceDiscoveryAgent::Error) {
                if (FStartingScan) {
                    FScanFailed = true;
                    return;
                }
                if (OnError)
                    OnError(FAgent->errorString());
            });
}

bool TQtBleComponent::StartDiscovery(int ATimeoutMs)
{
    Enable();
    if (FAgent->isActive())
        FAgent->stop();
    FDevices.clear();
    FAgent->setLowEnergyDiscoveryTimeout(ATimeoutMs);
    FStartingScan = true;
    FScanFailed = false;
    FAgent->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
    FStartingScan = false;
    return !FScanFailed && FAgent->error() == QBluetoothDeviceDiscoveryAgent::NoError;
}

void TQtBleComponent::DeviceDiscovered(const QBluetoothDeviceInfo &AInfo)
{
    if (!(AInfo.coreConfigurations() & QBluetoothDeviceInfo::LowEnergyCoreConfiguration))
        return;
    for (const QBluetoothDeviceInfo &known : std::as_const(FDevices))
        if (known.address() == AInfo.address())
            return;
    FDevices.append(AInfo);
    Emit(OnDiscoverLEDevice);
}

QList<TBleDeviceInfo> TQtBleComponent::DiscoveredDevices() const
{
    QList<TBleDeviceInfo> list;
    for (const QBluetoothDeviceInfo &info : FDevices)
        list.append({info.name(), info.address().toString()});
    return list;
}

bool TQtBleComponent::ConnectDevice(const TBleDeviceInfo &ADevice)
{
    DropController();
    const QBluetoothDeviceInfo *info = nullptr;
    for (const QBluetoothDeviceInfo &known : std::as_const(FDevices))
        if (known.address().toString() == ADevice.Address)
            info = &known;
    if (!info)
        return false;
    FController = QLowEnergyController::createCentral(*info, this);
    if (!FController)
        return false;
    ++FGeneration;
    connect(FController, &QLowEnergyController::connected, this, [this] { Emit(OnConnect); });
    connect(FController, &QLowEnergyController::disconnected, this, [this] { Emit(OnDisconnect); });
    connect(FController, &QLowEnergyController::errorOccurred, this, [this](QLowEnergyController::Error) {
        if (FStartingConnect) {
            FConnectFailed = true;
            return;
        }
        if (OnError)
            OnError(FController->errorString());
    });
    connect(FController, &QLowEnergyController::discoveryFinished, this,
            &TQtBleComponent::ControllerDiscoveryFinished);
    FStartingConnect = true;
    FConnectFailed = false;
    FController->connectToDevice();
    FStartingConnect = false;
    return !FConnectFailed && FController->error() == QLowEnergyController::NoError;
}

void TQtBleComponent::DropController()
{
    FServices.clear();
    FServiceInfos.clear();
    FDetailsPending = false;
    if (!FController)
        return;
    ++FGeneration;
    QLowEnergyController *controller = FController;
    FController = nullptr;
    controller->disconnect(this);
    for (QLowEnergyService *service : controller->findChildren<QLowEnergyService *>())
        service->disconnect(this);
    if (controller->state() != QLowEnergyController::UnconnectedState)
        controller->disconnectFromDevice();
    // It may be inside one of its own signals now.
    controller->deleteLater();
}

void TQtBleComponent::DisconnectDevice()
{
    DropController();
}

bool TQtBleComponent::IsDeviceConnected() const
{
    return FController && FController->state() != QLowEnergyController::UnconnectedState;
}

bool TQtBleComponent::DiscoverServices()
{
    if (!FController || FController->state() != QLowEnergyController::ConnectedState)
        return false;
    FServices.clear();
    FServiceInfos.clear();
    FController->discoverServices();
    return true;
}

void TQtBleComponent::ControllerDiscoveryFinished()
{
    Emit(OnServicesDiscovered);
    if (!FController)
        return;
    FServices.clear();
    const QList<QBluetoothUuid> uuids = FController->services();
    for (const QBluetoothUuid &uuid : uuids) {
        QLowEnergyService *service = FController->createServiceObject(uuid, FController);
        if (!service)
            continue;
        const int index = int(FServices.size());
        FServices.append(TService{service, {}});
        connect(service, &QLowEnergyService::stateChanged, this, &TQtBleComponent::ServiceStateChanged);
        connect(service, &QLowEnergyService::characteristicChanged, this,
                [this, index](const QLowEnergyCharacteristic &AChar, const QByteArray &AValue) {
                    if (index >= FServices.size())
                        return;
                    const QList<QLowEnergyCharacteristic> &chars = FServices[index].Characteristics;
                    for (int c = 0; c < chars.size(); ++c)
                        if (chars[c] == AChar) {
                            if (OnCharacteristicRead)
                                OnCharacteristicRead({index, c}, AValue);
                            return;
                        }
                });
    }
    FDetailsPending = true;
    for (const TService &s : std::as_const(FServices))
        if (s.Service)
            s.Service->discoverDetails(QLowEnergyService::SkipValueDiscovery);
    ServiceStateChanged();
}

void TQtBleComponent::ServiceStateChanged()
{
    if (!FDetailsPending)
        return;
    for (const TService &s : std::as_const(FServices)) {
        if (!s.Service)
            continue;
        const QLowEnergyService::ServiceState state = s.Service->state();
        if (state != QLowEnergyService::RemoteServiceDiscovered && state != QLowEnergyService::InvalidService)
            return;
    }
    FDetailsPending = false;
    FServiceInfos.clear();
    for (TService &s : FServices) {
        TBleServiceInfo info;
        if (s.Service) {
            info.Uuid = UuidText(s.Service->serviceUuid());
            info.Name = s.Service->serviceName();
            s.Characteristics = s.Service->characteristics();
            for (const QLowEnergyCharacteristic &c : std::as_const(s.Characteristics))
                info.Characteristics.append({UuidText(c.uuid())});
        }
        FServiceInfos.append(info);
    }
    // The end is reported from the event loop, not from inside the
    // platform's call: events the device sent before (a disconnect) come
    // first.
    const quint64 generation = FGeneration;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == FGeneration && FController)
                Emit(OnEndDiscoverServices);
        },
        Qt::QueuedConnection);
}

QList<TBleServiceInfo> TQtBleComponent::Services() const
{
    return FServiceInfos;
}

void TQtBleComponent::WriteCharacteristic(const TBleCharacteristicRef &ARef, const QByteArray &AValue)
{
    if (ARef.Service < 0 || ARef.Service >= FServices.size())
        return;
    const TService &s = FServices[ARef.Service];
    if (!s.Service || ARef.Characteristic < 0 || ARef.Characteristic >= s.Characteristics.size())
        return;
    const QLowEnergyCharacteristic &c = s.Characteristics[ARef.Characteristic];
    const auto mode = (c.properties() & QLowEnergyCharacteristic::Write) ? QLowEnergyService::WriteWithResponse
                                                                         : QLowEnergyService::WriteWithoutResponse;
    s.Service->writeCharacteristic(c, AValue, mode);
}

void TQtBleComponent::SubscribeCharacteristic(const TBleCharacteristicRef &ARef)
{
    if (ARef.Service < 0 || ARef.Service >= FServices.size())
        return;
    const TService &s = FServices[ARef.Service];
    if (!s.Service || ARef.Characteristic < 0 || ARef.Characteristic >= s.Characteristics.size())
        return;
    const QLowEnergyDescriptor cccd = s.Characteristics[ARef.Characteristic].clientCharacteristicConfiguration();
    if (cccd.isValid())
        s.Service->writeDescriptor(cccd, QLowEnergyCharacteristic::CCCDEnableNotification);
}
