#include "view/ResultTimeText.h"

#include "app/AppError.h"
#include "app/Rounding.h"

#include <QLocale>

#include <cstdlib>

QString ResultTimeText(double ATimeMs)
{
    int hundredths = 0;
    try {
        hundredths = RoundHalfEven(ATimeMs / 10.0);
    } catch (const EConvertError &) {
        return QString();
    }
    const int whole = std::abs(hundredths / 100);
    const int frac = std::abs(hundredths % 100);
    const QString sign = hundredths < 0 ? QLocale().negativeSign() : QString();
    return sign + QString::number(whole) + QLocale().decimalPoint() + QStringLiteral("%1").arg(frac, 2, 10, QLatin1Char('0'));
}
