#include "SoundFakes.h"

#include "sound/UtilSound.h"

#include <QtTest>

#include <stdexcept>

using TSamplePoints = QList<QPair<int, int>>; // index, expected value
Q_DECLARE_METATYPE(TWavGenMode)

class TestToneSynthesis : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toneDuration_data();
    void toneDuration();
    void toneSize_data();
    void toneSize();
    void zeroFrequencyIsRefused();
    void samples_data();
    void samples();
    void generateTone_data();
    void generateTone();
    void generateToneUsesTheSharedOutput();
};

void TestToneSynthesis::toneDuration_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<qint64>("effective");
    QTest::newRow("5 counts in units of 80 ms") << 5 << qint64(400);
    QTest::newRow("9 is the last short one") << 9 << qint64(720);
    QTest::newRow("10 is milliseconds") << 10 << qint64(10);
    QTest::newRow("0 stays 0") << 0 << qint64(0);
    QTest::newRow("negative falls under the rule") << -1 << qint64(-80);
    QTest::newRow("2000") << 2000 << qint64(2000);
}

void TestToneSynthesis::toneDuration()
{
    QFETCH(int, requested);
    QFETCH(qint64, effective);
    QCOMPARE(ToneDurationMs(requested), effective);
}

void TestToneSynthesis::toneSize_data()
{
    QTest::addColumn<quint32>("rate");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<qint64>("duration");
    QTest::addColumn<int>("n");
    QTest::addColumn<qint64>("p");
    QTest::newRow("800 Hz 100 ms") << 9600u << 800 << qint64(100) << 960 << qint64(12);
    QTest::newRow("1200 Hz 200 ms") << 9600u << 1200 << qint64(200) << 1920 << qint64(8);
    QTest::newRow("400 ms") << 9600u << 800 << qint64(400) << 3840 << qint64(12);
    QTest::newRow("capped at one second") << 9600u << 800 << qint64(2000) << 9600 << qint64(12);
    QTest::newRow("nothing for 0 ms") << 9600u << 800 << qint64(0) << 0 << qint64(12);
    QTest::newRow("nothing for a negative duration") << 9600u << 800 << qint64(-80) << 0 << qint64(12);
    QTest::newRow("N 0.5 goes to 0") << 500u << 100 << qint64(1) << 0 << qint64(5);
    QTest::newRow("N 1.5 goes to 2") << 500u << 100 << qint64(3) << 2 << qint64(5);
    QTest::newRow("N 2.5 goes to 2") << 500u << 100 << qint64(5) << 2 << qint64(5);
    QTest::newRow("P 1.5 goes to 2") << 9600u << 6400 << qint64(100) << 960 << qint64(2);
    QTest::newRow("P 2.5 goes to 2") << 9600u << 3840 << qint64(100) << 960 << qint64(2);
    QTest::newRow("P 0.5 goes to 0") << 9600u << 19200 << qint64(100) << 960 << qint64(0);
    QTest::newRow("the component's default rate") << 11025u << 800 << qint64(100) << 1102 << qint64(14);
}

void TestToneSynthesis::toneSize()
{
    QFETCH(quint32, rate);
    QFETCH(int, frequency);
    QFETCH(qint64, duration);
    QFETCH(int, n);
    QFETCH(qint64, p);
    const TToneSize size = ToneSize(rate, frequency, duration);
    QCOMPARE(size.N, n);
    QCOMPARE(size.P, p);
}

void TestToneSynthesis::zeroFrequencyIsRefused()
{
    TToneBuffer buffer{};
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             SynthesizeTone(buffer, 9600, 0, 100, TWavGenMode::wgmPWM));
}

void TestToneSynthesis::samples_data()
{
    QTest::addColumn<TWavGenMode>("mode");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("duration");
    QTest::addColumn<int>("n");
    QTest::addColumn<TSamplePoints>("points");
    QTest::addColumn<int>("restTail"); // the last samples that must be 127

    // Square wave: 250 from the phase 0 on, 5 in the negative half.
    // Indices where the accumulated phase sits on a multiple of pi are
    // left out: the sign of the sine there is a matter of rounding.
    QTest::newRow("pwm 800 Hz 100 ms")
        << TWavGenMode::wgmPWM << 800 << 100 << 960
        << TSamplePoints{{0, 250}, {1, 250}, {5, 250}, {7, 5}, {11, 5}, {13, 250}, {958, 5}} << 1;
    QTest::newRow("pwm 1200 Hz 200 ms")
        << TWavGenMode::wgmPWM << 1200 << 200 << 1920
        << TSamplePoints{{0, 250}, {3, 250}, {5, 5}, {7, 5}, {9, 250}, {1918, 5}} << 1;
    // Sine around 127, the last period at rest.
    QTest::newRow("plain 800 Hz 100 ms")
        << TWavGenMode::wgmPlain << 800 << 100 << 960
        << TSamplePoints{{0, 127}, {2, 237}, {3, 254}, {9, 0}, {15, 254}} << 12;
    QTest::newRow("plain 1200 Hz 200 ms")
        << TWavGenMode::wgmPlain << 1200 << 200 << 1920
        << TSamplePoints{{0, 127}, {1, 217}, {2, 254}, {6, 0}, {1911, 37}} << 8;
    // 254 x sine taken modulo 256: no offset, negative half-waves wrap.
    QTest::newRow("stairs 800 Hz 100 ms")
        << TWavGenMode::wgmStairs << 800 << 100 << 960
        << TSamplePoints{{0, 0}, {2, 220}, {3, 254}, {8, 36}, {9, 2}} << 1;
    QTest::newRow("stairs 1200 Hz 200 ms")
        << TWavGenMode::wgmStairs << 1200 << 200 << 1920
        << TSamplePoints{{0, 0}, {1, 180}, {2, 254}, {5, 76}, {6, 2}} << 1;
    QTest::newRow("a second at most") << TWavGenMode::wgmPWM << 800 << 2000 << 9600
                                      << TSamplePoints{{0, 250}, {9598, 5}} << 1;
}

void TestToneSynthesis::samples()
{
    QFETCH(TWavGenMode, mode);
    QFETCH(int, frequency);
    QFETCH(int, duration);
    QFETCH(int, n);
    QFETCH(TSamplePoints, points);
    QFETCH(int, restTail);

    TToneBuffer buffer;
    buffer.fill(0xAA);
    QCOMPARE(SynthesizeTone(buffer, 9600, frequency, duration, mode), n);
    for (const auto &[index, value] : points)
        QVERIFY2(buffer[size_t(index)] == value,
                 qPrintable(QStringLiteral("sample %1 is %2, not %3").arg(index).arg(buffer[size_t(index)]).arg(value)));
    for (int i = n - restTail; i < n; ++i)
        QCOMPARE(int(buffer[size_t(i)]), 127);
    // Just before the rest: still sounding.
    QVERIFY(buffer[size_t(n - restTail - 1)] != 127);
    // Nothing written past the tone.
    if (n < MaxToneSamples)
        QCOMPARE(int(buffer[size_t(n)]), 0xAA);
}

void TestToneSynthesis::generateTone_data()
{
    QTest::addColumn<int>("duration");
    QTest::addColumn<int>("pause");
    QTest::addColumn<int>("played"); // samples handed to the output; 0: none
    QTest::addColumn<QStringList>("sleeps");
    QTest::newRow("100 ms") << 100 << 100 << 960 << QStringList{"slept 100 ui", "slept 100 ui"};
    QTest::newRow("5 plays 400 ms") << 5 << 100 << 3840 << QStringList{"slept 400 ui", "slept 100 ui"};
    QTest::newRow("2000: a second of sound, the full sleep")
        << 2000 << 100 << 9600 << QStringList{"slept 2000 ui", "slept 100 ui"};
    QTest::newRow("0 plays nothing, only the pause") << 0 << 100 << 0 << QStringList{"slept 100 ui"};
    QTest::newRow("no pause") << 100 << 0 << 960 << QStringList{"slept 100 ui"};
    QTest::newRow("negative plays nothing") << -3 << 100 << 0 << QStringList{"slept 100 ui"};
}

// Called directly on the test thread: no worker needed for the arithmetic
// of one tone and its sleeps.
void TestToneSynthesis::generateTone()
{
    QFETCH(int, duration);
    QFETCH(int, pause);
    QFETCH(int, played);
    QFETCH(QStringList, sleeps);

    TSoundLog log;
    TFakeWaveConfig config;
    TGateClock clock(log);
    TUtilSound sound([&] { return std::make_unique<TFakeWaveOutput>(log, config); }, clock, nullptr);
    sound.GenerateTone(800, duration, TWavGenMode::wgmPWM, pause);

    QCOMPARE(log.Events({"slept"}), sleeps);
    const QList<TSoundLog::TPlay> plays = log.Plays();
    if (played == 0) {
        QVERIFY(plays.isEmpty());
    } else {
        QCOMPARE(plays.size(), 1);
        QCOMPARE(plays[0].samples.size(), played);
        QCOMPARE(plays[0].samplesPerSec, 9600u);
        QCOMPARE(plays[0].bitsPerSample, quint16(8));
        QCOMPARE(plays[0].channels, quint16(1));
        QCOMPARE(quint8(plays[0].samples.front()), quint8(250));
        QCOMPARE(quint8(plays[0].samples.back()), quint8(127));
        // The private output is closed after its tone.
        QVERIFY(log.Events().contains(QStringLiteral("close#1 ui")));
    }
    // The private output is released, also when nothing was played.
    QCOMPARE(config.Created.load(), 1);
    QCOMPARE(config.Alive.load(), 0);
}

void TestToneSynthesis::generateToneUsesTheSharedOutput()
{
    TSoundLog log;
    TFakeWaveConfig config;
    TGateClock clock(log);
    TUtilSound sound([&] { return std::make_unique<TFakeWaveOutput>(log, config); }, clock, nullptr);
    sound.CreateGlobalWaver();
    sound.GenerateTone(1200, 200, TWavGenMode::wgmPWM, 100);
    sound.GenerateTone(800, 100, TWavGenMode::wgmPWM, 100);

    QCOMPARE(log.Events({"play", "close"}), (QStringList{"play#1 1920 ui", "play#1 960 ui"}));
    QVERIFY(sound.GlobalWaver());
    sound.FreeGlobalWaver();
    QVERIFY(!sound.GlobalWaver());
    QCOMPARE(log.Events({"close", "destroy"}), (QStringList{"close#1 ui", "destroy#1 ui"}));
}

QTEST_GUILESS_MAIN(TestToneSynthesis)
#include "tst_ToneSynthesis.moc"
