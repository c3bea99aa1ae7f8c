#include "timing/QtTimer.h"

#include <QtTest>

class TestQtTimer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startStop();
    void ticksCallTheHandler();
};

void TestQtTimer::startStop()
{
    TQtTimer timer;
    timer.SetInterval(800);
    QCOMPARE(timer.Interval(), 800);
    QVERIFY(!timer.IsActive());
    timer.Start();
    QVERIFY(timer.IsActive());
    timer.Start();
    QVERIFY(timer.IsActive());
    timer.Stop();
    QVERIFY(!timer.IsActive());
}

void TestQtTimer::ticksCallTheHandler()
{
    // A zero interval ticks whenever the event loop runs; no waiting.
    TQtTimer timer;
    int ticks = 0;
    timer.SetInterval(0);
    timer.SetOnTimer([&] {
        if (++ticks == 2)
            timer.Stop();
    });
    timer.Start();
    for (int i = 0; i < 100 && timer.IsActive(); ++i)
        QCoreApplication::processEvents();
    QCOMPARE(ticks, 2);
    QVERIFY(!timer.IsActive());
}

QTEST_GUILESS_MAIN(TestQtTimer)
#include "tst_QtTimer.moc"
