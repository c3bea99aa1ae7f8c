#pragma once

#include <QString>
#include <QStringList>

// 32-bit ARGB, alpha in the high byte.
using TAlphaColor = quint32;

// The text of a colour in the program's files: a CSS colour keyword
// ("Red", "Aqua", "Darkgray"), "Null" for the fully transparent colour,
// or "#AARRGGBB".
class TColorText
{
public:
    static QString FormatColor(TAlphaColor AColor);

    // "#…" or "x…" hexadecimal ARGB; a keyword or "Null" in any letter case;
    // otherwise a decimal integer. Raises EConvertError for anything else.
    static TAlphaColor ReadColor(const QString &AText);
    static bool TryReadColor(const QString &AText, TAlphaColor &AColor);

    // The CSS colour keywords, lower case, in alphabetical order.
    static const QStringList &KeywordNames();
    // Value of a keyword (any letter case); false for an unknown name.
    static bool TryKeywordColor(const QString &AName, TAlphaColor &AColor);
};
