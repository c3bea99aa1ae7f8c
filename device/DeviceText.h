#pragma once

#include <QString>
#include <QStringList>

// The text rules of the device's lines: what counts as a blank, how a
// delivered text falls into lines and a line into fields, and how a field
// becomes a number.
class TDeviceText
{
public:
    // A blank or control character: U+0000 to U+0020.
    static bool IsBlank(QChar AChar) { return AChar.unicode() <= 0x20; }

    // AText without the blanks and control characters at both ends.
    static QString Trim(const QString &AText);

    // Lines end at CR, LF or CR LF. A break at the very end opens no empty
    // last line, so "" gives no line and "a\r\n" gives one.
    static QStringList SplitLines(const QString &AText);

    // Fields are separated by commas; blanks and control characters around
    // a field are dropped, and a run of them between two characters also
    // separates fields. A field in double quotes keeps its blanks and
    // commas; inside it a doubled quote stands for one, and an unclosed
    // quote runs to the end of the line. A comma with nothing after it
    // ends in an empty field.
    static QStringList SplitFields(const QString &ALine);

    // AField in the number format of the default locale (its decimal
    // separator; group separators are refused, as the device sends none).
    // A field that does not convert, or converts to no finite number,
    // counts as 0.
    static double ToNumber(const QString &AField);
};
