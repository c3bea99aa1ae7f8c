#pragma once

#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <memory>

// The part of a wave output that tone synthesis needs: a PCM format, one
// buffer played at a time, and whether the system has an output device at
// all. TWaver is the real one; tests use a recording double.
class IWaveOutput
{
public:
    virtual ~IWaveOutput() = default;

    // Format changes take effect at the next open.
    virtual quint32 SamplesPerSec() const = 0;
    virtual void SetSamplesPerSec(quint32 AValue) = 0;
    virtual quint16 BitsPerSample() const = 0;
    virtual void SetBitsPerSample(quint16 AValue) = 0;
    virtual quint16 nChannels() const = 0;
    virtual void SetnChannels(quint16 AValue) = 0;

    // Opens the output if needed (raising EAppError "Устройство не
    // открывается" when it cannot be opened), cuts off any buffer still
    // playing and starts this one. Returns at once.
    virtual void Play(const void *sndBuff, quint32 Length, quint32 Loops) = 0;
    // Stops and closes the output; never raises.
    virtual void OutClose() = 0;
    // One line per output device; false and an empty list when there is none.
    virtual bool GetWaveOutDevices(QStringList &AStrings) = 0;
};

// Makes a new, closed wave output with the default format.
using TWaveOutputFactory = std::function<std::unique_ptr<IWaveOutput>()>;
