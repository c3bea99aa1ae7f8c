#pragma once

#include "device/CommandSender.h"
#include "device/IBleComponent.h"
#include "device/IDeviceLink.h"
#include "device/PacketJoiner.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class IDialogService;
class ITimer;
class TLinkPacingClock;

enum class TConnectionStep { csNone, csDevicesDiscovering, csDeviceConnecting, csServicesDiscovering };
enum class TRequiredAction { aNone, aDescoverDevices, aDiscoverServices, aConnect, aExit };

// What the connection window shows, as the steps decide it.
struct TConnectViewState
{
    bool fl1Visible = true;
    bool pnlConnectLabelVisible = false;
    bool cbDeviceVisible = false;    // and "Вкл."
    bool indWaitRunning = false;
    QString lState;
};

// The connection window's side of the steps.
class IConnectView
{
public:
    virtual ~IConnectView() = default;
    // Shows AState and the device entries of the steps.
    virtual void UpdateView(const TConnectViewState &AState) = 0;
    virtual void CloseWindow() = 0;
    virtual void ClearLog() = 0;
    virtual void ShowLog(bool AShow) = 0;
    virtual void Log(const QString &ALine) = 0;
    virtual void SetCaption(const QString &ACaption) = 0;
};

// The step machine of the connection manager and the link it leaves
// behind: it scans for the device by name, connects, discovers the
// services, matches the service and the TX and RX characteristics, and then
// carries the commands and the received text. It needs no widgets: the
// window renders it through IConnectView and ticks it with its 300 ms timer.
class TConnectionSteps final : public IDeviceLink
{
public:
    struct TDeviceEntry
    {
        QString Text;
        TBleDeviceInfo Device;
    };
    // Asks the platform for the scanning permission and reports the result
    // (true: granted); on platforms without one it grants at once.
    using TPermissionRequest = std::function<void(std::function<void(bool AGranted)> AResult)>;

    // AView, ADialogs and AClock must outlive the steps; ACommandTimer
    // becomes tmCommandAsync.
    TConnectionSteps(IConnectView &AView, IDialogService &ADialogs, TLinkPacingClock &AClock,
                     std::unique_ptr<ITimer> ACommandTimer);
    ~TConnectionSteps() override;
    TConnectionSteps(const TConnectionSteps &) = delete;
    TConnectionSteps &operator=(const TConnectionSteps &) = delete;

    // Steps 1-3 of Execute: the patterns, the log, a reset and the
    // component; the window then shows itself modally.
    void BeginExecute(IBleComponent *AMasterBT, const QString &ADeviceNamePattern, const QString &AServiceUidPattern,
                      const QString &ATxCharacteristicUidPattern, const QString &ARxCharacteristicUidPattern);
    bool Result() const { return FResult; }

    // Buttons and the step timer.
    void btConnectClick();       // "Подключиться к откатчику"
    void btManualConnectClick(); // "Вкл."
    void btExitClick();          // "Отмена"
    void tm1Timer();
    void SelectEntry(int AIndex) { FSelectedEntry = AIndex; }

    void AttachMaster(IBleComponent *AComponent);
    void ResetState();
    void FormDestroy();

    // The link.
    bool IsLinkActive() const { return FBtDevice.has_value() && FIsReady && FBtTxCharacteristic.IsValid(); }
    bool IsWritable() const override { return IsLinkActive(); }
    void WriteTx(const QByteArray &AValue) override;
    void RequestRxNotifications() override;
    TCommandSender &Sender() { return FSender; }
    TPacketJoiner &Joiner() { return FJoiner; }

    // The caller's handlers (the main window's connect and disconnect).
    std::function<void()> FMasterOnConnect;
    std::function<void()> FMasterOnDisconnect;
    // The platform's permission service; grants at once unless replaced.
    TPermissionRequest RequestPermission;
    bool ShowDebugLog = false;

    // State, for the window and for tests.
    TConnectionStep ConnectionStep() const { return FConnectionStep; }
    TRequiredAction RequiredAction() const { return FRequiredAction; }
    bool AllowManualSelect() const { return FAllowManualSelect; }
    bool IsReady() const { return FIsReady; }
    const QString &ErrorMessage() const { return FErrorMessage; }
    const QList<TDeviceEntry> &DeviceEntries() const { return FEntries; }
    int SelectedEntry() const { return FSelectedEntry; }
    const std::optional<TBleDeviceInfo> &BtDevice() const { return FBtDevice; }
    TBleCharacteristicRef BtTxCharacteristic() const { return FBtTxCharacteristic; }
    TBleCharacteristicRef BtRxCharacteristic() const { return FBtRxCharacteristic; }
    TConnectViewState ViewState() const;

    static const QString RationaleText;
    static const QString NoPermissionText;

private:
    void UpdateView();
    void SetRequiredAction(TRequiredAction AAction);
    void RequestLocationPermission();
    void LocationPermissionResult(bool AGranted);
    void DisplayRationale(const std::function<void()> &AGoOn);
    void StartDeviceDiscovery();
    void ConnectSelectedDevice();
    void StartServiceDiscovery();
    bool MatchCharacteristics(int AService, const TBleServiceInfo &AInfo);
    void ReleaseDevice();
    void FinishWithError(const QString &AMessage);

    // Events of the component.
    void bleDiscoverLEDevice();
    void bleEndDiscoverDevices();
    void bleConnect();
    void bleDisconnect();
    void bleServicesDiscovered();
    void bleEndDiscoverServices();
    void bleCharacteristicRead(const TBleCharacteristicRef &ARef, const QByteArray &AValue);
    void bleError(const QString &AMessage);
    void NotifyMasterDisconnect();

    IConnectView &FView;
    IDialogService &FDialogs;
    TLinkPacingClock &FClock;
    IBleComponent *FMasterBT = nullptr;
    QString FDeviceNamePattern, FServiceUidPattern, FTxCharacteristicUidPattern, FRxCharacteristicUidPattern;
    std::optional<TBleDeviceInfo> FBtDevice;
    int FBtTxRxService = -1;
    TBleCharacteristicRef FBtTxCharacteristic, FBtRxCharacteristic;
    bool FIsReady = false;
    bool FAllowManualSelect = false;
    bool FResult = false;
    QString FErrorMessage;
    TConnectionStep FConnectionStep = TConnectionStep::csNone;
    TRequiredAction FRequiredAction = TRequiredAction::aNone;
    QString FLocationPermission; // none needed on desktop platforms
    QList<TDeviceEntry> FEntries; // cbDevice
    int FSelectedEntry = -1;
    // A disconnect seen inside a send waits for the next tick, so that the
    // run is not stopped in the middle of the send.
    bool FDisconnectPending = false;
    TPacketJoiner FJoiner;
    TCommandSender FSender;
};
