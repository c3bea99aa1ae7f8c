#include "FakeClock.h"
#include "FakeDialogService.h"
#include "LocaleGuard.h"

#include "device/IDebugLog.h"
#include "sound/IFeedbackSignals.h"
#include "storage/LSResult.h"
#include "storage/LSUtils.h"
#include "timing/IReflectorPassHost.h"
#include "timing/ReflectorIndicator.h"
#include "timing/ReflectorPassProcessor.h"
#include "timing/RunState.h"
#include "timing/TimeMeter.h"

#include <QtTest>

#include <memory>

namespace {

constexpr quint32 W = TReflectorIndicator::PassedColor;
constexpr quint32 G = TReflectorIndicator::NotPassedColor;
constexpr quint32 L = TReflectorIndicator::LastPassedColor;

// The main window as the processor sees it. Host calls and signals go to
// one journal in order: "beep1", "beep2", "error", "final <ms>",
// "async <command>", "probe <text>".
class TFakeWindow final : public IReflectorPassHost, public IDebugLog, public IFeedbackSignals
{
public:
    bool IsBTConnectionActive() override { return active; }
    void ShowFinalTime(double ATimeMs) override { journal.append(QStringLiteral("final %1").arg(ATimeMs)); }
    void SendBTCommandAsync(const QString &ACommand) override { journal.append(QStringLiteral("async ") + ACommand); }
    bool IsProbeChecked() override { return probe; }
    void SetResultIndicatorText(const QString &AText) override { journal.append(QStringLiteral("probe ") + AText); }

    int LineCount() const override { return int(log.size()); }
    void Clear() override { log.clear(); }
    void Append(const QString &ALine) override { log.append(ALine); }

    void PlayBeep1() override { journal.append(QStringLiteral("beep1")); }
    void PlayBeep2() override { journal.append(QStringLiteral("beep2")); }
    void PlayBeepError() override { journal.append(QStringLiteral("error")); }

    bool active = true;
    bool probe = false;
    QStringList journal;
    QStringList log;
};

struct TRig
{
    explicit TRig(quint32 AStartTick = 1000) : clock(AStartTick) {}

    // What the run start does before the first line can count.
    void Arm(int AReflectorCount, int AMaxWaitTimeMs = 30000)
    {
        settings.ReflectorCount = AReflectorCount;
        settings.MaxWaitTimeMs = AMaxWaitTimeMs;
        run.FMode = TLSMode::lsmIdle;
        run.FCurrReflectorIdx = 0;
        run.FMeasureStart = clock.TickMs();
        indicator.BuildReflectorIndicator(825, 475, AReflectorCount);
        run.currRes = std::make_unique<TLSResult>();
        run.currRes->ReflectorCount = AReflectorCount;
        run.FNeedStop = false;
        run.FMeasureSuccesful = false;
        meter.Start();
        run.FMode = TLSMode::lsmMeasure;
    }

    QList<quint32> Fills() const
    {
        QList<quint32> fills;
        for (const TReflectorIndicator::TCircle &c : indicator.Circles())
            fills.append(c.Fill);
        return fills;
    }

    TFakeClock clock;
    TFakeDialogService dialogs;
    TFakeWindow window;
    TLSSettings settings{QString()};
    TTimeMeter meter{clock};
    TReflectorIndicator indicator;
    TRunState run;
    TReflectorPassProcessor processor{run, settings, meter, indicator, window, window, window, dialogs, clock};
};

QStringList Times(const char *AWhat, int ACount)
{
    QStringList list;
    for (int i = 0; i < ACount; ++i)
        list.append(QString::fromLatin1(AWhat));
    return list;
}

} // namespace

class TestReflectorPassProcessor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runs_data();
    void runs();
    void lineWhileIdleOnlyLogs_data();
    void lineWhileIdleOnlyLogs();
    void probeWhileArmedShowsAndCounts();
    void linesIgnoredWhileStartIsSent();
    void linesIgnoredOnceStopIsPending();
    void linkLossEndsTheRun();
    void probeText_data();
    void probeText();
    void elapsed_data();
    void elapsed();
};

void TestReflectorPassProcessor::runs_data()
{
    QTest::addColumn<quint32>("startTick");
    QTest::addColumn<int>("reflectors");
    QTest::addColumn<QList<double>>("stamps");   // device time of each line
    QTest::addColumn<QList<int>>("arrivals");    // ms after the start
    QTest::addColumn<QList<double>>("segments"); // ReflectorTimesMs, in use
    QTest::addColumn<double>("finalTime");
    QTest::addColumn<QStringList>("journal");
    QTest::addColumn<bool>("armed");
    QTest::addColumn<bool>("needStop");
    QTest::addColumn<bool>("successful");
    QTest::addColumn<int>("passed");
    QTest::addColumn<QList<quint32>>("fills");

    QTest::newRow("six reflectors")
        << 1000u << 6 << QList<double>{1000, 2500, 3800, 5000, 6100, 7000} << QList<int>{100, 200, 300, 400, 500, 600}
        << QList<double>{1500, 1300, 1200, 1100, 900} << 6000.0
        << Times("beep1", 5) + QStringList{"final 6000", "beep2", "async STOP"} << false << true << true << 6
        << QList<quint32>{W, W, W, W, W, L};
    QTest::newRow("two reflectors: one segment, the final time")
        << 1000u << 2 << QList<double>{40000, 52345.5} << QList<int>{10, 20} << QList<double>{12345.5} << 12345.5
        << QStringList{"beep1", "final 12345.5", "beep2", "async STOP"} << false << true << true << 2
        << QList<quint32>{W, L};
    QTest::newRow("stamps going backwards are stored unchanged")
        << 1000u << 4 << QList<double>{5000, 4000, 4500, 3000} << QList<int>{1, 2, 3, 4}
        << QList<double>{-1000, 500, -1500} << -2000.0 << QStringList{"beep1", "beep1", "beep1", "final -2000", "beep2", "async STOP"}
        << false << true << true << 4 << QList<quint32>{W, W, W, L};
    QTest::newRow("half way: still armed")
        << 1000u << 6 << QList<double>{1000, 2000, 3500} << QList<int>{1, 2, 3} << QList<double>{1000, 1500, 0, 0, 0}
        << 0.0 << Times("beep1", 3) << true << false << false << 3 << QList<quint32>{W, W, W, G, G, G};
    QTest::newRow("lines after the last reflector do not count")
        << 1000u << 2 << QList<double>{1000, 2000, 3000} << QList<int>{1, 2, 3} << QList<double>{1000} << 1000.0
        << QStringList{"beep1", "final 1000", "beep2", "async STOP"} << false << true << true << 2
        << QList<quint32>{W, L};
    QTest::newRow("a line after exactly the limit counts, one after it ends the run")
        << 1000u << 3 << QList<double>{1000, 2000, 3000} << QList<int>{10, 30000, 30001} << QList<double>{1000, 0}
        << 0.0 << Times("beep1", 2) << false << true << false << 2 << QList<quint32>{W, W, G};
    QTest::newRow("first line after the limit")
        << 1000u << 3 << QList<double>{1000} << QList<int>{30001} << QList<double>{0, 0} << 0.0 << QStringList{}
        << false << true << false << 0 << QList<quint32>{G, G, G};
    QTest::newRow("a wrap of the tick counter does not end the run")
        << 0xFFFFF000u << 3 << QList<double>{1000, 2000, 3000} << QList<int>{100, 5000, 29000}
        << QList<double>{1000, 1000} << 2000.0 << QStringList{"beep1", "beep1", "final 2000", "beep2", "async STOP"}
        << false << true << true << 3 << QList<quint32>{W, W, L};
    QTest::newRow("the limit holds across a wrap")
        << 0xFFFFF000u << 3 << QList<double>{1000, 2000} << QList<int>{4000, 30001} << QList<double>{0, 0} << 0.0
        << QStringList{"beep1"} << false << true << false << 1 << QList<quint32>{W, G, G};
}

void TestReflectorPassProcessor::runs()
{
    QFETCH(quint32, startTick);
    QFETCH(int, reflectors);
    QFETCH(QList<double>, stamps);
    QFETCH(QList<int>, arrivals);
    QFETCH(QList<double>, segments);
    QFETCH(double, finalTime);
    QFETCH(QStringList, journal);
    QFETCH(bool, armed);
    QFETCH(bool, needStop);
    QFETCH(bool, successful);
    QFETCH(int, passed);
    QFETCH(QList<quint32>, fills);

    TRig rig(startTick);
    rig.Arm(reflectors);
    for (int i = 0; i < stamps.size(); ++i) {
        rig.clock.Set(startTick + quint32(arrivals[i]));
        rig.processor.OnSensorData(stamps[i], 1500);
    }

    QList<double> stored;
    for (int k = 0; k < reflectors - 1; ++k)
        stored.append(rig.run.currRes->ReflectorTimesMs[k]);
    QCOMPARE(stored, segments);
    QCOMPARE(rig.run.currRes->FinalTimeMs, finalTime);
    QCOMPARE(rig.window.journal, journal);
    QCOMPARE(rig.run.FMode, armed ? TLSMode::lsmMeasure : TLSMode::lsmIdle);
    QCOMPARE(rig.run.FNeedStop, needStop);
    QCOMPARE(rig.run.FMeasureSuccesful, successful);
    QCOMPARE(rig.run.FCurrReflectorIdx, passed);
    QCOMPARE(rig.Fills(), fills);
    // Every line reaches the debug log; no run ends with a message.
    QCOMPARE(rig.window.log, Times("Data", int(stamps.size())));
    QVERIFY(rig.dialogs.Dialogs.isEmpty());
}

void TestReflectorPassProcessor::lineWhileIdleOnlyLogs_data()
{
    QTest::addColumn<bool>("probe");
    QTest::addColumn<QStringList>("journal");
    QTest::newRow("probe off") << false << QStringList{};
    QTest::newRow("probe on") << true << QStringList{"probe 2"};
}

void TestReflectorPassProcessor::lineWhileIdleOnlyLogs()
{
    QFETCH(bool, probe);
    QFETCH(QStringList, journal);
    TLocaleGuard guard(QStringLiteral("en_US"));
    TRig rig;
    rig.window.probe = probe;
    rig.processor.OnSensorData(100, 2);
    QCOMPARE(rig.window.log, QStringList{"Data"});
    QCOMPARE(rig.window.journal, journal);
    QCOMPARE(rig.run.FMode, TLSMode::lsmIdle);
    QCOMPARE(rig.run.FCurrReflectorIdx, 0);
    QVERIFY(!rig.run.FNeedStop);
}

void TestReflectorPassProcessor::probeWhileArmedShowsAndCounts()
{
    TLocaleGuard guard(QStringLiteral("ru_RU"));
    TRig rig;
    rig.Arm(3);
    rig.window.probe = true;
    rig.processor.OnSensorData(1000, 9000);
    rig.processor.OnSensorData(1500, 1234.5);
    QCOMPARE(rig.window.journal, (QStringList{"probe 9000", "beep1", "probe 1234,5", "beep1"}));
    QCOMPARE(rig.run.FCurrReflectorIdx, 2);
    QCOMPARE(rig.run.currRes->ReflectorTimesMs[0], 500.0);
}

void TestReflectorPassProcessor::linesIgnoredWhileStartIsSent()
{
    TRig rig;
    rig.Arm(3);
    rig.meter.Pause();
    rig.processor.OnSensorData(1000, 2);
    QCOMPARE(rig.run.FCurrReflectorIdx, 0);
    QVERIFY(rig.window.journal.isEmpty());
    rig.meter.Start();
    rig.processor.OnSensorData(1100, 2);
    QCOMPARE(rig.run.FCurrReflectorIdx, 1);
    QCOMPARE(rig.run.FFirstReflectorDevTime, 1100.0);
}

void TestReflectorPassProcessor::linesIgnoredOnceStopIsPending()
{
    TRig rig;
    rig.Arm(3);
    rig.processor.OnSensorData(1000, 2);
    rig.run.FNeedStop = true; // e.g. the device button
    rig.window.active = false;
    rig.processor.OnSensorData(2000, 2);
    QCOMPARE(rig.run.FCurrReflectorIdx, 1);
    QCOMPARE(rig.window.journal, QStringList{"beep1"});
    QVERIFY(rig.dialogs.Dialogs.isEmpty());
    QCOMPARE(rig.window.log, (QStringList{"Data", "Data"}));
}

void TestReflectorPassProcessor::linkLossEndsTheRun()
{
    TRig rig;
    rig.Arm(4);
    rig.processor.OnSensorData(1000, 2);
    rig.window.active = false;
    // Past the limit too: the lost link is what is reported.
    rig.clock.Advance(40000);
    rig.processor.OnSensorData(2000, 2);

    QCOMPARE(rig.run.FMode, TLSMode::lsmIdle);
    QVERIFY(rig.run.FNeedStop);
    QVERIFY(!rig.run.FMeasureSuccesful);
    QCOMPARE(rig.run.FCurrReflectorIdx, 1);
    QCOMPARE(rig.run.currRes->ReflectorTimesMs[0], 0.0);
    QCOMPARE(rig.window.journal, (QStringList{"beep1", "error"}));
    QCOMPARE(rig.dialogs.Dialogs.size(), 1);
    QCOMPARE(rig.dialogs.Dialogs[0].message, QStringLiteral("Разрыв связи с откатчиком"));
    QCOMPARE(rig.dialogs.Dialogs[0].type, TMsgDlgType::mtError);
    QCOMPARE(rig.dialogs.Dialogs[0].buttons, TMsgDlgButtons::mbOK);
    rig.dialogs.CloseLast(mrOk);
    QCOMPARE(rig.run.FMode, TLSMode::lsmIdle);
    QCOMPARE(rig.window.journal.size(), 2);

    // Lines after it do not count and show nothing more.
    rig.processor.OnSensorData(3000, 2);
    QCOMPARE(rig.dialogs.Dialogs.size(), 1);
    QCOMPARE(rig.run.FCurrReflectorIdx, 1);
}

void TestReflectorPassProcessor::probeText_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole number") << "en_US" << 9000.0 << "9000";
    QTest::newRow("small whole number") << "en_US" << 2.0 << "2";
    QTest::newRow("point decimal") << "en_US" << 1234.5 << "1234.5";
    QTest::newRow("comma decimal") << "ru_RU" << 1234.5 << "1234,5";
    QTest::newRow("no group separator") << "ru_RU" << 1234567.25 << "1234567,25";
    QTest::newRow("no group separator, point locale") << "en_US" << 1234567.0 << "1234567";
    QTest::newRow("negative") << "de_DE" << -7.5 << "-7,5";
    QTest::newRow("binary noise rounded off") << "en_US" << 0.1 + 0.2 << "0.3";
    QTest::newRow("fifteen digits") << "en_US" << 123456789.123456 << "123456789.123456";
}

void TestReflectorPassProcessor::probeText()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    TLocaleGuard guard(locale);
    QCOMPARE(TReflectorPassProcessor::ProbeText(value), text);
}

void TestReflectorPassProcessor::elapsed_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<quint32>("now");
    QTest::addColumn<qint64>("elapsed");

    QTest::newRow("forwards") << 1000u << 31000u << qint64(30000);
    QTest::newRow("backwards: absolute value") << 1000u << 500u << qint64(500);
    QTest::newRow("across the wrap") << 0xFFFFFF00u << 0x100u << qint64(0x200);
    QTest::newRow("back across the wrap") << 0x10u << 0xFFFFFFF0u << qint64(0x20);
    QTest::newRow("most negative difference") << 0u << 0x80000000u << qint64(0x80000000LL);
}

void TestReflectorPassProcessor::elapsed()
{
    QFETCH(quint32, start);
    QFETCH(quint32, now);
    QFETCH(qint64, elapsed);
    QCOMPARE(TReflectorPassProcessor::ElapsedMs(start, now), elapsed);
}

QTEST_GUILESS_MAIN(TestReflectorPassProcessor)
#include "tst_ReflectorPassProcessor.moc"
