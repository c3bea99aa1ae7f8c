#pragma once

#include <QtGlobal>

// Rounding to the nearest integer with halves going to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2), the one rule used wherever a value
// becomes a whole number. A NaN or a value outside the 32-bit range raises
// EConvertError instead of producing a meaningless integer.
int RoundHalfEven(double AValue);
