#pragma once

#include "storage/ColorText.h"

#include <QList>
#include <QObject>
#include <QRect>

// The reflector progress indicator as data: one circle per reflector in run
// order, their place in the panel and their fill, and the panel's place on
// the chart. The panel widget paints what this holds whenever it changes.
class TReflectorIndicator : public QObject
{
    Q_OBJECT

public:
    static constexpr TAlphaColor NotPassedColor = 0xFF696969; // dim grey
    static constexpr TAlphaColor PassedColor = 0xFFFFFFFF;    // white
    static constexpr TAlphaColor LastPassedColor = 0xFF32CD32; // lime green

    struct TCircle
    {
        QRect Bounds; // within the panel
        TAlphaColor Fill = NotPassedColor;
    };

    explicit TReflectorIndicator(QObject *AOwner = nullptr);

    // Replaces the circles with AReflectorCount dim grey ones sized for a
    // chart of AChartWidth x AChartHeight: the panel spans the chart's width
    // less 8 and is one cell high, centred vertically; each cell holds a
    // circle 8 smaller, 4 in from the cell's corner. Halves round to even.
    // A count below 1 leaves no circles.
    void BuildReflectorIndicator(double AChartWidth, double AChartHeight, int AReflectorCount);
    // Fills circles 0 to AIndex white (the last circle lime green when it
    // is AIndex); circles after AIndex keep their fill. A negative index
    // changes nothing. Either way the panel is repainted.
    void MarkReflectorPassed(int AIndex);

    const QList<TCircle> &Circles() const { return FCircles; }
    // The panel's place on the chart.
    QRect PanelBounds() const { return FPanelBounds; }

Q_SIGNALS:
    // The panel and its circles are to be repainted.
    void Changed();

private:
    QList<TCircle> FCircles;
    QRect FPanelBounds;
};
