#include "FakeClock.h"

#include "timing/TimeMeter.h"

#include <QtTest>

// One step of a scenario: advance the fake tick, then act, then check.
struct TStep
{
    int advanceMs;
    char action;  // 's' Start, 'p' Pause, 'r' Resume, '-' nothing
    int elapsed;  // expected TimeElapsed after the action
    bool paused;
};
Q_DECLARE_METATYPE(QList<TStep>)

class TestTimeMeter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scenarios_data();
    void scenarios();
    void isOver_data();
    void isOver();
    void startsRunningAtCreation();
};

void TestTimeMeter::scenarios_data()
{
    QTest::addColumn<quint32>("startTick");
    QTest::addColumn<QList<TStep>>("steps");

    for (quint32 start : {1000u, 0xFFFFFE00u, 0x7FFFFF00u}) {
        const QByteArray tag = "start " + QByteArray::number(start, 16);
        QTest::addRow("%s pause and resume", tag.constData())
            << start << QList<TStep>{{0, 's', 0, false}, {500, 'p', 500, true}, {300, '-', 500, true},
                                     {0, 'r', 500, false}, {200, '-', 700, false}};
        QTest::addRow("%s start while paused clears the pause", tag.constData())
            << start << QList<TStep>{{0, 's', 0, false}, {100, 'p', 100, true}, {50, 's', 0, false}, {30, '-', 30, false}};
        QTest::addRow("%s second pause moves the pause start", tag.constData())
            << start << QList<TStep>{{0, 's', 0, false}, {100, 'p', 100, true}, {50, 'p', 150, true},
                                     {70, '-', 150, true}, {0, 'r', 150, false}, {10, '-', 160, false}};
        QTest::addRow("%s two pauses add up", tag.constData())
            << start << QList<TStep>{{0, 's', 0, false}, {100, 'p', 100, true}, {40, 'r', 100, false},
                                     {100, 'p', 200, true}, {60, 'r', 200, false}, {5, '-', 205, false}};
        QTest::addRow("%s resume without pause does nothing", tag.constData())
            << start << QList<TStep>{{0, 's', 0, false}, {250, 'r', 250, false}, {250, '-', 500, false}};
    }
    // The counter wraps during the run.
    QTest::newRow("across the wrap") << 0xFFFFFFF0u
                                     << QList<TStep>{{0, 's', 0, false}, {0x20, '-', 0x20, false}, {1000, 'p', 1032, true},
                                                     {0x7FFF, 'r', 1032, false}, {8, '-', 1040, false}};
}

void TestTimeMeter::scenarios()
{
    QFETCH(quint32, startTick);
    QFETCH(QList<TStep>, steps);

    TFakeClock clock(startTick);
    TTimeMeter meter(clock);
    for (int i = 0; i < steps.size(); ++i) {
        const TStep &s = steps[i];
        clock.Advance(s.advanceMs);
        switch (s.action) {
        case 's': meter.Start(); break;
        case 'p': meter.Pause(); break;
        case 'r': meter.Resume(); break;
        default: break;
        }
        QVERIFY2(meter.TimeElapsed() == s.elapsed,
                 qPrintable(QStringLiteral("step %1: %2 instead of %3").arg(i).arg(meter.TimeElapsed()).arg(s.elapsed)));
        QCOMPARE(meter.Paused(), s.paused);
    }
}

void TestTimeMeter::isOver_data()
{
    QTest::addColumn<quint32>("startTick");
    QTest::addColumn<bool>("withPause");
    QTest::addColumn<int>("after");
    QTest::addColumn<bool>("over");

    for (quint32 start : {0u, 5000u, 0xFFFFFF00u}) {
        for (bool pause : {false, true}) {
            const QByteArray tag = QByteArray::number(start, 16) + (pause ? " paused" : "");
            QTest::addRow("%s 999", tag.constData()) << start << pause << 999 << false;
            QTest::addRow("%s 1000", tag.constData()) << start << pause << 1000 << false;
            QTest::addRow("%s 1001", tag.constData()) << start << pause << 1001 << true;
        }
    }
}

void TestTimeMeter::isOver()
{
    QFETCH(quint32, startTick);
    QFETCH(bool, withPause);
    QFETCH(int, after);
    QFETCH(bool, over);

    TFakeClock clock(startTick);
    TTimeMeter meter(clock);
    meter.Start();
    if (withPause) {
        clock.Advance(200);
        meter.Pause();
        clock.Advance(300);
        meter.Resume();
        clock.Advance(after - 500);
    } else {
        clock.Advance(after);
    }
    QCOMPARE(meter.isOver(1000), over);
}

void TestTimeMeter::startsRunningAtCreation()
{
    TFakeClock clock(42);
    QObject owner;
    auto *meter = new TTimeMeter(clock, &owner); // released with its owner
    QVERIFY(!meter->Paused());
    clock.Advance(15);
    QCOMPARE(meter->TimeElapsed(), 15);
    QCOMPARE(meter->parent(), &owner);
}

QTEST_GUILESS_MAIN(TestTimeMeter)
#include "tst_TimeMeter.moc"
