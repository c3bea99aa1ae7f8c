#include "LocaleGuard.h"
#include "WindowFixture.h"

#include "view/ReflectorIndicatorPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>


class TestKorvaneWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void designedWindow();
    void noDialogService();
    void firstStart();
    void settingsWithoutReflectors();
    void sessionsListed();
    void dataFolderCannotBeMade();
    void runBarFollowsAdapter_data();
    void runBarFollowsAdapter();
    void barHeight();
    void debugSwitch_data();
    void debugSwitch();
    void dragStrip();
    void updateFormAsync();
    void resultIndicator_data();
    void resultIndicator();
    void resultIndicatorDismissed_data();
    void resultIndicatorDismissed();
    void resultTimerNotRestarted();
};

void TestKorvaneWindow::designedWindow()
{
    TWindowFixture f;
    f.Create();
    TfmKorvane &w = *f.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("Откатчик \"Горвик\""));
    QCOMPARE(w.size(), QSize(1081, 592));
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("Label5"))->text(), QStringLiteral("Сессия:"));
    QCOMPARE(w.btSettings->text(), QStringLiteral("Настройки"));
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("Label4"))->text(), QStringLiteral("Наимен.:"));
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("Label3"))->text(), QStringLiteral("След. №:"));
    QVERIFY(w.findChild<QWidget *>(QStringLiteral("Panel3"))->isAncestorOf(w.btListCommand));
    QCOMPARE(w.btTime->text(), QStringLiteral("Время"));
    QVERIFY(w.btTime->isChecked());
    QCOMPARE(w.btVelo->text(), QStringLiteral("Скорость"));
    QCOMPARE(w.btAcc->text(), QStringLiteral("Ускор."));
    QCOMPARE(w.btStart->text(), QStringLiteral("Старт"));
    QCOMPARE(w.btStop->text(), QStringLiteral("Стоп"));
    QCOMPARE(w.btConnect->text(), QStringLiteral("Подключиться"));
    QCOMPARE(w.btState->text(), QStringLiteral("State?"));
    QCOMPARE(w.chkProbe->text(), QStringLiteral("Замеры"));
    QCOMPARE(w.Button1->toolTip(), QStringLiteral("Вкл./выкл. сглаживание"));
    QCOMPARE(w.Button7->toolTip(), QStringLiteral("Переключить отображение времени/расстояния вдоль оси X"));
    QCOMPARE(w.btMultiSelect->toolTip(), QStringLiteral("Режим множественного выбора"));
    QCOMPARE(w.Button2->toolTip(), QStringLiteral("Сортировка по названию/результату"));
    QCOMPARE(w.eNum->minimum(), 1);
    QCOMPARE(w.eNum->value(), 1);
    QCOMPARE(w.FlowLayoutBottom->height(), 37);
    QCOMPARE(w.LeftColumn->width(), 96);
    QCOMPARE(w.RightColumn->width(), 160);
    QCOMPARE(w.lResultIndicator->font().pointSize(), 96);
    QVERIFY(w.lResultIndicator->font().bold());
    QCOMPARE(w.Timer1->interval(), 50);
    QVERIFY(w.Timer1->isActive());
    QCOMPARE(w.tmUpdateForm->interval(), 300);
    QCOMPARE(w.tmResultDisplay->interval(), 7000);
    QVERIFY(!w.tmResultDisplay->isActive());
    QCOMPARE(w.tmProbe->interval(), 1000);
    QVERIFY(!w.tmProbe->isActive());
    for (const char *name : {"cbSession", "btSession", "eName", "eNum", "chkDebug", "Chart1", "pnlIndicator",
                             "pnlResultIndicator", "lResultIndicator", "m1", "tw1", "btListCommand", "FlowLayoutTop", "Pie1"})
        QVERIFY2(w.findChild<QWidget *>(QString::fromLatin1(name)), name);
    QVERIFY(w.chkDebug->isHidden());
    QVERIFY(w.m1->isHidden());
    QVERIFY(w.pnlIndicator->isHidden());
    QVERIFY(w.pnlResultIndicator->isHidden());
    QVERIFY(f.dialogs.Dialogs.isEmpty());
}

void TestKorvaneWindow::noDialogService()
{
    TTempDataFolders folders;
    TFakeClock clock;
    TKorvaneEnvironment env;
    env.Clock = &clock;
    env.Folders = &folders;
    try {
        TfmKorvane w(env);
        QFAIL("window made without a dialog service");
    } catch (const EAppError &e) {
        QCOMPARE(e.Message(), QStringLiteral("DialogServiceAsync not supported"));
    }
    QVERIFY(!QFileInfo::exists(folders.SessionsPath())); // start-up ended first
}

void TestKorvaneWindow::firstStart()
{
    TWindowFixture f;
    QVERIFY(!QFileInfo::exists(f.folders.SessionsPath()));
    f.Create();
    QVERIFY(QFileInfo(f.folders.SessionsPath()).isDir()); // made with its parents
    QCOMPARE(f.window->DataPath(), f.folders.SessionsPath());
    QCOMPARE(f.window->cbSession->count(), 0);
    QCOMPARE(f.window->cbSession->currentIndex(), -1);
    QVERIFY(QDir(f.folders.SessionsPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    // Defaults, then the one-time correction; nothing is written yet.
    const TLSSettings &s = f.window->Settings();
    QCOMPARE(s.ReflectorCount, 5);
    QCOMPARE(s.MinSensorValue, 1);
    QCOMPARE(s.MaxSensorValue, 50);
    QCOMPARE(f.window->eName->text(), QStringLiteral("Изм_"));
    QVERIFY(!QFileInfo::exists(f.folders.SettingsFileName()));
    QVERIFY(f.dialogs.Dialogs.isEmpty());
}

void TestKorvaneWindow::settingsWithoutReflectors()
{
    TWindowFixture f;
    f.WriteSettings("[Main]\r\nFix01=1\r\nBaseTestName=Лыжа_\r\n");
    f.Create();
    const TLSSettings &s = f.window->Settings();
    QCOMPARE(s.ReflectorCount, 6); // the window's own start-up layout
    for (int i = 0; i < 5; ++i)
        QCOMPARE(s.ReflectorDistances[i], 5.0);
    QCOMPARE(f.window->eName->text(), QStringLiteral("Лыжа_"));
}

void TestKorvaneWindow::sessionsListed()
{
    TWindowFixture f;
    for (const char *name : {"Трасса 1.5", "B", "a"})
        QVERIFY(QDir().mkpath(f.folders.SessionsPath() + QLatin1Char('/') + QString::fromUtf8(name)));
    f.Create();
    QStringList items;
    for (int i = 0; i < f.window->cbSession->count(); ++i)
        items << f.window->cbSession->itemText(i);
    items.sort();
    QCOMPARE(items, QStringList({"B", "a", "Трасса 1.5"}));
    QCOMPARE(f.window->cbSession->currentIndex(), -1); // no session chosen at start
}

void TestKorvaneWindow::dataFolderCannotBeMade()
{
    TWindowFixture f;
    // A file stands where a folder of the data path should be.
    QVERIFY(QDir().mkpath(f.folders.Root() + QStringLiteral("/data")));
    QFile blocker(f.folders.Root() + QStringLiteral("/data/Gorvik.Quorvel02"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    f.Create();
    QCOMPARE(f.dialogs.Messages(), QStringList({"Не удалось создать рабочую папку"}));
    QCOMPARE(f.dialogs.Dialogs[0].type, TMsgDlgType::mtError);
    QCOMPARE(f.played, QStringList({"error"}));
    // The window still follows the link state.
    QCOMPARE(f.window->AsyncUpdateCounter(), 10);
}

void TestKorvaneWindow::runBarFollowsAdapter_data()
{
    QTest::addColumn<bool>("adapter");
    QTest::newRow("adapter") << true;
    QTest::newRow("no adapter") << false;
}

void TestKorvaneWindow::runBarFollowsAdapter()
{
    QFETCH(bool, adapter);
    TWindowFixture f;
    f.Create(adapter);
    QCOMPARE(!f.window->FlowLayoutTop->isHidden(), adapter);
}

void TestKorvaneWindow::barHeight()
{
    TWindowFixture f;
    f.Create();
    TfmKorvane &w = *f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.FormResize();
    QCOMPARE(w.FlowLayoutTop->height(), 80); // 4 + 64 + gap 4 + 4 + 4
    for (QWidget *c : w.FlowLayoutTop->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        c->hide();
    w.FormResize();
    QCOMPARE(w.FlowLayoutTop->height(), 0);
}

void TestKorvaneWindow::debugSwitch_data()
{
    QTest::addColumn<int>("presses");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("errorSignals");

    QTest::newRow("nine") << 9 << false << 0;
    QTest::newRow("ten") << 10 << true << 1;
    QTest::newRow("nineteen") << 19 << true << 1;
    QTest::newRow("twenty") << 20 << false << 2;
}

void TestKorvaneWindow::debugSwitch()
{
    QFETCH(int, presses);
    QFETCH(bool, visible);
    QFETCH(int, errorSignals);

    TWindowFixture f;
    f.Create();
    TfmKorvane &w = *f.window;
    w.show();
    w.chkProbe->setChecked(true);
    w.tmProbe->start();
    f.played.clear();
    QLabel *label = w.findChild<QLabel *>(QStringLiteral("Label5"));
    for (int i = 0; i < presses; ++i)
        QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(w.DebugTapCounter(), presses);
    QCOMPARE(!w.m1->isHidden(), visible);
    QCOMPARE(!w.btState->isHidden(), visible);
    QCOMPARE(!w.chkProbe->isHidden(), visible);
    QCOMPARE(f.played.count(QStringLiteral("error")), errorSignals);
    if (errorSignals > 0) {
        QVERIFY(!w.chkProbe->isChecked()); // probe mode off
        QVERIFY(!w.tmProbe->isActive());
    }
    if (visible) // docked at the right of the chart
        QCOMPARE(w.m1->geometry().right(), w.Chart1->width() - 1);
}

void TestKorvaneWindow::dragStrip()
{
    TWindowFixture f;
    f.Create();
    TfmKorvane &w = *f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QPoint start = w.pos();
    const QSize size = w.size();
    QWidget *strip = w.FlowLayoutBottom;
    const QPoint at(strip->width() - 20, 10); // a free spot of the strip
    QMouseEvent press(QEvent::MouseButtonPress, at, strip->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &press);
    const QPoint to = at + QPoint(35, -12);
    QMouseEvent move(QEvent::MouseMove, to, strip->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, strip->mapToGlobal(to), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &release);
    QCOMPARE(w.pos(), start + QPoint(35, -12));
    QCOMPARE(w.size(), size);
    // Without a press, moving does nothing.
    QApplication::sendEvent(strip, &move);
    QCOMPARE(w.pos(), start + QPoint(35, -12));
}

void TestKorvaneWindow::updateFormAsync()
{
    TWindowFixture f;
    f.Create();
    TfmKorvane &w = *f.window;
    w.UpdateFormAsync();
    QCOMPARE(w.AsyncUpdateCounter(), 10);
    QVERIFY(w.tmUpdateForm->isActive());
    for (int tick = 1; tick <= 10; ++tick) {
        QVERIFY(w.tmUpdateForm->isActive());
        w.tmUpdateFormTimer();
        QCOMPARE(w.AsyncUpdateCounter(), 10 - tick);
    }
    QVERIFY(!w.tmUpdateForm->isActive()); // one at once and ten on the timer
}

void TestKorvaneWindow::resultIndicator_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("timeMs");
    QTest::addColumn<QString>("text");

    QTest::newRow("9876 ms") << "en_US" << 9876.0 << "9.88 с";
    QTest::newRow("100000 ms") << "en_US" << 100000.0 << "100.00 с";
    QTest::newRow("comma locale") << "ru_RU" << 24567.0 << "24,57 с";
    QTest::newRow("no grouping") << "ru_RU" << 1234567.0 << "1234,57 с";
}

void TestKorvaneWindow::resultIndicator()
{
    QFETCH(QString, locale);
    QFETCH(double, timeMs);
    QFETCH(QString, text);
    TLocaleGuard guard(locale);

    TWindowFixture f;
    f.Create();
    TfmKorvane &w = *f.window;
    w.show();
    w.Chart1->setMinimumSize(825, 475);
    w.Chart1->setMaximumSize(825, 475);
    w.resize(1300, 800);
    QTRY_COMPARE(w.Chart1->size(), QSize(825, 475));
    w.ShowFinalTime(timeMs);
    QCOMPARE(w.lResultIndicator->text(), text);
    QCOMPARE(w.pnlResultIndicator->geometry(), QRect(0, -171, 817, 817));
    QVERIFY(!w.pnlResultIndicator->isHidden());
    QVERIFY(w.tmResultDisplay->isActive());
}

void TestKorvaneWindow::resultIndicatorDismissed_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("button");
    QTest::newRow("label") << "lResultIndicator" << int(Qt::LeftButton);
    QTest::newRow("panel, right button") << "pnlResultIndicator" << int(Qt::RightButton);
}

void TestKorvaneWindow::resultIndicatorDismissed()
{
    QFETCH(QString, target);
    QFETCH(int, button);
    TWindowFixture f;
    f.Create();
    TfmKorvane &w = *f.window;
    w.show();
    w.ShowFinalTime(6000);
    QWidget *t = w.findChild<QWidget *>(target);
    QTest::mousePress(t, Qt::MouseButton(button), Qt::NoModifier, QPoint(2, 2));
    QVERIFY(w.pnlResultIndicator->isHidden());
    QVERIFY(w.tmResultDisplay->isActive()); // a press does not stop the timer
    w.tmResultDisplayTimer();
    QVERIFY(!w.tmResultDisplay->isActive());
    QVERIFY(w.pnlResultIndicator->isHidden());
    // Shown again without changing text or place.
    const QRect g = w.pnlResultIndicator->geometry();
    w.ShowResultIndicator();
    QVERIFY(!w.pnlResultIndicator->isHidden());
    QCOMPARE(w.pnlResultIndicator->geometry(), g);
    QCOMPARE(w.lResultIndicator->text(), QStringLiteral("6.00 с"));
    QVERIFY(w.tmResultDisplay->isActive());
}

void TestKorvaneWindow::resultTimerNotRestarted()
{
    TWindowFixture f;
    f.Create();
    TfmKorvane &w = *f.window;
    w.ShowFinalTime(1000);
    const int id = w.tmResultDisplay->timerId();
    w.ShowFinalTime(2000);
    QCOMPARE(w.tmResultDisplay->timerId(), id); // still the first interval
    QCOMPARE(w.lResultIndicator->text(), QStringLiteral("2.00 с"));
}

QTEST_MAIN(TestKorvaneWindow)
#include "tst_KorvaneWindow.moc"
