#pragma once

#include <QDate>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TLSResult;

// The loaded measurements of a session, in display order.
using TResultList = std::vector<std::unique_ptr<TLSResult>>;

// The answer of a name check for a new session or measurement.
enum class TNameCheck { ncFree, ncTaken, ncInvalid };

// The texts the session bar, the naming of runs and the list actions show.
namespace SessionTexts {
inline const QString SessionExists = QStringLiteral("Сессия с таким названием уже существует");
inline const QString ResultExists = QStringLiteral("Измерение с таким названием уже существует");
inline const QString InvalidName = QStringLiteral("Недопустимые символы в названии");
inline const QString InvalidBaseName = QStringLiteral("Недопустимые символы в наименовании измерения");
inline const QString NoSession = QStringLiteral("Необходимо выбрать сессию из списка или начать новую");
inline const QString SessionPrompt = QStringLiteral("Наименование сессии");
inline const QString RenameSessionCaption = QStringLiteral("Изменить сессию");
inline const QString CopySessionCaption = QStringLiteral("Копия сессии");
inline const QString SessionNameLabel = QStringLiteral("Наименование");
inline const QString EditResultCaption = QStringLiteral("Изменить измерение");
inline const QString ResultNameLabel = QStringLiteral("Название");
inline const QString ResultColorLabel = QStringLiteral("Цвет");

// "Удалить \"<name>\"?"
QString DeleteQuestion(const QString &AName);
// The numbering message: the first choice was taken, ATaken is the name used.
QString RenumberedMessage(const QString &AFirstChoice, const QString &ATaken);
// A run that found no free number: the last name tried was taken, and the
// run was saved as ASavedAs.
QString NoFreeNumberMessage(const QString &ALastName, const QString &ASavedAs);
} // namespace SessionTexts

namespace SessionNames {

// The range of the next-number field.
constexpr int MinResultNumber = 1;
constexpr int MaxResultNumber = 100000000;

// No control character U+0000–U+001F, no double quote, none of * / : < > ? \ |.
// The empty text passes.
bool IsValidName(const QString &AName);

// Only the ASCII capitals A–Z become lower case; every other character,
// Cyrillic letters included, stays as it is.
QString AsciiLower(const QString &AText);
bool SameIgnoringAsciiCase(const QString &A, const QString &B);

// ABase followed by ANumber written with at least two digits: 1 -> "01",
// 100 -> "100".
QString ResultName(const QString &ABase, int ANumber);

// The proposed name of a new session: the date as year_month_day.
QString DefaultSessionName(const QDate &ADate);

// A record of AList has ADescr, compared by SameIgnoringAsciiCase.
bool ResultExists(const TResultList &AList, const QString &ADescr);

// The measurement name from a file name: the text before its last ".".
QString DescrFromFileName(const QString &AFileName);

// The search for the name of a finished run: the base with the first number
// that gives a name not taken. It stops at MaxResultNumber instead of going
// on for ever, and at once for a base that no number can make valid.
struct TResultNameSearch
{
    TNameCheck Status = TNameCheck::ncFree; // ncTaken: every number up to the maximum is taken
    QString FirstChoice;                    // the name from the starting number
    QString Name;                           // the free name; the last one tried otherwise
    int Number = MinResultNumber;           // the number of Name
    bool Renumbered() const { return Name != FirstChoice; }
};
TResultNameSearch FindFreeResultName(const QString &ABase, int ANumber,
                                     const std::function<bool(const QString &)> &AIsTaken);
// When every number is taken the run is kept under AName with the first
// free suffix "_1", "_2", … rather than lost. AName must be valid.
QString SuffixedFreeName(const QString &AName, const std::function<bool(const QString &)> &AIsTaken);

} // namespace SessionNames
