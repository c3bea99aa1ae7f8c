#pragma once

#include "sound/IWaveOutput.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class QThread;

// A PCM format as the system's wave header describes it.
struct TWaveFormatEx
{
    quint16 wFormatTag = 1; // PCM
    quint16 nChannels = 0;
    quint32 nSamplesPerSec = 0;
    quint32 nAvgBytesPerSec = 0;
    quint16 nBlockAlign = 0;
    quint16 wBitsPerSample = 0;
    quint16 cbSize = 0;
};

// Plays one caller-supplied buffer of PCM samples at a time on an output
// device, or records into one caller-supplied buffer from an input device;
// only one direction is open at a time. Built on Qt Multimedia: a
// QAudioSink in push mode for output, a QAudioSource for input.
//
// The Qt audio objects live on a small thread of the component's own with
// an event loop, started at the first open: the callers (a tone worker
// that plays, the UI thread that closes) come from different threads, and
// Qt's audio objects must be used and destroyed on one thread with an event
// loop. Each call waits for that thread, which never blocks, so calls stay
// as quick as the system's own. The component has no lock: one caller
// thread at a time, as the tone module guarantees.
class TWaver final : public QObject, public IWaveOutput
{
    Q_OBJECT

public:
    // The system's preferred device.
    static constexpr quint32 WAVE_MAPPER = 0xFFFFFFFFu;

    explicit TWaver(QObject *AOwner = nullptr);
    // Releases the Qt audio objects too (they cannot outlive their thread);
    // owners still close first.
    ~TWaver() override;

    static TWaveFormatEx WaveFormat(quint32 ASamplesPerSec, quint16 ABitsPerSample, quint16 AnChannels);

    quint32 SamplesPerSec() const override { return FSamplesPerSec; }
    void SetSamplesPerSec(quint32 AValue) override { FSamplesPerSec = AValue; }
    quint16 BitsPerSample() const override { return FBitsPerSample; }
    void SetBitsPerSample(quint16 AValue) override { FBitsPerSample = AValue; }
    quint16 nChannels() const override { return FnChannels; }
    void SetnChannels(quint16 AValue) override { FnChannels = AValue; }
    // Low word left, high word right, $FFFF full. Qt has one volume per
    // stream: the louder of the two channels sets it, and reading gives
    // that volume in both words.
    qint32 OutVolume() const;
    void SetOutVolume(qint32 AValue);
    bool OutOpened() const { return FOutOpened; }
    bool InOpened() const { return FInOpened; }
    bool Finished() const;
    bool Finished2() const;
    // WAVE_MAPPER, or an index into the device lists below.
    quint32 DeviceId() const { return FDeviceId; }
    void SetDeviceId(quint32 AValue) { FDeviceId = AValue; }

    // Output. OutOpen and Play raise EAppError "Устройство не открывается".
    void OutOpen();
    // Qt plays a buffer once: Loops is accepted and ignored. The samples are
    // copied into the stream, so the buffer may go as soon as this returns.
    void Play(const void *sndBuff, quint32 Length, quint32 Loops) override;
    void OutClose() override;
    bool GetWaveOutDevices(QStringList &AStrings) override;
    qint32 GetPlayPos() const;
    void SetOutLR(quint16 LeftVolume, quint16 RightVolume);

    // Input. The buffer must stay alive until the input is reset or closed.
    void InOpen();
    void InClose();
    void Rec(void *sndBuff, quint32 Length);
    void SetRecBuff(void *sndBuff, quint32 Length);
    // Raises EAppError "Ошибка при работе со звуком" when recording cannot
    // start.
    void DoRec();
    void RecReset();
    qint32 GetRecPos() const;
    qint32 GetRecPos2() const;
    bool GetWaveInDevices(QStringList &AStrings);

private:
    struct TAudioState;

    void EnsureAudioThread();
    // Runs AFunction on the audio thread and waits; its exception passes on.
    void OnAudioThread(const std::function<void(TAudioState &)> &AFunction) const;
    void PrepareRec(void *sndBuff, quint32 Length);
    qint64 BytesRecorded() const;

    quint32 FSamplesPerSec = 11025;
    quint16 FBitsPerSample = 8;
    quint16 FnChannels = 1;
    quint32 FDeviceId = WAVE_MAPPER;
    qint32 FOutVolume = -1; // $FFFF in both words
    bool FOutOpened = false;
    bool FInOpened = false;
    // The one buffer length both directions share.
    quint32 FBufferLength = 0;

    std::unique_ptr<QThread> FAudioThread;
    std::unique_ptr<QObject> FAudioContext; // lives on FAudioThread
    std::unique_ptr<TAudioState> FAudio;    // touched on FAudioThread only
};

// A new closed TWaver without owner, for the tone module.
std::unique_ptr<IWaveOutput> CreateWaver();
