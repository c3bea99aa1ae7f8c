#include "storage/SessionNames.h"

#include "storage/LSResult.h"

#include <algorithm>

QString SessionTexts::DeleteQuestion(const QString &AName)
{
    return QStringLiteral("Удалить \"%1\"?").arg(AName);
}

QString SessionTexts::RenumberedMessage(const QString &AFirstChoice, const QString &ATaken)
{
    return QStringLiteral("Нумератор измерений: \"%1\" уже существует.\r\nНумератор изменен\r\n"
                          "Название текущего измерения: \"%2\"")
        .arg(AFirstChoice, ATaken);
}

QString SessionTexts::NoFreeNumberMessage(const QString &ALastName, const QString &ASavedAs)
{
    return QStringLiteral("Нумератор измерений достиг наибольшего значения, и измерение \"%1\" уже существует.\r\n"
                          "Измерение сохранено под названием \"%2\"")
        .arg(ALastName, ASavedAs);
}

bool SessionNames::IsValidName(const QString &AName)
{
    static const QString forbidden = QStringLiteral("\"*/:<>?\\|");
    return std::none_of(AName.cbegin(), AName.cend(),
                        [](QChar c) { return c.unicode() < 0x20 || forbidden.contains(c); });
}

QString SessionNames::AsciiLower(const QString &AText)
{
    QString s = AText;
    for (QChar &c : s)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return s;
}

bool SessionNames::SameIgnoringAsciiCase(const QString &A, const QString &B)
{
    return A.size() == B.size() && AsciiLower(A) == AsciiLower(B);
}

QString SessionNames::ResultName(const QString &ABase, int ANumber)
{
    return ABase + QStringLiteral("%1").arg(ANumber, 2, 10, QLatin1Char('0'));
}

QString SessionNames::DefaultSessionName(const QDate &ADate)
{
    return ADate.toString(QStringLiteral("yyyy_MM_dd"));
}

bool SessionNames::ResultExists(const TResultList &AList, const QString &ADescr)
{
    return std::any_of(AList.cbegin(), AList.cend(), [&ADescr](const std::unique_ptr<TLSResult> &R) {
        return R && SameIgnoringAsciiCase(R->Descr, ADescr);
    });
}

QString SessionNames::DescrFromFileName(const QString &AFileName)
{
    const qsizetype dot = AFileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? AFileName : AFileName.left(dot);
}

SessionNames::TResultNameSearch SessionNames::FindFreeResultName(const QString &ABase, int ANumber,
                                                                 const std::function<bool(const QString &)> &AIsTaken)
{
    TResultNameSearch s;
    s.Number = std::clamp(ANumber, MinResultNumber, MaxResultNumber);
    s.FirstChoice = ResultName(ABase, s.Number);
    s.Name = s.FirstChoice;
    // Digits are valid, so the base alone decides whether any name can be.
    if (!IsValidName(ABase)) {
        s.Status = TNameCheck::ncInvalid;
        return s;
    }
    while (AIsTaken(s.Name)) {
        if (s.Number >= MaxResultNumber) {
            s.Status = TNameCheck::ncTaken;
            return s;
        }
        ++s.Number;
        s.Name = ResultName(ABase, s.Number);
    }
    s.Status = TNameCheck::ncFree;
    return s;
}

QString SessionNames::SuffixedFreeName(const QString &AName, const std::function<bool(const QString &)> &AIsTaken)
{
    // Only finitely many names are taken, so a free suffix is always found.
    for (qint64 k = 1;; ++k) {
        const QString name = AName + QStringLiteral("_%1").arg(k);
        if (!AIsTaken(name))
            return name;
    }
}
