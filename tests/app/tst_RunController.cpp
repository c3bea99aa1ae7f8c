#include "WindowFixture.h"

#include "timing/ReflectorIndicator.h"
#include "timing/TimeMeter.h"
#include "view/ReflectorIndicatorPanel.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

// A window with one selected session, connected, the automatic stop served.
struct TConnectedWindow : TWindowFixture
{
    void Setup()
    {
        AddSession(QStringLiteral("S"));
        Create();
        SelectSession(QStringLiteral("S"));
        ConnectAndSettle();
        link->Air.clear();
        played.clear();
    }

    void Notify(const QByteArray &AText) { link->Notify(AText); }

    // Starts a run with "Старт" and forgets what that wrote.
    void StartRun()
    {
        window->btStartClick();
        QCOMPARE(window->Mode(), TLSMode::lsmMeasure);
        link->Air.clear();
        played.clear();
    }
};

} // namespace

class TestRunController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void updateFormFollowsLink();
    void newConnectionSendsOneStop();
    void startSendsStartCommand();
    void startWhileArmedRestarts();
    void deviceButton_data();
    void deviceButton();
    void lastReflectorFinishesRun();
    void startWithoutLink();
    void startRefused_data();
    void startRefused();
    void startFailsInsideGuard();
    void lostLinkStopsRun();
    void stopButton();
    void probeMode();
    void stateButton();
    void dataLinesReachDebugLog();
};

void TestRunController::updateFormFollowsLink()
{
    TWindowFixture f;
    f.Create();
    TfmKorvane &w = *f.window;
    QVERIFY(!w.btConnect->isHidden());
    QVERIFY(w.btStart->isHidden());
    QVERIFY(w.btStop->isHidden());
    QCOMPARE(w.FlowLayoutTopLayout->indexOf(w.btConnect), 0);

    f.ConnectAndSettle();
    QVERIFY(w.IsBTConnectionActive());
    w.UpdateForm();
    QVERIFY(w.btConnect->isHidden());
    QVERIFY(!w.btStart->isHidden());
    QVERIFY(!w.btStop->isHidden());

    f.link->Disconnect();
    QVERIFY(!w.IsBTConnectionActive());
    QVERIFY(!w.btConnect->isHidden()); // the disconnect refreshes at once
    QVERIFY(w.btStart->isHidden());
    QCOMPARE(w.FlowLayoutTopLayout->indexOf(w.btConnect), 0);
}

void TestRunController::newConnectionSendsOneStop()
{
    TWindowFixture f;
    f.Create();
    f.window->btConnectClick();
    QVERIFY(f.link);
    QCOMPARE(f.link->ExecuteCount, 1);
    QCOMPARE(f.link->Patterns, QStringList({"GORVIK_QUORVEL_02", "6B894DE1-A0E2-4077-A08D-D6FBD6470E94",
                                            "6B894DE2-A0E2-4077-A08D-D6FBD6470E94", "6B894DE3-A0E2-4077-A08D-D6FBD6470E94"}));
    QVERIFY(f.link->Air.isEmpty()); // nothing is sent from inside the connect event
    QCOMPARE(f.window->AsyncUpdateCounter(), 10);

    f.window->Timer1Timer();
    QCOMPARE(f.link->Air.size(), 2);
    QVERIFY(f.link->Air[0].notificationRequest);
    QCOMPARE(f.link->Air[1].value, QByteArray("STOP\r"));
    QCOMPARE(f.link->Air[1].at - f.link->Air[0].at, 100u);
    QCOMPARE(f.played, QStringList({"beep2"}));
    f.window->Timer1Timer();
    QCOMPARE(f.link->Commands(), QStringList({"STOP"})); // exactly one
}

void TestRunController::startSendsStartCommand()
{
    TConnectedWindow f;
    f.Setup();
    f.window->btStartClick();
    QCOMPARE(f.played, QStringList({"beep2"}));
    const auto writes = f.link->Writes();
    QCOMPARE(writes.size(), 2);
    QCOMPARE(writes[0].value, QByteArray("START 1,50,1100,9000"));
    QCOMPARE(writes[1].value, QByteArray("\r"));
    QCOMPARE(writes[1].at - writes[0].at, 200u);
    TfmKorvane &w = *f.window;
    QCOMPARE(w.Mode(), TLSMode::lsmMeasure);
    QVERIFY(!w.TimeMeter().Paused());
    QVERIFY(!w.cbSession->isEnabled());
    QVERIFY(!w.eName->isEnabled());
    QVERIFY(!w.btSession->isEnabled());
    QVERIFY(!w.pnlIndicator->isHidden());
    QCOMPARE(w.Indicator().Circles().size(), 5);
    QVERIFY(w.Run().currRes);
    QCOMPARE(w.Run().currRes->ReflectorCount, 5);
    QCOMPARE(w.Run().currRes->ReflectorDistances[3], 5.0);
    QVERIFY(f.dialogs.Dialogs.isEmpty());
}

void TestRunController::startWhileArmedRestarts()
{
    TConnectedWindow f;
    f.Setup();
    f.StartRun();
    f.Notify("1000,1,2\r\n2500,1,2\r\n");
    QCOMPARE(f.window->Run().FCurrReflectorIdx, 2);
    const TLSResult *old = f.window->Run().currRes.get();
    f.link->Air.clear();

    f.window->btStartClick();
    QCOMPARE(f.link->Commands(), QStringList({"START 1,50,1100,9000"})); // no "STOP" first
    QCOMPARE(f.link->Writes().size(), 2);
    QCOMPARE(f.window->Run().FCurrReflectorIdx, 0);
    QVERIFY(f.window->Run().currRes.get() != old || f.window->Run().currRes->ReflectorTimesMs[0] == 0.0);
    QCOMPARE(f.window->Run().currRes->ReflectorTimesMs[0], 0.0);
    QCOMPARE(f.window->Mode(), TLSMode::lsmMeasure);
}

void TestRunController::deviceButton_data()
{
    QTest::addColumn<bool>("armed");
    QTest::newRow("idle: starts") << false;
    QTest::newRow("armed: stops") << true;
}

void TestRunController::deviceButton()
{
    QFETCH(bool, armed);
    TConnectedWindow f;
    f.Setup();
    if (armed)
        f.StartRun();
    f.Notify("#CMD:BTN1\r\n100,1,2\r\n");
    QCOMPARE(f.window->Run().FNeedStart, !armed);
    QCOMPARE(f.window->Run().FNeedStop, armed);
    QVERIFY(f.link->Air.isEmpty()); // served on the timer, not in the event
    QCOMPARE(f.window->Run().FCurrReflectorIdx, 0); // the data line after it is ignored

    f.window->Timer1Timer();
    QCOMPARE(f.played, QStringList({"beep2"}));
    if (armed) {
        QCOMPARE(f.link->Commands(), QStringList({"STOP"}));
        QCOMPARE(f.window->Mode(), TLSMode::lsmIdle);
        QVERIFY(f.window->cbSession->isEnabled());
        QVERIFY(QDir(f.SessionFolder(QStringLiteral("S"))).entryList(QDir::Files).isEmpty()); // nothing stored
    } else {
        QCOMPARE(f.link->Commands(), QStringList({"START 1,50,1100,9000"}));
        QCOMPARE(f.window->Mode(), TLSMode::lsmMeasure);
    }
}

void TestRunController::lastReflectorFinishesRun()
{
    TConnectedWindow f;
    f.WriteSettings("[Main]\r\nFix01=1\r\n[Reflectors]\r\nReflectorCount=6\r\n");
    f.Setup();
    QCOMPARE(f.window->Settings().ReflectorCount, 6);
    f.StartRun();
    // Passes split across notifications in places.
    f.Notify("1000,1,2\r\n25");
    f.Notify("00,1,2\r\n3800,1,2\r");
    f.Notify("\n5000,1,2\r\n6100,1,2\r\n");
    QCOMPARE(f.played, QStringList({"beep1", "beep1", "beep1", "beep1", "beep1"}));
    f.Notify("7000,1,2\r\n");
    QCOMPARE(f.played.last(), QStringLiteral("beep2"));
    TfmKorvane &w = *f.window;
    QVERIFY(w.Run().FNeedStop);
    QVERIFY(w.Run().FMeasureSuccesful);
    QCOMPARE(w.lResultIndicator->text(), QStringLiteral("6.00 с"));
    QVERIFY(!w.pnlResultIndicator->isHidden());
    const auto &circles = w.Indicator().Circles();
    QCOMPARE(circles.size(), 6);
    for (int k = 0; k < 5; ++k)
        QCOMPARE(circles[k].Fill, 0xFFFFFFFFu);
    QCOMPARE(circles[5].Fill, 0xFF32CD32u);
    QCOMPARE(w.pnlIndicator->Circles().size(), 6); // painted from the model
    QCOMPARE(w.pnlIndicator->Circles()[5].fill, QColor(0x32, 0xCD, 0x32));
    const quint32 finishedAt = f.clock.TickMs();
    QVERIFY(f.link->Air.isEmpty()); // "STOP" is queued, not sent

    w.Timer1Timer();
    QVERIFY(f.link->Air.isEmpty()); // no second "STOP" from the stop itself
    QCOMPARE(w.Mode(), TLSMode::lsmIdle);
    QVERIFY(!w.Run().FMeasureSuccesful); // cleared by the finish
    QVERIFY(w.pnlIndicator->isHidden());

    QVERIFY(f.link->CommandTimer().Tick());
    QCOMPARE(f.link->Commands(), QStringList({"STOP"}));
    QCOMPARE(f.link->Writes()[0].at - finishedAt, 800u);
    QVERIFY(!f.link->CommandTimer().IsActive());
}

void TestRunController::startWithoutLink()
{
    TWindowFixture f;
    f.AddSession(QStringLiteral("S"));
    f.connectOnExecute = false;
    f.Create();
    f.SelectSession(QStringLiteral("S"));
    f.window->btStartClick();
    QCOMPARE(f.played, QStringList({"beep2", "error"}));
    QVERIFY(f.link);
    QCOMPARE(f.link->ExecuteCount, 1); // the connection procedure opened
    QVERIFY(f.dialogs.Dialogs.isEmpty()); // and no message
    QCOMPARE(f.window->Mode(), TLSMode::lsmIdle);
    QVERIFY(f.link->Air.isEmpty());
}

void TestRunController::startRefused_data()
{
    QTest::addColumn<bool>("selectSession");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");

    QTest::newRow("no session") << false << "Изм_" << "Необходимо выбрать сессию из списка или начать новую";
    QTest::newRow("slash in name") << true << "A/B" << "Недопустимые символы в наименовании измерения";
    QTest::newRow("quote in name") << true << "A\"B" << "Недопустимые символы в наименовании измерения";
    QTest::newRow("control character") << true << QString(QStringLiteral("A") + QChar(9)) << "Недопустимые символы в наименовании измерения";
}

void TestRunController::startRefused()
{
    QFETCH(bool, selectSession);
    QFETCH(QString, name);
    QFETCH(QString, message);
    TWindowFixture f;
    f.AddSession(QStringLiteral("S"));
    f.Create();
    if (selectSession)
        f.SelectSession(QStringLiteral("S"));
    f.ConnectAndSettle();
    f.link->Air.clear();
    f.played.clear();
    f.window->eName->setText(name);
    f.window->btStartClick();
    QCOMPARE(f.played, QStringList({"beep2", "error"}));
    QCOMPARE(f.dialogs.Messages(), QStringList({message}));
    QCOMPARE(f.dialogs.Dialogs[0].type, TMsgDlgType::mtError);
    QCOMPARE(f.window->Mode(), TLSMode::lsmIdle);
    QVERIFY(f.link->Air.isEmpty());
}

void TestRunController::startFailsInsideGuard()
{
    TConnectedWindow f;
    f.Setup();
    f.window->ShowFinalTime(1234);
    f.link->FailWrites = true;
    f.window->btStartClick();
    TfmKorvane &w = *f.window;
    QCOMPARE(f.played, QStringList({"beep2", "error"}));
    QCOMPARE(f.dialogs.Messages(), QStringList({"Запись не удалась"}));
    QCOMPARE(w.Mode(), TLSMode::lsmIdle); // not armed
    QVERIFY(w.pnlIndicator->isHidden());
    QVERIFY(w.pnlResultIndicator->isHidden());
    QVERIFY(!w.cbSession->isEnabled()); // stays disabled until the next stop or start
    f.link->FailWrites = false;
    w.btStopClick();
    QVERIFY(w.cbSession->isEnabled());
}

void TestRunController::lostLinkStopsRun()
{
    TConnectedWindow f;
    f.Setup();
    f.StartRun();
    f.Notify("1000,1,2\r\n");
    f.played.clear();
    f.link->Disconnect();
    TfmKorvane &w = *f.window;
    QCOMPARE(f.played, QStringList({"error"}));
    QCOMPARE(w.Mode(), TLSMode::lsmIdle);
    QVERIFY(f.link->Air.isEmpty()); // no "STOP" on a lost link
    QVERIFY(w.cbSession->isEnabled());
    QVERIFY(!w.btConnect->isHidden());
    QCOMPARE(w.AsyncUpdateCounter(), 10);
}

void TestRunController::stopButton()
{
    TConnectedWindow f;
    f.Setup();
    f.StartRun();
    const quint32 before = f.clock.TickMs();
    f.window->btStopClick();
    QCOMPARE(f.played, QStringList({"beep2"}));
    QCOMPARE(f.link->Commands(), QStringList({"STOP"}));
    // One write and its pause, then 200 ms more.
    QCOMPARE(f.clock.TickMs() - before, 400u);
    QCOMPARE(f.window->Mode(), TLSMode::lsmIdle);
}

void TestRunController::probeMode()
{
    TConnectedWindow f;
    f.Setup();
    TfmKorvane &w = *f.window;
    w.chkProbe->setChecked(true);
    QVERIFY(w.tmProbe->isActive());
    QVERIFY(!w.pnlResultIndicator->isHidden());
    QVERIFY(w.lResultIndicator->text().isEmpty());
    w.tmProbeTimer();
    QCOMPARE(f.link->Commands(), QStringList({"PROBE"}));
    f.Notify("100,1,1234.5\r\n");
    QCOMPARE(w.lResultIndicator->text(), QStringLiteral("1234.5"));
    QCOMPARE(w.Mode(), TLSMode::lsmIdle); // shown, not timed
    w.chkProbe->setChecked(false);
    QVERIFY(!w.tmProbe->isActive());
    QVERIFY(w.pnlResultIndicator->isHidden());

    // Without a link a probe tick opens the connection procedure.
    TWindowFixture g;
    g.connectOnExecute = false;
    g.Create();
    g.window->chkProbe->setChecked(true);
    g.window->tmProbeTimer();
    QVERIFY(g.link);
    QCOMPARE(g.link->ExecuteCount, 1);
    QVERIFY(g.link->Air.isEmpty());
}

void TestRunController::stateButton()
{
    TConnectedWindow f;
    f.Setup();
    f.window->btStateClick();
    QCOMPARE(f.link->Commands(), QStringList({"STATE"}));
}

void TestRunController::dataLinesReachDebugLog()
{
    TConnectedWindow f;
    f.Setup();
    f.Notify("#STATE:OK\r\n");
    f.Notify("100,1,2\r\n");
    QCOMPARE(f.window->m1->toPlainText(), QStringLiteral("#STATE:OK\n100,1,2\nData"));
    f.Notify("#ERR:overheat\r\n");
    QCOMPARE(f.dialogs.Messages(), QStringList({"Ошибка откатчика: \r\n#ERR:overheat"}));
}

QTEST_MAIN(TestRunController)
#include "tst_RunController.moc"
