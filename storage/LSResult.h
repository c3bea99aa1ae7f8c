#pragma once

#include "storage/ColorText.h"
#include "storage/IChartSeries.h"

#include <QString>

#include <array>
#include <memory>

// One measurement: a timed run along the line of reflectors.
// Segment i (0 <= i <= N-2) runs from reflector i+1 to reflector i+2.
class TLSResult
{
public:
    static constexpr int MaxSegments = 101;
    static constexpr int MaxReflectors = MaxSegments + 1;

    TLSResult();
    ~TLSResult();
    TLSResult(const TLSResult &) = delete;
    TLSResult &operator=(const TLSResult &) = delete;

    void Reset();
    // Copies count, name, colour, final time and all segment lengths and
    // times; not Active, the cumulative times or the chart line.
    void AssignFrom(const TLSResult &ALSResult);
    void RecalcFinalTimeMs();
    // Raises EFileError when the file cannot be written; the old file then
    // stays as it was.
    void SaveToFile(const QString &AFileName) const;
    // Raises EConvertError for an unreadable number or colour and EFileError
    // for a reflector count the record cannot hold; both name the file.
    void LoadFromFile(const QString &AFileName);

    // Segments that are in use: N-1, never below 0 nor above MaxSegments.
    int SegmentCount() const;

    QString Descr;
    int ReflectorCount = 0;
    std::array<double, MaxSegments> ReflectorDistances{};
    std::array<double, MaxSegments> ReflectorTimesMs{};
    std::array<double, MaxSegments> ReflectorFinalTimesMs{};
    double FinalTimeMs = 0.0;
    std::unique_ptr<IChartSeries> ChartSer;
    bool Active = true;
    TAlphaColor Color = 0;
};
