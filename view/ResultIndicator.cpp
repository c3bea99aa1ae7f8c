#include "view/ResultIndicator.h"

#include "app/Rounding.h"

#include <QLocale>

#include <algorithm>

QString TResultIndicator::FinalTimeText(double ATimeMs)
{
    QLocale loc;
    loc.setNumberOptions(loc.numberOptions() | QLocale::OmitGroupSeparator);
    return loc.toString(ATimeMs / 1000.0, 'f', 2) + QStringLiteral(" с");
}

QRect TResultIndicator::PanelGeometry(int AChartWidth, int AChartHeight)
{
    const int w = std::max(0, RoundHalfEven(AChartWidth - 8.0));
    const int y = RoundHalfEven(AChartHeight / 2.0 - w / 2.0);
    return QRect(0, y, w, w);
}
