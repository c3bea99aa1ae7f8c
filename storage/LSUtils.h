#pragma once

#include <QString>

#include <array>

// All user settings: the reflector layout of the track, the detection zone
// and flux window sent to the device, the run time limit, the feedback
// switches and the base name of new measurements.
class TLSSettings
{
public:
    static constexpr int MaxDistances = 256;
    // The reflector counts the settings window offers; a file outside them
    // is clamped on loading.
    static constexpr int MinReflectorCount = 2;
    static constexpr int MaxReflectorCount = 100;

    explicit TLSSettings(const QString &AIniFileName);

    void Reset();
    // Every field but IniFileName; of the distances only entries 0..N-2.
    void AssignFrom(const TLSSettings &ASettings);
    void Load();
    void Save() const;
    // Raises EConvertError naming the file for an unreadable distance; the
    // fields read before it keep their new values.
    void LoadFromFile(const QString &AfileName);
    // Raises EFileError ("Не удалось создать папку с настройками" when the
    // folder cannot be made); the old file is left intact on any failure.
    void SaveToFile(const QString &AfileName) const;

    QString IniFileName;
    int ReflectorCount = 5;
    std::array<double, MaxDistances> ReflectorDistances{};
    long double SamplesPerSec = 1000.0L;
    int MinSamplesPerReflector = 1;
    int MaxWaitTimeMs = 30000;
    int MinSamplesPerReflectorGap = 300;
    int MaxSensorValue = 50;
    int MinSensorValue = 1;
    int MaxFluxValue = 9000;
    int MinFluxValue = 1100;
    QString IpHost;
    int IpPort = 9750;
    bool UseVibro = false;
    bool UseSound = true;
    QString SavePath;
    bool Autosave = false;
    QString BaseTestName;
    bool Fix01 = false;
};
