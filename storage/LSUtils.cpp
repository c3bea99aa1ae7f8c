#include "storage/LSUtils.h"

#include "app/AppError.h"
#include "app/Rounding.h"
#include "storage/IniDocument.h"
#include "storage/ValueText.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString kMain = QStringLiteral("Main");
const QString kReflectors = QStringLiteral("Reflectors");

void ReadInt(const TIniDocument &ADoc, const QString &ASection, const QString &AKey, int &AField)
{
    int v = 0;
    if (ADoc.HasKey(ASection, AKey) && TValueText::TryReadInteger(ADoc.ReadString(ASection, AKey), v))
        AField = v;
}

void ReadFlag(const TIniDocument &ADoc, const QString &ASection, const QString &AKey, bool &AField)
{
    int v = 0;
    if (ADoc.HasKey(ASection, AKey) && TValueText::TryReadInteger(ADoc.ReadString(ASection, AKey), v))
        AField = v != 0;
}

void ReadText(const TIniDocument &ADoc, const QString &ASection, const QString &AKey, QString &AField)
{
    if (ADoc.HasKey(ASection, AKey))
        AField = ADoc.ReadString(ASection, AKey);
}

QString DistanceKey(int i)
{
    return QStringLiteral("d%1").arg(i);
}

} // namespace

TLSSettings::TLSSettings(const QString &AIniFileName)
    : IniFileName(AIniFileName)
{
    Reset();
}

void TLSSettings::Reset()
{
    ReflectorCount = 5;
    ReflectorDistances.fill(5.0);
    SamplesPerSec = 1000.0L;
    MinSamplesPerReflector = 1;
    MaxWaitTimeMs = 30000;
    MinSamplesPerReflectorGap = 3 * RoundHalfEven(double(SamplesPerSec / 10.0L));
    MaxSensorValue = 50;
    MinSensorValue = 1;
    MaxFluxValue = 9000;
    MinFluxValue = 1100;
    IpHost = QStringLiteral("192.168.0.180");
    IpPort = 9750;
    UseVibro = false;
    UseSound = true;
    SavePath.clear();
    Autosave = false;
    BaseTestName = QStringLiteral("Изм_");
    Fix01 = false;
}

void TLSSettings::AssignFrom(const TLSSettings &ASettings)
{
    ReflectorCount = ASettings.ReflectorCount;
    const int n = std::clamp(ReflectorCount - 1, 0, MaxDistances);
    std::copy_n(ASettings.ReflectorDistances.begin(), n, ReflectorDistances.begin());
    SamplesPerSec = ASettings.SamplesPerSec;
    MinSamplesPerReflector = ASettings.MinSamplesPerReflector;
    MaxWaitTimeMs = ASettings.MaxWaitTimeMs;
    MinSamplesPerReflectorGap = ASettings.MinSamplesPerReflectorGap;
    MaxSensorValue = ASettings.MaxSensorValue;
    MinSensorValue = ASettings.MinSensorValue;
    MaxFluxValue = ASettings.MaxFluxValue;
    MinFluxValue = ASettings.MinFluxValue;
    IpHost = ASettings.IpHost;
    IpPort = ASettings.IpPort;
    UseVibro = ASettings.UseVibro;
    UseSound = ASettings.UseSound;
    SavePath = ASettings.SavePath;
    Autosave = ASettings.Autosave;
    BaseTestName = ASettings.BaseTestName;
    Fix01 = ASettings.Fix01;
}

void TLSSettings::Load()
{
    LoadFromFile(IniFileName);
}

void TLSSettings::Save() const
{
    SaveToFile(IniFileName);
}

void TLSSettings::LoadFromFile(const QString &AfileName)
{
    const TIniDocument doc = TIniDocument::LoadFromFile(AfileName);

    ReadInt(doc, kMain, QStringLiteral("MinSamplesPerReflector"), MinSamplesPerReflector);
    ReadInt(doc, kMain, QStringLiteral("MaxWaitTimeMs"), MaxWaitTimeMs);
    ReadInt(doc, kMain, QStringLiteral("MinSamplesPerReflectorGap"), MinSamplesPerReflectorGap);
    ReadInt(doc, kMain, QStringLiteral("MaxSensorValue"), MaxSensorValue);
    ReadInt(doc, kMain, QStringLiteral("MinSensorValue"), MinSensorValue);
    ReadInt(doc, kMain, QStringLiteral("MaxFluxValue"), MaxFluxValue);
    ReadInt(doc, kMain, QStringLiteral("MinFluxValue"), MinFluxValue);
    ReadText(doc, kMain, QStringLiteral("SavePath"), SavePath);
    ReadText(doc, kMain, QStringLiteral("IpHost"), IpHost);
    ReadInt(doc, kMain, QStringLiteral("IpPort"), IpPort);
    ReadFlag(doc, kMain, QStringLiteral("Autosave"), Autosave);
    ReadFlag(doc, kMain, QStringLiteral("UseVibration"), UseVibro);
    ReadFlag(doc, kMain, QStringLiteral("UseSound"), UseSound);
    ReadText(doc, kMain, QStringLiteral("BaseTestName"), BaseTestName);

    ReadInt(doc, kReflectors, QStringLiteral("ReflectorCount"), ReflectorCount);
    // Outside the range of the settings window the count would overflow the
    // record arrays or leave no segment to divide by.
    ReflectorCount = std::clamp(ReflectorCount, MinReflectorCount, MaxReflectorCount);
    for (int i = 0; i < ReflectorCount - 1; ++i) {
        const QString key = DistanceKey(i);
        if (!doc.HasKey(kReflectors, key))
            continue;
        try {
            ReflectorDistances[i] = TValueText::ReadNumber(doc.ReadString(kReflectors, key));
        } catch (const EConvertError &e) {
            throw EConvertError(QStringLiteral("Ошибка в файле настроек \"%1\", ключ %2: %3")
                                    .arg(QDir::toNativeSeparators(AfileName), key, e.Message()));
        }
    }

    ReadFlag(doc, kMain, QStringLiteral("Fix01"), Fix01);
    if (!Fix01) {
        // Files of older versions carried other detection limits and a
        // reflector count above 5; correct them once.
        if (ReflectorCount > 5)
            ReflectorCount = 5;
        MaxSensorValue = 50;
        MinSensorValue = 1;
        MaxFluxValue = 9000;
        MinFluxValue = 1100;
        Fix01 = true;
    }
}

void TLSSettings::SaveToFile(const QString &AfileName) const
{
    const QString folder = QFileInfo(AfileName).absolutePath();
    if (!QDir().mkpath(folder))
        throw EFileError(QStringLiteral("Не удалось создать папку с настройками"));

    // Keys the program does not write stay in the file.
    TIniDocument doc = TIniDocument::LoadFromFile(AfileName);
    auto writeInt = [&doc](const QString &AKey, int AValue) {
        doc.WriteString(kMain, AKey, QString::number(AValue));
    };
    auto writeFlag = [&doc](const QString &AKey, bool AValue) {
        doc.WriteString(kMain, AKey, TValueText::FormatFlag(AValue));
    };
    writeInt(QStringLiteral("MinSamplesPerReflector"), MinSamplesPerReflector);
    writeInt(QStringLiteral("MaxWaitTimeMs"), MaxWaitTimeMs);
    writeInt(QStringLiteral("MinSamplesPerReflectorGap"), MinSamplesPerReflectorGap);
    writeInt(QStringLiteral("MaxSensorValue"), MaxSensorValue);
    writeInt(QStringLiteral("MinSensorValue"), MinSensorValue);
    writeInt(QStringLiteral("MaxFluxValue"), MaxFluxValue);
    writeInt(QStringLiteral("MinFluxValue"), MinFluxValue);
    doc.WriteString(kMain, QStringLiteral("SavePath"), SavePath);
    doc.WriteString(kMain, QStringLiteral("IpHost"), IpHost);
    writeInt(QStringLiteral("IpPort"), IpPort);
    writeFlag(QStringLiteral("Autosave"), Autosave);
    writeFlag(QStringLiteral("UseVibration"), UseVibro);
    writeFlag(QStringLiteral("UseSound"), UseSound);
    doc.WriteString(kMain, QStringLiteral("BaseTestName"), BaseTestName);
    writeFlag(QStringLiteral("Fix01"), Fix01);
    doc.WriteString(kReflectors, QStringLiteral("ReflectorCount"), QString::number(ReflectorCount));
    const int n = std::clamp(ReflectorCount - 1, 0, MaxDistances);
    for (int i = 0; i < n; ++i)
        doc.WriteString(kReflectors, DistanceKey(i), TValueText::FormatNumber(ReflectorDistances[i]));
    doc.SaveToFile(AfileName);
}
