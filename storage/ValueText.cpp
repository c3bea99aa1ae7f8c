#include "storage/ValueText.h"

#include "app/AppError.h"

#include <QLocale>

#include <cmath>
#include <limits>

QString TValueText::FormatNumber(double AValue)
{
    QString s = QString::number(AValue, 'f', 3);
    if (s == QLatin1String("-0.000"))
        s = QStringLiteral("0.000");
    return s;
}

bool TValueText::TryReadNumber(const QString &AText, double &AValue)
{
    QLocale loc;
    // Grouping is refused: with a "." locale "5,000" must not read as 5000.
    loc.setNumberOptions(loc.numberOptions() | QLocale::RejectGroupSeparator);
    QString text = AText.trimmed();
    text.replace(QLatin1Char('.'), loc.decimalPoint());
    bool ok = false;
    const double v = loc.toDouble(text, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    AValue = v;
    return true;
}

double TValueText::ReadNumber(const QString &AText)
{
    double v = 0.0;
    if (!TryReadNumber(AText, v))
        throw EConvertError(QStringLiteral("\"%1\" не является числом").arg(AText));
    return v;
}

bool TValueText::TryReadInteger(const QString &AText, int &AValue)
{
    const QString text = AText.trimmed();
    if (text.isEmpty())
        return false;
    QString digits;
    bool hex = false;
    bool negative = false;
    int pos = 0;
    if (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) {
        negative = text[0] == QLatin1Char('-');
        pos = 1;
    }
    const QString rest = text.mid(pos);
    if (rest.startsWith(QLatin1Char('$'))) {
        hex = true;
        digits = rest.mid(1);
    } else if (rest.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        hex = true;
        digits = rest.mid(2);
    } else {
        digits = rest;
    }
    if (digits.isEmpty())
        return false;
    for (const QChar c : digits) {
        const bool ok = hex ? (c.isDigit() && c.unicode() < 128) || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'))
                            : (c.unicode() >= '0' && c.unicode() <= '9');
        if (!ok)
            return false;
    }
    bool ok = false;
    if (hex) {
        if (digits.size() > 8)
            return false;
        const quint32 bits = digits.toUInt(&ok, 16);
        if (!ok)
            return false;
        qint64 v = qint32(bits);
        if (negative)
            v = -v;
        if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            return false;
        AValue = int(v);
        return true;
    }
    const qint64 magnitude = digits.toLongLong(&ok, 10);
    if (!ok)
        return false;
    const qint64 v = negative ? -magnitude : magnitude;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    AValue = int(v);
    return true;
}

QString TValueText::FormatFlag(bool AValue)
{
    return AValue ? QStringLiteral("1") : QStringLiteral("0");
}
