#pragma once

#include "app/AppError.h"
#include "sound/ISpeaker.h"
#include "sound/IWaveOutput.h"
#include "timing/IClock.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

// One ordered log that the fake outputs, the fake speaker and the gated
// clock write to from any thread. An entry made on the UI thread ends in
// " ui".
class TSoundLog
{
public:
    struct TPlay
    {
        int waver = 0;
        QByteArray samples;
        quint32 samplesPerSec = 0;
        quint16 bitsPerSample = 0;
        quint16 channels = 0;
        bool onUiThread = false;
    };

    void Add(const QString &AEvent)
    {
        std::lock_guard lock(FMutex);
        FEvents.append(OnUi() ? AEvent + QStringLiteral(" ui") : AEvent);
    }
    void AddPlay(const TPlay &APlay, const QString &AEvent)
    {
        {
            std::lock_guard lock(FMutex);
            FPlays.append(APlay);
            FEvents.append(OnUi() ? AEvent + QStringLiteral(" ui") : AEvent);
        }
        FPlayed.notify_all();
    }
    qsizetype PlayCount() const
    {
        std::lock_guard lock(FMutex);
        return FPlays.size();
    }
    // Waits until ACount tones have been played; false after a generous
    // guard time (a hung test, not a timing check).
    bool WaitForPlays(qsizetype ACount)
    {
        std::unique_lock lock(FMutex);
        return FPlayed.wait_for(lock, std::chrono::seconds(20), [&] { return FPlays.size() >= ACount; });
    }
    QStringList Events() const
    {
        std::lock_guard lock(FMutex);
        return FEvents;
    }
    // The entries that start with one of APrefixes, in order.
    QStringList Events(const QStringList &APrefixes) const
    {
        QStringList out;
        for (const QString &e : Events())
            for (const QString &p : APrefixes)
                if (e.startsWith(p)) {
                    out.append(e);
                    break;
                }
        return out;
    }
    QList<TPlay> Plays() const
    {
        std::lock_guard lock(FMutex);
        return FPlays;
    }
    void Clear()
    {
        std::lock_guard lock(FMutex);
        FEvents.clear();
        FPlays.clear();
    }

    static bool OnUi() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

private:
    mutable std::mutex FMutex;
    std::condition_variable FPlayed;
    QStringList FEvents;
    QList<TPlay> FPlays;
};

// What the fake outputs of one factory do; set before the request.
struct TFakeWaveConfig
{
    std::atomic<bool> HasDevice{true};
    std::atomic<bool> FailPlay{false};
    std::atomic<int> Created{0};
    std::atomic<int> Alive{0};
};

// A wave output that records instead of sounding. Events: "devices#n",
// "play#n <samples>", "close#n" (only when open), "destroy#n".
class TFakeWaveOutput final : public IWaveOutput
{
public:
    TFakeWaveOutput(TSoundLog &ALog, TFakeWaveConfig &AConfig)
        : FLog(ALog), FConfig(AConfig), FId(++AConfig.Created)
    {
        ++FConfig.Alive;
    }
    ~TFakeWaveOutput() override
    {
        FLog.Add(QStringLiteral("destroy#%1").arg(FId));
        --FConfig.Alive;
    }

    quint32 SamplesPerSec() const override { return FRate; }
    void SetSamplesPerSec(quint32 AValue) override { FRate = AValue; }
    quint16 BitsPerSample() const override { return FBits; }
    void SetBitsPerSample(quint16 AValue) override { FBits = AValue; }
    quint16 nChannels() const override { return FChannels; }
    void SetnChannels(quint16 AValue) override { FChannels = AValue; }

    void Play(const void *sndBuff, quint32 Length, quint32) override
    {
        if (FConfig.FailPlay)
            throw EAppError(QStringLiteral("Устройство не открывается"));
        FOpen = true;
        TSoundLog::TPlay play;
        play.waver = FId;
        play.samples = QByteArray(static_cast<const char *>(sndBuff), qsizetype(Length));
        play.samplesPerSec = FRate;
        play.bitsPerSample = FBits;
        play.channels = FChannels;
        play.onUiThread = TSoundLog::OnUi();
        FLog.AddPlay(play, QStringLiteral("play#%1 %2").arg(FId).arg(Length));
    }
    void OutClose() override
    {
        if (FOpen)
            FLog.Add(QStringLiteral("close#%1").arg(FId));
        FOpen = false;
    }
    bool GetWaveOutDevices(QStringList &AStrings) override
    {
        FLog.Add(QStringLiteral("devices#%1").arg(FId));
        AStrings.clear();
        if (FConfig.HasDevice)
            AStrings.append(QStringLiteral("Fake output"));
        return FConfig.HasDevice;
    }

private:
    TSoundLog &FLog;
    TFakeWaveConfig &FConfig;
    const int FId;
    quint32 FRate = 11025;
    quint16 FBits = 8;
    quint16 FChannels = 1;
    bool FOpen = false;
};

// Records "beep <frequency> <duration>" and returns at once.
class TFakeSpeaker final : public ISpeaker
{
public:
    explicit TFakeSpeaker(TSoundLog &ALog) : FLog(ALog) {}
    void Beep(int AFrequency, int ADurationMs) override
    {
        FLog.Add(QStringLiteral("beep %1 %2").arg(AFrequency).arg(ADurationMs));
    }

private:
    TSoundLog &FLog;
};

// A clock whose sleeps pass at once while the gate is open and block while
// it is closed, so a test can hold a worker inside its tone. Every sleep is
// logged as "slept <ms>" when it ends.
class TGateClock final : public IClock
{
public:
    explicit TGateClock(TSoundLog &ALog) : FLog(ALog) {}

    quint32 TickMs() override
    {
        std::lock_guard lock(FMutex);
        return FNow;
    }
    void SleepMs(int AMs) override
    {
        if (FUiSleepsWaitForPlay && TSoundLog::OnUi()) {
            // Real time passes for the workers too: by the end of a sleep
            // on the UI thread the tone just requested has started.
            FLog.WaitForPlays(++FPlaysBeforeUiSleep);
        }
        {
            std::unique_lock lock(FMutex);
            ++FSleepers;
            FChanged.notify_all();
            FChanged.wait(lock, [this] { return FOpen; });
            --FSleepers;
            if (AMs > 0)
                FNow += quint32(AMs);
        }
        FLog.Add(QStringLiteral("slept %1").arg(AMs));
    }

    void Open()
    {
        std::lock_guard lock(FMutex);
        FOpen = true;
        FChanged.notify_all();
    }
    // For a UI thread that requests a tone and then sleeps: with sleeps
    // that take no time the next request would stop the tone before its
    // worker got to play it.
    void UiSleepsWaitForPlay() { FUiSleepsWaitForPlay = true; }
    void Close()
    {
        std::lock_guard lock(FMutex);
        FOpen = false;
    }
    // Waits until ACount threads sit in a closed sleep; false after a
    // generous guard time (a hung test, not a timing check).
    bool WaitForSleepers(int ACount)
    {
        std::unique_lock lock(FMutex);
        return FChanged.wait_for(lock, std::chrono::seconds(20), [&] { return FSleepers >= ACount; });
    }

private:
    TSoundLog &FLog;
    std::mutex FMutex;
    std::condition_variable FChanged;
    bool FOpen = true;
    bool FUiSleepsWaitForPlay = false;
    qsizetype FPlaysBeforeUiSleep = 0; // UI thread only
    int FSleepers = 0;
    quint32 FNow = 1000;
};
