#include "timing/ReflectorIndicator.h"

#include "app/Rounding.h"

#include <algorithm>

TReflectorIndicator::TReflectorIndicator(QObject *AOwner)
    : QObject(AOwner)
{
}

void TReflectorIndicator::BuildReflectorIndicator(double AChartWidth, double AChartHeight, int AReflectorCount)
{
    FCircles.clear();
    const int panelWidth = std::max(0, RoundHalfEven(AChartWidth - 8));
    // No reflectors, no cells: nothing to divide the width by.
    const int cell = AReflectorCount > 0 ? RoundHalfEven(double(panelWidth) / AReflectorCount) : 0;
    const int panelHeight = cell;
    const int panelTop = RoundHalfEven(AChartHeight / 2 - panelHeight / 2.0);
    FPanelBounds = QRect(0, panelTop, panelWidth, panelHeight);

    // On a panel too narrow for the count a circle shrinks to nothing
    // rather than to a negative size.
    const int side = std::max(0, cell - 8);
    for (int k = 0; k < AReflectorCount; ++k)
        FCircles.append(TCircle{QRect(4 + k * cell, 4, side, side), NotPassedColor});
    Q_EMIT Changed();
}

void TReflectorIndicator::MarkReflectorPassed(int AIndex)
{
    for (int k = 0; k <= AIndex && k < FCircles.size(); ++k) {
        FCircles[k].Fill = PassedColor;
        if (k == AIndex && k == FCircles.size() - 1)
            FCircles[k].Fill = LastPassedColor;
    }
    Q_EMIT Changed();
}
