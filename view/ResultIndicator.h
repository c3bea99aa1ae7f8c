#pragma once

#include <QRect>
#include <QString>

// The big final time over the chart: its text and the square panel's place.
class TResultIndicator
{
public:
    // "24.57 с" for 24567 ms, with the locale's decimal separator.
    static QString FinalTimeText(double ATimeMs);
    // A square as wide as the chart less 8, at X 0, centred vertically on
    // the chart (reaching beyond it on a chart wider than tall).
    static QRect PanelGeometry(int AChartWidth, int AChartHeight);
};
