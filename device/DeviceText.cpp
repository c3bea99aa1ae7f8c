#include "device/DeviceText.h"

#include <QLocale>

#include <cmath>

namespace {

const QChar kQuote = QLatin1Char('"');
const QChar kDelimiter = QLatin1Char(',');

qsizetype SkipBlanks(const QString &AText, qsizetype APos)
{
    while (APos < AText.size() && TDeviceText::IsBlank(AText[APos]))
        ++APos;
    return APos;
}

} // namespace

QString TDeviceText::Trim(const QString &AText)
{
    qsizetype first = 0;
    qsizetype last = AText.size();
    while (first < last && IsBlank(AText[first]))
        ++first;
    while (last > first && IsBlank(AText[last - 1]))
        --last;
    return AText.mid(first, last - first);
}

QStringList TDeviceText::SplitLines(const QString &AText)
{
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < AText.size()) {
        const QChar c = AText[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(AText.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < AText.size() && AText[i + 1] == QLatin1Char('\n'))
                ++i;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < AText.size())
        lines.append(AText.mid(start));
    return lines;
}

QStringList TDeviceText::SplitFields(const QString &ALine)
{
    QStringList fields;
    const qsizetype n = ALine.size();
    qsizetype pos = SkipBlanks(ALine, 0);
    while (pos < n) {
        QString field;
        if (ALine[pos] == kQuote) {
            ++pos;
            while (pos < n) {
                if (ALine[pos] == kQuote) {
                    if (pos + 1 < n && ALine[pos + 1] == kQuote) {
                        field.append(kQuote);
                        pos += 2;
                        continue;
                    }
                    ++pos; // the closing quote
                    break;
                }
                field.append(ALine[pos]);
                ++pos;
            }
        } else {
            const qsizetype start = pos;
            while (pos < n && !IsBlank(ALine[pos]) && ALine[pos] != kDelimiter)
                ++pos;
            field = ALine.mid(start, pos - start);
        }
        fields.append(field);
        pos = SkipBlanks(ALine, pos);
        if (pos < n && ALine[pos] == kDelimiter) {
            pos = SkipBlanks(ALine, pos + 1);
            if (pos >= n)
                fields.append(QString());
        }
    }
    return fields;
}

double TDeviceText::ToNumber(const QString &AField)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(AField, &ok);
    if (!ok || !std::isfinite(value))
        return 0.0;
    return value;
}
