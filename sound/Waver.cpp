#include "sound/Waver.h"

#include "app/AppError.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>

#include <cstring>
#include <exception>
#include <limits>

namespace {

QString CannotOpenText()
{
    return QStringLiteral("Устройство не открывается");
}

QString SoundErrorText()
{
    return QStringLiteral("Ошибка при работе со звуком");
}

// Only the integer PCM layouts of the wave header have a Qt counterpart;
// any other bit count gives an invalid format, which cannot be opened.
QAudioFormat QtFormat(quint32 ASamplesPerSec, quint16 ABitsPerSample, quint16 AnChannels)
{
    QAudioFormat format;
    if (ASamplesPerSec > quint32(std::numeric_limits<int>::max()))
        return format;
    format.setSampleRate(int(ASamplesPerSec));
    format.setChannelCount(AnChannels);
    switch (ABitsPerSample) {
    case 8:
        format.setSampleFormat(QAudioFormat::UInt8);
        break;
    case 16:
        format.setSampleFormat(QAudioFormat::Int16);
        break;
    case 32:
        format.setSampleFormat(QAudioFormat::Int32);
        break;
    default:
        break;
    }
    return format;
}

QAudioDevice DeviceById(const QList<QAudioDevice> &ADevices, const QAudioDevice &ADefault, quint32 ADeviceId)
{
    if (ADeviceId == TWaver::WAVE_MAPPER)
        return ADefault;
    return ADeviceId < quint32(ADevices.size()) ? ADevices.at(qsizetype(ADeviceId)) : QAudioDevice();
}

qreal LinearVolume(qint32 AVolume)
{
    const quint32 v = quint32(AVolume);
    return qreal(qMax(v & 0xFFFFu, v >> 16)) / qreal(0xFFFF);
}

bool ListDevices(const QList<QAudioDevice> &ADevices, QStringList &AStrings)
{
    AStrings.clear();
    if (ADevices.isEmpty())
        return false;
    for (const QAudioDevice &device : ADevices)
        AStrings.append(device.description());
    return true;
}

// Samples of the current buffer at ASamplesPerSec, from Qt's processed time.
qint32 SamplesFromUSecs(qint64 AUSecs, quint32 ASamplesPerSec)
{
    return qint32(AUSecs * qint64(ASamplesPerSec) / 1000000);
}

// The caller's record buffer as a device the audio source writes into.
// Once it is full the rest of the input is dropped, as with a wave-input
// buffer that has been filled.
class TRecordTarget final : public QIODevice
{
public:
    void SetBuffer(void *ABuffer, quint32 ALength)
    {
        FBuffer = static_cast<char *>(ABuffer);
        FLength = ALength;
        FRecorded = 0;
    }
    qint64 Recorded() const { return FRecorded; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *AData, qint64 ALength) override
    {
        const qint64 n = qMin(ALength, qint64(FLength) - FRecorded);
        if (n > 0 && FBuffer) {
            std::memcpy(FBuffer + FRecorded, AData, size_t(n));
            FRecorded += n;
        }
        return ALength;
    }

private:
    char *FBuffer = nullptr;
    quint32 FLength = 0;
    qint64 FRecorded = 0;
};

} // namespace

struct TWaver::TAudioState
{
    std::unique_ptr<QAudioSink> Sink;
    QIODevice *SinkDevice = nullptr; // owned by Sink
    std::unique_ptr<QAudioSource> Source;
    TRecordTarget Target;
    // The format of the open direction (property changes wait for the
    // next open).
    quint32 OpenSamplesPerSec = 0;
    quint16 OpenBlockAlign = 1;
};

TWaver::TWaver(QObject *AOwner) : QObject(AOwner)
{
}

TWaver::~TWaver()
{
    if (!FAudioThread)
        return;
    QMetaObject::invokeMethod(FAudioContext.get(), [this] { FAudio.reset(); }, Qt::BlockingQueuedConnection);
    FAudioThread->quit();
    FAudioThread->wait();
}

TWaveFormatEx TWaver::WaveFormat(quint32 ASamplesPerSec, quint16 ABitsPerSample, quint16 AnChannels)
{
    TWaveFormatEx format;
    format.nChannels = AnChannels;
    format.nSamplesPerSec = ASamplesPerSec;
    format.wBitsPerSample = ABitsPerSample;
    format.nBlockAlign = quint16(quint32(ABitsPerSample) * AnChannels / 8);
    format.nAvgBytesPerSec = ASamplesPerSec * format.nBlockAlign;
    return format;
}

void TWaver::EnsureAudioThread()
{
    if (FAudioThread)
        return;
    auto thread = std::make_unique<QThread>();
    thread->setObjectName(QStringLiteral("TWaver"));
    auto context = std::make_unique<QObject>();
    context->moveToThread(thread.get());
    thread->start();
    FAudioThread = std::move(thread);
    FAudioContext = std::move(context);
    QMetaObject::invokeMethod(
        FAudioContext.get(), [this] { FAudio = std::make_unique<TAudioState>(); }, Qt::BlockingQueuedConnection);
}

void TWaver::OnAudioThread(const std::function<void(TAudioState &)> &AFunction) const
{
    TAudioState &audio = *FAudio;
    if (QThread::currentThread() == FAudioThread.get()) {
        AFunction(audio);
        return;
    }
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        FAudioContext.get(),
        [&] {
            try {
                AFunction(audio);
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error)
        std::rethrow_exception(error);
}

// --- output -----------------------------------------------------------------

void TWaver::OutOpen()
{
    if (FOutOpened)
        return;
    if (FInOpened)
        InClose();
    const QAudioFormat format = QtFormat(FSamplesPerSec, FBitsPerSample, FnChannels);
    const QAudioDevice device =
        DeviceById(QMediaDevices::audioOutputs(), QMediaDevices::defaultAudioOutput(), FDeviceId);
    if (!format.isValid() || device.isNull())
        throw EAppError(CannotOpenText());
    EnsureAudioThread();
    const qreal volume = LinearVolume(FOutVolume);
    const quint32 rate = FSamplesPerSec;
    const quint16 blockAlign = qMax<quint16>(1, WaveFormat(FSamplesPerSec, FBitsPerSample, FnChannels).nBlockAlign);
    OnAudioThread([&](TAudioState &AAudio) {
        auto sink = std::make_unique<QAudioSink>(device, format);
        sink->setVolume(volume);
        // Starting is what reaches the sound server: without one it fails
        // here, as opening a device would.
        QIODevice *io = sink->start();
        if (!io || sink->error() != QAudio::NoError)
            throw EAppError(CannotOpenText());
        AAudio.Sink = std::move(sink);
        AAudio.SinkDevice = io;
        AAudio.OpenSamplesPerSec = rate;
        AAudio.OpenBlockAlign = blockAlign;
    });
    FOutOpened = true;
}

void TWaver::Play(const void *sndBuff, quint32 Length, quint32 Loops)
{
    Q_UNUSED(Loops);
    if (!FOutOpened)
        OutOpen();
    FBufferLength = Length;
    OnAudioThread([&](TAudioState &AAudio) {
        if (!AAudio.Sink)
            return;
        // A restart of the stream drops whatever the previous buffer had
        // left to play.
        AAudio.Sink->stop();
        const qint64 bytes = qint64(Length) - qint64(Length) % AAudio.OpenBlockAlign;
        // The stream starts playing only once its buffer is full: a buffer
        // no larger than the samples lets even a short tone start at once.
        AAudio.Sink->setBufferSize(qMax<qint64>(bytes, AAudio.OpenBlockAlign));
        AAudio.SinkDevice = AAudio.Sink->start();
        if (AAudio.SinkDevice && bytes > 0 && sndBuff)
            AAudio.SinkDevice->write(static_cast<const char *>(sndBuff), bytes);
    });
}

void TWaver::OutClose()
{
    if (FOutOpened && FAudio) {
        try {
            OnAudioThread([](TAudioState &AAudio) {
                if (AAudio.Sink)
                    AAudio.Sink->stop();
                AAudio.Sink.reset();
                AAudio.SinkDevice = nullptr;
            });
        } catch (...) {
            // Closing never fails.
        }
    }
    FOutOpened = false;
}

bool TWaver::GetWaveOutDevices(QStringList &AStrings)
{
    return ListDevices(QMediaDevices::audioOutputs(), AStrings);
}

qint32 TWaver::GetPlayPos() const
{
    if (!FOutOpened || !FAudio)
        return 0;
    qint32 samples = 0;
    OnAudioThread([&](TAudioState &AAudio) {
        if (AAudio.Sink)
            samples = SamplesFromUSecs(AAudio.Sink->processedUSecs(), AAudio.OpenSamplesPerSec);
    });
    return samples;
}

qint32 TWaver::OutVolume() const
{
    if (!FOutOpened || !FAudio)
        return FOutVolume;
    quint32 v = 0xFFFF;
    OnAudioThread([&](TAudioState &AAudio) {
        if (AAudio.Sink)
            v = quint32(qRound(qBound<qreal>(0.0, AAudio.Sink->volume(), 1.0) * 0xFFFF));
    });
    return qint32((v << 16) | v);
}

void TWaver::SetOutVolume(qint32 AValue)
{
    FOutVolume = AValue;
    if (!FOutOpened || !FAudio)
        return;
    const qreal volume = LinearVolume(AValue);
    OnAudioThread([&](TAudioState &AAudio) {
        if (AAudio.Sink)
            AAudio.Sink->setVolume(volume);
    });
}

void TWaver::SetOutLR(quint16 LeftVolume, quint16 RightVolume)
{
    SetOutVolume(qint32((quint32(RightVolume) << 16) + LeftVolume));
}

bool TWaver::Finished() const
{
    bool result = true;
    // Compared in floating point: a zero bit count gives no ordered
    // comparison, and so an unfinished buffer.
    const double end = double(FBufferLength) * 8.0 / double(FBitsPerSample) - 1.0;
    if (FOutOpened && !(double(GetPlayPos()) >= end))
        result = false;
    if (FInOpened && !(double(BytesRecorded()) >= end))
        result = false;
    return result;
}

bool TWaver::Finished2() const
{
    bool result = true;
    const double end = double(FBufferLength) * 8.0 / double(FBitsPerSample) - 1.0;
    if (FOutOpened && !(double(GetPlayPos()) >= end))
        result = false;
    if (FInOpened && BytesRecorded() < qint64(FBufferLength))
        result = false;
    return result;
}

// --- input ------------------------------------------------------------------

void TWaver::InOpen()
{
    if (FInOpened)
        return;
    if (FOutOpened)
        OutClose();
    const QAudioFormat format = QtFormat(FSamplesPerSec, FBitsPerSample, FnChannels);
    const QAudioDevice device = DeviceById(QMediaDevices::audioInputs(), QMediaDevices::defaultAudioInput(), FDeviceId);
    if (!format.isValid() || device.isNull())
        throw EAppError(CannotOpenText());
    EnsureAudioThread();
    const quint32 rate = FSamplesPerSec;
    OnAudioThread([&](TAudioState &AAudio) {
        AAudio.Source = std::make_unique<QAudioSource>(device, format);
        AAudio.OpenSamplesPerSec = rate;
    });
    FInOpened = true;
}

void TWaver::InClose()
{
    if (FInOpened && FAudio) {
        OnAudioThread([](TAudioState &AAudio) {
            if (AAudio.Source)
                AAudio.Source->stop();
            AAudio.Source.reset();
            AAudio.Target.close();
        });
    }
    FInOpened = false;
}

void TWaver::PrepareRec(void *sndBuff, quint32 Length)
{
    if (!FInOpened)
        InOpen();
    FBufferLength = Length;
    OnAudioThread([&](TAudioState &AAudio) {
        AAudio.Source->stop();
        AAudio.Target.SetBuffer(sndBuff, Length);
    });
}

namespace {

bool StartRecording(QAudioSource &ASource, QIODevice &ATarget)
{
    if (!ATarget.isOpen())
        ATarget.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    ASource.start(&ATarget);
    return ASource.error() == QAudio::NoError;
}

} // namespace

void TWaver::Rec(void *sndBuff, quint32 Length)
{
    PrepareRec(sndBuff, Length);
    OnAudioThread([](TAudioState &AAudio) { StartRecording(*AAudio.Source, AAudio.Target); });
}

void TWaver::SetRecBuff(void *sndBuff, quint32 Length)
{
    PrepareRec(sndBuff, Length);
}

void TWaver::DoRec()
{
    if (!FInOpened || !FAudio)
        throw EAppError(SoundErrorText());
    bool started = false;
    OnAudioThread([&](TAudioState &AAudio) { started = StartRecording(*AAudio.Source, AAudio.Target); });
    if (!started)
        throw EAppError(SoundErrorText());
}

void TWaver::RecReset()
{
    if (!FInOpened || !FAudio)
        return;
    OnAudioThread([](TAudioState &AAudio) { AAudio.Source->stop(); });
}

qint64 TWaver::BytesRecorded() const
{
    if (!FAudio)
        return 0;
    qint64 bytes = 0;
    OnAudioThread([&](TAudioState &AAudio) { bytes = AAudio.Target.Recorded(); });
    return bytes;
}

qint32 TWaver::GetRecPos() const
{
    if (FBitsPerSample == 0)
        return 0;
    return qint32(BytesRecorded() * 8 / FBitsPerSample);
}

qint32 TWaver::GetRecPos2() const
{
    if (!FInOpened || !FAudio)
        return 0;
    qint32 samples = 0;
    OnAudioThread([&](TAudioState &AAudio) {
        if (AAudio.Source)
            samples = SamplesFromUSecs(AAudio.Source->processedUSecs(), AAudio.OpenSamplesPerSec);
    });
    return samples;
}

bool TWaver::GetWaveInDevices(QStringList &AStrings)
{
    return ListDevices(QMediaDevices::audioInputs(), AStrings);
}

std::unique_ptr<IWaveOutput> CreateWaver()
{
    return std::make_unique<TWaver>();
}
