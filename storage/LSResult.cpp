#include "storage/LSResult.h"

#include "app/AppError.h"
#include "storage/IniDocument.h"
#include "storage/ValueText.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>

namespace {

const QString kHeader = QStringLiteral("Header");
const QString kDistances = QStringLiteral("ReflectorDistances");
const QString kTimes = QStringLiteral("ReflectorTimes");
const QString kVersion = QStringLiteral("Korvane 2.0");

QString DistanceKey(int i)
{
    return QStringLiteral("d%1").arg(i);
}

QString TimeKey(int i)
{
    return QStringLiteral("t%1").arg(i);
}

} // namespace

TLSResult::TLSResult()
{
    Reset();
}

TLSResult::~TLSResult() = default;

int TLSResult::SegmentCount() const
{
    return std::clamp(ReflectorCount - 1, 0, MaxSegments);
}

void TLSResult::Reset()
{
    Descr.clear();
    ReflectorCount = 0;
    Active = true;
    // 0xCB417800 + r with 0 <= r < 857463758: the alpha byte lies between CB
    // and FE, so a fresh colour is never one of the opaque keywords.
    const quint32 r = QRandomGenerator::global()->bounded(857463758u);
    Color = TAlphaColor(0xCB417800u + r);
    ReflectorDistances.fill(0.0);
    ReflectorTimesMs.fill(0.0);
}

void TLSResult::AssignFrom(const TLSResult &ALSResult)
{
    ReflectorCount = ALSResult.ReflectorCount;
    Descr = ALSResult.Descr;
    Color = ALSResult.Color;
    FinalTimeMs = ALSResult.FinalTimeMs;
    ReflectorDistances = ALSResult.ReflectorDistances;
    ReflectorTimesMs = ALSResult.ReflectorTimesMs;
}

void TLSResult::RecalcFinalTimeMs()
{
    FinalTimeMs = 0.0;
    for (int i = 0; i < SegmentCount(); ++i) {
        FinalTimeMs += ReflectorTimesMs[i];
        ReflectorFinalTimesMs[i] = FinalTimeMs;
    }
}

void TLSResult::SaveToFile(const QString &AFileName) const
{
    const QString folder = QFileInfo(AFileName).absolutePath();
    if (!QDir(folder).exists() && !QDir().mkdir(folder))
        throw EFileError(QStringLiteral("Не удалось создать папку \"%1\"").arg(QDir::toNativeSeparators(folder)));

    TIniDocument doc = TIniDocument::LoadFromFile(AFileName);
    doc.WriteString(kHeader, QStringLiteral("Version"), kVersion);
    doc.WriteString(kHeader, QStringLiteral("Descr"), Descr);
    doc.WriteString(kHeader, QStringLiteral("Active"), TValueText::FormatFlag(Active));
    doc.WriteString(kHeader, QStringLiteral("Color"), TColorText::FormatColor(Color));
    doc.WriteString(kHeader, QStringLiteral("ReflectorCount"), QString::number(ReflectorCount));
    const int n = SegmentCount();
    for (int i = 0; i < n; ++i)
        doc.WriteString(kDistances, DistanceKey(i), TValueText::FormatNumber(ReflectorDistances[i]));
    for (int i = 0; i < n; ++i)
        doc.WriteString(kTimes, TimeKey(i), TValueText::FormatNumber(ReflectorTimesMs[i]));
    doc.SaveToFile(AFileName);
}

void TLSResult::LoadFromFile(const QString &AFileName)
{
    Reset();
    const TIniDocument doc = TIniDocument::LoadFromFile(AFileName);
    const QString shown = QDir::toNativeSeparators(AFileName);
    try {
        (void)doc.ReadString(kHeader, QStringLiteral("Version"));
        Descr = doc.ReadString(kHeader, QStringLiteral("Descr"));

        int active = 1;
        if (TValueText::TryReadInteger(doc.ReadString(kHeader, QStringLiteral("Active")), active))
            Active = active != 0;

        if (doc.HasKey(kHeader, QStringLiteral("Color")))
            Color = TColorText::ReadColor(doc.ReadString(kHeader, QStringLiteral("Color")));

        int count = 0;
        if (!TValueText::TryReadInteger(doc.ReadString(kHeader, QStringLiteral("ReflectorCount")), count))
            count = 0;
        // The arrays hold MaxSegments segments; a count outside 0..102 cannot
        // be a measurement this program wrote.
        if (count < 0 || count > MaxReflectors)
            throw EFileError(QStringLiteral("Файл измерения \"%1\" повреждён: недопустимое число рефлекторов %2")
                                 .arg(shown)
                                 .arg(count));
        ReflectorCount = count;

        const int n = SegmentCount();
        for (int i = 0; i < n; ++i)
            if (doc.HasKey(kDistances, DistanceKey(i)))
                ReflectorDistances[i] = TValueText::ReadNumber(doc.ReadString(kDistances, DistanceKey(i)));
        for (int i = 0; i < n; ++i)
            if (doc.HasKey(kTimes, TimeKey(i)))
                ReflectorTimesMs[i] = TValueText::ReadNumber(doc.ReadString(kTimes, TimeKey(i)));
    } catch (const EConvertError &e) {
        throw EConvertError(QStringLiteral("Ошибка в файле измерения \"%1\": %2").arg(shown, e.Message()));
    }
    RecalcFinalTimeMs();
}
