#include "device/ConnectionSteps.h"

#include "device/LinkPacingClock.h"
#include "dialogs/IDialogService.h"
#include "timing/ITimer.h"

const QString TConnectionSteps::RationaleText = QStringLiteral(
    "Для обнаружения Bluetooth устройств, Android приложению требуется доступ с сервисам местоположения.");
const QString TConnectionSteps::NoPermissionText = QStringLiteral(
    "Для обнаружения Bluetooth устройств, Android приложению требуется доступ с сервисам местоположения. "
    "Доступа нет.");

namespace {
constexpr int EnableWaitMs = 1000;
constexpr int DiscoveryTimeoutMs = 5000;
}

TConnectionSteps::TConnectionSteps(IConnectView &AView, IDialogService &ADialogs, TLinkPacingClock &AClock,
                                   std::unique_ptr<ITimer> ACommandTimer)
    : FView(AView), FDialogs(ADialogs), FClock(AClock), FSender(*this, AClock, std::move(ACommandTimer))
{
    // Desktop platforms need no permission for scanning: granted at once.
    RequestPermission = [](std::function<void(bool)> AResult) { AResult(true); };
    FResult = false;
    ResetState();
    UpdateView();
}

TConnectionSteps::~TConnectionSteps()
{
    FormDestroy();
}

void TConnectionSteps::FormDestroy()
{
    ResetState();
    AttachMaster(nullptr);
}

void TConnectionSteps::BeginExecute(IBleComponent *AMasterBT, const QString &ADeviceNamePattern,
                                    const QString &AServiceUidPattern, const QString &ATxCharacteristicUidPattern,
                                    const QString &ARxCharacteristicUidPattern)
{
    FDeviceNamePattern = ADeviceNamePattern;
    FServiceUidPattern = AServiceUidPattern;
    FTxCharacteristicUidPattern = ATxCharacteristicUidPattern;
    FRxCharacteristicUidPattern = ARxCharacteristicUidPattern;
    FResult = false;
    FErrorMessage.clear();
    FView.ClearLog();
    FView.ShowLog(ShowDebugLog);
    ResetState();
    AttachMaster(AMasterBT);
    UpdateView();
}

void TConnectionSteps::ResetState()
{
    // The device is forgotten, not told to disconnect.
    FBtTxRxService = -1;
    FBtTxCharacteristic = {};
    FBtRxCharacteristic = {};
    FBtDevice.reset();
    FSender.ResetRxNotification();
    FIsReady = false;
    FConnectionStep = TConnectionStep::csNone;
    FRequiredAction = TRequiredAction::aNone;
    FAllowManualSelect = false;
    FEntries.clear();
    FSelectedEntry = -1;
    FJoiner.ClearCurrentPacket();
}

void TConnectionSteps::AttachMaster(IBleComponent *AComponent)
{
    if (AComponent == FMasterBT)
        return;
    if (FMasterBT) {
        FMasterBT->OnDiscoverLEDevice = {};
        FMasterBT->OnEndDiscoverDevices = {};
        FMasterBT->OnConnect = {};
        FMasterBT->OnDisconnect = {};
        FMasterBT->OnServicesDiscovered = {};
        FMasterBT->OnEndDiscoverServices = {};
        FMasterBT->OnCharacteristicRead = {};
        FMasterBT->OnError = {};
    }
    FMasterBT = AComponent;
    if (!FMasterBT)
        return;
    FMasterBT->OnDiscoverLEDevice = [this] { bleDiscoverLEDevice(); };
    FMasterBT->OnEndDiscoverDevices = [this] { bleEndDiscoverDevices(); };
    FMasterBT->OnConnect = [this] { bleConnect(); };
    FMasterBT->OnDisconnect = [this] { bleDisconnect(); };
    FMasterBT->OnServicesDiscovered = [this] { bleServicesDiscovered(); };
    FMasterBT->OnEndDiscoverServices = [this] { bleEndDiscoverServices(); };
    FMasterBT->OnCharacteristicRead = [this](const TBleCharacteristicRef &ARef, const QByteArray &AValue) {
        bleCharacteristicRead(ARef, AValue);
    };
    FMasterBT->OnError = [this](const QString &AMessage) { bleError(AMessage); };
}

TConnectViewState TConnectionSteps::ViewState() const
{
    TConnectViewState s;
    s.fl1Visible = FConnectionStep == TConnectionStep::csNone && FRequiredAction == TRequiredAction::aNone;
    s.pnlConnectLabelVisible = !s.fl1Visible;
    s.cbDeviceVisible = FAllowManualSelect;
    s.indWaitRunning = FConnectionStep != TConnectionStep::csNone && FRequiredAction != TRequiredAction::aNone;
    switch (FConnectionStep) {
    case TConnectionStep::csDevicesDiscovering:
        s.lState = QStringLiteral("Поиск устройства..");
        break;
    case TConnectionStep::csDeviceConnecting:
        s.lState = QStringLiteral("Подключение..");
        break;
    case TConnectionStep::csServicesDiscovering:
        s.lState = QStringLiteral("Опрос..");
        break;
    case TConnectionStep::csNone:
        s.lState = QStringLiteral("Ожидание..");
        break;
    }
    return s;
}

void TConnectionSteps::UpdateView()
{
    FView.UpdateView(ViewState());
}

void TConnectionSteps::SetRequiredAction(TRequiredAction AAction)
{
    FRequiredAction = AAction;
}

// ---------------------------------------------------------------------------
// Buttons and the step timer

void TConnectionSteps::btConnectClick()
{
    RequestLocationPermission();
    UpdateView();
}

void TConnectionSteps::btManualConnectClick()
{
    SetRequiredAction(TRequiredAction::aConnect);
    UpdateView();
}

void TConnectionSteps::btExitClick()
{
    FResult = false;
    ReleaseDevice();
    ResetState();
    FView.CloseWindow();
}

void TConnectionSteps::tm1Timer()
{
    if (FDisconnectPending) {
        FDisconnectPending = false;
        NotifyMasterDisconnect();
    }
    const TRequiredAction action = FRequiredAction;
    if (action == TRequiredAction::aNone)
        return;
    SetRequiredAction(TRequiredAction::aNone);
    switch (action) {
    case TRequiredAction::aDescoverDevices:
        StartDeviceDiscovery();
        break;
    case TRequiredAction::aDiscoverServices:
        StartServiceDiscovery();
        break;
    case TRequiredAction::aConnect:
        ConnectSelectedDevice();
        break;
    case TRequiredAction::aExit:
        FView.CloseWindow();
        break;
    case TRequiredAction::aNone:
        break;
    }
    UpdateView();
}

// ---------------------------------------------------------------------------
// Permission

void TConnectionSteps::RequestLocationPermission()
{
    const auto ask = [this] { RequestPermission([this](bool AGranted) { LocationPermissionResult(AGranted); }); };
    // Without a permission to name there is no rationale to show, but the
    // service is still asked: it grants at once, or tells of a refusal.
    if (FLocationPermission.isEmpty()) {
        ask();
        return;
    }
    DisplayRationale(ask);
}

void TConnectionSteps::DisplayRationale(const std::function<void()> &AGoOn)
{
    FDialogs.MessageDialogAsync(RationaleText, TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK,
                                [AGoOn](int) { AGoOn(); });
}

void TConnectionSteps::LocationPermissionResult(bool AGranted)
{
    if (AGranted) {
        SetRequiredAction(TRequiredAction::aDescoverDevices);
        FView.Log(QStringLiteral("* aDescoverDevices"));
    } else {
        FinishWithError(NoPermissionText);
    }
}

// ---------------------------------------------------------------------------
// Devices

void TConnectionSteps::StartDeviceDiscovery()
{
    if (FConnectionStep != TConnectionStep::csNone)
        return;
    ResetState();
    FConnectionStep = TConnectionStep::csDevicesDiscovering;
    UpdateView();
    if (!FMasterBT) {
        FinishWithError(QStringLiteral("Не удалось запустить обнаружение устройств"));
        return;
    }
    FMasterBT->Enable();
    FView.Log(QStringLiteral("* BT Enabled"));
    FClock.SleepMs(EnableWaitMs);
    // "Отмена" cannot come during the wait (no user input), but a closed
    // component can.
    if (FConnectionStep != TConnectionStep::csDevicesDiscovering || !FMasterBT)
        return;
    if (!FMasterBT->StartDiscovery(DiscoveryTimeoutMs)) {
        ReleaseDevice();
        FinishWithError(QStringLiteral("Не удалось запустить обнаружение устройств"));
    }
}

void TConnectionSteps::bleDiscoverLEDevice()
{
    if (!FMasterBT)
        return;
    const QList<TBleDeviceInfo> devices = FMasterBT->DiscoveredDevices();
    FView.Log(QStringLiteral("Discovered: %1").arg(devices.size()));
    const qsizetype entriesAtStart = FEntries.size();
    int j = 0;
    for (qsizetype i = 0; i < devices.size(); ++i) {
        const TBleDeviceInfo &device = devices[i];
        FView.Log(QStringLiteral("%1: %2").arg(i).arg(device.Name));
        if (!FDeviceNamePattern.isEmpty() && !device.Name.contains(FDeviceNamePattern, Qt::CaseSensitive)) {
            FView.Log(QStringLiteral("(name has not matched)"));
            continue;
        }
        const QString displayName = device.Name.isEmpty() ? QStringLiteral("Unknown device") : device.Name;
        const QString entryText = QStringLiteral("%1 - %2 - %3").arg(i + 1).arg(displayName, device.Address);
        // A new entry first shows the reported name; the next walk gives it
        // its full text. More than one new entry in a walk is appended too.
        if (j == entriesAtStart || j >= FEntries.size())
            FEntries.append({device.Name, device});
        else
            FEntries[j] = {entryText, device};
        ++j;
    }
    UpdateView();
}

void TConnectionSteps::bleEndDiscoverDevices()
{
    if (FEntries.isEmpty()) {
        if (FConnectionStep == TConnectionStep::csDevicesDiscovering)
            FinishWithError(QStringLiteral("Устройство не обнаружено"));
        UpdateView();
        return;
    }
    FSelectedEntry = 0;
    if (FConnectionStep == TConnectionStep::csDevicesDiscovering) {
        if (FEntries.size() == 1) {
            SetRequiredAction(TRequiredAction::aConnect);
            FConnectionStep = TConnectionStep::csNone;
            FAllowManualSelect = false;
        } else {
            SetRequiredAction(TRequiredAction::aNone);
            FConnectionStep = TConnectionStep::csNone;
            FAllowManualSelect = true;
        }
    }
    UpdateView();
}

void TConnectionSteps::ConnectSelectedDevice()
{
    FIsReady = false;
    SetRequiredAction(TRequiredAction::aNone);
    if (FSelectedEntry < 0 || FSelectedEntry >= FEntries.size() || !FMasterBT) {
        FinishWithError(QStringLiteral("Не удалось соединиться с устройством"));
        return;
    }
    FBtDevice = FEntries[FSelectedEntry].Device;
    FConnectionStep = TConnectionStep::csDeviceConnecting;
    UpdateView();
    if (!FMasterBT->ConnectDevice(*FBtDevice)) {
        ReleaseDevice();
        FinishWithError(QStringLiteral("Не удалось соединиться с устройством"));
    }
}

void TConnectionSteps::bleConnect()
{
    if (FConnectionStep == TConnectionStep::csDeviceConnecting)
        SetRequiredAction(TRequiredAction::aDiscoverServices);
    UpdateView();
}

// ---------------------------------------------------------------------------
// Services

void TConnectionSteps::StartServiceDiscovery()
{
    FConnectionStep = TConnectionStep::csServicesDiscovering;
    UpdateView();
    if (!FMasterBT || !FMasterBT->DiscoverServices()) {
        ReleaseDevice();
        FinishWithError(QStringLiteral("Не удалось запустить обнаружение сервисов устройства"));
    }
}

void TConnectionSteps::bleServicesDiscovered()
{
    FView.SetCaption(QString());
}

void TConnectionSteps::bleEndDiscoverServices()
{
    if (FConnectionStep != TConnectionStep::csServicesDiscovering || !FMasterBT) {
        UpdateView();
        return;
    }
    const QList<TBleServiceInfo> services = FMasterBT->Services();
    int kept = -1;
    for (int s = 0; s < services.size(); ++s) {
        const TBleServiceInfo &service = services[s];
        FView.SetCaption(service.Name);
        if (!FServiceUidPattern.isEmpty() && !service.Uuid.contains(FServiceUidPattern))
            continue;
        if (MatchCharacteristics(s, service)) {
            kept = s;
            break;
        }
    }
    if (kept < 0) {
        ReleaseDevice();
        FinishWithError(QStringLiteral("Устройство не предоставляет нужный сервис!"));
        UpdateView();
        return;
    }
    FBtTxRxService = kept;
    FIsReady = true;
    FResult = true;
    SetRequiredAction(TRequiredAction::aExit);
    FConnectionStep = TConnectionStep::csNone;
    UpdateView();
    if (FMasterOnConnect)
        FMasterOnConnect();
}

bool TConnectionSteps::MatchCharacteristics(int AService, const TBleServiceInfo &AInfo)
{
    FSender.ResetRxNotification();
    TBleCharacteristicRef tx, rx;
    for (int c = 0; c < AInfo.Characteristics.size(); ++c) {
        const QString &uuid = AInfo.Characteristics[c].Uuid;
        // An empty pattern matches nothing.
        if (!FTxCharacteristicUidPattern.isEmpty() && uuid.contains(FTxCharacteristicUidPattern))
            tx = {AService, c};
        if (!FRxCharacteristicUidPattern.isEmpty() && uuid.contains(FRxCharacteristicUidPattern))
            rx = {AService, c};
    }
    if (!tx.IsValid() || !rx.IsValid())
        return false;
    FBtTxCharacteristic = tx;
    FBtRxCharacteristic = rx;
    return true;
}

// ---------------------------------------------------------------------------
// Disconnect, errors, release

void TConnectionSteps::bleDisconnect()
{
    const TConnectionStep step = FConnectionStep;
    ResetState();
    if (step == TConnectionStep::csServicesDiscovering || step == TConnectionStep::csDevicesDiscovering) {
        FinishWithError(QStringLiteral("Не удалось обнаружить сервисы устройства"));
    } else if (step == TConnectionStep::csDeviceConnecting) {
        FinishWithError(QStringLiteral("Устройство разорвало соединение"));
    } else if (FClock.InPause()) {
        // Inside a send: the link is already unwritable, so the rest of the
        // command is dropped; the main window hears of it once the send has
        // returned.
        FDisconnectPending = true;
    } else {
        NotifyMasterDisconnect();
    }
    UpdateView();
}

void TConnectionSteps::NotifyMasterDisconnect()
{
    if (FMasterOnDisconnect)
        FMasterOnDisconnect();
}

void TConnectionSteps::bleError(const QString &AMessage)
{
    switch (FConnectionStep) {
    case TConnectionStep::csDevicesDiscovering:
        ReleaseDevice();
        FinishWithError(AMessage);
        break;
    case TConnectionStep::csDeviceConnecting:
        ReleaseDevice();
        FinishWithError(QStringLiteral("Не удалось соединиться с устройством"));
        break;
    case TConnectionStep::csServicesDiscovering:
        ReleaseDevice();
        FinishWithError(QStringLiteral("Не удалось обнаружить сервисы устройства"));
        break;
    case TConnectionStep::csNone:
        // A ready link reports its loss as a disconnect.
        break;
    }
    UpdateView();
}

void TConnectionSteps::FinishWithError(const QString &AMessage)
{
    ResetState();
    FErrorMessage = AMessage;
    SetRequiredAction(TRequiredAction::aExit);
    FResult = false;
    FDialogs.MessageDialogAsync(AMessage, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
}

void TConnectionSteps::ReleaseDevice()
{
    // Whatever the device reports, one that is held is let go, so a failed
    // step or "Отмена" leaves nothing connected.
    if (FMasterBT && (FBtDevice.has_value() || FMasterBT->IsDeviceConnected()))
        FMasterBT->DisconnectDevice();
}

// ---------------------------------------------------------------------------
// The link

void TConnectionSteps::WriteTx(const QByteArray &AValue)
{
    if (!IsLinkActive() || !FMasterBT)
        return;
    FMasterBT->WriteCharacteristic(FBtTxCharacteristic, AValue);
}

void TConnectionSteps::RequestRxNotifications()
{
    if (!IsLinkActive() || !FMasterBT || !FBtRxCharacteristic.IsValid())
        return;
    FMasterBT->SubscribeCharacteristic(FBtRxCharacteristic);
}

void TConnectionSteps::bleCharacteristicRead(const TBleCharacteristicRef &ARef, const QByteArray &AValue)
{
    if (!FIsReady || ARef != FBtRxCharacteristic)
        return;
    FJoiner.AppendReceivedText(AValue);
}
