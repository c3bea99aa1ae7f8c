#include "SoundFakes.h"

#include "sound/UtilSound.h"

#include <QtTest>

#include <thread>

// A tone module on fake outputs and a gated clock.
struct TSoundFixture
{
    TSoundLog log;
    TFakeWaveConfig config;
    TGateClock clock{log};
    std::unique_ptr<TUtilSound> sound = std::make_unique<TUtilSound>(
        [this] { return std::make_unique<TFakeWaveOutput>(log, config); }, clock,
        std::make_unique<TFakeSpeaker>(log));

    // The tone events of the workers, without the UI thread's.
    QStringList WorkerTones() const
    {
        QStringList out;
        for (const QString &e : log.Events({"play", "slept", "beep"}))
            if (!e.endsWith(QStringLiteral(" ui")))
                out.append(e.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('#'), 0, 0) + QLatin1Char(' ') +
                           e.section(QLatin1Char(' '), 1));
        return out;
    }
    bool Idle() const { return !sound->SoundCardThread() && !sound->SpeakerThread() && !sound->GlobalWaver(); }
};

// Opens the gate once the worker has been asked to terminate, that is once
// the UI thread is waiting for it.
class TOpenerWhenTerminated
{
public:
    TOpenerWhenTerminated(TMusicThread *AWorker, TGateClock &AClock)
        : FThread([AWorker, &AClock] {
              while (!AWorker->Terminated())
                  std::this_thread::yield();
              AClock.Open();
          })
    {
    }
    ~TOpenerWhenTerminated() { FThread.join(); }

private:
    std::thread FThread;
};

class TestMusicThread : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toneCompletesOnItsOwn();
    void requestWhileSoundingWaitsThenPlaysInFull();
    void noOutputDeviceNoWorker();
    void noOutputDeviceKeepsTheSpeaker();
    void speakerOutput();
    void privateOutputPerTone();
    void exceptionInWorkerEndsItSilently();
    void stopBeforeStartPlaysNothing();
    void shutdownWhilePlaying();
    void manyRequestsInARow();
};

void TestMusicThread::toneCompletesOnItsOwn()
{
    TSoundFixture f;
    f.sound->PlayTone(800, 100, TToneOutput::toSoundCard, TWavGenMode::wgmPWM, true);
    TMusicThread *worker = f.sound->SoundCardThread();
    QVERIFY(worker);
    QVERIFY(worker->SoundCard());
    QCOMPARE(worker->BeepFrequency(), 800);
    QCOMPARE(worker->BeepDuration(), 100);
    QVERIFY(f.sound->GlobalWaver());

    // The completion step runs from the UI thread's event loop.
    QTRY_VERIFY(f.Idle());
    QCOMPARE(f.WorkerTones(), (QStringList{"play 960", "slept 100", "slept 100"}));
    // The shared output is played on the worker and closed on the UI thread.
    const QList<TSoundLog::TPlay> plays = f.log.Plays();
    QCOMPARE(plays.size(), 1);
    QVERIFY(!plays[0].onUiThread);
    QVERIFY(f.log.Events().contains(QStringLiteral("close#%1 ui").arg(plays[0].waver)));
    QTRY_COMPARE(f.config.Alive.load(), 0);
}

void TestMusicThread::requestWhileSoundingWaitsThenPlaysInFull()
{
    TSoundFixture f;
    f.clock.Close();
    f.sound->PlayTone(1200, 200, TToneOutput::toSoundCard, TWavGenMode::wgmPWM, true);
    TMusicThread *first = f.sound->SoundCardThread();
    QVERIFY(f.clock.WaitForSleepers(1)); // inside its tone

    {
        TOpenerWhenTerminated opener(first, f.clock);
        f.sound->PlayTone(800, 100, TToneOutput::toSoundCard, TWavGenMode::wgmPWM, true);
    }
    // The first tone and its pause ran out before the second started, and
    // the second got all its samples.
    QTRY_VERIFY(f.Idle());
    QCOMPARE(f.WorkerTones(),
             (QStringList{"play 1920", "slept 200", "slept 100", "play 960", "slept 100", "slept 100"}));
    const QList<TSoundLog::TPlay> plays = f.log.Plays();
    QCOMPARE(plays.size(), 2);
    QCOMPARE(quint8(plays[1].samples.front()), quint8(250));
    // Each tone had its own shared output, both released.
    QVERIFY(plays[0].waver != plays[1].waver);
    QTRY_COMPARE(f.config.Alive.load(), 0);
}

void TestMusicThread::noOutputDeviceNoWorker()
{
    TSoundFixture f;
    f.config.HasDevice = false;
    f.sound->PlayTone(800, 100, TToneOutput::toSoundCard, TWavGenMode::wgmPWM, true);
    QVERIFY(f.Idle());
    QVERIFY(f.log.Plays().isEmpty());
    QCOMPARE(f.config.Alive.load(), 0);
}

void TestMusicThread::noOutputDeviceKeepsTheSpeaker()
{
    TSoundFixture f;
    f.config.HasDevice = false;
    f.sound->PlayTone(800, 100, TToneOutput::toSoundCard | TToneOutput::toSpeaker, TWavGenMode::wgmPWM, true);
    QVERIFY(!f.sound->SoundCardThread());
    QVERIFY(f.sound->SpeakerThread());
    QVERIFY(!f.sound->GlobalWaver());
    QTRY_VERIFY(f.Idle());
    QCOMPARE(f.WorkerTones(), QStringList{"beep 800 100"});
}

void TestMusicThread::speakerOutput()
{
    TSoundFixture f;
    f.sound->PlayTone(1200, 5, TToneOutput::toSpeaker, TWavGenMode::wgmPWM, true);
    QVERIFY(!f.sound->SoundCardThread());
    QVERIFY(!f.sound->GlobalWaver());
    QTRY_VERIFY(f.Idle());
    // The beep service gets the duration as asked, and no pause follows.
    QCOMPARE(f.log.Events({"beep", "slept", "play"}), QStringList{"beep 1200 5"});
}

void TestMusicThread::privateOutputPerTone()
{
    TSoundFixture f;
    f.sound->PlayTone(800, 100, TToneOutput::toSoundCard, TWavGenMode::wgmPlain, false);
    QVERIFY(!f.sound->GlobalWaver());
    QTRY_VERIFY(f.Idle());
    const QList<TSoundLog::TPlay> plays = f.log.Plays();
    QCOMPARE(plays.size(), 1);
    QCOMPARE(plays[0].samplesPerSec, 9600u);
    // Closed and released by the worker itself, right after its tone.
    const QString closed = QStringLiteral("close#%1").arg(plays[0].waver);
    QVERIFY(f.log.Events().contains(closed));
    QTRY_COMPARE(f.config.Alive.load(), 0);
}

void TestMusicThread::exceptionInWorkerEndsItSilently()
{
    TSoundFixture f;
    f.config.FailPlay = true;
    f.sound->PlayTone(800, 100, TToneOutput::toSoundCard, TWavGenMode::wgmPWM, true);
    TMusicThread *worker = f.sound->SoundCardThread();
    QVERIFY(worker);
    QVERIFY(worker->wait(20000));
    QCoreApplication::processEvents();
    // No sound, no sleep, no completion step: the reference and the shared
    // output stay until the next request.
    QVERIFY(f.log.Plays().isEmpty());
    QVERIFY(f.log.Events({"slept"}).isEmpty());
    QCOMPARE(f.sound->SoundCardThread(), worker);
    QVERIFY(f.sound->GlobalWaver());

    f.config.FailPlay = false;
    f.sound->PlayTone(800, 100, TToneOutput::toSoundCard, TWavGenMode::wgmPWM, true);
    QTRY_VERIFY(f.Idle());
    QCOMPARE(f.WorkerTones(), (QStringList{"play 960", "slept 100", "slept 100"}));
    QTRY_COMPARE(f.config.Alive.load(), 0);
}

void TestMusicThread::stopBeforeStartPlaysNothing()
{
    TSoundFixture f;
    f.sound->StartMusic(TToneOutput::toSoundCard | TToneOutput::toSpeaker, 0, TWavGenMode::wgmPWM, true);
    QVERIFY(f.sound->SoundCardThread());
    QVERIFY(f.sound->SpeakerThread());
    QVERIFY(f.sound->GlobalWaver());
    f.sound->StopMusic();
    QVERIFY(f.Idle());
    QVERIFY(f.WorkerTones().isEmpty());
    QCOMPARE(f.config.Alive.load(), 0);
}

void TestMusicThread::shutdownWhilePlaying()
{
    TSoundFixture f;
    f.clock.Close();
    f.sound->PlayTone(800, 100, TToneOutput::toSoundCard, TWavGenMode::wgmPWM, true);
    QVERIFY(f.clock.WaitForSleepers(1));
    const int shared = f.log.Plays().value(0).waver;
    {
        TOpenerWhenTerminated opener(f.sound->SoundCardThread(), f.clock);
        f.sound.reset();
    }
    // The tone and its pause ran out, then the shared output was closed
    // and released on the UI thread.
    QCOMPARE(f.log.Events({"play", "slept", QStringLiteral("close#%1").arg(shared), QStringLiteral("destroy#%1").arg(shared)}),
             (QStringList{QStringLiteral("play#%1 960").arg(shared), "slept 100", "slept 100",
                          QStringLiteral("close#%1 ui").arg(shared), QStringLiteral("destroy#%1 ui").arg(shared)}));
    QCOMPARE(f.config.Alive.load(), 0);
}

void TestMusicThread::manyRequestsInARow()
{
    TSoundFixture f;
    for (int i = 0; i < 5; ++i) {
        f.sound->PlayTone(800, 100, TToneOutput::toSoundCard | TToneOutput::toSpeaker, TWavGenMode::wgmPWM, true);
        if (i % 2)
            QCoreApplication::processEvents();
    }
    QTRY_VERIFY(f.Idle());
    // A request stops an older worker that has not got to its tone yet;
    // the last one always plays.
    QVERIFY(f.log.PlayCount() >= 1 && f.log.PlayCount() <= 5);
    QVERIFY(!f.log.Events({"beep"}).isEmpty());
    QTRY_COMPARE(f.config.Alive.load(), 0);
}

QTEST_GUILESS_MAIN(TestMusicThread)
#include "tst_MusicThread.moc"
