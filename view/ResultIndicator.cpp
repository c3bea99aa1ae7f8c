#include "view/ResultIndicator.h"

#include "app/Rounding.h"
#include "view/ResultTimeText.h"


#include <algorithm>

QString TResultIndicator::FinalTimeText(double ATimeMs)
{
    // The same text as the results list, hundredths rounded half to even.
    return ResultTimeText(ATimeMs) + QStringLiteral(" с");
}

QRect TResultIndicator::PanelGeometry(int AChartWidth, int AChartHeight)
{
    const int w = std::max(0, RoundHalfEven(AChartWidth - 8.0));
    const int y = RoundHalfEven(AChartHeight / 2.0 - w / 2.0);
    return QRect(0, y, w, w);
}
