// Plays through the real QAudioSink into a private PulseAudio server's null
// sink (started by with-pulse.sh) and checks a recording of its monitor:
// that the sound comes out, with generous tolerances, not exact timing.

#include "sound/FeedbackSignals.h"
#include "sound/UtilSound.h"
#include "sound/Waver.h"
#include "storage/LSUtils.h"
#include "timing/SystemClock.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int RecordRate = 48000;

struct TBurst
{
    qsizetype start = 0; // samples
    qsizetype end = 0;
    double StartMs() const { return double(start) * 1000.0 / RecordRate; }
    double LengthMs() const { return double(end - start) * 1000.0 / RecordRate; }
};

// The stretches where the recording is loud, in 1 ms windows; gaps shorter
// than AMergeMs join their neighbours.
QList<TBurst> FindBursts(const std::vector<qint16> &ASamples, int AMergeMs)
{
    const qsizetype window = RecordRate / 1000;
    QList<TBurst> bursts;
    qsizetype quietSince = -1;
    for (qsizetype w = 0; (w + 1) * window <= qsizetype(ASamples.size()); ++w) {
        double sum = 0;
        for (qsizetype i = w * window; i < (w + 1) * window; ++i)
            sum += std::abs(int(ASamples[size_t(i)]));
        const bool loud = sum / double(window) > 3000.0;
        if (loud) {
            if (bursts.isEmpty() || (quietSince >= 0 && w - quietSince > AMergeMs))
                bursts.append({w * window, (w + 1) * window});
            else
                bursts.last().end = (w + 1) * window;
            quietSince = -1;
        } else if (quietSince < 0) {
            quietSince = w;
        }
    }
    return bursts;
}

// From the sign changes between AFrom and ATo (samples).
double FrequencyHz(const std::vector<qint16> &ASamples, qsizetype AFrom, qsizetype ATo)
{
    int crossings = 0;
    bool negative = ASamples[size_t(AFrom)] < 0;
    for (qsizetype i = AFrom + 1; i < ATo; ++i) {
        const bool n = ASamples[size_t(i)] < 0;
        if (n != negative)
            ++crossings;
        negative = n;
    }
    return crossings / 2.0 / (double(ATo - AFrom) / RecordRate);
}

QString Describe(const std::vector<qint16> &ASamples, const QList<TBurst> &ABursts)
{
    QStringList parts;
    for (const TBurst &b : ABursts)
        parts.append(QStringLiteral("%1 ms +%2 ms %3 Hz")
                         .arg(b.StartMs(), 0, 'f', 0)
                         .arg(b.LengthMs(), 0, 'f', 0)
                         .arg(FrequencyHz(ASamples, b.start, b.end), 0, 'f', 0));
    return QStringLiteral("bursts: ") + parts.join(QStringLiteral("; "));
}

// Records the null sink's monitor with parecord while it lives.
class TRecorder
{
public:
    explicit TRecorder(const QString &AFileName) : FFileName(AFileName)
    {
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start(QStringLiteral("parecord"),
                       {QStringLiteral("--raw"), QStringLiteral("--rate=%1").arg(RecordRate),
                        QStringLiteral("--channels=1"), QStringLiteral("--format=s16le"),
                        // Small fragments: the default holds two seconds back,
                        // and they are lost when the recorder is stopped.
                        QStringLiteral("--latency-msec=20"),
                        QStringLiteral("--device=%1.monitor").arg(qEnvironmentVariable("QUORVEL_TEST_SINK")),
                        AFileName});
    }
    ~TRecorder() { Stop(); }

    bool Started() { return FProcess.waitForStarted(10000); }
    qint64 Size() const { return QFileInfo(FFileName).size(); }
    void Stop()
    {
        if (FProcess.state() == QProcess::NotRunning)
            return;
        FProcess.terminate();
        if (!FProcess.waitForFinished(10000))
            FProcess.kill();
        FProcess.waitForFinished(5000);
    }
    std::vector<qint16> Samples()
    {
        Stop();
        QFile file(FFileName);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray data = file.readAll();
        std::vector<qint16> samples(size_t(data.size() / 2));
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = qint16(quint16(quint8(data[qsizetype(2 * i)])) | (quint16(quint8(data[qsizetype(2 * i + 1)])) << 8));
        return samples;
    }

private:
    QString FFileName;
    QProcess FProcess;
};

QByteArray SquareWave(int AFrequency, int ASamples)
{
    TToneBuffer buffer{};
    const int n = SynthesizeTone(buffer, ToneSamplesPerSec, AFrequency, qint64(ASamples) * 1000 / ToneSamplesPerSec,
                                 TWavGenMode::wgmPWM);
    return QByteArray(reinterpret_cast<const char *>(buffer.data()), n);
}

} // namespace

class TestSoundOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void listsTheOutputDevice();
    void feedbackSignalsSound();
    void secondPlayCutsTheFirst();
    void recordsFromTheInput();

private:
    // Starts a recording and waits until it is under way.
    std::unique_ptr<TRecorder> StartRecording(const QString &AName);

    QTemporaryDir FDir;
};

void TestSoundOutput::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("QUORVEL_TEST_SINK") && !qEnvironmentVariableIsEmpty("PULSE_SERVER"),
             "run through tests/sound/with-pulse.sh, which starts the sound server");
    QVERIFY(FDir.isValid());
}

std::unique_ptr<TRecorder> TestSoundOutput::StartRecording(const QString &AName)
{
    auto recorder = std::make_unique<TRecorder>(FDir.filePath(AName));
    if (!recorder->Started())
        return nullptr;
    // A tenth of a second of silence on file: the recorder is connected.
    if (!QTest::qWaitFor([&] { return recorder->Size() > RecordRate * 2 / 10; }, 10000))
        return nullptr;
    return recorder;
}

void TestSoundOutput::listsTheOutputDevice()
{
    TWaver w;
    QStringList devices;
    QVERIFY(w.GetWaveOutDevices(devices));
    QVERIFY(!devices.isEmpty());
    TUtilSound sound(CreateWaver, TSystemClock::Instance(), nullptr);
    QVERIFY(sound.HasWaveOutDevice());
}

void TestSoundOutput::feedbackSignalsSound()
{
    std::unique_ptr<TRecorder> recorder = StartRecording(QStringLiteral("signals.raw"));
    QVERIFY(recorder);

    TLSSettings settings{QString()};
    IClock &clock = TSystemClock::Instance();
    {
        TFeedbackSignals signals_(settings, std::make_unique<TUtilSound>(CreateWaver, clock, nullptr), clock);
        signals_.PlayBeep1();
        QTest::qWait(600);
        signals_.PlayBeepError();
        QTest::qWait(800);
    }

    const std::vector<qint16> samples = recorder->Samples();
    const QList<TBurst> bursts = FindBursts(samples, 5);
    const QString what = Describe(samples, bursts);
    qInfo("%s", qPrintable(what));
    QVERIFY2(bursts.size() == 4, qPrintable(what));
    // A null sink's monitor drops a little (a 100 ms tone from pacat
    // records as 80-90 ms too), hence the wide window on the length.
    for (const TBurst &b : bursts) {
        QVERIFY2(b.LengthMs() > 60 && b.LengthMs() < 160, qPrintable(what));
        const double f = FrequencyHz(samples, b.start, b.end);
        QVERIFY2(f > 700 && f < 900, qPrintable(what));
    }
    // The pass beep on its own, then the error's three beeps about 200 ms
    // apart from onset to onset.
    QVERIFY2(bursts[1].StartMs() - bursts[0].StartMs() > 350, qPrintable(what));
    for (int i = 2; i < 4; ++i) {
        const double apart = bursts[i].StartMs() - bursts[i - 1].StartMs();
        QVERIFY2(apart > 140 && apart < 320, qPrintable(what));
    }
}

void TestSoundOutput::secondPlayCutsTheFirst()
{
    std::unique_ptr<TRecorder> recorder = StartRecording(QStringLiteral("cut.raw"));
    QVERIFY(recorder);

    const QByteArray low = SquareWave(400, 9600);   // 1 s
    const QByteArray high = SquareWave(1200, 1920); // 200 ms
    TWaver w;
    w.SetSamplesPerSec(ToneSamplesPerSec);
    w.Play(low.constData(), quint32(low.size()), 0);
    QVERIFY(w.OutOpened());
    QVERIFY(!w.Finished());
    QTest::qWait(300);
    w.Play(high.constData(), quint32(high.size()), 0);
    QVERIFY(QTest::qWaitFor([&] { return w.Finished(); }, 5000));
    QTest::qWait(200);
    w.OutClose();
    QVERIFY(!w.OutOpened());

    const std::vector<qint16> samples = recorder->Samples();
    const QList<TBurst> bursts = FindBursts(samples, 40);
    const QString what = Describe(samples, bursts);
    qInfo("%s", qPrintable(what));
    QVERIFY2(bursts.size() == 1, qPrintable(what));
    const TBurst &b = bursts[0];
    // About 300 ms of the low tone, then the high one in full: far less
    // than the low tone's second.
    QVERIFY2(b.LengthMs() > 350 && b.LengthMs() < 750, qPrintable(what));
    const qsizetype tenth = RecordRate / 10;
    const double first = FrequencyHz(samples, b.start, b.start + tenth);
    const double last = FrequencyHz(samples, b.end - tenth, b.end);
    QVERIFY2(first > 300 && first < 500, qPrintable(what + QStringLiteral(", first %1 Hz").arg(first)));
    QVERIFY2(last > 1000 && last < 1400, qPrintable(what + QStringLiteral(", last %1 Hz").arg(last)));
}

void TestSoundOutput::recordsFromTheInput()
{
    TWaver w;
    w.SetSamplesPerSec(ToneSamplesPerSec);
    QStringList inputs;
    QVERIFY(w.GetWaveInDevices(inputs));

    std::vector<quint8> buffer(4800); // half a second
    w.Rec(buffer.data(), quint32(buffer.size()));
    QVERIFY(w.InOpened());
    QVERIFY(QTest::qWaitFor([&] { return w.GetRecPos() > 0; }, 5000));
    QVERIFY(QTest::qWaitFor([&] { return w.Finished2(); }, 5000));
    QCOMPARE(w.GetRecPos(), 4800);

    // One direction at a time.
    w.OutOpen();
    QVERIFY(w.OutOpened());
    QVERIFY(!w.InOpened());
    w.InOpen();
    QVERIFY(w.InOpened());
    QVERIFY(!w.OutOpened());
    w.InClose();
    QVERIFY(!w.InOpened());
}

QTEST_GUILESS_MAIN(TestSoundOutput)
#include "tst_SoundOutput.moc"
