#include "dialogs/SettingsFm.h"

#include "app/AppError.h"
#include "sound/IShell.h"
#include "sound/OpenViewUrl.h"
#include "storage/LSUtils.h"
#include "storage/ValueText.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kNameColumn = 0;
constexpr int kValueColumn = 1;

template <typename T>
T *Named(T *AWidget, const char *AName)
{
    AWidget->setObjectName(QString::fromLatin1(AName));
    return AWidget;
}

QSpinBox *NumberField(QWidget *AParent, const char *AName, int AMin, int AMax)
{
    auto *field = Named(new QSpinBox(AParent), AName);
    field->setRange(AMin, AMax);
    return field;
}

QString SegmentName(int ARow)
{
    return QStringLiteral("%1-%2").arg(ARow + 1).arg(ARow + 2);
}

// Adds a label and its field as one row of AGrid.
void AddRow(QGridLayout *AGrid, QLabel *ALabel, QWidget *AField)
{
    const int row = AGrid->rowCount();
    AGrid->addWidget(ALabel, row, 0);
    AGrid->addWidget(AField, row, 1);
}

} // namespace

QString HelpPageUrl()
{
    const QString file = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help/index.html"));
    return QUrl::fromLocalFile(file).toString();
}

QWidget *TNumericTextColumn::createEditor(QWidget *AParent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *editor = new QLineEdit(AParent); // owned by the view
    editor->setFrame(false);
    editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    editor->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    // Digits with "." or the locale's own separator and up to three
    // decimals, which is what the files keep. A text that is not complete
    // (empty, "5.") is not taken into the cell.
    const QString separators = QRegularExpression::escape(QStringLiteral(".") + QLocale().decimalPoint());
    const QRegularExpression number(QStringLiteral("[0-9]{1,6}([%1][0-9]{1,3})?").arg(separators));
    editor->setValidator(new QRegularExpressionValidator(number, editor));
    return editor;
}

TfmSettings::TfmSettings(QWidget *AParent)
    : QDialog(AParent), FSettingsTmp(std::make_unique<TLSSettings>(QString()))
{
    setObjectName(QStringLiteral("fmSettings"));
    setWindowTitle(QStringLiteral("Настройки"));
    BuildLayout();
    FLock = false;
    FResult = false;
    FProMode = false;
    FProClickCounter = 0;
    TabControl1->setCurrentWidget(tbReflectors);
    ApplyProMode();
    resize(597, 366);
}

TfmSettings::~TfmSettings() = default;

void TfmSettings::BuildLayout()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    TabControl1 = Named(new QTabWidget(this), "TabControl1");
    TabControl1->setStyleSheet(QStringLiteral("QTabBar::tab { height: 49px; }"));
    outer->addWidget(TabControl1, 1);

    // "Основное": kept for its fields, which still take part in the copy.
    tbMain = Named(new QWidget(TabControl1), "tbMain");
    {
        auto *page = new QHBoxLayout(tbMain);
        auto *gbNetwork = Named(new QGroupBox(QStringLiteral("Сетевые параметры датчика"), tbMain), "gbNetwork");
        auto *net = new QGridLayout(gbNetwork);
        Label1 = Named(new QLabel(QStringLiteral("IP адрес"), gbNetwork), "Label1");
        eIpHost = Named(new QLineEdit(gbNetwork), "eIpHost");
        eIpHost->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
        Label2 = Named(new QLabel(QStringLiteral("Порт"), gbNetwork), "Label2");
        eIpPort = NumberField(gbNetwork, "eIpPort", 1, 65535);
        AddRow(net, Label1, eIpHost);
        AddRow(net, Label2, eIpPort);
        net->setRowStretch(net->rowCount(), 1);

        auto *gbTiming = Named(new QGroupBox(QStringLiteral("Временны́е параметры"), tbMain), "gbTiming");
        auto *timing = new QGridLayout(gbTiming);
        Label3 = Named(new QLabel(QStringLiteral("Макс. время замера (скатки), с"), gbTiming), "Label3");
        eMaxWaitTime = NumberField(gbTiming, "eMaxWaitTime", 0, 6000);
        Label4 = Named(new QLabel(QStringLiteral("Кол-во выборок на рефлектор"), gbTiming), "Label4");
        eMinSamplesPerReflector = NumberField(gbTiming, "eMinSamplesPerReflector", 0, 2000);
        Label5 = Named(new QLabel(QStringLiteral("Минимум выборок между рефл."), gbTiming), "Label5");
        eMinSamplesPerReflectorGap = NumberField(gbTiming, "eMinSamplesPerReflectorGap", 0, 1000);
        AddRow(timing, Label3, eMaxWaitTime);
        AddRow(timing, Label4, eMinSamplesPerReflector);
        AddRow(timing, Label5, eMinSamplesPerReflectorGap);
        timing->setRowStretch(timing->rowCount(), 1);

        page->addWidget(gbNetwork);
        page->addWidget(gbTiming);
    }

    tbReflectors = Named(new QWidget(TabControl1), "tbReflectors");
    {
        auto *page = new QHBoxLayout(tbReflectors);
        auto *gbZone = Named(new QGroupBox(QStringLiteral("Зона детекции рефлекторов (от лыжи)"), tbReflectors),
                             "gbDetectionZone");
        auto *zone = new QGridLayout(gbZone);
        Label6 = Named(new QLabel(QStringLiteral("Ближняя граница, см"), gbZone), "Label6");
        eMinSensorValue = NumberField(gbZone, "eMinSensorValue", 0, 12000);
        Label7 = Named(new QLabel(QStringLiteral("Дальняя граница, см"), gbZone), "Label7");
        eMaxSensorValue = NumberField(gbZone, "eMaxSensorValue", 0, 12000);
        lMinFluxValue = Named(new QLabel(QStringLiteral("[pro] Fмин"), gbZone), "lMinFluxValue");
        eMinFluxValue = NumberField(gbZone, "eMinFluxValue", 0, 2000);
        lMaxFluxValue = Named(new QLabel(QStringLiteral("[pro] Fмакс"), gbZone), "lMaxFluxValue");
        eMaxFluxValue = NumberField(gbZone, "eMaxFluxValue", 0, 20000);
        AddRow(zone, Label6, eMinSensorValue);
        AddRow(zone, Label7, eMaxSensorValue);
        AddRow(zone, lMinFluxValue, eMinFluxValue);
        AddRow(zone, lMaxFluxValue, eMaxFluxValue);
        zone->setRowStretch(zone->rowCount(), 1);
        // Presses on either label count towards pro mode.
        Label6->installEventFilter(this);
        Label7->installEventFilter(this);

        auto *gbLayout = Named(new QGroupBox(QStringLiteral("Расстановка"), tbReflectors), "gbLayout");
        auto *layout = new QVBoxLayout(gbLayout);
        auto *countRow = new QHBoxLayout;
        Label9 = Named(new QLabel(QStringLiteral("Кол-во"), gbLayout), "Label9");
        eReflectorCount = NumberField(gbLayout, "eReflectorCount", TLSSettings::MinReflectorCount,
                                      TLSSettings::MaxReflectorCount);
        countRow->addWidget(Label9);
        countRow->addWidget(eReflectorCount);
        countRow->addStretch(1);
        layout->addLayout(countRow);

        sgReflectors = Named(new QTableWidget(0, 2, gbLayout), "sgReflectors");
        sgReflectors->setHorizontalHeaderLabels({QStringLiteral("Участок"), QStringLiteral("Длина, м")});
        sgReflectors->verticalHeader()->hide();
        sgReflectors->setColumnWidth(kNameColumn, 90);
        sgReflectors->setColumnWidth(kValueColumn, 120);
        sgReflectors->horizontalHeader()->setStretchLastSection(true);
        sgReflectors->setSelectionMode(QAbstractItemView::SingleSelection);
        sgReflectors->setEditTriggers(QAbstractItemView::AllEditTriggers);
        FValueCol = Named(new TNumericTextColumn(sgReflectors), "FValueCol");
        sgReflectors->setItemDelegateForColumn(kValueColumn, FValueCol);
        layout->addWidget(sgReflectors, 1);
        connect(eReflectorCount, &QSpinBox::valueChanged, this, &TfmSettings::eReflectorCountChange);

        page->addWidget(gbZone, 1);
        page->addWidget(gbLayout, 1);
    }

    tbUI = Named(new QWidget(TabControl1), "tbUI");
    {
        auto *page = new QVBoxLayout(tbUI);
        auto *gbUI = Named(new QGroupBox(QStringLiteral("Интерфейс пользователя"), tbUI), "gbUserInterface");
        auto *box = new QVBoxLayout(gbUI);
        chkSound = Named(new QCheckBox(QStringLiteral("Звук при проезде рефлектора"), gbUI), "chkSound");
        chkVibro = Named(new QCheckBox(QStringLiteral("Вибрация при проезде рефлектора"), gbUI), "chkVibro");
        box->addWidget(chkSound);
        box->addWidget(chkVibro);
        page->addWidget(gbUI);
        page->addStretch(1);
    }

    tbOther = Named(new QWidget(TabControl1), "tbOther");
    {
        auto *page = new QVBoxLayout(tbOther);
        lPathLabel = Named(new QLabel(QStringLiteral("Путь к файлам:"), tbOther), "lPathLabel");
        lPath = Named(new QLabel(tbOther), "lPath");
        lPath->setWordWrap(true);
        lPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QPalette dim = lPath->palette();
        dim.setColor(QPalette::WindowText, QColor(0x69, 0x69, 0x69)); // dim grey
        lPath->setPalette(dim);
        btBrowse = Named(new QPushButton(QStringLiteral("Просмотр файлов"), tbOther), "btBrowse");
        btBrowse->setAutoDefault(false);
        btBrowse->setMinimumSize(160, 33); // a finger's size
        connect(btBrowse, &QPushButton::clicked, this, &TfmSettings::btBrowseClick);
        Label10 = Named(new QLabel(QStringLiteral("Онлайн справка"), tbOther), "Label10");
        QPalette link = Label10->palette();
        link.setColor(QPalette::WindowText, Qt::blue);
        Label10->setPalette(link);
        Label10->setCursor(Qt::PointingHandCursor);
        Label10->installEventFilter(this);
        page->addWidget(lPathLabel);
        page->addWidget(lPath);
        page->addWidget(btBrowse, 0, Qt::AlignLeft);
        page->addSpacing(12);
        page->addWidget(Label10, 0, Qt::AlignLeft);
        page->addStretch(1);
    }

    TabControl1->addTab(tbMain, QStringLiteral("Основное"));
    TabControl1->addTab(tbReflectors, QStringLiteral("Рефлекторы"));
    TabControl1->addTab(tbUI, QStringLiteral("Прочие"));
    TabControl1->addTab(tbOther, QStringLiteral("Справка"));
    TabControl1->setTabVisible(TabControl1->indexOf(tbMain), false);

    // The bottom bar lays its buttons out from the right.
    pnlBottom = Named(new QWidget(this), "pnlBottom");
    pnlBottom->setFixedHeight(42);
    auto *bar = new QHBoxLayout(pnlBottom);
    bar->setDirection(QBoxLayout::RightToLeft);
    bar->setContentsMargins(6, 4, 6, 5);
    bar->setSpacing(6);
    btOk = Named(new QPushButton(QStringLiteral("OK"), pnlBottom), "btOk");
    btCancel = Named(new QPushButton(QStringLiteral("Отмена"), pnlBottom), "btCancel");
    for (QPushButton *button : {btOk, btCancel}) {
        button->setFixedSize(80, 33);
        bar->addWidget(button);
    }
    bar->addStretch(1);
    btOk->setDefault(true);
    btCancel->setAutoDefault(false);
    connect(btOk, &QPushButton::clicked, this, &TfmSettings::btOkClick);
    connect(btCancel, &QPushButton::clicked, this, &TfmSettings::btCancelClick);
    outer->addWidget(pnlBottom);
}

QString TfmSettings::FormatLength(double AValue)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(AValue, 'f', 2);
}

bool TfmSettings::Execute(TLSSettings &ASettings)
{
    // The caller's record is referred to only while the window runs.
    struct TRelease
    {
        TLSSettings *&settings;
        ~TRelease() { settings = nullptr; }
    } release{FSettings};

    FResult = false;
    FSettings = &ASettings;
    FSettingsTmp->AssignFrom(ASettings);
    FillControls();
    exec();
    if (FResult) {
        // Everything is read before the caller's record is touched, so a
        // bad length leaves that record as it was.
        ReadControls();
        ASettings.AssignFrom(*FSettingsTmp);
    }
    return FResult;
}

void TfmSettings::FillControls()
{
    struct TUnlock
    {
        TfmSettings *form;
        ~TUnlock()
        {
            form->ApplyProMode();
            form->FLock = false;
        }
    } unlock{this};
    FLock = true;

    lPath->setText(QDir::toNativeSeparators(Master.DataPath));
    Label10->setToolTip(Master.HelpUrl);

    const TLSSettings &s = *FSettingsTmp;
    eMinSamplesPerReflector->setValue(s.MinSamplesPerReflector);
    eMaxWaitTime->setValue(s.MaxWaitTimeMs / 1000); // whole seconds, truncated
    eMinSamplesPerReflectorGap->setValue(s.MinSamplesPerReflectorGap);
    eIpHost->setText(s.IpHost);
    eIpPort->setValue(s.IpPort);
    eMinSensorValue->setValue(s.MinSensorValue);
    eMaxSensorValue->setValue(s.MaxSensorValue);
    eMinFluxValue->setValue(s.MinFluxValue);
    eMaxFluxValue->setValue(s.MaxFluxValue);
    eReflectorCount->setValue(s.ReflectorCount);

    FLengthTexts.clear();
    FillReflectorRows(eReflectorCount->value() - 1);

    chkVibro->setChecked(FSettings->UseVibro);
    chkSound->setChecked(FSettings->UseSound);
}

void TfmSettings::FillReflectorRows(int ARowCount)
{
    const int rows = std::clamp(ARowCount, 0, TLSSettings::MaxDistances);
    sgReflectors->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        auto *name = new QTableWidgetItem(SegmentName(r)); // owned by the grid
        name->setFlags(Qt::NoItemFlags);                   // read-only and disabled
        sgReflectors->setItem(r, kNameColumn, name);
        const QString length = r < FLengthTexts.size() ? FLengthTexts[r] : FormatLength(FSettingsTmp->ReflectorDistances[r]);
        auto *value = new QTableWidgetItem(length); // owned by the grid
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        sgReflectors->setItem(r, kValueColumn, value);
    }
}

void TfmSettings::CommitOpenEditor()
{
    // A length still in its editor counts as typed; an incomplete text is
    // dropped, as when the editor loses the focus.
    const QModelIndex index = sgReflectors->currentIndex();
    if (!index.isValid())
        return;
    auto *editor = qobject_cast<QLineEdit *>(sgReflectors->indexWidget(index));
    if (editor && editor->hasAcceptableInput())
        FValueCol->setModelData(editor, sgReflectors->model(), index);
}

void TfmSettings::eReflectorCountChange()
{
    if (FLock)
        return;
    struct TUnlock
    {
        bool &lock;
        ~TUnlock() { lock = false; }
    } unlock{FLock};
    FLock = true;

    // Lengths typed so far stay with their rows, also with rows that a
    // smaller count hides for a while.
    CommitOpenEditor();
    for (int r = 0; r < sgReflectors->rowCount(); ++r) {
        const QTableWidgetItem *item = sgReflectors->item(r, kValueColumn);
        const QString text = item ? item->text() : QString();
        if (r < FLengthTexts.size())
            FLengthTexts[r] = text;
        else
            FLengthTexts.append(text);
    }
    FillReflectorRows(eReflectorCount->value() - 1);
}

void TfmSettings::ReadControls()
{
    TLSSettings &s = *FSettingsTmp;
    // The number fields hold whole numbers within their ranges, so their
    // values are taken as they are.
    s.MinSamplesPerReflector = eMinSamplesPerReflector->value();
    s.MaxWaitTimeMs = eMaxWaitTime->value() * 1000;
    s.MinSamplesPerReflectorGap = eMinSamplesPerReflectorGap->value();
    s.IpHost = eIpHost->text();
    s.IpPort = eIpPort->value();
    s.MinSensorValue = eMinSensorValue->value();
    s.MaxSensorValue = eMaxSensorValue->value();
    s.MinFluxValue = eMinFluxValue->value();
    s.MaxFluxValue = eMaxFluxValue->value();
    s.ReflectorCount = eReflectorCount->value();
    const int segments = std::min(s.ReflectorCount - 1, TLSSettings::MaxDistances);
    for (int r = 0; r < segments; ++r) {
        const QTableWidgetItem *item = sgReflectors->item(r, kValueColumn);
        const QString text = item ? item->text() : QString();
        double length = 0.0;
        if (!TValueText::TryReadNumber(text, length))
            throw EConvertError(QStringLiteral("Длина участка %1: \"%2\" не является числом").arg(SegmentName(r), text));
        s.ReflectorDistances[r] = length;
    }
    s.UseVibro = chkVibro->isChecked();
    s.UseSound = chkSound->isChecked();
}

void TfmSettings::ApplyProMode()
{
    eMaxFluxValue->setVisible(FProMode);
    lMaxFluxValue->setVisible(FProMode);
    eMinFluxValue->setVisible(FProMode);
    lMinFluxValue->setVisible(FProMode);
}

void TfmSettings::Label7MouseDown()
{
    ++FProClickCounter;
    if (FProClickCounter >= 10) {
        FProMode = true;
        ApplyProMode();
    }
}

void TfmSettings::btOkClick()
{
    CommitOpenEditor();
    FResult = true;
    accept();
}

void TfmSettings::btCancelClick()
{
    FResult = false;
    reject();
}

void TfmSettings::btBrowseClick()
{
    if (Master.Shell) {
        try {
            Master.Shell->OpenFolder(Master.DataPath);
        } catch (...) {
            // The shell reports nothing; neither does this button.
        }
    }
}

void TfmSettings::Label10Click()
{
    if (Master.Shell)
        OpenViewUrl(*Master.Shell, Master.HelpUrl);
}

bool TfmSettings::eventFilter(QObject *AWatched, QEvent *AEvent)
{
    if ((AWatched == Label6 || AWatched == Label7) && AEvent->type() == QEvent::MouseButtonPress) {
        Label7MouseDown();
    } else if (AWatched == Label10 && AEvent->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(AEvent);
        if (mouse->button() == Qt::LeftButton && Label10->rect().contains(mouse->position().toPoint()))
            Label10Click();
    }
    return QDialog::eventFilter(AWatched, AEvent);
}

void ShowSettings(TLSSettings &ASettings, const TSettingsMaster &AMaster)
{
    // Created for one use and released when it closes, also on an error.
    auto form = std::make_unique<TfmSettings>(AMaster.Window);
    form->Master = AMaster;
    form->Execute(ASettings);
}
