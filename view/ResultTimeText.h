#pragma once

#include <QString>

// A final time in seconds as the results list shows it: two decimals, the
// locale's decimal separator, no grouping, no unit ("9.88" for 9876 ms).
// Hundredths are rounded half to even. A time too large or not a number
// for that gives the empty text.
QString ResultTimeText(double ATimeMs);
