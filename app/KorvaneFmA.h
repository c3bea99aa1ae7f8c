#pragma once

#include "app/ErrorDisplay.h"
#include "app/KorvaneEnvironment.h"
#include "device/IDebugLog.h"
#include "sound/IFeedbackSignals.h"
#include "storage/LSResult.h"
#include "timing/IReflectorPassHost.h"
#include "timing/LSMode.h"
#include "timing/RunState.h"

#include <QList>
#include <QMainWindow>

#include <memory>
#include <vector>

class IConnectionManager;
class IFileSystem;
class QMenu;
class QAction;
class TfmDlgInput;
class TResultTreeItem;
class TSessionStore;
class QCheckBox;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;
class QToolButton;
class QTreeWidget;
class TDeviceLineInterpreter;
class TLSSettings;
class TReflectorIndicator;
class TReflectorIndicatorPanel;
class TReflectorPassProcessor;
class TTimeMeter;

enum class TLSSortMode { smByName, smByMeasuretime, smByFinalTime };

struct TLSSessionReflectorStat;

// The main window. It owns every piece of run, session and display state:
// the settings, the stopwatch, the loaded measurements, the statistics and
// the current and last saved measurement.
class TfmKorvane : public QMainWindow,
                   private IReflectorPassHost,
                   private IDebugLog,
                   private IFeedbackSignals
{
    Q_OBJECT

public:
    explicit TfmKorvane(const TKorvaneEnvironment &AEnvironment, QWidget *AParent = nullptr);
    ~TfmKorvane() override;

    static QString Caption();

    void ApplySettings();

    // The link and the run.
    bool IsBTConnectionActive() override;
    bool EnsureBTConnection();
    bool OpenBTConnection();
    void Start();
    void Stop(bool ASendSopCommand);
    void UpdateForm();
    void UpdateFormAsync();
    void SendBTCommand(const QString &ACommand);
    void SendBTCommandAsync(const QString &ACommand) override;

    // The device's text and reflector passes.
    void OnBTData(const QString &AValue);
    void OnSensorData(double ADeviceTime, double AFluxValue);
    void RegisterReflectorPass(double ADeviceTime);
    void BuildReflectorIndicator();
    void MarkReflectorPassed(int AIndex);

    // Naming and saving of runs.
    std::unique_ptr<TLSResult> NewResult() const;
    void SaveResult(const TLSResult &R);
    void CheckBeforeStart();
    bool ResultExists(const QString &AName) const;
    bool CheckNewResultName(const QString &AName, bool AShowMessages);
    void DoFinish();

    // Sessions and the list of loaded measurements.
    void ListSessions();
    void LoadSession(const QString &AName);
    bool SessionExists(const QString &AName) const;
    bool CheckNewSessionName(const QString &AName);
    void FreeResult(int AIndex);
    void ClearResults();
    void DeleteResult(TLSResult *R);
    bool ListMultiselect() const { return FListMultiselect; }
    void SetListMultiselect(bool AValue);
    void RebuildResultTree();
    QList<TResultTreeItem *> GetMultiSelectedItems() const;
    void CalcReflectorStat();
    void ClearReflectorStat();
    void RedrawResults();
    void ResetChartZoom();

    // Session menu and list menu actions, with their close handlers.
    void DoSessionAddAction();
    void SessionAddClosed(int AModalResult, const QString &AValue);
    void DoSessionEditAction();
    void SessionEditClosed(TfmDlgInput *ADialog, int AModalResult);
    void DoSessionCopyAction();
    void SessionCopyClosed(TfmDlgInput *ADialog, int AModalResult);
    void DoSessionDelAction();
    void SessionDelClosed(int AModalResult);
    void DoEditAction();
    void EditActionClosed(TfmDlgInput *ADialog, int AModalResult);
    void DoDeleteAction();
    void DeleteActionClosed(int AModalResult);
    void DoGroupAction();

    const std::vector<std::unique_ptr<TLSResult>> &SerList() const { return FSerList; }
    QString CurrentSession() const;

    void ShowFinalTime(double ATimeMs) override;
    void ShowResultIndicator();
    void HideResultIndicator();

    void PlayBeep1() override;
    void PlayBeep2() override;
    void PlayBeepError() override;

    // Read access for tests and for the windows of later parts.
    TLSSettings &Settings() { return *FSettings; }
    const QString &DataPath() const { return FDataPath; }
    int DebugTapCounter() const { return FDebugTapCounter; }
    int AsyncUpdateCounter() const { return FAsyncUpdateCounter; }
    TLSMode Mode() const { return FRun.FMode; }
    const TRunState &Run() const { return FRun; }
    TRunState &Run() { return FRun; }
    const TTimeMeter &TimeMeter() const { return *FTimeMeter; }
    IConnectionManager *Connection() const { return FfmDeviceConnect.get(); }
    const TReflectorIndicator &Indicator() const { return *FIndicator; }

public Q_SLOTS:
    // Event handlers, named after their components.
    void btConnectClick();
    void btStartClick();
    void btStopClick();
    void btStateClick();
    void chkProbeChange();
    void Timer1Timer();
    void tmProbeTimer();
    void ble1Connect();
    void ble1Disconnect();
    void ble1CharacteristicRead() {}
    void btSettingsClick();
    void cbSessionChange();
    void btSessionClick();
    void btListCommandClick();
    void btMultiSelectMouseDown();
    void eNameExit();
    void ResultItemCheckedChange(TResultTreeItem *ASender);
    void FormResize();
    void tmUpdateFormTimer();
    void tmResultDisplayTimer();
    void Label5MouseDown();

protected:
    void resizeEvent(QResizeEvent *AEvent) override;
    bool eventFilter(QObject *AWatched, QEvent *AEvent) override;

private:
    void FormCreate();
    void FormDestroy() noexcept;
    void InitWorkspace();
    void BuildLayout();
    void ToggleDebugMode();
    void Chart1Resize();
    void IndicatorChanged();
    // Position of R in FSerList; -1 when it is not there.
    int IndexOfResult(const TLSResult *R) const;

    // IReflectorPassHost
    bool IsProbeChecked() override;
    void SetResultIndicatorText(const QString &AText) override;
    // IDebugLog: the memo m1
    int LineCount() const override;
    void Clear() override;
    void Append(const QString &ALine) override;

    TKorvaneEnvironment FEnv;
    TErrorDisplay FErrors;
    std::unique_ptr<IFeedbackSignals> FFeedback;
    std::unique_ptr<IFileSystem> FOwnFileSystem;
    std::unique_ptr<TSessionStore> FStore;

    // State created at start-up.
    IDialogService *FDlgASyncService = nullptr;
    std::unique_ptr<TLSSettings> FSettings;
    TTimeMeter *FTimeMeter = nullptr; // owned by the window
    std::unique_ptr<TLSResult> savedRes;
    // Mode, requests, counters and the record of the current run (currRes).
    TRunState FRun;
    std::unique_ptr<IConnectionManager> FfmDeviceConnect;
    // The connection window is open: a probe tick must not open another.
    bool FConnecting = false;
    TReflectorIndicator *FIndicator = nullptr; // owned by the window
    std::unique_ptr<TDeviceLineInterpreter> FLineInterpreter;
    std::unique_ptr<TReflectorPassProcessor> FPassProcessor;
    std::vector<std::unique_ptr<TLSResult>> FSerList;
    std::vector<std::unique_ptr<TLSSessionReflectorStat>> FReflectorStat;
    int FCurrSerIdx = -1;
    QString FDataPath;
    bool FLock = false;
    TLSSortMode FSortMode = TLSSortMode::smByName;
    bool FListMultiselect = false;
    bool FSplineMode = true;
    bool FXAxisTimeMode = false;
    int FAccMode = 0;
    int FTimeGraphMode = 0;
    int FDebugTapCounter = 0;
    int FAsyncUpdateCounter = 0;
    float fx = 0;
    float fy = 0;
    bool md = false;

public:
    // Components, named as in the designed window (also their objectName).
    QWidget *FlowLayoutBottom = nullptr;
    QHBoxLayout *FlowLayoutBottomLayout = nullptr;
    QLabel *Label5 = nullptr;
    QComboBox *cbSession = nullptr;
    QToolButton *btSession = nullptr;
    QPushButton *btSettings = nullptr;

    QWidget *LeftColumn = nullptr;
    QLineEdit *eName = nullptr;
    QSpinBox *eNum = nullptr;
    QPushButton *btTime = nullptr;
    QPushButton *btVelo = nullptr;
    QPushButton *btAcc = nullptr;
    QCheckBox *chkDebug = nullptr;

    QWidget *Chart1 = nullptr;
    TReflectorIndicatorPanel *pnlIndicator = nullptr;
    QFrame *pnlResultIndicator = nullptr;
    QLabel *lResultIndicator = nullptr;
    QPlainTextEdit *m1 = nullptr;
    QToolButton *Button1 = nullptr;
    QToolButton *Button7 = nullptr;
    QProgressBar *indBusy = nullptr;

    QWidget *RightColumn = nullptr;
    QToolButton *btMultiSelect = nullptr;
    QToolButton *Button2 = nullptr;
    QToolButton *btListCommand = nullptr;
    QTreeWidget *tw1 = nullptr;

    QMenu *ppSessMenu = nullptr;
    QAction *mSessAdd = nullptr;
    QAction *mSessEdit = nullptr;
    QAction *mSessCopy = nullptr;
    QAction *mSessDel = nullptr;
    QMenu *ppListMenu = nullptr;
    QAction *mListEdit = nullptr;
    QAction *mListDel = nullptr;
    QAction *mListGroup = nullptr;

    QWidget *FlowLayoutTop = nullptr;
    QHBoxLayout *FlowLayoutTopLayout = nullptr;
    QWidget *Pie1 = nullptr;
    QPushButton *btStart = nullptr;
    QPushButton *btStop = nullptr;
    QPushButton *btConnect = nullptr;
    QPushButton *btState = nullptr;
    QCheckBox *chkProbe = nullptr;

    QTimer *Timer1 = nullptr;
    QTimer *tmUpdateForm = nullptr;
    QTimer *tmResultDisplay = nullptr;
    QTimer *tmProbe = nullptr;
};
