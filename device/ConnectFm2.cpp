#include "device/ConnectFm2.h"

#include "device/QtBleComponent.h"
#include "timing/QtTimer.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
template <class T> T *Named(T *AObject, const char *AName)
{
    AObject->setObjectName(QString::fromLatin1(AName));
    return AObject;
}
}

TfmConnect::TfmConnect(std::unique_ptr<IBleComponent> ABle, IDialogService &ADialogs, IClock &AClock,
                       QWidget *AParent)
    : QDialog(AParent), FClock(AClock), FBle(std::move(ABle))
{
    setObjectName(QStringLiteral("fmConnect"));
    setModal(true);
    resize(480, 320);

    auto *layout = new QVBoxLayout(this);
    fl1 = Named(new QWidget(this), "fl1");
    auto *flow = new QHBoxLayout(fl1);
    cbDevice = Named(new QComboBox(fl1), "cbDevice");
    cbDevice->setMinimumWidth(200);
    btManualConnect = Named(new QPushButton(QStringLiteral("Вкл."), fl1), "btManualConnect");
    btConnect = Named(new QPushButton(QStringLiteral("Подключиться к откатчику"), fl1), "btConnect");
    btExit = Named(new QPushButton(QStringLiteral("Отмена"), this), "btExit");
    flow->addStretch();
    flow->addWidget(cbDevice);
    flow->addWidget(btManualConnect);
    flow->addWidget(btConnect);
    flow->addStretch();

    pnlConnectLabel = Named(new QWidget(this), "pnlConnectLabel");
    auto *labelLayout = new QVBoxLayout(pnlConnectLabel);
    lState = Named(new QLabel(QStringLiteral("Соединение.."), pnlConnectLabel), "lState");
    lState->setAlignment(Qt::AlignCenter);
    indWait = Named(new QProgressBar(pnlConnectLabel), "indWait");
    indWait->setTextVisible(false);
    labelLayout->addWidget(lState);
    labelLayout->addWidget(indWait);

    m1 = Named(new QPlainTextEdit(this), "m1");
    m1->setReadOnly(true);
    m1->hide();

    layout->addStretch();
    layout->addWidget(fl1);
    layout->addWidget(pnlConnectLabel);
    auto *exitRow = new QHBoxLayout;
    exitRow->addStretch();
    exitRow->addWidget(btExit);
    exitRow->addStretch();
    layout->addLayout(exitRow);
    layout->addWidget(m1, 1);
    layout->addStretch();

    FSteps = std::make_unique<TConnectionSteps>(*this, ADialogs, FClock, std::make_unique<TQtTimer>());
    FSteps->FMasterOnConnect = [this] {
        if (OnConnect)
            OnConnect();
    };
    FSteps->FMasterOnDisconnect = [this] {
        if (OnDisconnect)
            OnDisconnect();
    };

    connect(btConnect, &QPushButton::clicked, this, [this] { FSteps->btConnectClick(); });
    connect(btManualConnect, &QPushButton::clicked, this, [this] { FSteps->btManualConnectClick(); });
    connect(btExit, &QPushButton::clicked, this, [this] { FSteps->btExitClick(); });
    connect(cbDevice, &QComboBox::currentIndexChanged, this, [this](int AIndex) {
        if (!FFillingList)
            FSteps->SelectEntry(AIndex);
    });

    tm1 = Named(new QTimer(this), "tm1");
    tm1->setInterval(300);
    connect(tm1, &QTimer::timeout, this, [this] { FSteps->tm1Timer(); });
    tm1->start();

    UpdateView(FSteps->ViewState());
}

TfmConnect::~TfmConnect()
{
    tm1->stop();
    FSteps->FormDestroy();
    FSteps.reset();
}

bool TfmConnect::Execute(const QString &ADeviceNamePattern, const QString &AServiceUuid,
                         const QString &ATxCharacteristicUuid, const QString &ARxCharacteristicUuid)
{
    FSteps->BeginExecute(FBle.get(), ADeviceNamePattern, AServiceUuid, ATxCharacteristicUuid, ARxCharacteristicUuid);
    exec();
    // The link made here is kept: no new permission request, no new scan.
    return FSteps->Result();
}

void TfmConnect::reject()
{
    FSteps->btExitClick();
}

void TfmConnect::CloseWindow()
{
    indWait->setRange(0, 1);
    indWait->hide();
    if (isVisible())
        done(FSteps->Result() ? QDialog::Accepted : QDialog::Rejected);
}

void TfmConnect::UpdateView(const TConnectViewState &AState)
{
    fl1->setVisible(AState.fl1Visible);
    pnlConnectLabel->setVisible(AState.pnlConnectLabelVisible);
    cbDevice->setVisible(AState.cbDeviceVisible);
    btManualConnect->setVisible(AState.cbDeviceVisible);
    if (AState.indWaitRunning)
        indWait->setRange(0, 0); // busy
    else
        indWait->setRange(0, 1);
    indWait->setVisible(AState.indWaitRunning);
    lState->setText(AState.lState);

    const auto &entries = FSteps ? FSteps->DeviceEntries() : QList<TConnectionSteps::TDeviceEntry>{};
    FFillingList = true;
    bool same = cbDevice->count() == entries.size();
    for (int i = 0; same && i < entries.size(); ++i)
        same = cbDevice->itemText(i) == entries[i].Text;
    if (!same) {
        cbDevice->clear();
        for (const auto &e : entries)
            cbDevice->addItem(e.Text);
    }
    if (FSteps && cbDevice->currentIndex() != FSteps->SelectedEntry())
        cbDevice->setCurrentIndex(FSteps->SelectedEntry());
    FFillingList = false;
}

void TfmConnect::ClearLog()
{
    m1->clear();
}

void TfmConnect::ShowLog(bool AShow)
{
    m1->setVisible(AShow);
}

void TfmConnect::Log(const QString &ALine)
{
    m1->appendPlainText(ALine);
}

void TfmConnect::SetCaption(const QString &ACaption)
{
    setWindowTitle(ACaption);
}

std::unique_ptr<IConnectionManager> MakeBluetoothConnection(QWidget *AParentWindow, IDialogService &ADialogs,
                                                            IClock &AClock)
{
    return std::make_unique<TfmConnect>(std::make_unique<TQtBleComponent>(), ADialogs, AClock, AParentWindow);
}
