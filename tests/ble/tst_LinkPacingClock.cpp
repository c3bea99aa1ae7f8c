// The pause of a send: it serves posted events (the D-Bus replies that let
// the next GATT write leave) but neither timers nor user input.
#include "device/LinkPacingClock.h"
#include "timing/SystemClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

class TestLinkPacingClock : public QObject
{
    Q_OBJECT

private slots:
    void pauseServesPostedEventsButNoTimers()
    {
        TLinkPacingClock clock(TSystemClock::Instance());
        int posted = 0;
        int ticks = 0;
        bool inPauseSeen = false;
        QTimer timer;
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start();
        QMetaObject::invokeMethod(
            this,
            [&] {
                ++posted;
                inPauseSeen = clock.InPause();
            },
            Qt::QueuedConnection);
        QElapsedTimer t;
        t.start();
        clock.SleepMs(200);
        const qint64 took = t.elapsed();
        QCOMPARE(posted, 1);
        QVERIFY(inPauseSeen);
        QCOMPARE(ticks, 0);
        QVERIFY(!clock.InPause());
        QVERIFY2(took >= 200 && took < 1000, qPrintable(QString::number(took)));
        // Outside a pause the timer runs as ever.
        QTRY_VERIFY(ticks > 0);
    }
};

QTEST_GUILESS_MAIN(TestLinkPacingClock)
#include "tst_LinkPacingClock.moc"
