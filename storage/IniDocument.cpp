#include "storage/IniDocument.h"

#include "app/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

bool SameName(const QString &A, const QString &B)
{
    return A.compare(B, Qt::CaseInsensitive) == 0;
}

// Blanks are the space and every control character, as in the files that
// other INI readers have written.
bool IsBlank(QChar AChar)
{
    return AChar.unicode() <= 0x20;
}

QString TrimmedRight(const QString &AText)
{
    qsizetype n = AText.size();
    while (n > 0 && IsBlank(AText.at(n - 1)))
        --n;
    return AText.left(n);
}

QString TrimmedLeft(const QString &AText)
{
    qsizetype i = 0;
    while (i < AText.size() && IsBlank(AText.at(i)))
        ++i;
    return AText.mid(i);
}

QString Trimmed(const QString &AText)
{
    return TrimmedLeft(TrimmedRight(AText));
}

// A value must stay on its line.
QString OneLine(const QString &AText)
{
    QString s = AText;
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return s;
}

const QByteArray kBom("\xEF\xBB\xBF", 3);

} // namespace

TIniDocument TIniDocument::FromText(const QString &AText)
{
    TIniDocument doc;
    TSection *current = nullptr;
    // Lines end at CR LF, LF or a lone CR.
    QString text = AText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        const QString line = Trimmed(raw);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString name = Trimmed(line.mid(1, line.size() - 2));
            current = doc.FindSection(name);
            if (!current) {
                doc.FSections.push_back(TSection{name, {}});
                current = &doc.FSections.back();
            }
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            current->entries.push_back(TEntry{line, QString(), false});
        else
            current->entries.push_back(TEntry{TrimmedRight(line.left(eq)), TrimmedLeft(line.mid(eq + 1)), true});
    }
    return doc;
}

TIniDocument TIniDocument::FromUtf8(const QByteArray &AData)
{
    QByteArray data = AData;
    if (data.startsWith(kBom))
        data.remove(0, kBom.size());
    return FromText(QString::fromUtf8(data));
}

TIniDocument TIniDocument::LoadFromFile(const QString &AFileName)
{
    QFile f(AFileName);
    if (!f.exists())
        return TIniDocument();
    if (!f.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("Не удалось прочитать файл \"%1\": %2")
                             .arg(QDir::toNativeSeparators(AFileName), f.errorString()));
    return FromUtf8(f.readAll());
}

QByteArray TIniDocument::ToUtf8() const
{
    QString text;
    const QLatin1String eol("\r\n");
    for (const TSection &s : FSections) {
        text += QLatin1Char('[') + OneLine(s.name) + QLatin1Char(']') + eol;
        for (const TEntry &e : s.entries) {
            if (e.isPair)
                text += OneLine(e.key) + QLatin1Char('=') + OneLine(e.value) + eol;
            else
                text += e.key + eol;
        }
        text += eol;
    }
    return kBom + text.toUtf8();
}

void TIniDocument::SaveToFile(const QString &AFileName) const
{
    const QString shown = QDir::toNativeSeparators(AFileName);
    QSaveFile f(AFileName);
    if (!f.open(QIODevice::WriteOnly))
        throw EFileError(QStringLiteral("Не удалось записать файл \"%1\": %2").arg(shown, f.errorString()));
    const QByteArray data = ToUtf8();
    if (f.write(data) != data.size() || !f.commit())
        throw EFileError(QStringLiteral("Не удалось записать файл \"%1\": %2").arg(shown, f.errorString()));
}

const TIniDocument::TSection *TIniDocument::FindSection(const QString &AName) const
{
    for (const TSection &s : FSections)
        if (SameName(s.name, AName))
            return &s;
    return nullptr;
}

TIniDocument::TSection *TIniDocument::FindSection(const QString &AName)
{
    for (TSection &s : FSections)
        if (SameName(s.name, AName))
            return &s;
    return nullptr;
}

const TIniDocument::TEntry *TIniDocument::FindEntry(const TSection &ASection, const QString &AKey)
{
    for (const TEntry &e : ASection.entries)
        if (e.isPair && SameName(e.key, AKey))
            return &e;
    return nullptr;
}

bool TIniDocument::HasSection(const QString &ASection) const
{
    return FindSection(ASection) != nullptr;
}

bool TIniDocument::HasKey(const QString &ASection, const QString &AKey) const
{
    const TSection *s = FindSection(ASection);
    return s && FindEntry(*s, AKey);
}

QString TIniDocument::ReadString(const QString &ASection, const QString &AKey, const QString &ADefault) const
{
    const TSection *s = FindSection(ASection);
    if (!s)
        return ADefault;
    const TEntry *e = FindEntry(*s, AKey);
    return e ? e->value : ADefault;
}

void TIniDocument::WriteString(const QString &ASection, const QString &AKey, const QString &AValue)
{
    TSection *s = FindSection(ASection);
    if (!s) {
        FSections.push_back(TSection{ASection, {}});
        s = &FSections.back();
    }
    for (TEntry &e : s->entries) {
        if (e.isPair && SameName(e.key, AKey)) {
            e.value = AValue;
            return;
        }
    }
    s->entries.push_back(TEntry{AKey, AValue, true});
}

QStringList TIniDocument::SectionNames() const
{
    QStringList names;
    for (const TSection &s : FSections)
        names.append(s.name);
    return names;
}

QStringList TIniDocument::KeyNames(const QString &ASection) const
{
    QStringList names;
    if (const TSection *s = FindSection(ASection))
        for (const TEntry &e : s->entries)
            if (e.isPair)
                names.append(e.key);
    return names;
}
