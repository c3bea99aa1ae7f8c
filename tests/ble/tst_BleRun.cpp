// One whole run through the real stack: the main window, the connection
// manager on Qt Bluetooth and the fake glide tester on its BlueZ.
#include "FakeBluez.h"
#include "FakeDialogService.h"
#include "TempDataFolders.h"

#include "app/KorvaneEnvironment.h"
#include "app/KorvaneFmA.h"
#include "device/ConnectFm2.h"
#include "device/IConnectionManager.h"
#include "sound/IFeedbackSignals.h"
#include "storage/LSResult.h"
#include "timing/SystemClock.h"

#include "RecordingFeedback.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

namespace {
QStringList Commands(const QList<TFakeEvent> &AWrites)
{
    QStringList list;
    QByteArray pending;
    for (const TFakeEvent &e : AWrites) {
        pending += e.data;
        if (pending.endsWith('\r')) {
            list.append(QString::fromUtf8(pending.chopped(1)));
            pending.clear();
        }
    }
    return list;
}
}

class TestBleRun : public QObject
{
    Q_OBJECT

    TFakeBluez fake;

private slots:
    void wholeRunThenLostLink()
    {
        QVERIFY(fake.SetScenario(QStringLiteral("one")));
        TTempDataFolders folders;
        QVERIFY(QDir().mkpath(folders.SessionsPath() + QStringLiteral("/Трасса")));
        {
            // Six reflectors: five segments.
            QVERIFY(QDir().mkpath(QFileInfo(folders.SettingsFileName()).absolutePath()));
            QFile settings(folders.SettingsFileName());
            QVERIFY(settings.open(QIODevice::WriteOnly));
            settings.write("[Main]\r\nFix01=1\r\n[Reflectors]\r\nReflectorCount=6\r\n");
        }
        TFakeDialogService dialogs;
        QStringList played;
        TfmConnect *manager = nullptr;
        std::unique_ptr<TfmKorvane> window;

        TKorvaneEnvironment env;
        env.Dialogs = &dialogs;
        env.Clock = &TSystemClock::Instance();
        env.Folders = &folders;
        env.RunBarAvailable = true;
        env.MakeFeedback = [&](const TLSSettings &) { return std::make_unique<TRecordingFeedback>(played); };
        env.MakeConnection = [&]() {
            auto made = MakeBluetoothConnection(window.get(), dialogs, TSystemClock::Instance());
            manager = dynamic_cast<TfmConnect *>(made.get());
            return made;
        };
        window = std::make_unique<TfmKorvane>(env);
        window->show();

        // Connect through the window's "Подключиться"; inside the modal
        // connection window press "Подключиться к откатчику".
        QTimer script;
        script.setInterval(50);
        bool pressed = false;
        connect(&script, &QTimer::timeout, [&] {
            if (manager && manager->isVisible() && !pressed && manager->btConnect->isVisible()) {
                pressed = true;
                manager->btConnect->click();
            }
        });
        script.start();
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [&] {
            if (manager && manager->isVisible())
                manager->btExit->click();
        });
        watchdog.start(30000);
        window->btConnect->click();
        watchdog.stop();
        script.stop();
        QVERIFY(manager);
        QVERIFY(manager->IsLinkActive());

        // Exactly one automatic "STOP", after the notification request.
        QVERIFY(WaitFor([&] { return Commands(fake.Events(QStringLiteral("write"))).size() >= 1; }, 5000));
        WaitFor(std::function<bool()>([] { return false; }), 1200);
        QList<TFakeEvent> air = fake.Air();
        QVERIFY(air.size() >= 2);
        QCOMPARE(air[0].kind, QStringLiteral("notify-on"));
        QCOMPARE(Commands(fake.Events(QStringLiteral("write"))), QStringList{QStringLiteral("STOP")});
        QVERIFY2(air[1].at - air[0].at >= 80, qPrintable(QString::number(air[1].at - air[0].at)));
        QVERIFY(window->btStart->isVisible());
        QVERIFY(fake.ClearEvents());

        // A session, then "Старт": two writes 200 ms apart.
        const int session = window->cbSession->findText(QStringLiteral("Трасса"));
        QVERIFY(session >= 0);
        window->cbSession->setCurrentIndex(session);
        window->btStart->click();
        QCOMPARE(window->Mode(), TLSMode::lsmMeasure);
        QList<TFakeEvent> writes = fake.Events(QStringLiteral("write"));
        QCOMPARE(writes.size(), 2);
        QCOMPARE(writes[0].data, QByteArray("START 1,50,1100,9000"));
        QCOMPARE(writes[1].data, QByteArray("\r"));
        QCOMPARE(writes[0].extra, QStringLiteral("request"));
        const double gap = writes[1].at - writes[0].at;
        QVERIFY2(gap >= 150 && gap <= 450, qPrintable(QString::number(gap)));

        // Six passes, split across notifications in places.
        const QList<QByteArray> notes{"1000,1,5000\r\n", "2500,1,50", "00\r\n3800,1,5000\r\n5000,1,5000\r",
                                      "\n", "6100,1,5000\r\n", "7000,1,5000\r\n"};
        for (const QByteArray &n : notes) {
            QVERIFY(fake.Notify(n));
            WaitFor(std::function<bool()>([] { return false; }), 60);
        }
        const double lastPass = fake.Now();
        QVERIFY(WaitFor([&] { return window->Mode() == TLSMode::lsmIdle; }, 3000));
        QCOMPARE(window->lResultIndicator->text(), QLocale().toString(6.0, 'f', 2) + QStringLiteral(" с"));
        QVERIFY(WaitFor([&] { return Commands(fake.Events(QStringLiteral("write"))).size() == 2; }, 3000));
        writes = fake.Events(QStringLiteral("write"));
        QCOMPARE(Commands(writes).last(), QStringLiteral("STOP"));
        const double stopAfter = writes.last().at - lastPass;
        QVERIFY2(stopAfter >= 500 && stopAfter <= 1500, qPrintable(QString::number(stopAfter)));

        // The run is saved in the session's folder.
        const QString file = folders.SessionsPath() + QStringLiteral("/Трасса/Изм_01.strc");
        QVERIFY2(WaitFor([&] { return QFileInfo::exists(file); }, 3000), qPrintable(file));
        TLSResult saved;
        saved.LoadFromFile(file);
        QCOMPARE(saved.SegmentCount(), 5);
        const double expected[] = {1500, 1300, 1200, 1100, 900};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(saved.ReflectorTimesMs[i], expected[i]);

        // The link drops in the middle of the next run: nothing is saved and
        // the window can connect again.
        const int filesBefore = int(QDir(folders.SessionsPath() + QStringLiteral("/Трасса"))
                                        .entryList({QStringLiteral("*.strc")}, QDir::Files)
                                        .size());
        window->btStart->click();
        QCOMPARE(window->Mode(), TLSMode::lsmMeasure);
        QVERIFY(fake.Notify("9000,1,5000\r\n"));
        WaitFor(std::function<bool()>([] { return false; }), 200);
        played.clear();
        QVERIFY(fake.Drop());
        QVERIFY(WaitFor([&] { return !manager->IsLinkActive() && window->Mode() == TLSMode::lsmIdle; }, 5000));
        QVERIFY(WaitFor([&] { return window->btConnect->isVisible(); }, 5000));
        QVERIFY(played.contains(QStringLiteral("error")));
        WaitFor(std::function<bool()>([] { return false; }), 500);
        QCOMPARE(int(QDir(folders.SessionsPath() + QStringLiteral("/Трасса"))
                         .entryList({QStringLiteral("*.strc")}, QDir::Files)
                         .size()),
                 filesBefore);
        QVERIFY(window->cbSession->isEnabled());
        window.reset();
    }
};

QUORVEL_FAKE_BLUEZ_MAIN(TestBleRun)
#include "tst_BleRun.moc"
