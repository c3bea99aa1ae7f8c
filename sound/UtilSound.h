#pragma once

#include "sound/ISpeaker.h"
#include "sound/IWaveOutput.h"

#include <QFlags>
#include <QObject>
#include <QThread>

#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

class IClock;

// The waveform of a synthesised tone.
enum class TWavGenMode {
    wgmPlain,  // sine around 127, the last period silent
    wgmStairs, // 254 x sine, low byte only
    wgmPWM,    // square wave 250 / 5
};

// The outputs a tone request asks for.
enum class TToneOutput {
    toSoundCard = 0x1, // synthesised samples through the wave output
    toSpeaker = 0x2,   // the system beep service
};
Q_DECLARE_FLAGS(TToneOutputs, TToneOutput)
Q_DECLARE_OPERATORS_FOR_FLAGS(TToneOutputs)

// Tones are synthesised as unsigned 8-bit mono at this rate, and at most one
// second of them.
inline constexpr quint32 ToneSamplesPerSec = 9600;
inline constexpr int MaxToneSamples = 9600;
// The silence after each synthesised tone.
inline constexpr int TonePauseMs = 100;

using TToneBuffer = std::array<quint8, MaxToneSamples>;

// The sample count N (capped at MaxToneSamples; zero or negative for no
// sound) and the period P in samples of one tone.
struct TToneSize
{
    int N = 0;
    qint64 P = 0;
};

// How long a requested duration really lasts: below 10 it counts in units
// of 80 ms.
qint64 ToneDurationMs(int ADuration);

// N and P of a tone of AFrequency Hz lasting ADurationMs (already adjusted)
// at ASamplesPerSec, both rounded half to even. Raises std::invalid_argument
// for a zero frequency or sample rate.
TToneSize ToneSize(quint32 ASamplesPerSec, int AFrequency, qint64 ADurationMs);

// Writes the samples of one tone into the front of ABuffer and returns N.
// When N > 1 the last sample is the rest level 127. Pure: no output, no sleep.
int SynthesizeTone(std::span<quint8, MaxToneSamples> ABuffer, quint32 ASamplesPerSec, int AFrequency,
                   qint64 ADurationMs, TWavGenMode AWavGenMode);

class TUtilSound;

// One worker that plays one request on one output. Created not running and
// started by its module; it is never released by itself: the module releases
// it on the UI thread once it has ended.
class TMusicThread final : public QThread
{
    Q_OBJECT

public:
    // Starts at once unless ASuspended. When ASoundCard and AUseGlobalWaver,
    // makes sure the module's shared output exists.
    TMusicThread(TUtilSound &AModule, bool ASuspended, bool ASoundCard, int AMusicId, TWavGenMode AWavGenMode,
                 bool AUseGlobalWaver);
    // Requests termination and waits for the run to end. The module waits
    // first (serving the completion step), so this wait returns at once.
    ~TMusicThread() override;

    // Between creation and start.
    void SetupBeep(int ABeepFrequency, int ABeepDuration);

    // The terminate request: a tone already sounding plays to its end, but
    // no further note starts and the completion step is skipped.
    void Terminate() { FTerminated.store(true); }
    bool Terminated() const { return FTerminated.load(); }

    int MusicId() const { return FMusicId; }
    bool SoundCard() const { return FSoundCard; }
    int BeepFrequency() const { return FBeepFrequency; }
    int BeepDuration() const { return FBeepDuration; }
    TWavGenMode WavGenMode() const { return FWavGenMode; }

protected:
    void run() override;

private:
    friend class TUtilSound;

    void Execute();
    void PlayNote(int AFrequency, int ADuration);
    // The completion step, on the UI thread while this worker waits.
    void DoFinished();

    TUtilSound &FModule;
    const int FMusicId;
    const bool FSoundCard;
    int FBeepFrequency = 800;
    int FBeepDuration = 100;
    const TWavGenMode FWavGenMode;
    std::atomic<bool> FTerminated{false};
    // Guarded by the module's completion mutex.
    bool FCompletionDone = false;
    bool FEnded = false;
};

// Plays short tones without holding up the UI thread: a request stops what
// still sounds, starts one worker per chosen output and returns. Lives on
// the UI thread, which alone calls it (GenerateTone excepted) and alone
// writes its state. Destroying it is the shutdown: it waits for the workers
// that still run and releases the shared output.
class TUtilSound final : public QObject
{
    Q_OBJECT

public:
    // AWaveOutputFactory makes the wave outputs (shared, private and the
    // temporary one that looks for a device); AClock sleeps on the workers;
    // ASpeaker may be null (the speaker output then only waits the tone out).
    TUtilSound(TWaveOutputFactory AWaveOutputFactory, IClock &AClock, std::unique_ptr<ISpeaker> ASpeaker,
               QObject *AParent = nullptr);
    ~TUtilSound() override;

    void PlayTone(int AFrequency, int ADuration, TToneOutputs AOutputs, TWavGenMode AWavGenMode,
                  bool AUseGlobalWaver);
    void StartMusic(TToneOutputs AOutputs, int AMusicId, TWavGenMode AWavGenMode, bool AUseGlobalWaver);
    void ResumeMusic();
    // Waits for running workers to end their current tone and pause.
    void StopMusic();
    bool HasWaveOutDevice();
    void CreateGlobalWaver();
    void FreeGlobalWaver();
    // Runs on a worker: synthesises and plays one tone, then blocks until
    // the tone and the pause have passed.
    void GenerateTone(int AFrequency, int ADuration, TWavGenMode AWavGenMode, int APauseMs);

    TMusicThread *SoundCardThread() const { return FSoundCardThread.get(); }
    TMusicThread *SpeakerThread() const { return FSpeakerThread.get(); }
    IWaveOutput *GlobalWaver() const { return FGlobalWaver.get(); }

private:
    friend class TMusicThread;

    std::unique_ptr<IWaveOutput> NewWaver();
    void Speak(int AFrequency, int ADuration);

    // Worker side of the completion step: hands the worker to the UI thread
    // and waits until its DoFinished has run there.
    void RunCompletion(TMusicThread &AThread);
    void WorkerEnded(TMusicThread &AThread);
    // UI side: runs the DoFinished of every worker waiting for it.
    void ServePendingCompletions();
    // Waits for a worker to end, serving completion steps meanwhile: a
    // worker may be waiting for its own, and a plain wait would never end.
    void WaitForWorker(TMusicThread &AThread);
    void ReleaseWorker(std::unique_ptr<TMusicThread> AThread);
    void ReleaseFinishedWorkers();
    // DoFinished drops a reference by moving the worker here; it is
    // released later, once its run has returned.
    void Retire(std::unique_ptr<TMusicThread> &AReference);

    TWaveOutputFactory FWaveOutputFactory;
    IClock &FClock;
    std::unique_ptr<ISpeaker> FSpeaker;

    std::unique_ptr<TMusicThread> FSoundCardThread;
    std::unique_ptr<TMusicThread> FSpeakerThread;
    std::unique_ptr<IWaveOutput> FGlobalWaver;
    std::vector<std::unique_ptr<TMusicThread>> FFinishedThreads;

    std::mutex FCompletionMutex;
    std::condition_variable FCompletionChanged;
    std::vector<TMusicThread *> FPendingCompletions;
};
