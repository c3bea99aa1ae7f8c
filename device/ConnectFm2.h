#pragma once

#include "device/ConnectionSteps.h"
#include "device/IConnectionManager.h"
#include "device/LinkPacingClock.h"

#include <QDialog>

#include <memory>

class IBleComponent;
class IClock;
class IDialogService;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;

// The connection manager: a small modal window that finds, connects and
// matches the glide tester, and afterwards the object that holds the link.
class TfmConnect final : public QDialog, public IConnectionManager, public IConnectView
{
public:
    // The window owns ABle (the Bluetooth LE component it drives); ADialogs
    // and AClock (for the tick) must outlive it.
    TfmConnect(std::unique_ptr<IBleComponent> ABle, IDialogService &ADialogs, IClock &AClock,
               QWidget *AParent = nullptr);
    ~TfmConnect() override;

    // IConnectionManager
    bool Execute(const QString &ADeviceNamePattern, const QString &AServiceUuid, const QString &ATxCharacteristicUuid,
                 const QString &ARxCharacteristicUuid) override;
    bool IsLinkActive() const override { return FSteps->IsLinkActive(); }
    void SetShowDebugLog(bool AShow) override { FSteps->ShowDebugLog = AShow; }
    TCommandSender &Sender() override { return FSteps->Sender(); }
    TPacketJoiner &Joiner() override { return FSteps->Joiner(); }

    TConnectionSteps &Steps() { return *FSteps; }
    TLinkPacingClock &PacingClock() { return FClock; }
    IBleComponent &Ble() { return *FBle; }

    // Closing by the window's close box or Escape counts as "Отмена".
    void reject() override;

    // Components, by their names.
    QWidget *fl1 = nullptr;
    QComboBox *cbDevice = nullptr;
    QPushButton *btManualConnect = nullptr;
    QPushButton *btConnect = nullptr;
    QPushButton *btExit = nullptr;
    QWidget *pnlConnectLabel = nullptr;
    QLabel *lState = nullptr;
    QProgressBar *indWait = nullptr;
    QPlainTextEdit *m1 = nullptr;
    QTimer *tm1 = nullptr;

private:
    // IConnectView
    void UpdateView(const TConnectViewState &AState) override;
    void CloseWindow() override;
    void ClearLog() override;
    void ShowLog(bool AShow) override;
    void Log(const QString &ALine) override;
    void SetCaption(const QString &ACaption) override;

    TLinkPacingClock FClock;
    std::unique_ptr<IBleComponent> FBle;
    std::unique_ptr<TConnectionSteps> FSteps;
    bool FFillingList = false;
};

// The real connection manager over Qt Bluetooth, for the program entry.
std::unique_ptr<IConnectionManager> MakeBluetoothConnection(QWidget *AParentWindow, IDialogService &ADialogs,
                                                            IClock &AClock);
