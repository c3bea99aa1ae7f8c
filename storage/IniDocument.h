#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// An INI document held in memory, the one used for both the measurement
// files and the settings file.
//
// Reading: each line is trimmed; empty lines and ";" comments are skipped;
// "[name]" opens a section (sections of the same name are merged); any other
// line of a section splits at its first "=" into a key (trailing blanks
// removed) and a value (leading blanks removed); lines before the first
// section are ignored. A leading UTF-8 byte-order mark is skipped. Section
// and key names compare without regard to letter case.
//
// Writing: a key that exists takes its new value in its place, a new key is
// appended to its section, a new section to the document. The text is UTF-8
// with a byte-order mark, CR LF after every line, and one empty line after
// each section. Files are replaced atomically: a failed write leaves the old
// file as it was.
class TIniDocument
{
public:
    TIniDocument() = default;

    // Parses AText (without byte-order mark) into a new document.
    static TIniDocument FromText(const QString &AText);
    // Parses UTF-8 bytes; a leading byte-order mark is skipped.
    static TIniDocument FromUtf8(const QByteArray &AData);
    // Reads a file; a file that does not exist gives an empty document.
    // Raises EFileError when an existing file cannot be read.
    static TIniDocument LoadFromFile(const QString &AFileName);

    QByteArray ToUtf8() const;
    // Raises EFileError naming the file when it cannot be written.
    void SaveToFile(const QString &AFileName) const;

    bool HasSection(const QString &ASection) const;
    bool HasKey(const QString &ASection, const QString &AKey) const;
    // The value of the first key of that name; ADefault when there is none.
    QString ReadString(const QString &ASection, const QString &AKey, const QString &ADefault = QString()) const;
    void WriteString(const QString &ASection, const QString &AKey, const QString &AValue);

    QStringList SectionNames() const;
    QStringList KeyNames(const QString &ASection) const;

private:
    struct TEntry
    {
        QString key;
        QString value;
        bool isPair = true; // false: a line without "=", kept as it stood
    };
    struct TSection
    {
        QString name;
        std::vector<TEntry> entries;
    };

    const TSection *FindSection(const QString &AName) const;
    TSection *FindSection(const QString &AName);
    static const TEntry *FindEntry(const TSection &ASection, const QString &AKey);

    std::vector<TSection> FSections;
};
