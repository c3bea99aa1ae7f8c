#include "storage/ColorText.h"

#include "app/AppError.h"
#include "storage/ValueText.h"

#include <QColor>
#include <QHash>

namespace {

struct TKeywordTable
{
    QStringList names;                   // lower case, sorted
    QHash<QString, TAlphaColor> byName;  // lower case name -> value
    QHash<TAlphaColor, QString> byValue; // value -> first name in alphabetical order

    TKeywordTable()
    {
        // Qt's own list of the SVG/CSS colour keywords.
        for (const QString &n : QColor::colorNames()) {
            const QString lower = n.toLower();
            if (lower == QLatin1String("transparent"))
                continue;
            names.append(lower);
        }
        names.sort();
        names.removeDuplicates();
        for (const QString &n : std::as_const(names)) {
            const TAlphaColor v = QColor::fromString(n).rgba();
            byName.insert(n, v);
            if (!byValue.contains(v))
                byValue.insert(v, n);
        }
    }
};

const TKeywordTable &Table()
{
    static const TKeywordTable table;
    return table;
}

QString Capitalized(const QString &ALower)
{
    return ALower.left(1).toUpper() + ALower.mid(1);
}

} // namespace

const QStringList &TColorText::KeywordNames()
{
    return Table().names;
}

bool TColorText::TryKeywordColor(const QString &AName, TAlphaColor &AColor)
{
    const auto &t = Table();
    const auto it = t.byName.constFind(AName.trimmed().toLower());
    if (it == t.byName.constEnd())
        return false;
    AColor = it.value();
    return true;
}

QString TColorText::FormatColor(TAlphaColor AColor)
{
    const auto &t = Table();
    const auto it = t.byValue.constFind(AColor);
    if (it != t.byValue.constEnd())
        return Capitalized(it.value());
    if (AColor == 0)
        return QStringLiteral("Null");
    return QStringLiteral("#%1").arg(AColor, 8, 16, QLatin1Char('0')).toUpper();
}

bool TColorText::TryReadColor(const QString &AText, TAlphaColor &AColor)
{
    const QString text = AText.trimmed();
    if (text.isEmpty())
        return false;
    if (text.startsWith(QLatin1Char('#')) || text.startsWith(QLatin1Char('x'), Qt::CaseInsensitive)) {
        const QString digits = text.mid(1);
        if (digits.isEmpty() || digits.size() > 8)
            return false;
        bool ok = false;
        const quint32 v = digits.toUInt(&ok, 16);
        if (!ok)
            return false;
        AColor = v;
        return true;
    }
    if (text.compare(QLatin1String("Null"), Qt::CaseInsensitive) == 0) {
        AColor = 0;
        return true;
    }
    if (TryKeywordColor(text, AColor))
        return true;
    int v = 0;
    if (TValueText::TryReadInteger(text, v)) {
        AColor = TAlphaColor(quint32(v));
        return true;
    }
    // Decimal beyond the signed range still names the bits of a colour.
    bool ok = false;
    const quint32 u = text.toUInt(&ok, 10);
    if (ok) {
        AColor = u;
        return true;
    }
    return false;
}

TAlphaColor TColorText::ReadColor(const QString &AText)
{
    TAlphaColor c = 0;
    if (!TryReadColor(AText, c))
        throw EConvertError(QStringLiteral("\"%1\" не является цветом").arg(AText));
    return c;
}
