// The connection window over the real Qt Bluetooth stack, against the fake
// BlueZ: finding, connecting, matching, and every way it can fail.
#include "FakeBluez.h"
#include "FakeDialogService.h"

#include "device/ConnectFm2.h"
#include "device/DeviceProtocol.h"
#include "device/QtBleComponent.h"
#include "timing/SystemClock.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include "timing/ITimer.h"
#include <QPushButton>
#include <QTimer>

class TestBleConnect : public QObject
{
    Q_OBJECT

    struct TRun
    {
        TFakeDialogService dialogs;
        std::unique_ptr<TfmConnect> fm;
        int connects = 0;
        int disconnects = 0;
        bool result = false;
        bool timedOut = false;

        TRun()
        {
            fm = std::make_unique<TfmConnect>(std::make_unique<TQtBleComponent>(), dialogs,
                                              TSystemClock::Instance());
            fm->OnConnect = [this] { ++connects; };
            fm->OnDisconnect = [this] { ++disconnects; };
            fm->SetShowDebugLog(true);
        }

        // Runs Execute; AScript is called every 50 ms while the window is
        // open and may press its buttons. A watchdog presses "Отмена".
        void Execute(const std::function<void()> &AScript, const QString &ANamePattern = TDeviceProtocol::DeviceNamePattern,
                     int ATimeoutMs = 20000)
        {
            QTimer script;
            script.setInterval(50);
            QObject::connect(&script, &QTimer::timeout, [&] {
                if (fm->isVisible() && AScript)
                    AScript();
            });
            script.start();
            QTimer watchdog;
            watchdog.setSingleShot(true);
            QObject::connect(&watchdog, &QTimer::timeout, [&] {
                timedOut = true;
                fm->btExit->click();
            });
            watchdog.start(ATimeoutMs);
            result = fm->Execute(ANamePattern, TDeviceProtocol::ServiceUuid, TDeviceProtocol::TxCharacteristicUuid,
                                 TDeviceProtocol::RxCharacteristicUuid);
        }

        // Presses "Подключиться к откатчику" once, as soon as it shows.
        std::function<void()> PressConnect()
        {
            return [this, pressed = false]() mutable {
                if (!pressed && fm->btConnect->isVisible()) {
                    pressed = true;
                    fm->btConnect->click();
                }
            };
        }
    };

    TFakeBluez fake;

private slots:
    void init() { QVERIFY(fake.SetScenario(QStringLiteral("none"))); }

    void oneMatchingDeviceConnectsWithoutAsking()
    {
        QVERIFY(fake.SetScenario(QStringLiteral("one")));
        TRun run;
        run.Execute(run.PressConnect());
        QVERIFY(!run.timedOut);
        QVERIFY(run.result);
        QCOMPARE(run.dialogs.Messages(), QStringList());
        QCOMPARE(run.connects, 1);
        QVERIFY(run.fm->IsLinkActive());
        QVERIFY(fake.IsConnected());
        QCOMPARE(run.fm->Steps().DeviceEntries().size(), 1);
        QCOMPARE(run.fm->Steps().BtDevice()->Address, QStringLiteral("C0:FF:EE:00:00:02"));
        const QString log = run.fm->m1->toPlainText();
        QVERIFY2(log.contains(QStringLiteral("* aDescoverDevices")) && log.contains(QStringLiteral("* BT Enabled")),
                 qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("(name has not matched)")), qPrintable(log));
        QCOMPARE(fake.Events(QStringLiteral("connect")).size(), 1);

        // The link stays as made: no second scan, no reset after Execute.
        WaitFor(std::function<bool()>([] { return false; }), 1500);
        QCOMPARE(fake.Events(QStringLiteral("scan")).size(), 1);
        QVERIFY(run.fm->IsLinkActive());
        QCOMPARE(run.disconnects, 0);
    }

    void twoMatchingDevicesWaitForTheUser()
    {
        QVERIFY(fake.SetScenario(QStringLiteral("two")));
        TRun run;
        bool listSeen = false;
        bool quietWhileShown = true;
        QElapsedTimer shownFor;
        auto press = run.PressConnect();
        run.Execute([&] {
            press();
            if (!run.fm->btManualConnect->isVisible())
                return;
            if (!listSeen) {
                listSeen = true;
                shownFor.start();
                QCOMPARE(run.fm->cbDevice->count(), 2);
                QCOMPARE(run.fm->cbDevice->currentIndex(), 0);
                QVERIFY(run.fm->cbDevice->isVisible());
            }
            if (!fake.Events(QStringLiteral("connect")).isEmpty())
                quietWhileShown = false;
            if (shownFor.elapsed() > 1000 && !run.fm->Steps().BtDevice()) {
                run.fm->cbDevice->setCurrentIndex(1);
                run.fm->btManualConnect->click();
            }
        });
        QVERIFY(!run.timedOut);
        QVERIFY(listSeen);
        QVERIFY(quietWhileShown);
        QVERIFY(run.result);
        QCOMPARE(run.connects, 1);
        const auto connects = fake.Events(QStringLiteral("connect"));
        QCOMPARE(connects.size(), 1);
        QCOMPARE(connects[0].data, QByteArray("C0:FF:EE:00:00:03"));
        // The first entry got its full text on the next walk.
        QCOMPARE(run.fm->Steps().DeviceEntries().size(), 2);
        QCOMPARE(run.fm->Steps().DeviceEntries()[0].Text, QStringLiteral("1 - GORVIK_QUORVEL_02 - C0:FF:EE:00:00:01"));
    }

    void emptyNameShowsAsUnknownOnlyWithoutPattern()
    {
        QVERIFY(fake.SetScenario(QStringLiteral("empty_name")));
        TRun run;
        auto press = run.PressConnect();
        bool listSeen = false;
        QStringList texts;
        run.Execute(
            [&] {
                press();
                if (!listSeen && run.fm->btManualConnect->isVisible()) {
                    listSeen = true;
                    for (int i = 0; i < run.fm->cbDevice->count(); ++i)
                        texts.append(run.fm->cbDevice->itemText(i));
                    run.fm->btExit->click();
                }
            },
            QString());
        QVERIFY(!run.timedOut);
        QVERIFY(listSeen);
        QVERIFY(!run.result);
        QCOMPARE(texts, (QStringList{QStringLiteral("1 - Unknown device - C0:FF:EE:00:00:01"), QStringLiteral("Phone")}));
        QCOMPARE(run.connects, 0);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("message");
        QTest::newRow("no device") << "none" << "Устройство не обнаружено";
        QTest::newRow("empty name never matches") << "empty_name" << "Устройство не обнаружено";
        QTest::newRow("no RX characteristic") << "no_rx" << "Устройство не предоставляет нужный сервис!";
        QTest::newRow("disconnect during service discovery")
            << "drop_in_discovery" << "Не удалось обнаружить сервисы устройства";
    }
    void failures()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, message);
        QVERIFY(fake.SetScenario(scenario));
        TRun run;
        run.Execute(run.PressConnect());
        QVERIFY(!run.timedOut);
        QVERIFY(!run.result);
        QCOMPARE(run.dialogs.Messages(), QStringList{message});
        QCOMPARE(run.dialogs.Dialogs[0].type, TMsgDlgType::mtError);
        QCOMPARE(run.fm->Steps().ErrorMessage(), message);
        QCOMPARE(run.connects, 0);
        QCOMPARE(run.disconnects, 0);
        QVERIFY(!run.fm->IsLinkActive());
        // Nothing stays connected after a failed step.
        QVERIFY(WaitFor([&] { return !fake.IsConnected(); }, 3000));
    }

    void cancelWhileTheDeviceNeverAnswers()
    {
        QVERIFY(fake.SetScenario(QStringLiteral("never_connect")));
        TRun run;
        auto press = run.PressConnect();
        QElapsedTimer connecting;
        int ticksWhileConnecting = 0;
        run.Execute([&] {
            press();
            if (run.fm->Steps().ConnectionStep() != TConnectionStep::csDeviceConnecting)
                return;
            if (!connecting.isValid())
                connecting.start();
            ++ticksWhileConnecting; // the window keeps serving events
            if (connecting.elapsed() > 1500) {
                QCOMPARE(run.fm->lState->text(), QStringLiteral("Подключение.."));
                run.fm->btExit->click();
            }
        });
        QVERIFY(!run.timedOut);
        QVERIFY(!run.result);
        QVERIFY(ticksWhileConnecting > 10);
        QCOMPARE(run.dialogs.Messages(), QStringList());
        QVERIFY(!run.fm->Steps().BtDevice());
        QCOMPARE(run.fm->Steps().ConnectionStep(), TConnectionStep::csNone);
        QCOMPARE(run.connects, 0);
        QCOMPARE(run.disconnects, 0);
        // The device was let go of.
        QVERIFY(WaitFor([&] { return !fake.Events(QStringLiteral("disconnect")).isEmpty(); }, 3000));
    }

    void cancelBeforeAnything()
    {
        TRun run;
        run.Execute([&] { run.fm->btExit->click(); });
        QVERIFY(!run.timedOut);
        QVERIFY(!run.result);
        QCOMPARE(run.dialogs.Messages(), QStringList());
        QVERIFY(fake.Events(QStringLiteral("scan")).isEmpty());
    }

    void disconnectOfAReadyLinkGoesToTheCaller()
    {
        QVERIFY(fake.SetScenario(QStringLiteral("one")));
        TRun run;
        run.Execute(run.PressConnect());
        QVERIFY(run.result);
        QVERIFY(fake.Drop());
        QVERIFY(WaitFor([&] { return run.disconnects == 1; }, 5000));
        QCOMPARE(run.dialogs.Messages(), QStringList());
        QVERIFY(!run.fm->IsLinkActive());
        QVERIFY(!run.fm->Steps().BtDevice());

        // A command queued before is dropped when its turn comes.
        run.fm->Sender().SendCommandAsync(TDeviceProtocol::StopCommand);
        QVERIFY(WaitFor([&] { return !run.fm->Sender().tmCommandAsync().IsActive(); }, 3000));
        QVERIFY(fake.Events(QStringLiteral("write")).isEmpty());

        // Connecting again works on the same manager.
        run.Execute(run.PressConnect());
        QVERIFY(run.result);
        QCOMPARE(run.connects, 2);
    }
};

QUORVEL_FAKE_BLUEZ_MAIN(TestBleConnect)
#include "tst_BleConnect.moc"
