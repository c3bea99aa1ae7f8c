#include "app/Rounding.h"

#include "app/AppError.h"

#include <cmath>
#include <limits>

int RoundHalfEven(double AValue)
{
    if (!std::isfinite(AValue))
        throw EConvertError(QStringLiteral("Недопустимое значение для округления"));
    // Ties-to-even by hand rather than through the FPU rounding mode, which
    // some library may have changed.
    double r = std::round(AValue);  // ties away from zero
    if (std::fabs(AValue - std::trunc(AValue)) == 0.5)
        r = 2.0 * std::round(AValue / 2.0);
    if (r < double(std::numeric_limits<int>::min()) || r > double(std::numeric_limits<int>::max()))
        throw EConvertError(QStringLiteral("Значение %1 не помещается в целое число").arg(AValue));
    return int(r);
}
