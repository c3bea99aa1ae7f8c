#include "sound/UtilSound.h"

#include "timing/IClock.h"

#include <QScopeGuard>

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace {

// Ties to even by hand rather than through the FPU rounding mode, which some
// library may have changed.
double RoundHalfEvenF(double AValue)
{
    double r = std::round(AValue);
    if (std::fabs(AValue - std::trunc(AValue)) == 0.5)
        r = 2.0 * std::round(AValue / 2.0);
    return r;
}

} // namespace

qint64 ToneDurationMs(int ADuration)
{
    return ADuration < 10 ? qint64(ADuration) * 80 : qint64(ADuration);
}

TToneSize ToneSize(quint32 ASamplesPerSec, int AFrequency, qint64 ADurationMs)
{
    if (AFrequency == 0 || ASamplesPerSec == 0)
        throw std::invalid_argument("tone needs a non-zero frequency and sample rate");
    TToneSize size;
    const double n = RoundHalfEvenF(double(qint64(ASamplesPerSec) * ADurationMs) / 1000.0);
    // Anything below one sample is silence; keep it in range of an int.
    size.N = n > MaxToneSamples ? MaxToneSamples : (n < 0 ? 0 : int(n));
    size.P = qint64(RoundHalfEvenF(double(ASamplesPerSec) / double(AFrequency)));
    return size;
}

int SynthesizeTone(std::span<quint8, MaxToneSamples> ABuffer, quint32 ASamplesPerSec, int AFrequency,
                   qint64 ADurationMs, TWavGenMode AWavGenMode)
{
    const TToneSize size = ToneSize(ASamplesPerSec, AFrequency, ADurationMs);
    const int n = size.N;
    const double step = 2.0 * std::numbers::pi * double(AFrequency) / double(ASamplesPerSec);
    // The phase is accumulated sample by sample, not computed as i * step:
    // the rounding of the sum decides where the square wave switches.
    double phi = 0.0;
    for (int i = 0; i < n; ++i) {
        const double s = std::sin(phi);
        quint8 v = 127;
        switch (AWavGenMode) {
        case TWavGenMode::wgmPlain:
            if (qint64(i) < qint64(n) - size.P)
                v = quint8(127 + int(RoundHalfEvenF(127.0 * s)));
            break;
        case TWavGenMode::wgmStairs:
            // The low byte of the two's complement: negative half-waves
            // come out between 2 and 255.
            v = quint8(qint64(RoundHalfEvenF(254.0 * s)) & 0xFF);
            break;
        case TWavGenMode::wgmPWM:
            v = s < 0.0 ? 5 : 250;
            break;
        }
        ABuffer[size_t(i)] = v;
        phi += step;
    }
    if (n > 1)
        ABuffer[size_t(n - 1)] = 127;
    return n;
}

// ---------------------------------------------------------------------------

TMusicThread::TMusicThread(TUtilSound &AModule, bool ASuspended, bool ASoundCard, int AMusicId,
                           TWavGenMode AWavGenMode, bool AUseGlobalWaver)
    : FModule(AModule), FMusicId(AMusicId), FSoundCard(ASoundCard), FWavGenMode(AWavGenMode)
{
    if (ASoundCard && AUseGlobalWaver)
        FModule.CreateGlobalWaver();
    if (!ASuspended)
        start();
}

TMusicThread::~TMusicThread()
{
    Terminate();
    wait();
}

void TMusicThread::SetupBeep(int ABeepFrequency, int ABeepDuration)
{
    FBeepFrequency = ABeepFrequency;
    FBeepDuration = ABeepDuration;
}

void TMusicThread::run()
{
    try {
        Execute();
    } catch (...) {
        // A tone that fails (no device, say) ends its worker without a
        // sound and without a message; the next request cleans up.
    }
    FModule.WorkerEnded(*this);
}

void TMusicThread::Execute()
{
    if (FMusicId == 0)
        PlayNote(FBeepFrequency, FBeepDuration);
    if (!Terminated())
        FModule.RunCompletion(*this);
}

void TMusicThread::PlayNote(int AFrequency, int ADuration)
{
    if (Terminated())
        return;
    if (FSoundCard)
        FModule.GenerateTone(AFrequency, ADuration, FWavGenMode, TonePauseMs);
    else
        FModule.Speak(AFrequency, ADuration);
}

void TMusicThread::DoFinished()
{
    if (FSoundCard) {
        if (FModule.FSoundCardThread.get() == this)
            FModule.Retire(FModule.FSoundCardThread);
        FModule.FreeGlobalWaver();
    } else if (FModule.FSpeakerThread.get() == this) {
        FModule.Retire(FModule.FSpeakerThread);
    }
}

// ---------------------------------------------------------------------------

TUtilSound::TUtilSound(TWaveOutputFactory AWaveOutputFactory, IClock &AClock, std::unique_ptr<ISpeaker> ASpeaker,
                       QObject *AParent)
    : QObject(AParent), FWaveOutputFactory(std::move(AWaveOutputFactory)), FClock(AClock),
      FSpeaker(std::move(ASpeaker))
{
}

TUtilSound::~TUtilSound()
{
    try {
        if (auto speaker = std::move(FSpeakerThread))
            ReleaseWorker(std::move(speaker));
        if (auto card = std::move(FSoundCardThread))
            ReleaseWorker(std::move(card));
        ReleaseFinishedWorkers();
        FreeGlobalWaver();
    } catch (...) {
        // Shutdown goes on whatever a release raised.
    }
}

void TUtilSound::PlayTone(int AFrequency, int ADuration, TToneOutputs AOutputs, TWavGenMode AWavGenMode,
                          bool AUseGlobalWaver)
{
    StartMusic(AOutputs, 0, AWavGenMode, AUseGlobalWaver);
    if (FSoundCardThread)
        FSoundCardThread->SetupBeep(AFrequency, ADuration);
    if (FSpeakerThread)
        FSpeakerThread->SetupBeep(AFrequency, ADuration);
    ResumeMusic();
}

void TUtilSound::StartMusic(TToneOutputs AOutputs, int AMusicId, TWavGenMode AWavGenMode, bool AUseGlobalWaver)
{
    ReleaseFinishedWorkers();
    if (FSoundCardThread || FSpeakerThread)
        StopMusic();
    if (!HasWaveOutDevice())
        AOutputs &= ~TToneOutputs(TToneOutput::toSoundCard);
    if (AOutputs.testFlag(TToneOutput::toSoundCard))
        FSoundCardThread = std::make_unique<TMusicThread>(*this, true, true, AMusicId, AWavGenMode, AUseGlobalWaver);
    if (AOutputs.testFlag(TToneOutput::toSpeaker))
        FSpeakerThread = std::make_unique<TMusicThread>(*this, true, false, AMusicId, AWavGenMode, AUseGlobalWaver);
}

void TUtilSound::ResumeMusic()
{
    if (FSoundCardThread)
        FSoundCardThread->start();
    if (FSpeakerThread)
        FSpeakerThread->start();
}

void TUtilSound::StopMusic()
{
    if (auto card = std::move(FSoundCardThread)) {
        try {
            ReleaseWorker(std::move(card));
        } catch (...) {
        }
    }
    if (auto speaker = std::move(FSpeakerThread)) {
        try {
            ReleaseWorker(std::move(speaker));
        } catch (...) {
        }
    }
    FreeGlobalWaver();
}

bool TUtilSound::HasWaveOutDevice()
{
    std::unique_ptr<IWaveOutput> waver = FWaveOutputFactory();
    QStringList devices;
    auto close = qScopeGuard([&] { waver->OutClose(); });
    return waver->GetWaveOutDevices(devices);
}

std::unique_ptr<IWaveOutput> TUtilSound::NewWaver()
{
    std::unique_ptr<IWaveOutput> waver = FWaveOutputFactory();
    waver->SetSamplesPerSec(ToneSamplesPerSec);
    waver->SetBitsPerSample(8);
    waver->SetnChannels(1);
    return waver;
}

void TUtilSound::CreateGlobalWaver()
{
    if (!FGlobalWaver)
        FGlobalWaver = NewWaver();
}

void TUtilSound::FreeGlobalWaver()
{
    if (FGlobalWaver) {
        FGlobalWaver->OutClose();
        FGlobalWaver.reset();
    }
}

void TUtilSound::GenerateTone(int AFrequency, int ADuration, TWavGenMode AWavGenMode, int APauseMs)
{
    const qint64 duration = ToneDurationMs(ADuration);
    // The shared output, when there is one, stays open for the next tone; a
    // private one is closed and released here, also when the tone fails.
    IWaveOutput *waver = FGlobalWaver.get();
    std::unique_ptr<IWaveOutput> own;
    if (!waver) {
        own = NewWaver();
        waver = own.get();
    }
    auto closeOwn = qScopeGuard([&] {
        if (own)
            own->OutClose();
    });
    // On this worker's stack: nothing is allocated per tone, and it outlives
    // the sleep below, so the output may read it while the tone plays.
    TToneBuffer samples;
    const int n = SynthesizeTone(samples, waver->SamplesPerSec(), AFrequency, duration, AWavGenMode);
    if (n > 1) {
        waver->Play(samples.data(), quint32(n), 0);
        // The full duration, even when the samples were capped at a second.
        FClock.SleepMs(int(duration));
    }
    if (APauseMs != 0)
        FClock.SleepMs(APauseMs);
}

void TUtilSound::Speak(int AFrequency, int ADuration)
{
    if (FSpeaker)
        FSpeaker->Beep(AFrequency, ADuration);
    else
        FClock.SleepMs(ADuration);
}

void TUtilSound::RunCompletion(TMusicThread &AThread)
{
    std::unique_lock lock(FCompletionMutex);
    FPendingCompletions.push_back(&AThread);
    FCompletionChanged.notify_all();
    // Served by the UI thread's event loop, or earlier by a UI thread that
    // is waiting for this worker.
    QMetaObject::invokeMethod(this, [this] { ServePendingCompletions(); }, Qt::QueuedConnection);
    FCompletionChanged.wait(lock, [&] { return AThread.FCompletionDone; });
}

void TUtilSound::WorkerEnded(TMusicThread &AThread)
{
    // Notified under the lock: once the UI thread sees FEnded it may go on
    // to release this module, condition variable included.
    std::lock_guard lock(FCompletionMutex);
    AThread.FEnded = true;
    FCompletionChanged.notify_all();
}

void TUtilSound::ServePendingCompletions()
{
    bool served = false;
    for (;;) {
        TMusicThread *thread = nullptr;
        {
            std::lock_guard lock(FCompletionMutex);
            if (FPendingCompletions.empty())
                break;
            thread = FPendingCompletions.front();
            FPendingCompletions.erase(FPendingCompletions.begin());
        }
        try {
            thread->DoFinished();
        } catch (...) {
            // The worker must be let go whatever the clean-up raised.
        }
        {
            std::lock_guard lock(FCompletionMutex);
            thread->FCompletionDone = true;
            FCompletionChanged.notify_all();
        }
        served = true;
    }
    // Not here: the workers just served are still inside their run.
    if (served)
        QMetaObject::invokeMethod(this, [this] { ReleaseFinishedWorkers(); }, Qt::QueuedConnection);
}

void TUtilSound::WaitForWorker(TMusicThread &AThread)
{
    if (!AThread.isRunning() && !AThread.isFinished())
        return; // never started: nothing will run
    for (;;) {
        {
            std::unique_lock lock(FCompletionMutex);
            FCompletionChanged.wait(lock, [&] { return AThread.FEnded || !FPendingCompletions.empty(); });
            if (FPendingCompletions.empty())
                break;
        }
        ServePendingCompletions();
    }
    AThread.wait();
}

void TUtilSound::ReleaseWorker(std::unique_ptr<TMusicThread> AThread)
{
    AThread->Terminate();
    WaitForWorker(*AThread);
}

void TUtilSound::ReleaseFinishedWorkers()
{
    // Moved out first: waiting may serve a completion that retires another.
    std::vector<std::unique_ptr<TMusicThread>> finished = std::move(FFinishedThreads);
    FFinishedThreads.clear();
    for (const auto &thread : finished)
        WaitForWorker(*thread);
}

void TUtilSound::Retire(std::unique_ptr<TMusicThread> &AReference)
{
    FFinishedThreads.push_back(std::move(AReference));
}
