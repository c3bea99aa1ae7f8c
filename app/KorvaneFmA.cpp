#include "app/KorvaneFmA.h"

#include "app/AppError.h"
#include "app/IDataFolders.h"
#include "app/ScopeExit.h"
#include "device/CommandSender.h"
#include "device/DeviceLineInterpreter.h"
#include "device/DeviceProtocol.h"
#include "device/IConnectionManager.h"
#include "device/PacketJoiner.h"
#include "dialogs/IDialogService.h"
#include "dialogs/SettingsFm.h"
#include "dialogs/dlgInputFm.h"
#include "storage/LSUtils.h"
#include "storage/QtFileSystem.h"
#include "storage/SessionNames.h"
#include "storage/SessionStore.h"
#include "timing/IClock.h"
#include "timing/ReflectorIndicator.h"
#include "timing/ReflectorPassProcessor.h"
#include "timing/TimeMeter.h"
#include "view/ReflectorIndicatorPanel.h"
#include "view/ResultIndicator.h"
#include "view/TreeNode.h"

#include <QApplication>
#include <QDate>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

// Per-reflector best values of the loaded session.
struct TLSSessionReflectorStat
{
    double BestFinalTime = 0.0;
    double BestSegmentTime = 0.0;
};

namespace {

// The pie of the run bar: an outline only, it has no fill.
class TPie : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(palette().color(QPalette::WindowText), 2));
        p.setBrush(Qt::NoBrush);
        const int side = std::min(width(), height()) - 6;
        p.drawEllipse(QRect((width() - side) / 2, (height() - side) / 2, side, side));
    }
};

// Keeps the bar from repainting while its buttons change, also on error.
class TUpdateBracket
{
public:
    explicit TUpdateBracket(QWidget *AWidget) : FWidget(AWidget) { FWidget->setUpdatesEnabled(false); }
    ~TUpdateBracket() { FWidget->setUpdatesEnabled(true); }
    TUpdateBracket(const TUpdateBracket &) = delete;
    TUpdateBracket &operator=(const TUpdateBracket &) = delete;

private:
    QWidget *FWidget;
};

template <typename T>
T *Named(T *AWidget, const char *AName)
{
    AWidget->setObjectName(QString::fromLatin1(AName));
    return AWidget;
}

QToolButton *ToolButton(QWidget *AParent, const char *AName, const QString &AText, const QString &AHint = QString())
{
    auto *b = Named(new QToolButton(AParent), AName);
    b->setText(AText);
    b->setToolTip(AHint);
    return b;
}

QIcon ThemeIcon(const char *AName, QStyle::StandardPixmap AFallback)
{
    return QIcon::fromTheme(QString::fromLatin1(AName), QApplication::style()->standardIcon(AFallback));
}

} // namespace

namespace {

// The window asks every question without blocking: a platform without such
// dialogs cannot run it, and start-up ends here.
IDialogService &RequireDialogService(const TKorvaneEnvironment &AEnvironment)
{
    if (!AEnvironment.Dialogs)
        throw EAppError(QStringLiteral("DialogServiceAsync not supported"));
    return *AEnvironment.Dialogs;
}

} // namespace

TfmKorvane::TfmKorvane(const TKorvaneEnvironment &AEnvironment, QWidget *AParent)
    : QMainWindow(AParent), FEnv(AEnvironment), FErrors(RequireDialogService(AEnvironment))
{
    setObjectName(QStringLiteral("fmKorvane"));
    setWindowTitle(Caption());
    BuildLayout();
    FormCreate();
}

TfmKorvane::~TfmKorvane()
{
    FormDestroy();
}

QString TfmKorvane::Caption()
{
    return QStringLiteral("Откатчик \"Горвик\"");
}

void TfmKorvane::BuildLayout()
{
    auto *central = Named(new QWidget(this), "Layout1");
    setCentralWidget(central);
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // Top strip: session selector and settings; also the drag strip.
    FlowLayoutBottom = Named(new QWidget(central), "FlowLayoutBottom");
    FlowLayoutBottom->setFixedHeight(37);
    FlowLayoutBottomLayout = new QHBoxLayout(FlowLayoutBottom);
    FlowLayoutBottomLayout->setContentsMargins(4, 2, 4, 2);
    FlowLayoutBottomLayout->setSpacing(4);
    Label5 = Named(new QLabel(QStringLiteral("Сессия:"), FlowLayoutBottom), "Label5");
    cbSession = Named(new QComboBox(FlowLayoutBottom), "cbSession");
    cbSession->setMinimumWidth(260);
    cbSession->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    btSession = ToolButton(FlowLayoutBottom, "btSession", QStringLiteral("…"));
    btSettings = Named(new QPushButton(ThemeIcon("preferences-system", QStyle::SP_FileDialogDetailedView),
                                       QStringLiteral("Настройки"), FlowLayoutBottom),
                       "btSettings");
    FlowLayoutBottomLayout->addWidget(Label5);
    FlowLayoutBottomLayout->addWidget(cbSession);
    FlowLayoutBottomLayout->addWidget(btSession);
    FlowLayoutBottomLayout->addWidget(btSettings);
    FlowLayoutBottomLayout->addStretch(1);
    FlowLayoutBottom->installEventFilter(this);
    Label5->installEventFilter(this);
    outer->addWidget(FlowLayoutBottom);

    auto *middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    outer->addLayout(middle, 1);

    // Left column: measurement name, next number, graph modes.
    LeftColumn = Named(new QWidget(central), "LeftColumn");
    LeftColumn->setFixedWidth(96);
    auto *left = new QVBoxLayout(LeftColumn);
    left->setContentsMargins(4, 4, 4, 4);
    left->setSpacing(4);
    left->addWidget(Named(new QLabel(QStringLiteral("Наимен.:"), LeftColumn), "Label4"));
    eName = Named(new QLineEdit(QStringLiteral("Изм_"), LeftColumn), "eName");
    left->addWidget(eName);
    left->addWidget(Named(new QLabel(QStringLiteral("След. №:"), LeftColumn), "Label3"));
    eNum = Named(new QSpinBox(LeftColumn), "eNum");
    eNum->setRange(1, 100000000);
    eNum->setValue(1);
    left->addWidget(eNum);
    left->addSpacing(8);
    btTime = Named(new QPushButton(QStringLiteral("Время"), LeftColumn), "btTime");
    btVelo = Named(new QPushButton(QStringLiteral("Скорость"), LeftColumn), "btVelo");
    btAcc = Named(new QPushButton(QStringLiteral("Ускор."), LeftColumn), "btAcc");
    auto *modes = new QButtonGroup(LeftColumn);
    for (QPushButton *b : {btTime, btVelo, btAcc}) {
        b->setCheckable(true);
        b->setMinimumHeight(44);
        modes->addButton(b);
        left->addWidget(b);
    }
    btTime->setChecked(true);
    chkDebug = Named(new QCheckBox(QStringLiteral("DBG"), LeftColumn), "chkDebug");
    chkDebug->hide();
    left->addWidget(chkDebug);
    left->addStretch(1);
    middle->addWidget(LeftColumn);

    // Centre: the chart area with its overlays.
    Chart1 = Named(new QWidget(central), "Chart1");
    Chart1->setAutoFillBackground(true);
    Chart1->setBackgroundRole(QPalette::Base);
    Chart1->installEventFilter(this);
    middle->addWidget(Chart1, 1);

    pnlIndicator = Named(new TReflectorIndicatorPanel(Chart1), "pnlIndicator");
    pnlResultIndicator = Named(new QFrame(Chart1), "pnlResultIndicator");
    pnlResultIndicator->setGeometry(240, 56, 433, 163);
    pnlResultIndicator->setContentsMargins(3, 0, 0, 0);
    pnlResultIndicator->installEventFilter(this);
    auto *resultLayout = new QHBoxLayout(pnlResultIndicator);
    resultLayout->setContentsMargins(3, 0, 0, 0);
    lResultIndicator = Named(new QLabel(QStringLiteral("0.00 c"), pnlResultIndicator), "lResultIndicator");
    QFont big = lResultIndicator->font();
    big.setPointSize(96);
    big.setBold(true);
    lResultIndicator->setFont(big);
    lResultIndicator->setStyleSheet(QStringLiteral("color: #6A5ACD;"));
    lResultIndicator->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lResultIndicator->setWordWrap(false);
    lResultIndicator->installEventFilter(this);
    resultLayout->addWidget(lResultIndicator, 0, Qt::AlignCenter);

    m1 = Named(new QPlainTextEdit(Chart1), "m1");
    m1->setReadOnly(true);
    m1->hide();
    Button1 = ToolButton(Chart1, "Button1", QStringLiteral("~"), QStringLiteral("Вкл./выкл. сглаживание"));
    Button7 = ToolButton(Chart1, "Button7", QStringLiteral("t/x"),
                         QStringLiteral("Переключить отображение времени/расстояния вдоль оси X"));
    for (QToolButton *b : {Button1, Button7}) {
        b->setFixedSize(44, 44);
        b->setStyleSheet(QStringLiteral("QToolButton { background: rgba(200, 200, 200, 110); border: 1px solid rgba(0, 0, 0, 60); border-radius: 6px; }"));
    }
    indBusy = Named(new QProgressBar(Chart1), "indBusy");
    indBusy->setRange(0, 0);
    indBusy->setTextVisible(false);
    indBusy->hide();

    // Right column: list tools and the tree of measurements.
    RightColumn = Named(new QWidget(central), "RightColumn");
    RightColumn->setFixedWidth(160);
    auto *right = new QVBoxLayout(RightColumn);
    right->setContentsMargins(4, 4, 4, 4);
    right->setSpacing(4);
    auto *panel3 = Named(new QWidget(RightColumn), "Panel3");
    auto *tools = new QHBoxLayout(panel3);
    tools->setContentsMargins(0, 0, 0, 0);
    tools->setSpacing(4);
    btMultiSelect = ToolButton(panel3, "btMultiSelect", QStringLiteral("☐"), QStringLiteral("Режим множественного выбора"));
    Button2 = ToolButton(panel3, "Button2", QStringLiteral("⇅"), QStringLiteral("Сортировка по названию/результату"));
    btListCommand = ToolButton(panel3, "btListCommand", QStringLiteral("…"));
    for (QToolButton *b : {btMultiSelect, Button2, btListCommand}) {
        b->setFixedSize(44, 36);
        tools->addWidget(b);
    }
    right->addWidget(panel3);
    tw1 = Named(new QTreeWidget(RightColumn), "tw1");
    tw1->setHeaderHidden(true);
    tw1->setRootIsDecorated(false);
    right->addWidget(tw1, 1);
    middle->addWidget(RightColumn);

    // Bottom run bar.
    FlowLayoutTop = Named(new QWidget(central), "FlowLayoutTop");
    FlowLayoutTop->setFixedHeight(80);
    FlowLayoutTopLayout = new QHBoxLayout(FlowLayoutTop);
    FlowLayoutTopLayout->setContentsMargins(4, 4, 4, 4);
    FlowLayoutTopLayout->setSpacing(4);
    Pie1 = Named(new TPie(FlowLayoutTop), "Pie1");
    Pie1->setFixedSize(64, 64);
    btStart = Named(new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("Старт"), FlowLayoutTop), "btStart");
    btStop = Named(new QPushButton(style()->standardIcon(QStyle::SP_MediaStop), QStringLiteral("Стоп"), FlowLayoutTop), "btStop");
    btConnect = Named(new QPushButton(ThemeIcon("bluetooth", QStyle::SP_DriveNetIcon), QStringLiteral("Подключиться"), FlowLayoutTop), "btConnect");
    btState = Named(new QPushButton(QStringLiteral("State?"), FlowLayoutTop), "btState");
    chkProbe = Named(new QCheckBox(QStringLiteral("Замеры"), FlowLayoutTop), "chkProbe");
    for (QPushButton *b : {btStart, btStop, btConnect, btState}) {
        b->setFixedHeight(64);
        b->setMinimumWidth(150);
        b->setIconSize(QSize(32, 32));
    }
    chkProbe->setFixedHeight(64);
    // The run bar is used from a few metres away, gloves on.
    QFont barFont = btStart->font();
    barFont.setPointSize(14);
    barFont.setBold(true);
    for (QWidget *w : {static_cast<QWidget *>(btStart), static_cast<QWidget *>(btStop),
                       static_cast<QWidget *>(btConnect), static_cast<QWidget *>(btState), static_cast<QWidget *>(chkProbe)})
        w->setFont(barFont);
    btState->hide();
    chkProbe->hide();
    // Children sit at the top of the bar, which is sized from their bottoms.
    for (QWidget *c : {Pie1, static_cast<QWidget *>(btStart), static_cast<QWidget *>(btStop),
                       static_cast<QWidget *>(btConnect), static_cast<QWidget *>(btState), static_cast<QWidget *>(chkProbe)})
        FlowLayoutTopLayout->addWidget(c, 0, Qt::AlignTop);
    FlowLayoutTopLayout->addStretch(1);
    outer->addWidget(FlowLayoutTop);

    // The session menu and the list menu.
    ppSessMenu = Named(new QMenu(this), "ppSessMenu");
    mSessAdd = Named(ppSessMenu->addAction(QStringLiteral("Новая")), "mSessAdd");
    mSessEdit = Named(ppSessMenu->addAction(QStringLiteral("Переименовать")), "mSessEdit");
    mSessCopy = Named(ppSessMenu->addAction(QStringLiteral("Создать копию")), "mSessCopy");
    mSessDel = Named(ppSessMenu->addAction(QStringLiteral("Удалить")), "mSessDel");
    ppListMenu = Named(new QMenu(this), "ppListMenu");
    mListEdit = Named(ppListMenu->addAction(QStringLiteral("Изменить")), "mListEdit");
    mListDel = Named(ppListMenu->addAction(QStringLiteral("Удалить")), "mListDel");
    mListGroup = Named(ppListMenu->addAction(QStringLiteral("Усреднить")), "mListGroup");
    for (QMenu *menu : {ppSessMenu, ppListMenu}) {
        QFont f = menu->font();
        f.setPointSize(14);
        menu->setFont(f);
    }

    // Timers.
    Timer1 = Named(new QTimer(this), "Timer1");
    Timer1->setInterval(50);
    tmUpdateForm = Named(new QTimer(this), "tmUpdateForm");
    tmUpdateForm->setInterval(300);
    tmResultDisplay = Named(new QTimer(this), "tmResultDisplay");
    tmResultDisplay->setInterval(7000);
    tmProbe = Named(new QTimer(this), "tmProbe");
    tmProbe->setInterval(1000);
    connect(tmUpdateForm, &QTimer::timeout, this, &TfmKorvane::tmUpdateFormTimer);
    connect(Timer1, &QTimer::timeout, this, &TfmKorvane::Timer1Timer);
    connect(tmProbe, &QTimer::timeout, this, &TfmKorvane::tmProbeTimer);
    connect(btSettings, &QPushButton::clicked, this, &TfmKorvane::btSettingsClick);
    connect(cbSession, &QComboBox::currentIndexChanged, this, &TfmKorvane::cbSessionChange);
    connect(btSession, &QToolButton::clicked, this, &TfmKorvane::btSessionClick);
    connect(btListCommand, &QToolButton::clicked, this, &TfmKorvane::btListCommandClick);
    connect(btMultiSelect, &QToolButton::pressed, this, &TfmKorvane::btMultiSelectMouseDown);
    connect(eName, &QLineEdit::returnPressed, eName, [this] { eName->clearFocus(); });
    eName->installEventFilter(this);
    // Each menu item runs its action inside the general error display.
    const auto runs = [this](QAction *AItem, void (TfmKorvane::*AAction)()) {
        connect(AItem, &QAction::triggered, this, [this, AAction] { FErrors.Guard([this, AAction] { (this->*AAction)(); }); });
    };
    runs(mSessAdd, &TfmKorvane::DoSessionAddAction);
    runs(mSessEdit, &TfmKorvane::DoSessionEditAction);
    runs(mSessCopy, &TfmKorvane::DoSessionCopyAction);
    runs(mSessDel, &TfmKorvane::DoSessionDelAction);
    runs(mListEdit, &TfmKorvane::DoEditAction);
    runs(mListDel, &TfmKorvane::DoDeleteAction);
    runs(mListGroup, &TfmKorvane::DoGroupAction);
    connect(btConnect, &QPushButton::clicked, this, &TfmKorvane::btConnectClick);
    connect(btStart, &QPushButton::clicked, this, &TfmKorvane::btStartClick);
    connect(btStop, &QPushButton::clicked, this, &TfmKorvane::btStopClick);
    connect(btState, &QPushButton::clicked, this, &TfmKorvane::btStateClick);
    connect(chkProbe, &QCheckBox::toggled, this, &TfmKorvane::chkProbeChange);
    connect(tmResultDisplay, &QTimer::timeout, this, &TfmKorvane::tmResultDisplayTimer);

    resize(1081, 592);
}

void TfmKorvane::FormCreate()
{
    FErrors.Guard([this] {
        FDlgASyncService = FEnv.Dialogs;
        FTimeMeter = new TTimeMeter(*FEnv.Clock, this);
        FSettings = std::make_unique<TLSSettings>(FEnv.Folders->SettingsFileName());
        FSettings->ReflectorCount = 6;
        for (int i = 0; i <= 5; ++i)
            FSettings->ReflectorDistances[i] = 5.0;
        FSettings->MinSamplesPerReflectorGap = 300;
        FSettings->MinSamplesPerReflector = 1;
        if (FEnv.MakeFeedback)
            FFeedback = FEnv.MakeFeedback(*FSettings);
        savedRes = std::make_unique<TLSResult>();
        FLock = false;
        FRun.FNeedStop = false;
        FRun.FNeedStart = false;
        FRun.FMode = TLSMode::lsmIdle;
        FIndicator = new TReflectorIndicator(this);
        connect(FIndicator, &TReflectorIndicator::Changed, this, &TfmKorvane::IndicatorChanged);
        IReflectorPassHost &host = *this;
        IDebugLog &log = *this;
        IFeedbackSignals &feedback = *this;
        FPassProcessor = std::make_unique<TReflectorPassProcessor>(FRun, *FSettings, *FTimeMeter, *FIndicator, host,
                                                                   log, feedback, *FDlgASyncService, *FEnv.Clock);
        FLineInterpreter = std::make_unique<TDeviceLineInterpreter>(FRun, log, *FDlgASyncService, *FPassProcessor);
        FSortMode = TLSSortMode::smByName;
        FListMultiselect = false;
        FSerList.clear();
        FReflectorStat.clear();
        FCurrSerIdx = -1;
        FSplineMode = true;
        FXAxisTimeMode = false;
        FAccMode = 0;
        FTimeGraphMode = 0;
        FDebugTapCounter = 0;
        FAsyncUpdateCounter = 0;
        FDataPath = FEnv.Folders->SessionsPath();
        IFileSystem *fs = FEnv.FileSystem;
        if (!fs) {
            FOwnFileSystem = std::make_unique<TQtFileSystem>();
            fs = FOwnFileSystem.get();
        }
        FStore = std::make_unique<TSessionStore>(FDataPath, *fs);
        // The run bar needs a Bluetooth adapter; without one the window
        // serves to view and manage stored sessions.
        FlowLayoutTop->setVisible(FEnv.RunBarAvailable);
        pnlIndicator->hide();
        pnlResultIndicator->hide();
        ApplySettings();
        InitWorkspace();
    });
    UpdateFormAsync();
    Timer1->start();
}

void TfmKorvane::InitWorkspace()
{
    TScopeExit refresh([this] { UpdateFormAsync(); });

    if (!QDir(FDataPath).exists() && !QDir().mkpath(FDataPath)) {
        PlayBeepError();
        throw EFileError(QStringLiteral("Не удалось создать рабочую папку"));
    }
    FSettings->Load();
    ApplySettings();
    ListSessions();
}

void TfmKorvane::ApplySettings()
{
    if (FSettings)
        eName->setText(FSettings->BaseTestName);
    UpdateForm();
}




void TfmKorvane::FormDestroy() noexcept
{
    Timer1->stop();
    try {
        FfmDeviceConnect.reset();
        ClearResults();
        ClearReflectorStat();
    } catch (...) {
        // Shutdown goes on whatever a release raised.
    }
    FLineInterpreter.reset();
    FPassProcessor.reset();
    FFeedback.reset();
    FSettings.reset();
    savedRes.reset();
    FRun.currRes.reset();
}

void TfmKorvane::UpdateForm()
{
    TUpdateBracket bracket(FlowLayoutTop);
    FlowLayoutTopLayout->removeWidget(btConnect);
    FlowLayoutTopLayout->insertWidget(0, btConnect, 0, Qt::AlignTop);
    const bool active = IsBTConnectionActive();
    btConnect->setVisible(!active);
    btStart->setVisible(active);
    btStop->setVisible(active);
}

void TfmKorvane::UpdateFormAsync()
{
    UpdateForm();
    FAsyncUpdateCounter = 10;
    tmUpdateForm->start();
}

void TfmKorvane::tmUpdateFormTimer()
{
    UpdateForm();
    --FAsyncUpdateCounter;
    if (FAsyncUpdateCounter <= 0)
        tmUpdateForm->stop();
}

void TfmKorvane::FormResize()
{
    // The bar is as high as its lowest visible child needs.
    int h = 0;
    const QMargins m = FlowLayoutTopLayout->contentsMargins();
    const int gap = FlowLayoutTopLayout->spacing();
    const QObjectList &children = FlowLayoutTop->children();
    for (qsizetype i = children.size() - 1; i >= 0; --i) {
        auto *w = qobject_cast<QWidget *>(children[i]);
        if (!w || w->isHidden())
            continue;
        const int bottom = w->geometry().bottom() + 1;
        h = std::max(h, bottom + gap + m.top() + m.bottom());
    }
    FlowLayoutTop->setFixedHeight(h);
}

void TfmKorvane::resizeEvent(QResizeEvent *AEvent)
{
    QMainWindow::resizeEvent(AEvent);
    FormResize();
}

bool TfmKorvane::eventFilter(QObject *AWatched, QEvent *AEvent)
{
    if (AWatched == FlowLayoutBottom) {
        const auto *me = dynamic_cast<const QMouseEvent *>(AEvent);
        switch (me ? AEvent->type() : QEvent::None) {
        case QEvent::MouseButtonPress:
            md = true;
            fx = float(me->position().x());
            fy = float(me->position().y());
            return true;
        case QEvent::MouseMove:
            if (md) {
                const QPoint p(int(std::lround(x() + me->position().x() - fx)), int(std::lround(y() + me->position().y() - fy)));
                move(p);
            }
            return md;
        case QEvent::MouseButtonRelease:
            md = false;
            return true;
        default:
            break;
        }
    } else if (AWatched == Label5 && AEvent->type() == QEvent::MouseButtonPress) {
        Label5MouseDown();
        return true;
    } else if ((AWatched == pnlResultIndicator || AWatched == lResultIndicator) && AEvent->type() == QEvent::MouseButtonPress) {
        HideResultIndicator();
        return true;
    } else if (AWatched == eName && AEvent->type() == QEvent::FocusOut) {
        eNameExit();
    } else if (AWatched == Chart1 && AEvent->type() == QEvent::Resize) {
        Chart1Resize();
    }
    return QMainWindow::eventFilter(AWatched, AEvent);
}

void TfmKorvane::Label5MouseDown()
{
    ++FDebugTapCounter;
    if (FDebugTapCounter % 10 == 0)
        ToggleDebugMode();
}

void TfmKorvane::ToggleDebugMode()
{
    const bool visible = m1->isHidden();
    m1->setVisible(visible);
    Chart1Resize();
    btState->setVisible(visible);
    chkProbe->setChecked(false);
    chkProbe->setVisible(visible);
    tmProbe->stop();
    PlayBeepError();
}

void TfmKorvane::Chart1Resize()
{
    // The progress circles follow the chart's size; the passed ones stay marked.
    if (FIndicator && !FIndicator->Circles().isEmpty()) {
        BuildReflectorIndicator();
        MarkReflectorPassed(FRun.FCurrReflectorIdx - 1);
    }
    // The debug memo is docked at the right of the chart area.
    const int w = std::min(320, Chart1->width() / 2);
    m1->setGeometry(Chart1->width() - w, 0, w, Chart1->height());
    Button1->move(8, 8);
    Button7->move(8, 60);
    indBusy->setGeometry(Chart1->width() / 2 - 60, Chart1->height() / 2 - 8, 120, 16);
}

void TfmKorvane::ShowFinalTime(double ATimeMs)
{
    lResultIndicator->setText(TResultIndicator::FinalTimeText(ATimeMs));
    pnlResultIndicator->setGeometry(TResultIndicator::PanelGeometry(Chart1->width(), Chart1->height()));
    pnlResultIndicator->show();
    pnlResultIndicator->raise();
    if (!tmResultDisplay->isActive())
        tmResultDisplay->start();
}

void TfmKorvane::ShowResultIndicator()
{
    pnlResultIndicator->show();
    pnlResultIndicator->raise();
    if (!tmResultDisplay->isActive())
        tmResultDisplay->start();
}

void TfmKorvane::HideResultIndicator()
{
    pnlResultIndicator->hide();
}

void TfmKorvane::tmResultDisplayTimer()
{
    tmResultDisplay->stop();
    HideResultIndicator();
}

void TfmKorvane::PlayBeep1()
{
    if (FFeedback)
        FFeedback->PlayBeep1();
}

void TfmKorvane::PlayBeep2()
{
    if (FFeedback)
        FFeedback->PlayBeep2();
}

void TfmKorvane::PlayBeepError()
{
    if (FFeedback)
        FFeedback->PlayBeepError();
}

// ---------------------------------------------------------------------------
// The link and the run

bool TfmKorvane::IsBTConnectionActive()
{
    return FfmDeviceConnect && FfmDeviceConnect->IsLinkActive();
}

bool TfmKorvane::EnsureBTConnection()
{
    if (IsBTConnectionActive())
        return true;
    OpenBTConnection();
    return false;
}

bool TfmKorvane::OpenBTConnection()
{
    if (!FfmDeviceConnect) {
        if (!FEnv.MakeConnection)
            return false;
        FfmDeviceConnect = FEnv.MakeConnection();
        if (!FfmDeviceConnect)
            return false;
        FfmDeviceConnect->OnConnect = [this] { ble1Connect(); };
        FfmDeviceConnect->OnDisconnect = [this] { ble1Disconnect(); };
        FfmDeviceConnect->SetShowDebugLog(!m1->isHidden());
    }
    FConnecting = true;
    TScopeExit done([this] { FConnecting = false; });
    FfmDeviceConnect->Execute(TDeviceProtocol::DeviceNamePattern, TDeviceProtocol::ServiceUuid,
                              TDeviceProtocol::TxCharacteristicUuid, TDeviceProtocol::RxCharacteristicUuid);
    FfmDeviceConnect->Joiner().SetOnBTValue([this](const QString &AValue) { OnBTData(AValue); });
    FfmDeviceConnect->Sender().SetTxCommandEndTag(TDeviceProtocol::TxCommandEndTag);
    FfmDeviceConnect->Joiner().SetRxCommandEndTag(TDeviceProtocol::RxCommandEndTag);
    return false;
}

void TfmKorvane::btConnectClick()
{
    FErrors.Guard([this] {
        EnsureBTConnection();
        UpdateForm();
    });
}

void TfmKorvane::btStartClick()
{
    FErrors.Guard([this] {
        PlayBeep2();
        Stop(false);
        CheckBeforeStart();
        Start();
    });
}

void TfmKorvane::btStopClick()
{
    FErrors.Guard([this] {
        PlayBeep2();
        Stop(true);
    });
}

void TfmKorvane::Start()
{
    TScopeExit refresh([this] { UpdateForm(); });

    FRun.FMode = TLSMode::lsmIdle;
    FRun.FCurrReflectorIdx = 0;
    FRun.FMeasureStart = FEnv.Clock->TickMs();
    if (!IsBTConnectionActive())
        return;
    pnlIndicator->show();
    pnlIndicator->raise();
    BuildReflectorIndicator();
    try {
        FRun.currRes = NewResult();
        FRun.FNeedStop = false;
        FRun.FMeasureSuccesful = false;
        // Lines that arrive while the start command goes out are ignored.
        FTimeMeter->Start();
        FTimeMeter->Pause();
        cbSession->setEnabled(false);
        eName->setEnabled(false);
        btSession->setEnabled(false);
        FfmDeviceConnect->Joiner().ClearCurrentPacket();
        SendBTCommand(TDeviceProtocol::StartCommand(*FSettings));
        FRun.FMode = TLSMode::lsmMeasure;
        FTimeMeter->Start();
    } catch (...) {
        pnlIndicator->hide();
        HideResultIndicator();
        PlayBeepError();
        throw;
    }
}

void TfmKorvane::Stop(bool ASendSopCommand)
{
    TScopeExit refresh([this] { UpdateForm(); });

    FRun.FMode = TLSMode::lsmIdle;
    if (ASendSopCommand && IsBTConnectionActive()) {
        SendBTCommand(TDeviceProtocol::StopCommand);
        FEnv.Clock->SleepMs(200);
    }
    eName->setEnabled(true);
    cbSession->setEnabled(true);
    btSession->setEnabled(true);
    pnlIndicator->hide();
}

void TfmKorvane::Timer1Timer()
{
    // A start request is served before a stop request of the same tick.
    if (FRun.FNeedStart) {
        FRun.FNeedStart = false;
        btStartClick();
    }
    if (FRun.FNeedStop) {
        FRun.FNeedStop = false;
        FErrors.Guard([this] {
            if (FRun.FMeasureSuccesful) {
                Stop(false); // "STOP" is already queued
            } else {
                PlayBeep2();
                Stop(true);
            }
        });
        // Also after a failed stop: the run is named, or dropped, here.
        FErrors.Guard([this] { DoFinish(); });
    }
}

void TfmKorvane::ble1Connect()
{
    // The stop that Timer1 then makes sends "STOP", the first command after
    // a connection, which also switches the device's notifications on.
    FRun.FNeedStop = true;
    UpdateFormAsync();
}

void TfmKorvane::ble1Disconnect()
{
    FErrors.Guard([this] {
        PlayBeepError();
        Stop(true);
    });
    UpdateFormAsync();
}

void TfmKorvane::btStateClick()
{
    FErrors.Guard([this] {
        if (EnsureBTConnection())
            SendBTCommand(TDeviceProtocol::StateCommand);
    });
}

void TfmKorvane::chkProbeChange()
{
    const bool on = chkProbe->isChecked();
    if (on)
        tmProbe->start();
    else
        tmProbe->stop();
    pnlResultIndicator->setVisible(on);
    if (on)
        pnlResultIndicator->raise();
    lResultIndicator->clear();
}

void TfmKorvane::tmProbeTimer()
{
    // A tick while the connection window it opened is still shown waits.
    if (FConnecting)
        return;
    FErrors.Guard([this] {
        if (EnsureBTConnection())
            SendBTCommand(TDeviceProtocol::ProbeCommand);
    });
}

void TfmKorvane::SendBTCommand(const QString &ACommand)
{
    if (FfmDeviceConnect)
        FfmDeviceConnect->Sender().SendCommand(ACommand);
}

void TfmKorvane::SendBTCommandAsync(const QString &ACommand)
{
    if (FfmDeviceConnect)
        FfmDeviceConnect->Sender().SendCommandAsync(ACommand);
}

// ---------------------------------------------------------------------------
// The device's text and reflector passes

void TfmKorvane::OnBTData(const QString &AValue)
{
    FErrors.Guard([&] { FLineInterpreter->OnBTData(AValue); });
}

void TfmKorvane::OnSensorData(double ADeviceTime, double AFluxValue)
{
    FPassProcessor->OnSensorData(ADeviceTime, AFluxValue);
}

void TfmKorvane::RegisterReflectorPass(double ADeviceTime)
{
    FPassProcessor->RegisterReflectorPass(ADeviceTime);
}

void TfmKorvane::BuildReflectorIndicator()
{
    if (FSettings)
        FIndicator->BuildReflectorIndicator(Chart1->width(), Chart1->height(), FSettings->ReflectorCount);
}

void TfmKorvane::MarkReflectorPassed(int AIndex)
{
    FIndicator->MarkReflectorPassed(AIndex);
}

void TfmKorvane::IndicatorChanged()
{
    QList<TReflectorIndicatorPanel::TCircle> circles;
    for (const TReflectorIndicator::TCircle &c : FIndicator->Circles())
        circles.append({c.Bounds, QColor::fromRgba(c.Fill)});
    pnlIndicator->setGeometry(FIndicator->PanelBounds());
    pnlIndicator->SetCircles(circles);
}

bool TfmKorvane::IsProbeChecked()
{
    return chkProbe->isChecked();
}

void TfmKorvane::SetResultIndicatorText(const QString &AText)
{
    lResultIndicator->setText(AText);
}

int TfmKorvane::LineCount() const
{
    return m1->document()->isEmpty() ? 0 : m1->document()->blockCount();
}

void TfmKorvane::Clear()
{
    m1->clear();
}

void TfmKorvane::Append(const QString &ALine)
{
    m1->appendPlainText(ALine);
}

// ---------------------------------------------------------------------------
// Naming and saving of runs

std::unique_ptr<TLSResult> TfmKorvane::NewResult() const
{
    auto r = std::make_unique<TLSResult>();
    r->ReflectorCount = FSettings->ReflectorCount;
    for (int i = 0; i < r->SegmentCount(); ++i)
        r->ReflectorDistances[i] = FSettings->ReflectorDistances[i];
    return r;
}

void TfmKorvane::CheckBeforeStart()
{
    if (!IsBTConnectionActive()) {
        PlayBeepError();
        EnsureBTConnection();
        throw ESilentAbort();
    }
    if (cbSession->currentIndex() < 0) {
        PlayBeepError();
        throw EAppError(SessionTexts::NoSession);
    }
    if (!SessionNames::IsValidName(eName->text())) {
        PlayBeepError();
        throw EAppError(SessionTexts::InvalidBaseName);
    }
}

void TfmKorvane::DoFinish()
{
    TScopeExit clearSuccess([this] { FRun.FMeasureSuccesful = false; });
    if (!FRun.FMeasureSuccesful || !FRun.currRes)
        return;

    const QString session = CurrentSession();
    const auto isTaken = [this, &session](const QString &AName) { return FStore->ResultNameTaken(FSerList, session, AName); };
    SessionNames::TResultNameSearch search = SessionNames::FindFreeResultName(eName->text(), eNum->value(), isTaken);
    if (search.Status == TNameCheck::ncInvalid)
        throw EAppError(SessionTexts::InvalidBaseName);
    QString notice;
    if (search.Status == TNameCheck::ncFree) {
        eNum->setValue(search.Number);
        if (search.Renumbered())
            notice = SessionTexts::RenumberedMessage(search.FirstChoice, search.Name);
    } else {
        const QString savedAs = SessionNames::SuffixedFreeName(search.Name, isTaken);
        notice = SessionTexts::NoFreeNumberMessage(search.Name, savedAs);
        search.Name = savedAs;
    }
    FRun.currRes->Descr = search.Name;
    if (!notice.isEmpty())
        FDlgASyncService->MessageDialogAsync(notice, TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK,
                                             [this](int) { ShowResultIndicator(); });
    FRun.currRes->Active = true;
    eNum->setValue(eNum->value() + 1);
    FSerList.push_back(std::move(FRun.currRes));
    TLSResult &r = *FSerList.back();
    RedrawResults();
    RebuildResultTree();
    if (tw1->topLevelItemCount() > 0)
        tw1->setCurrentItem(tw1->topLevelItem(tw1->topLevelItemCount() - 1));
    SaveResult(r);
}

void TfmKorvane::SaveResult(const TLSResult &R)
{
    FStore->SaveResult(CurrentSession(), R);
}

QString TfmKorvane::CurrentSession() const
{
    return cbSession->currentIndex() >= 0 ? cbSession->currentText() : QString();
}

bool TfmKorvane::ResultExists(const QString &AName) const
{
    return SessionNames::ResultExists(FSerList, AName);
}

bool TfmKorvane::CheckNewResultName(const QString &AName, bool AShowMessages)
{
    switch (FStore->CheckNewResultName(FSerList, CurrentSession(), AName)) {
    case TNameCheck::ncFree:
        return true;
    case TNameCheck::ncTaken:
        if (AShowMessages)
            FDlgASyncService->MessageDialogAsync(SessionTexts::ResultExists, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
        return false;
    case TNameCheck::ncInvalid:
        if (AShowMessages)
            FDlgASyncService->MessageDialogAsync(SessionTexts::InvalidName, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
        return false;
    }
    return false;
}

void TfmKorvane::eNameExit()
{
    FErrors.Guard([this] {
        FSettings->BaseTestName = eName->text();
        FSettings->Save();
    });
}

// ---------------------------------------------------------------------------
// Sessions

namespace {

// Sets the selector lock for one scope, clearing it also on an exception.
auto LockFor(bool &AFlag)
{
    AFlag = true;
    return TScopeExit([&AFlag] { AFlag = false; });
}

} // namespace

void TfmKorvane::ListSessions()
{
    auto lock = LockFor(FLock);
    cbSession->clear();
    cbSession->addItems(FStore->ListSessions());
    cbSession->setCurrentIndex(-1);
}

void TfmKorvane::cbSessionChange()
{
    if (FLock || cbSession->currentIndex() < 0)
        return;
    FErrors.Guard([this] { LoadSession(cbSession->currentText()); });
}

void TfmKorvane::LoadSession(const QString &AName)
{
    SetListMultiselect(false);
    ClearResults();
    TSessionLoad load = FStore->LoadSession(AName, [this] { return NewResult(); });
    FSerList = std::move(load.Results);
    CalcReflectorStat();
    RedrawResults();
    RebuildResultTree();
    // Files that could not be read are left out, and the user is told once.
    if (!load.SkippedFiles.isEmpty())
        FDlgASyncService->MessageDialogAsync(load.SkippedMessage(), TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
}

bool TfmKorvane::SessionExists(const QString &AName) const
{
    return FStore->SessionExists(AName);
}

bool TfmKorvane::CheckNewSessionName(const QString &AName)
{
    switch (FStore->CheckNewSessionName(AName)) {
    case TNameCheck::ncFree:
        return true;
    case TNameCheck::ncTaken:
        FDlgASyncService->MessageDialogAsync(SessionTexts::SessionExists, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
        return false;
    case TNameCheck::ncInvalid:
        FDlgASyncService->MessageDialogAsync(SessionTexts::InvalidName, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
        return false;
    }
    return false;
}

void TfmKorvane::btSessionClick()
{
    ppSessMenu->popup(btSession->mapToGlobal(QPoint(0, btSession->height())));
}

void TfmKorvane::DoSessionAddAction()
{
    FDlgASyncService->InputQueryAsync(QString(), SessionTexts::SessionPrompt,
                                      SessionNames::DefaultSessionName(QDate::currentDate()),
                                      [this](int AResult, const QString &AValue) { SessionAddClosed(AResult, AValue); });
}

void TfmKorvane::SessionAddClosed(int AModalResult, const QString &AValue)
{
    FErrors.Guard([&] {
        auto lock = LockFor(FLock);
        if (AModalResult != mrOk || !CheckNewSessionName(AValue))
            return;
        FStore->CreateSession(AValue);
        cbSession->addItem(AValue);
        cbSession->setCurrentIndex(cbSession->count() - 1);
        LoadSession(AValue);
    });
}

void TfmKorvane::DoSessionEditAction()
{
    if (cbSession->currentIndex() < 0)
        return;
    DlgInputString(SessionTexts::RenameSessionCaption, SessionTexts::SessionNameLabel, cbSession->currentText(),
                   [this](TfmDlgInput *ADialog, int AResult) { SessionEditClosed(ADialog, AResult); }, this);
}

void TfmKorvane::SessionEditClosed(TfmDlgInput *ADialog, int AModalResult)
{
    FErrors.Guard([&] {
        if (cbSession->currentIndex() < 0 || AModalResult != mrOk)
            return;
        auto lock = LockFor(FLock);
        const QString oldName = cbSession->currentText();
        const QString newName = ADialog->Params().StringValue;
        // A change of Latin letter case only changes nothing.
        if (!SessionNames::SameIgnoringAsciiCase(newName, oldName) && CheckNewSessionName(newName)) {
            FStore->RenameSession(oldName, newName);
            cbSession->setItemText(cbSession->currentIndex(), newName);
        }
        cbSession->update();
    });
}

void TfmKorvane::DoSessionCopyAction()
{
    if (cbSession->currentIndex() < 0)
        return;
    DlgInputString(SessionTexts::CopySessionCaption, SessionTexts::SessionNameLabel,
                   cbSession->currentText() + QLatin1Char('_'),
                   [this](TfmDlgInput *ADialog, int AResult) { SessionCopyClosed(ADialog, AResult); }, this);
}

void TfmKorvane::SessionCopyClosed(TfmDlgInput *ADialog, int AModalResult)
{
    if (cbSession->currentIndex() < 0 || AModalResult != mrOk)
        return;
    const QString oldName = cbSession->currentText();
    const QString newName = ADialog->Params().StringValue;
    FErrors.Guard([&] {
        auto lock = LockFor(FLock);
        if (CheckNewSessionName(newName)) {
            SetListMultiselect(false);
            ClearResults();
            FStore->CopySession(oldName, newName);
        }
    });
    // In every case: a refused name that names an existing session selects
    // and loads that session.
    FErrors.Guard([&] {
        cbSession->update();
        ListSessions();
        const int i = cbSession->findText(newName);
        if (i >= 0)
            cbSession->setCurrentIndex(i);
    });
}

void TfmKorvane::DoSessionDelAction()
{
    if (cbSession->currentIndex() < 0)
        return;
    FDlgASyncService->MessageDialogAsync(SessionTexts::DeleteQuestion(cbSession->currentText()),
                                         TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbOKCancel,
                                         [this](int AResult) { SessionDelClosed(AResult); });
}

void TfmKorvane::SessionDelClosed(int AModalResult)
{
    if (cbSession->currentIndex() < 0 || AModalResult != mrOk)
        return;
    const QString name = cbSession->currentText();
    FErrors.Guard([&] {
        auto lock = LockFor(FLock);
        SetListMultiselect(false);
        ClearResults();
        FStore->DeleteSession(name);
    });
    // Also when the deletion failed: no session is selected afterwards.
    FErrors.Guard([this] { ListSessions(); });
}

// ---------------------------------------------------------------------------
// The list of loaded measurements

void TfmKorvane::FreeResult(int AIndex)
{
    if (AIndex < 0 || AIndex >= int(FSerList.size()))
        return;
    FSerList.erase(FSerList.begin() + AIndex);
    UpdateForm();
}

void TfmKorvane::ClearResults()
{
    tw1->clear();
    for (int i = int(FSerList.size()) - 1; i >= 0; --i)
        FreeResult(i);
    FSerList.clear();
    FCurrSerIdx = -1;
    ResetChartZoom();
}

int TfmKorvane::IndexOfResult(const TLSResult *R) const
{
    const auto it = std::find_if(FSerList.begin(), FSerList.end(), [R](const auto &p) { return p.get() == R; });
    return it == FSerList.end() ? -1 : int(it - FSerList.begin());
}

void TfmKorvane::DeleteResult(TLSResult *R)
{
    const int idx = IndexOfResult(R);
    if (idx < 0)
        return;
    FStore->DeleteResultFile(CurrentSession(), R->Descr); // a failure to delete is ignored
    FSerList.erase(FSerList.begin() + idx);
}

void TfmKorvane::SetListMultiselect(bool AValue)
{
    FListMultiselect = AValue;
    btMultiSelect->setText(AValue ? QStringLiteral("☑") : QStringLiteral("☐"));
    btMultiSelect->setStyleSheet(AValue ? QStringLiteral("QToolButton { color: #FFFFFF; background: #4169E1; }")
                                        : QStringLiteral("QToolButton { color: #000000; }"));
    SetResultTreeMultiSelectMode(tw1, AValue);
}

void TfmKorvane::btMultiSelectMouseDown()
{
    SetListMultiselect(!FListMultiselect);
}

void TfmKorvane::RebuildResultTree()
{
    ::RebuildResultTree(tw1, FSerList, FListMultiselect,
                        [this](TResultTreeItem *ASender) { ResultItemCheckedChange(ASender); });
}

void TfmKorvane::ResultItemCheckedChange(TResultTreeItem *ASender)
{
    // A measurement's shown or hidden state lives in its file.
    FErrors.Guard([&] {
        if (ASender && ASender->LSResult())
            SaveResult(*ASender->LSResult());
    });
}

QList<TResultTreeItem *> TfmKorvane::GetMultiSelectedItems() const
{
    return ::GetMultiSelectedItems(tw1);
}

void TfmKorvane::CalcReflectorStat()
{
    ClearReflectorStat();
}

void TfmKorvane::ClearReflectorStat()
{
    FReflectorStat.clear();
}

void TfmKorvane::RedrawResults()
{
    // The chart draws the loaded measurements once it exists.
}

void TfmKorvane::ResetChartZoom()
{
}

void TfmKorvane::btListCommandClick()
{
    ppListMenu->popup(btListCommand->mapToGlobal(QPoint(-ppListMenu->sizeHint().width(), 0)));
}

void TfmKorvane::DoEditAction()
{
    TResultTreeItem *item = SelectedResultTreeItem(tw1);
    if (!item || !item->LSResult())
        return;
    const TLSResult &r = *item->LSResult();
    DlgInputStringColor(SessionTexts::EditResultCaption, SessionTexts::ResultNameLabel, r.Descr,
                        SessionTexts::ResultColorLabel, r.Color,
                        [this](TfmDlgInput *ADialog, int AResult) { EditActionClosed(ADialog, AResult); }, this);
}

void TfmKorvane::EditActionClosed(TfmDlgInput *ADialog, int AModalResult)
{
    FErrors.Guard([&] {
        TScopeExit refresh([this] { UpdateForm(); });
        TResultTreeItem *item = SelectedResultTreeItem(tw1);
        if (!item || !item->LSResult())
            return;
        TLSResult *r = item->LSResult();
        const QString newName = ADialog->Params().StringValue;
        if (AModalResult != mrOk)
            return;
        if (!SessionNames::SameIgnoringAsciiCase(newName, r->Descr) && !CheckNewResultName(newName, true))
            return;
        auto n = std::make_unique<TLSResult>();
        n->AssignFrom(*r);
        n->Descr = newName;
        n->Color = ADialog->Params().ColorValue;
        n->RecalcFinalTimeMs();
        // The new file is written before the old one goes, so a failed
        // write loses nothing.
        FStore->ReplaceResult(CurrentSession(), r->Descr, *n);
        const int idx = IndexOfResult(r);
        item->SetLSResult(nullptr);
        if (idx >= 0)
            FSerList.erase(FSerList.begin() + idx);
        FSerList.insert(FSerList.begin() + std::min(idx, int(FSerList.size())), std::move(n));
        RedrawResults();
        RebuildResultTree();
        if (QTreeWidgetItem *sel = tw1->topLevelItem(idx))
            tw1->setCurrentItem(sel);
    });
}

void TfmKorvane::DoDeleteAction()
{
    TResultTreeItem *item = SelectedResultTreeItem(tw1);
    if (!item || !item->LSResult())
        return;
    FDlgASyncService->MessageDialogAsync(SessionTexts::DeleteQuestion(item->LSResult()->Descr),
                                         TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbOKCancel,
                                         [this](int AResult) { DeleteActionClosed(AResult); });
}

void TfmKorvane::DeleteActionClosed(int AModalResult)
{
    if (AModalResult != mrOk)
        return;
    FErrors.Guard([&] {
        TScopeExit refresh([this] { UpdateForm(); });
        TResultTreeItem *item = SelectedResultTreeItem(tw1);
        if (!item || !item->LSResult())
            return;
        TLSResult *r = item->LSResult();
        item->SetLSResult(nullptr);
        tw1->clearSelection();
        const int idx = IndexOfResult(r);
        tw1->clear();
        DeleteResult(r);
        RedrawResults();
        RebuildResultTree();
        if (!FSerList.empty())
            tw1->setCurrentItem(tw1->topLevelItem(std::min(idx, int(FSerList.size()) - 1)));
    });
}

void TfmKorvane::DoGroupAction()
{
    // Averaging of marked measurements comes with the analysis of runs.
}

void TfmKorvane::btSettingsClick()
{
    // The window edits a copy and copies it back on "OK"; the settings file
    // is written only when the name field is left.
    FErrors.Guard([this] {
        TSettingsMaster master;
        master.DataPath = FDataPath;
        master.Shell = FEnv.Shell;
        master.HelpUrl = FEnv.HelpUrl;
        master.Window = this;
        ShowSettings(*FSettings, master);
    });
}
