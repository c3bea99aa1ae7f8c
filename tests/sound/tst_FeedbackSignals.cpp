#include "SoundFakes.h"

#include "sound/FeedbackSignals.h"
#include "sound/UtilSound.h"
#include "storage/LSUtils.h"

#include <QtTest>

#include <thread>

// The feedback signals on fake outputs and a gated clock.
struct TFeedbackFixture
{
    TSoundLog log;
    TFakeWaveConfig config;
    TGateClock clock{log};
    TLSSettings settings{QString()};
    TFeedbackSignals signals_{settings,
                              std::make_unique<TUtilSound>(
                                  [this] { return std::make_unique<TFakeWaveOutput>(log, config); }, clock, nullptr),
                              clock};

    bool Idle() { return !signals_.Sound().SoundCardThread() && !signals_.Sound().GlobalWaver(); }
    // "play <samples>" and "slept <ms>" of the workers, in order.
    QStringList WorkerTones() const
    {
        QStringList out;
        for (const QString &e : log.Events({"play", "slept"}))
            if (!e.endsWith(QStringLiteral(" ui")))
                out.append(e.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('#'), 0, 0) + QLatin1Char(' ') +
                           e.section(QLatin1Char(' '), 1));
        return out;
    }
};

class TestFeedbackSignals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void beep_data();
    void beep();
    void silentWithoutUseSound();
    void errorIsThreeSpacedBeeps();
    void passBeepWaitsForTheStartBeep();
    void noOutputDeviceIsSilent();
};

void TestFeedbackSignals::beep_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("period");
    QTest::addColumn<QStringList>("sleeps");
    QTest::newRow("PlayBeep1: 800 Hz 100 ms") << 1 << 960 << 12 << QStringList{"slept 100", "slept 100"};
    QTest::newRow("PlayBeep2: 1200 Hz 200 ms") << 2 << 1920 << 8 << QStringList{"slept 200", "slept 100"};
}

void TestFeedbackSignals::beep()
{
    QFETCH(int, signal);
    QFETCH(int, samples);
    QFETCH(int, period);
    QFETCH(QStringList, sleeps);

    TFeedbackFixture f;
    if (signal == 1)
        f.signals_.PlayBeep1();
    else
        f.signals_.PlayBeep2();
    // Returns with the worker started and the shared output made.
    QVERIFY(f.signals_.Sound().SoundCardThread());
    QVERIFY(f.signals_.Sound().GlobalWaver());
    QTRY_VERIFY(f.Idle());

    const QList<TSoundLog::TPlay> plays = f.log.Plays();
    QCOMPARE(plays.size(), 1);
    const QByteArray &s = plays[0].samples;
    QCOMPARE(s.size(), samples);
    QCOMPARE(plays[0].samplesPerSec, 9600u);
    // A square wave of the given period.
    QCOMPARE(quint8(s[1]), quint8(250));
    QCOMPARE(quint8(s[period / 2 + 1]), quint8(5));
    QCOMPARE(quint8(s[period + 1]), quint8(250));
    QCOMPARE(quint8(s.back()), quint8(127));
    QCOMPARE(f.WorkerTones(), QStringList{QStringLiteral("play %1").arg(samples)} + sleeps);
}

void TestFeedbackSignals::silentWithoutUseSound()
{
    TFeedbackFixture f;
    f.settings.UseSound = false;
    f.signals_.PlayBeep1();
    f.signals_.PlayBeep2();
    f.signals_.PlayBeepError();
    QVERIFY(f.Idle());
    QVERIFY(f.log.Plays().isEmpty());
    // The error signal still spaces its silent beeps.
    QCOMPARE(f.log.Events({"slept"}), (QStringList{"slept 110 ui", "slept 110 ui", "slept 110 ui"}));
    // Nothing looked for a device either.
    QCOMPARE(f.config.Created.load(), 0);
}

void TestFeedbackSignals::errorIsThreeSpacedBeeps()
{
    TFeedbackFixture f;
    f.clock.UiSleepsWaitForPlay();
    f.signals_.PlayBeepError();
    QTRY_VERIFY(f.Idle());
    // Each beep waited for the previous one's tone and pause.
    QCOMPARE(f.WorkerTones(), (QStringList{"play 960", "slept 100", "slept 100", "play 960", "slept 100",
                                           "slept 100", "play 960", "slept 100", "slept 100"}));
    QCOMPARE(f.log.Events({"slept 110"}), (QStringList{"slept 110 ui", "slept 110 ui", "slept 110 ui"}));
    QTRY_COMPARE(f.config.Alive.load(), 0);
}

void TestFeedbackSignals::passBeepWaitsForTheStartBeep()
{
    TFeedbackFixture f;
    f.clock.Close();
    f.signals_.PlayBeep2();
    TMusicThread *start = f.signals_.Sound().SoundCardThread();
    QVERIFY(f.clock.WaitForSleepers(1));
    std::thread opener([&] {
        while (!start->Terminated())
            std::this_thread::yield();
        f.clock.Open();
    });
    f.signals_.PlayBeep1();
    opener.join();
    QTRY_VERIFY(f.Idle());
    // Nothing cut short.
    QCOMPARE(f.WorkerTones(),
             (QStringList{"play 1920", "slept 200", "slept 100", "play 960", "slept 100", "slept 100"}));
}

void TestFeedbackSignals::noOutputDeviceIsSilent()
{
    TFeedbackFixture f;
    f.config.HasDevice = false;
    f.signals_.PlayBeep1();
    f.signals_.PlayBeep2();
    QVERIFY(f.Idle());
    QVERIFY(f.log.Plays().isEmpty());
}

QTEST_GUILESS_MAIN(TestFeedbackSignals)
#include "tst_FeedbackSignals.moc"
