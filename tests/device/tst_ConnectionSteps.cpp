// The connection manager's step machine against a scripted Bluetooth LE
// component: the test ticks tm1 and fires the component's events by hand.
#include "FakeBleComponent.h"
#include "FakeClock.h"
#include "FakeConnectionManager.h" // TManualTimer
#include "FakeDialogService.h"

#include "device/ConnectionSteps.h"
#include "device/LinkPacingClock.h"

#include <QtTest>

#include <memory>

namespace {

const QString kName = QStringLiteral("QUORVEL");
const QString kService = QStringLiteral("6B894DE1-A0E2-4077-A08D-D6FBD6470E94");
const QString kTx = QStringLiteral("6B894DE2-A0E2-4077-A08D-D6FBD6470E94");
const QString kRx = QStringLiteral("6B894DE3-A0E2-4077-A08D-D6FBD6470E94");
const QString kGenericService = QStringLiteral("{00001800-0000-1000-8000-00805F9B34FB}");
const QString kDeviceName = QStringLiteral("{00002A00-0000-1000-8000-00805F9B34FB}");

const QString kScanFailed = QStringLiteral("Не удалось запустить обнаружение устройств");
const QString kNoDevice = QStringLiteral("Устройство не обнаружено");
const QString kConnectFailed = QStringLiteral("Не удалось соединиться с устройством");
const QString kServicesFailed = QStringLiteral("Не удалось запустить обнаружение сервисов устройства");
const QString kNoService = QStringLiteral("Устройство не предоставляет нужный сервис!");
const QString kServicesLost = QStringLiteral("Не удалось обнаружить сервисы устройства");
const QString kConnectionLost = QStringLiteral("Устройство разорвало соединение");
const QString kNoPermission = QStringLiteral(
    "Для обнаружения Bluetooth устройств, Android приложению требуется доступ с сервисам местоположения. Доступа нет.");

QString Braced(const QString &AUuid)
{
    return QLatin1Char('{') + AUuid + QLatin1Char('}');
}

// The address of the device seen in 0-based position AIndex.
QString Address(qsizetype AIndex)
{
    return QStringLiteral("AA:BB:CC:00:00:%1").arg(AIndex + 1, 2, 10, QLatin1Char('0'));
}

// Services written as lists: the service UUID first, then its
// characteristics' UUIDs.
QList<TBleServiceInfo> Services(const QList<QStringList> &AServices)
{
    QList<TBleServiceInfo> list;
    for (const QStringList &s : AServices) {
        TBleServiceInfo info;
        info.Uuid = s.value(0);
        info.Name = QStringLiteral("service %1").arg(list.size());
        for (qsizetype c = 1; c < s.size(); ++c)
            info.Characteristics.append({s[c]});
        list.append(info);
    }
    return list;
}

// The glide tester's GATT table behind a generic service; RX listed before
// TX, so that a mix-up of the two shows.
const QList<QStringList> kGoodServices{{kGenericService, kDeviceName}, {Braced(kService), Braced(kRx), Braced(kTx)}};

class TRecordingView final : public IConnectView
{
public:
    void UpdateView(const TConnectViewState &AState) override { State = AState; }
    void CloseWindow() override { ++Closes; }
    void ClearLog() override { LogLines.clear(); }
    void ShowLog(bool AShow) override { LogShown = AShow; }
    void Log(const QString &ALine) override { LogLines.append(ALine); }
    void SetCaption(const QString &ACaption) override { Captions.append(ACaption); }

    TConnectViewState State;
    int Closes = 0;
    bool LogShown = true;
    QStringList LogLines;
    QStringList Captions;
};

// Where a test takes the steps to before it acts.
enum class TStage { Idle, DiscoveryRequested, Scanning, ListShown, Connecting, ServicesDiscovering, Matched, Ready };

// The steps on a scripted component, a fake clock and recorded dialogs.
// No QCoreApplication runs (QTEST_APPLESS_MAIN), so the pacing clock hands
// every pause to the fake clock.
struct TRig
{
    TRig()
    {
        auto timer = std::make_unique<TManualTimer>(base);
        commandTimer = timer.get();
        steps = std::make_unique<TConnectionSteps>(view, dialogs, clock, std::move(timer));
        steps->FMasterOnConnect = [this] { ++masterConnects; };
        steps->FMasterOnDisconnect = [this] { ++masterDisconnects; };
    }

    void Begin(const QString &AName = kName, const QString &AService = kService, const QString &ATx = kTx,
               const QString &ARx = kRx)
    {
        steps->BeginExecute(&ble, AName, AService, ATx, ARx);
    }

    void To(TStage AStage)
    {
        Begin();
        if (AStage == TStage::Idle)
            return;
        steps->btConnectClick();
        if (AStage == TStage::DiscoveryRequested)
            return;
        steps->tm1Timer();
        if (AStage == TStage::Scanning)
            return;
        ble.See(kName + QStringLiteral("-1"), Address(0));
        if (AStage == TStage::ListShown) {
            ble.See(kName + QStringLiteral("-2"), Address(1));
            ble.EndScan();
            return;
        }
        ble.EndScan();
        steps->tm1Timer();
        if (AStage == TStage::Connecting)
            return;
        ble.ComeUp();
        steps->tm1Timer();
        if (AStage == TStage::ServicesDiscovering)
            return;
        ble.EndServiceDiscovery(Services(kGoodServices));
        if (AStage == TStage::Matched)
            return;
        steps->tm1Timer();
    }

    // The journal from here on.
    QStringList JournalSince(qsizetype AFrom) const { return ble.Journal.mid(AFrom); }

    TFakeClock base;
    TLinkPacingClock clock{base};
    TFakeDialogService dialogs;
    TRecordingView view;
    TFakeBleComponent ble{base};
    TManualTimer *commandTimer = nullptr; // owned by the steps
    int masterConnects = 0;
    int masterDisconnects = 0;
    // Last: detaches from the component on destruction.
    std::unique_ptr<TConnectionSteps> steps;
};

// The link state of a reset: nothing held, nothing pending.
void CheckReset(TRig &ARig)
{
    QVERIFY(ARig.steps->ConnectionStep() == TConnectionStep::csNone);
    QVERIFY(!ARig.steps->IsReady());
    QVERIFY(!ARig.steps->IsLinkActive());
    QVERIFY(!ARig.steps->BtDevice().has_value());
    QVERIFY(!ARig.steps->BtTxCharacteristic().IsValid());
    QVERIFY(!ARig.steps->BtRxCharacteristic().IsValid());
    QVERIFY(!ARig.steps->AllowManualSelect());
    QVERIFY(ARig.steps->DeviceEntries().isEmpty());
    QVERIFY(!ARig.steps->Sender().RxNotificationSet());
}

// One error dialog with OK, the link reset, the result false, the window
// closing on the next tick.
void CheckFinishedWithError(TRig &ARig, const QString &AMessage)
{
    QCOMPARE(ARig.dialogs.Messages(), QStringList{AMessage});
    QVERIFY(ARig.dialogs.Dialogs[0].type == TMsgDlgType::mtError);
    QVERIFY(ARig.dialogs.Dialogs[0].buttons == TMsgDlgButtons::mbOK);
    QCOMPARE(ARig.steps->ErrorMessage(), AMessage);
    QVERIFY(!ARig.steps->Result());
    QVERIFY(ARig.steps->RequiredAction() == TRequiredAction::aExit);
    CheckReset(ARig);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(ARig.view.Closes, 0);
    ARig.steps->tm1Timer();
    QCOMPARE(ARig.view.Closes, 1);
    QVERIFY(!ARig.steps->Result());
    QCOMPARE(ARig.masterConnects, 0);
    // Closing the dialog changes nothing.
    ARig.dialogs.CloseLast(mrOk);
    QCOMPARE(ARig.dialogs.Dialogs.size(), 1);
    QVERIFY(ARig.steps->RequiredAction() == TRequiredAction::aNone);
}

} // namespace

Q_DECLARE_METATYPE(TStage)

class TestConnectionSteps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensIdle_data();
    void opensIdle();
    void connectButtonAsksPermission();
    void tickStartsScanAfterWait();
    void scanEnded_data();
    void scanEnded();
    void discoveryLog();
    void manualConnect_data();
    void manualConnect();
    void connectEventStartsServiceDiscovery();
    void serviceDiscoveryEnded_data();
    void serviceDiscoveryEnded();
    void readyLinkStaysAfterExit();
    void disconnectByStep_data();
    void disconnectByStep();
    void errors_data();
    void errors();
    void cancel_data();
    void cancel();
    void rxNotificationCleared_data();
    void rxNotificationCleared();
    void firstCommandRequestsNotifications();
    void queuedCommandAfterLoss_data();
    void queuedCommandAfterLoss();
};

void TestConnectionSteps::opensIdle_data()
{
    QTest::addColumn<bool>("showDebugLog");
    QTest::newRow("log hidden") << false;
    QTest::newRow("log shown") << true;
}

void TestConnectionSteps::opensIdle()
{
    QFETCH(bool, showDebugLog);
    TRig rig;
    rig.view.LogLines = QStringList{QStringLiteral("old line")};
    rig.steps->ShowDebugLog = showDebugLog;
    rig.Begin();
    QVERIFY(rig.view.LogLines.isEmpty());
    QCOMPARE(rig.view.LogShown, showDebugLog);
    QVERIFY(rig.steps->ConnectionStep() == TConnectionStep::csNone);
    QVERIFY(rig.steps->RequiredAction() == TRequiredAction::aNone);
    QVERIFY(!rig.steps->Result());
    QVERIFY(rig.view.State.fl1Visible);
    QVERIFY(!rig.view.State.pnlConnectLabelVisible);
    QVERIFY(!rig.view.State.cbDeviceVisible);
    QVERIFY(!rig.view.State.indWaitRunning);
    QCOMPARE(rig.view.State.lState, QStringLiteral("Ожидание.."));
    // Nothing moves without "Подключиться к откатчику".
    rig.steps->tm1Timer();
    QVERIFY(rig.ble.Journal.isEmpty());
}

void TestConnectionSteps::connectButtonAsksPermission()
{
    TRig rig;
    int asked = 0;
    rig.steps->RequestPermission = [&asked](std::function<void(bool)> AResult) {
        ++asked;
        AResult(true);
    };
    rig.Begin();
    rig.steps->btConnectClick();
    QCOMPARE(asked, 1);
    QVERIFY(rig.steps->RequiredAction() == TRequiredAction::aDescoverDevices);
    QCOMPARE(rig.view.LogLines, QStringList{QStringLiteral("* aDescoverDevices")});
    QVERIFY(!rig.view.State.fl1Visible);
    QVERIFY(rig.view.State.pnlConnectLabelVisible);
    // The scan waits for the tick.
    QVERIFY(rig.ble.Journal.isEmpty());
    QVERIFY(rig.dialogs.Dialogs.isEmpty());
}

void TestConnectionSteps::tickStartsScanAfterWait()
{
    TRig rig;
    rig.To(TStage::DiscoveryRequested);
    const quint32 before = rig.base.TickMs();
    rig.steps->tm1Timer();
    QCOMPARE(rig.ble.Journal, (QStringList{"enable", "scan 5000"}));
    QCOMPARE(rig.base.Sleeps, QList<int>{1000});
    QCOMPARE(rig.ble.ScanStartedAt, before + 1000);
    QVERIFY(rig.view.LogLines.contains(QStringLiteral("* BT Enabled")));
    QVERIFY(rig.steps->ConnectionStep() == TConnectionStep::csDevicesDiscovering);
    QVERIFY(rig.steps->RequiredAction() == TRequiredAction::aNone);
    QCOMPARE(rig.view.State.lState, QStringLiteral("Поиск устройства.."));
    QVERIFY(rig.dialogs.Dialogs.isEmpty());
}

void TestConnectionSteps::scanEnded_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("names");   // seen one per event, in order
    QTest::addColumn<QStringList>("entries"); // the list's texts at the end
    QTest::addColumn<QList<int>>("devices");  // the seen positions they hold
    QTest::addColumn<bool>("manual");
    QTest::addColumn<QString>("error");

    const auto entry = [](int AIndex, const QString &AName) {
        return QStringLiteral("%1 - %2 - %3").arg(AIndex + 1).arg(AName, Address(AIndex));
    };
    // A walk adds a newly matching device under its reported name; the
    // walks that follow give it its full text.
    QTest::newRow("nothing seen") << kName << QStringList{} << QStringList{} << QList<int>{} << false << kNoDevice;
    QTest::newRow("no name matches")
        << kName << QStringList{"Phone", "Watch"} << QStringList{} << QList<int>{} << false << kNoDevice;
    QTest::newRow("one match among others: connects without asking")
        << kName << QStringList{"Phone", "QUORVEL-7", "Watch"} << QStringList{entry(1, "QUORVEL-7")} << QList<int>{1}
        << false << QString();
    QTest::newRow("one match seen last keeps its reported name")
        << kName << QStringList{"Phone", "QUORVEL-7"} << QStringList{"QUORVEL-7"} << QList<int>{1} << false
        << QString();
    QTest::newRow("two matches: the list")
        << kName << QStringList{"QUORVEL-1", "QUORVEL-2"} << QStringList{entry(0, "QUORVEL-1"), "QUORVEL-2"}
        << QList<int>{0, 1} << true << QString();
    QTest::newRow("two matches among others")
        << kName << QStringList{"QUORVEL-1", "Phone", "QUORVEL-2", "Watch"}
        << QStringList{entry(0, "QUORVEL-1"), entry(2, "QUORVEL-2")} << QList<int>{0, 2} << true << QString();
    QTest::newRow("empty name never matches a pattern")
        << kName << QStringList{"", "Phone"} << QStringList{} << QList<int>{} << false << kNoDevice;
    QTest::newRow("empty name beside a match")
        << kName << QStringList{"", "QUORVEL-1", "Phone"} << QStringList{entry(1, "QUORVEL-1")} << QList<int>{1}
        << false << QString();
    QTest::newRow("substring, case-sensitive")
        << kName << QStringList{"quorvel-1", "MY-QUORVEL-X", "TV"} << QStringList{entry(1, "MY-QUORVEL-X")}
        << QList<int>{1} << false << QString();
    QTest::newRow("empty pattern: every device, Unknown device for no name")
        << QString() << QStringList{"", "Phone", "TV"}
        << QStringList{entry(0, "Unknown device"), entry(1, "Phone"), "TV"} << QList<int>{0, 1, 2} << true
        << QString();
}

void TestConnectionSteps::scanEnded()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, names);
    QFETCH(QStringList, entries);
    QFETCH(QList<int>, devices);
    QFETCH(bool, manual);
    QFETCH(QString, error);

    TRig rig;
    rig.Begin(pattern);
    rig.steps->btConnectClick();
    rig.steps->tm1Timer();
    for (qsizetype i = 0; i < names.size(); ++i)
        rig.ble.See(names[i], Address(i));
    rig.ble.EndScan();

    if (!error.isEmpty()) {
        CheckFinishedWithError(rig, error);
        return;
    }
    QVERIFY(rig.dialogs.Dialogs.isEmpty());
    const QList<TConnectionSteps::TDeviceEntry> &list = rig.steps->DeviceEntries();
    QStringList texts;
    QList<int> held;
    for (const TConnectionSteps::TDeviceEntry &e : list) {
        texts.append(e.Text);
        held.append(int(names.indexOf(e.Device.Name)));
        QCOMPARE(e.Device.Address, Address(held.last()));
    }
    QCOMPARE(texts, entries);
    QCOMPARE(held, devices);
    QCOMPARE(rig.steps->SelectedEntry(), 0);
    QVERIFY(rig.steps->ConnectionStep() == TConnectionStep::csNone);
    QCOMPARE(rig.steps->AllowManualSelect(), manual);
    QCOMPARE(rig.view.State.cbDeviceVisible, manual);
    QVERIFY(rig.steps->RequiredAction() == (manual ? TRequiredAction::aNone : TRequiredAction::aConnect));

    const qsizetype mark = rig.ble.Journal.size();
    rig.steps->tm1Timer();
    if (manual) {
        QVERIFY(rig.JournalSince(mark).isEmpty());
        QVERIFY(rig.steps->ConnectionStep() == TConnectionStep::csNone);
    } else {
        QCOMPARE(rig.JournalSince(mark), QStringList{QStringLiteral("connect ") + Address(devices[0])});
        QVERIFY(rig.steps->ConnectionStep() == TConnectionStep::csDeviceConnecting);
        QCOMPARE(rig.view.State.lState, QStringLiteral("Подключение.."));
    }
    QVERIFY(rig.dialogs.Dialogs.isEmpty());
}

void TestConnectionSteps::discoveryLog()
{
    TRig rig;
    rig.To(TStage::Scanning);
    rig.view.LogLines.clear();
    rig.ble.See(QStringLiteral("Phone"), Address(0));
    rig.ble.See(QStringLiteral("QUORVEL-1"), Address(1));
    QCOMPARE(rig.view.LogLines, (QStringList{"Discovered: 1", "0: Phone", "(name has not matched)", "Discovered: 2",
                                             "0: Phone", "(name has not matched)", "1: QUORVEL-1"}));
}

void TestConnectionSteps::manualConnect_data()
{
    QTest::addColumn<int>("pick"); // -1: the user leaves the first entry
    QTest::addColumn<int>("device");
    QTest::newRow("first entry, as selected") << -1 << 0;
    QTest::newRow("second entry picked") << 1 << 1;
}

void TestConnectionSteps::manualConnect()
{
    QFETCH(int, pick);
    QFETCH(int, device);
    TRig rig;
    rig.To(TStage::ListShown);
    QVERIFY(rig.view.State.cbDeviceVisible);
    const qsizetype mark = rig.ble.Journal.size();
    for (int i = 0; i < 3; ++i)
        rig.steps->tm1Timer();
    QVERIFY(rig.JournalSince(mark).isEmpty());
    if (pick >= 0)
        rig.steps->SelectEntry(pick);

    rig.steps->btManualConnectClick();
    QVERIFY(rig.steps->RequiredAction() == TRequiredAction::aConnect);
    QVERIFY(rig.JournalSince(mark).isEmpty());
    rig.steps->tm1Timer();
    QCOMPARE(rig.JournalSince(mark), QStringList{QStringLiteral("connect ") + Address(device)});
    QVERIFY(rig.steps->ConnectionStep() == TConnectionStep::csDeviceConnecting);
    QCOMPARE(rig.steps->BtDevice()->Address, Address(device));
    QVERIFY(rig.dialogs.Dialogs.isEmpty());
}

void TestConnectionSteps::connectEventStartsServiceDiscovery()
{
    TRig rig;
    rig.To(TStage::Connecting);
    const qsizetype mark = rig.ble.Journal.size();
    rig.ble.ComeUp();
    QVERIFY(rig.steps->RequiredAction() == TRequiredAction::aDiscoverServices);
    // The radio link alone is not the caller's connect.
    QCOMPARE(rig.masterConnects, 0);
    QVERIFY(rig.JournalSince(mark).isEmpty());
    rig.steps->tm1Timer();
    QCOMPARE(rig.JournalSince(mark), QStringList{"discover services"});
    QVERIFY(rig.steps->ConnectionStep() == TConnectionStep::csServicesDiscovering);
    QVERIFY(rig.steps->RequiredAction() == TRequiredAction::aNone);
    QCOMPARE(rig.view.State.lState, QStringLiteral("Опрос.."));

    // A connect event of another step asks for nothing.
    TRig other;
    other.To(TStage::ListShown);
    other.ble.ComeUp();
    QVERIFY(other.steps->RequiredAction() == TRequiredAction::aNone);
}

void TestConnectionSteps::serviceDiscoveryEnded_data()
{
    QTest::addColumn<QStringList>("patterns"); // service, TX, RX
    QTest::addColumn<QList<QStringList>>("services");
    QTest::addColumn<QString>("tx"); // "service/characteristic"; empty: no match
    QTest::addColumn<QString>("rx");

    const QStringList full{kService, kTx, kRx};
    QTest::newRow("the tester's service after a generic one") << full << kGoodServices << "1/1" << "1/0";
    QTest::newRow("TX listed first")
        << full << QList<QStringList>{{Braced(kService), Braced(kTx), Braced(kRx)}} << "0/0" << "0/1";
    QTest::newRow("parts of the UUIDs")
        << QStringList{"4DE1-A0E2", "6B894DE2", "DE3-A0E2-4077"} << kGoodServices << "1/1" << "1/0";
    QTest::newRow("patterns in braces")
        << QStringList{Braced(kService), Braced(kTx), Braced(kRx)} << kGoodServices << "1/1" << "1/0";
    QTest::newRow("later characteristic match replaces earlier")
        << QStringList{kService, kTx, "A0E2"} << kGoodServices << "1/1" << "1/1";
    QTest::newRow("empty service pattern: first service with both")
        << QStringList{QString(), kTx, kRx}
        << QList<QStringList>{{kGenericService, kDeviceName},
                              {Braced(kService), Braced(kTx), Braced(kRx)},
                              {kGenericService, Braced(kTx), Braced(kRx)}}
        << "1/0" << "1/1";
    QTest::newRow("lower-case pattern does not match upper-case text")
        << QStringList{kService.toLower(), kTx, kRx} << kGoodServices << "" << "";
    QTest::newRow("no service") << full << QList<QStringList>{} << "" << "";
    QTest::newRow("service without RX")
        << full << QList<QStringList>{{Braced(kService), Braced(kTx)}} << "" << "";
    QTest::newRow("service without TX")
        << full << QList<QStringList>{{Braced(kService), Braced(kRx)}} << "" << "";
    QTest::newRow("characteristics under another service")
        << full << QList<QStringList>{{kGenericService, Braced(kTx), Braced(kRx)}} << "" << "";
    QTest::newRow("empty TX pattern matches nothing")
        << QStringList{kService, QString(), kRx} << kGoodServices << "" << "";
}

void TestConnectionSteps::serviceDiscoveryEnded()
{
    QFETCH(QStringList, patterns);
    QFETCH(QList<QStringList>, services);
    QFETCH(QString, tx);
    QFETCH(QString, rx);

    TRig rig;
    rig.Begin(kName, patterns[0], patterns[1], patterns[2]);
    rig.steps->btConnectClick();
    rig.steps->tm1Timer();
    rig.ble.See(kName, Address(0));
    rig.ble.EndScan();
    rig.steps->tm1Timer();
    rig.ble.ComeUp();
    rig.steps->tm1Timer();
    const qsizetype mark = rig.ble.Journal.size();
    rig.ble.EndServiceDiscovery(Services(services));

    if (tx.isEmpty()) {
        QCOMPARE(rig.JournalSince(mark), QStringList{"disconnect"});
        CheckFinishedWithError(rig, kNoService);
        return;
    }
    QVERIFY(rig.dialogs.Dialogs.isEmpty());
    QVERIFY(rig.steps->IsReady());
    QVERIFY(rig.steps->IsLinkActive());
    QVERIFY(rig.steps->Result());
    QVERIFY(rig.steps->RequiredAction() == TRequiredAction::aExit);
    QVERIFY(rig.steps->ConnectionStep() == TConnectionStep::csNone);
    QCOMPARE(TFakeBleComponent::Ref(rig.steps->BtTxCharacteristic()), tx);
    QCOMPARE(TFakeBleComponent::Ref(rig.steps->BtRxCharacteristic()), rx);
    QCOMPARE(rig.steps->BtDevice()->Address, Address(0));
    QVERIFY(!rig.steps->Sender().RxNotificationSet());
    QCOMPARE(rig.masterConnects, 1);
    QVERIFY(rig.JournalSince(mark).isEmpty());
}

void TestConnectionSteps::readyLinkStaysAfterExit()
{
    TRig rig;
    rig.To(TStage::Matched);
    QCOMPARE(rig.view.Closes, 0);
    rig.steps->tm1Timer();
    QCOMPARE(rig.view.Closes, 1);
    QVERIFY(rig.steps->Result());
    QVERIFY(rig.steps->ConnectionStep() == TConnectionStep::csNone);
    QVERIFY(rig.steps->RequiredAction() == TRequiredAction::aNone);
    QVERIFY(rig.steps->IsReady());
    QVERIFY(rig.steps->IsLinkActive());
    QCOMPARE(rig.masterConnects, 1);
    // Later ticks leave the link alone.
    const qsizetype mark = rig.ble.Journal.size();
    rig.steps->tm1Timer();
    QVERIFY(rig.JournalSince(mark).isEmpty());
    QVERIFY(rig.steps->IsLinkActive());
    QCOMPARE(rig.view.Closes, 1);
}

void TestConnectionSteps::disconnectByStep_data()
{
    QTest::addColumn<TStage>("stage");
    QTest::addColumn<QString>("error"); // empty: no dialog, the caller hears
    QTest::newRow("during device discovery") << TStage::Scanning << kServicesLost;
    QTest::newRow("during connecting") << TStage::Connecting << kConnectionLost;
    QTest::newRow("during service discovery") << TStage::ServicesDiscovering << kServicesLost;
    QTest::newRow("ready link") << TStage::Ready << QString();
}

void TestConnectionSteps::disconnectByStep()
{
    QFETCH(TStage, stage);
    QFETCH(QString, error);
    TRig rig;
    rig.To(stage);
    const int connects = rig.masterConnects;
    rig.ble.Drop();
    if (!error.isEmpty()) {
        QCOMPARE(rig.masterDisconnects, 0);
        CheckFinishedWithError(rig, error);
        QCOMPARE(rig.masterDisconnects, 0);
        return;
    }
    QVERIFY(rig.dialogs.Dialogs.isEmpty());
    QCOMPARE(rig.masterDisconnects, 1);
    QCOMPARE(rig.masterConnects, connects);
    QVERIFY(rig.steps->RequiredAction() == TRequiredAction::aNone);
    CheckReset(rig);
    rig.steps->tm1Timer();
    QCOMPARE(rig.masterDisconnects, 1);
    QVERIFY(rig.dialogs.Dialogs.isEmpty());
}

void TestConnectionSteps::errors_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("error");
    QTest::newRow("permission refused") << "permission" << kNoPermission;
    QTest::newRow("scan cannot start") << "scan" << kScanFailed;
    QTest::newRow("platform error during the scan") << "platform" << QStringLiteral("Adapter is powered off");
    QTest::newRow("connect refused") << "connect" << kConnectFailed;
    QTest::newRow("service discovery cannot start") << "services" << kServicesFailed;
}

void TestConnectionSteps::errors()
{
    QFETCH(QString, failure);
    QFETCH(QString, error);
    TRig rig;
    if (failure == QLatin1String("permission")) {
        rig.steps->RequestPermission = [](std::function<void(bool)> AResult) { AResult(false); };
        rig.To(TStage::DiscoveryRequested);
        QVERIFY(rig.ble.Journal.isEmpty());
    } else if (failure == QLatin1String("scan")) {
        rig.ble.CanScan = false;
        rig.To(TStage::Scanning);
    } else if (failure == QLatin1String("platform")) {
        rig.To(TStage::Scanning);
        rig.ble.Fail(error);
    } else if (failure == QLatin1String("connect")) {
        rig.ble.CanConnect = false;
        rig.To(TStage::Connecting);
    } else {
        rig.ble.CanDiscoverServices = false;
        rig.To(TStage::ServicesDiscovering);
        QCOMPARE(rig.ble.Journal.last(), QStringLiteral("disconnect"));
    }
    CheckFinishedWithError(rig, error);
}

void TestConnectionSteps::cancel_data()
{
    QTest::addColumn<TStage>("stage");
    QTest::addColumn<bool>("released"); // a device was held: it is disconnected
    QTest::newRow("window open") << TStage::Idle << false;
    QTest::newRow("discovery requested") << TStage::DiscoveryRequested << false;
    QTest::newRow("scanning") << TStage::Scanning << false;
    QTest::newRow("list shown") << TStage::ListShown << false;
    QTest::newRow("connecting") << TStage::Connecting << true;
    QTest::newRow("service discovery") << TStage::ServicesDiscovering << true;
    QTest::newRow("matched, before the window closes") << TStage::Matched << true;
}

void TestConnectionSteps::cancel()
{
    QFETCH(TStage, stage);
    QFETCH(bool, released);
    TRig rig;
    rig.To(stage);
    const qsizetype mark = rig.ble.Journal.size();
    rig.steps->btExitClick();
    QCOMPARE(rig.view.Closes, 1);
    QVERIFY(!rig.steps->Result());
    QVERIFY(rig.steps->RequiredAction() == TRequiredAction::aNone);
    CheckReset(rig);
    QCOMPARE(rig.JournalSince(mark), released ? QStringList{"disconnect"} : QStringList{});
    QVERIFY(!rig.ble.Connected);
    QVERIFY(rig.dialogs.Dialogs.isEmpty());
    rig.steps->tm1Timer();
    QCOMPARE(rig.JournalSince(mark).size(), released ? 1 : 0);
    QCOMPARE(rig.view.Closes, 1);
}

void TestConnectionSteps::rxNotificationCleared_data()
{
    QTest::addColumn<QString>("after");
    QTest::newRow("match") << "match";
    QTest::newRow("lost link") << "disconnect";
    QTest::newRow("reset") << "reset";
    QTest::newRow("new connection matched") << "reconnect";
}

void TestConnectionSteps::rxNotificationCleared()
{
    QFETCH(QString, after);
    TRig rig;
    rig.To(TStage::Ready);
    if (after != QLatin1String("match")) {
        rig.steps->Sender().SendCommand(QStringLiteral("STOP"));
        QVERIFY(rig.steps->Sender().RxNotificationSet());
    }
    if (after == QLatin1String("disconnect")) {
        rig.ble.Drop();
    } else if (after == QLatin1String("reset")) {
        rig.steps->ResetState();
    } else if (after == QLatin1String("reconnect")) {
        rig.To(TStage::Matched);
    }
    QVERIFY(!rig.steps->Sender().RxNotificationSet());
}

void TestConnectionSteps::firstCommandRequestsNotifications()
{
    TRig rig;
    rig.To(TStage::Ready);
    rig.base.Sleeps.clear();
    qsizetype mark = rig.ble.Journal.size();
    rig.steps->Sender().SendCommand(QStringLiteral("STOP"));
    QCOMPARE(rig.JournalSince(mark), (QStringList{"subscribe 1/0", "write 1/1 STOP\\r"}));
    QCOMPARE(rig.base.Sleeps, (QList<int>{100, 200}));
    QVERIFY(rig.steps->Sender().RxNotificationSet());

    rig.base.Sleeps.clear();
    mark = rig.ble.Journal.size();
    rig.steps->Sender().SendCommand(QStringLiteral("PROBE"));
    QCOMPARE(rig.JournalSince(mark), QStringList{"write 1/1 PROBE\\r"});
    QCOMPARE(rig.base.Sleeps, QList<int>{200});
}

void TestConnectionSteps::queuedCommandAfterLoss_data()
{
    QTest::addColumn<QString>("loss");
    QTest::addColumn<QStringList>("journal");
    QTest::newRow("link kept: the command leaves")
        << "none" << QStringList{"subscribe 1/0", "write 1/1 STOP\\r"};
    QTest::newRow("link lost: dropped") << "disconnect" << QStringList{};
    QTest::newRow("link reset: dropped") << "reset" << QStringList{};
}

void TestConnectionSteps::queuedCommandAfterLoss()
{
    QFETCH(QString, loss);
    QFETCH(QStringList, journal);
    TRig rig;
    rig.To(TStage::Ready);
    rig.steps->Sender().SendCommandAsync(QStringLiteral("STOP"));
    if (loss == QLatin1String("disconnect"))
        rig.ble.Drop();
    else if (loss == QLatin1String("reset"))
        rig.steps->ResetState();
    const qsizetype mark = rig.ble.Journal.size();
    QVERIFY(rig.commandTimer->Tick());
    QCOMPARE(rig.JournalSince(mark), journal);
    QVERIFY(rig.steps->Sender().AsyncCmdQueue().isEmpty());
    QVERIFY(!rig.commandTimer->IsActive());
}

QTEST_APPLESS_MAIN(TestConnectionSteps)
#include "tst_ConnectionSteps.moc"
