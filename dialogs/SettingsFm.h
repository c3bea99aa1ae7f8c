#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QStyledItemDelegate>

#include <memory>

class IShell;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QWidget;
class TLSSettings;

// What the settings window needs of the main window that opens it.
struct TSettingsMaster
{
    QString DataPath;          // the sessions folder, shown and opened by "Просмотр файлов"
    IShell *Shell = nullptr;   // opens the folder and the help page; none: the links do nothing
    QString HelpUrl;           // address of the help page (see HelpPageUrl)
    QWidget *Window = nullptr; // the window the settings window is centred on; not its owner
};

// The address of the help page shipped with the program: help/index.html
// next to the executable, as a file:// address.
QString HelpPageUrl();

// The length column of the reflector grid: edits a segment length as a
// decimal text with the locale's separator (or "."). Texts that are no
// number cannot be typed; the cells hold texts, which the window converts
// when "OK" is pressed.
class TNumericTextColumn final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *AParent, const QStyleOptionViewItem &AOption,
                          const QModelIndex &AIndex) const override;
};

// The settings window: edits a working copy of the caller's settings and
// copies it back only when closed with "OK". Created for one use.
class TfmSettings final : public QDialog
{
    Q_OBJECT

public:
    explicit TfmSettings(QWidget *AParent = nullptr);
    ~TfmSettings() override;

    // Shows the window modally on a copy of ASettings; after "OK" reads the
    // controls and copies the result into ASettings, and returns true.
    // "Отмена" or the close box change nothing. A length cell that is no
    // number raises EConvertError after the window has closed, before
    // ASettings is touched.
    bool Execute(TLSSettings &ASettings);

    // The segment length as the grid shows it: "0.00", locale's separator.
    static QString FormatLength(double AValue);

    // Set by the opener before Execute.
    TSettingsMaster Master;

    bool ProMode() const { return FProMode; }
    int ProClickCounter() const { return FProClickCounter; }

public Q_SLOTS:
    void btOkClick();
    void btCancelClick();
    void eReflectorCountChange();
    void Label7MouseDown();
    void btBrowseClick();
    void Label10Click();

protected:
    bool eventFilter(QObject *AWatched, QEvent *AEvent) override;

private:
    void BuildLayout();
    void FillControls();
    void ReadControls();
    void FillReflectorRows(int ARowCount);
    void CommitOpenEditor();
    void ApplyProMode();

    bool FLock = false;
    bool FResult = false;
    TLSSettings *FSettings = nullptr; // the caller's record, not owned
    std::unique_ptr<TLSSettings> FSettingsTmp;
    // Length texts typed into the grid, by row; kept when "Кол-во" removes
    // and restores rows, so that changing the count loses no typed length.
    QStringList FLengthTexts;
    int FProClickCounter = 0;
    bool FProMode = false;

public:
    // Components, named as in the designed window (also their objectName).
    QTabWidget *TabControl1 = nullptr;
    QWidget *tbMain = nullptr;
    QWidget *tbReflectors = nullptr;
    QWidget *tbUI = nullptr;
    QWidget *tbOther = nullptr;

    QLabel *Label6 = nullptr;
    QSpinBox *eMinSensorValue = nullptr;
    QLabel *Label7 = nullptr;
    QSpinBox *eMaxSensorValue = nullptr;
    QLabel *lMinFluxValue = nullptr;
    QSpinBox *eMinFluxValue = nullptr;
    QLabel *lMaxFluxValue = nullptr;
    QSpinBox *eMaxFluxValue = nullptr;
    QLabel *Label9 = nullptr;
    QSpinBox *eReflectorCount = nullptr;
    QTableWidget *sgReflectors = nullptr;
    TNumericTextColumn *FValueCol = nullptr; // owned by sgReflectors

    QCheckBox *chkSound = nullptr;
    QCheckBox *chkVibro = nullptr;

    QLabel *lPathLabel = nullptr;
    QLabel *lPath = nullptr;
    QPushButton *btBrowse = nullptr;
    QLabel *Label10 = nullptr;

    QLabel *Label1 = nullptr;
    QLineEdit *eIpHost = nullptr;
    QLabel *Label2 = nullptr;
    QSpinBox *eIpPort = nullptr;
    QLabel *Label3 = nullptr;
    QSpinBox *eMaxWaitTime = nullptr;
    QLabel *Label4 = nullptr;
    QSpinBox *eMinSamplesPerReflector = nullptr;
    QLabel *Label5 = nullptr;
    QSpinBox *eMinSamplesPerReflectorGap = nullptr;

    QWidget *pnlBottom = nullptr;
    QPushButton *btOk = nullptr;
    QPushButton *btCancel = nullptr;
};

// Opens a settings window for ASettings on behalf of the main window and
// releases it when it closes. Errors of Execute pass to the caller.
void ShowSettings(TLSSettings &ASettings, const TSettingsMaster &AMaster);
