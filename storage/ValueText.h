#pragma once

#include <QString>

// The texts of numbers in the program's files. Numbers are written with
// three decimals and "." whatever the locale, and read back after every "."
// has become the locale's decimal separator, so files move between machines
// with "." and "," locales. The locale is always QLocale() (the default
// locale), so that tests can set it with QLocale::setDefault.
class TValueText
{
public:
    // Fixed point, exactly three decimals, "." separator, no grouping;
    // a value that rounds to zero is written "0.000", never "-0.000".
    static QString FormatNumber(double AValue);

    // Reads a number written by FormatNumber or typed with the locale's own
    // separator. Raises EConvertError naming the text when it is no number.
    static double ReadNumber(const QString &AText);
    static bool TryReadNumber(const QString &AText, double &AValue);

    // Decimal, or hexadecimal after "0x" or "$" (up to eight digits, taken
    // as the bits of a 32-bit integer). Leading and trailing blanks are
    // allowed; anything else makes the text no integer.
    static bool TryReadInteger(const QString &AText, int &AValue);

    // "1" or "0".
    static QString FormatFlag(bool AValue);
};
