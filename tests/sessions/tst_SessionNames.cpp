#include "storage/LSResult.h"
#include "storage/SessionNames.h"

#include <QtTest>

using namespace SessionNames;

class TestSessionNames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validName_data();
    void validName();
    void asciiCase_data();
    void asciiCase();
    void resultName_data();
    void resultName();
    void defaultSessionName();
    void descrFromFileName_data();
    void descrFromFileName();
    void resultExists();
    void freeName_data();
    void freeName();
    void freeNameAtMaximum();
    void suffixedFreeName();
    void messages();
};

void TestSessionNames::validName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("cyrillic, blank, point") << QStringLiteral("Трасса 1.5") << true;
    QTest::newRow("blanks and points") << QStringLiteral(" . .. ") << true;
    QTest::newRow("underscore, dash, brackets") << QStringLiteral("Изм_(1)-[2]{3}") << true;
    QTest::newRow("slash") << QStringLiteral("A/B") << false;
    QTest::newRow("backslash") << QStringLiteral("A\\B") << false;
    QTest::newRow("colon") << QStringLiteral("C:") << false;
    QTest::newRow("star") << QStringLiteral("*") << false;
    QTest::newRow("question") << QStringLiteral("a?") << false;
    QTest::newRow("less") << QStringLiteral("<a") << false;
    QTest::newRow("greater") << QStringLiteral("a>") << false;
    QTest::newRow("bar") << QStringLiteral("a|b") << false;
    QTest::newRow("double quote") << QStringLiteral("\"a\"") << false;
    QTest::newRow("single quote") << QStringLiteral("'a'") << true;
    QTest::newRow("U+0000") << QString(QChar(0)) << false;
    QTest::newRow("tab") << QStringLiteral("a\tb") << false;
    QTest::newRow("U+001F") << QString(QChar(0x1F)) << false;
    QTest::newRow("U+007F") << QString(QChar(0x7F)) << true;
}

void TestSessionNames::validName()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(IsValidName(name), valid);
}

void TestSessionNames::asciiCase_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("latin") << QStringLiteral("Test01") << QStringLiteral("test01") << true;
    QTest::newRow("abc ABC") << QStringLiteral("abc") << QStringLiteral("ABC") << true;
    QTest::newRow("cyrillic case") << QStringLiteral("ИЗМ_01") << QStringLiteral("Изм_01") << false;
    QTest::newRow("cyrillic equal") << QStringLiteral("Изм_01") << QStringLiteral("Изм_01") << true;
    QTest::newRow("latin with cyrillic") << QStringLiteral("Изм_A") << QStringLiteral("Изм_a") << true;
    QTest::newRow("latin-1 letters") << QStringLiteral("Ä") << QStringLiteral("ä") << false;
    QTest::newRow("different") << QStringLiteral("a1") << QStringLiteral("a2") << false;
    QTest::newRow("prefix") << QStringLiteral("a") << QStringLiteral("ab") << false;
    QTest::newRow("empty") << QString() << QString() << true;
}

void TestSessionNames::asciiCase()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QCOMPARE(SameIgnoringAsciiCase(a, b), same);
    QCOMPARE(SameIgnoringAsciiCase(b, a), same);
}

void TestSessionNames::resultName_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::newRow("1") << QStringLiteral("Изм_") << 1 << QStringLiteral("Изм_01");
    QTest::newRow("9") << QStringLiteral("Изм_") << 9 << QStringLiteral("Изм_09");
    QTest::newRow("10") << QStringLiteral("Изм_") << 10 << QStringLiteral("Изм_10");
    QTest::newRow("100") << QStringLiteral("Изм_") << 100 << QStringLiteral("Изм_100");
    QTest::newRow("maximum") << QStringLiteral("R") << MaxResultNumber << QStringLiteral("R100000000");
    QTest::newRow("empty base") << QString() << 1 << QStringLiteral("01");
}

void TestSessionNames::resultName()
{
    QFETCH(QString, base);
    QFETCH(int, number);
    QFETCH(QString, name);
    QCOMPARE(ResultName(base, number), name);
}

void TestSessionNames::defaultSessionName()
{
    QCOMPARE(DefaultSessionName(QDate(2024, 3, 7)), QStringLiteral("2024_03_07"));
    QCOMPARE(DefaultSessionName(QDate(1999, 12, 31)), QStringLiteral("1999_12_31"));
}

void TestSessionNames::descrFromFileName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("descr");
    QTest::newRow("plain") << QStringLiteral("Изм_01.strc") << QStringLiteral("Изм_01");
    QTest::newRow("point inside") << QStringLiteral("Трасса 1.5.strc") << QStringLiteral("Трасса 1.5");
    QTest::newRow("only the extension") << QStringLiteral(".strc") << QString();
    QTest::newRow("no point") << QStringLiteral("abc") << QStringLiteral("abc");
}

void TestSessionNames::descrFromFileName()
{
    QFETCH(QString, file);
    QFETCH(QString, descr);
    QCOMPARE(DescrFromFileName(file), descr);
}

void TestSessionNames::resultExists()
{
    TResultList list;
    for (const char *name : {"Test01", "Изм_01"}) {
        list.push_back(std::make_unique<TLSResult>());
        list.back()->Descr = QString::fromUtf8(name);
    }
    QVERIFY(ResultExists(list, QStringLiteral("test01")));
    QVERIFY(ResultExists(list, QStringLiteral("TEST01")));
    QVERIFY(ResultExists(list, QStringLiteral("Изм_01")));
    QVERIFY(!ResultExists(list, QStringLiteral("ИЗМ_01")));
    QVERIFY(!ResultExists(list, QStringLiteral("Изм_02")));
    QVERIFY(!ResultExists(TResultList(), QString()));
}

void TestSessionNames::freeName_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<int>("number");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("found");
    const int free = int(TNameCheck::ncFree);
    QTest::newRow("empty session") << QStringLiteral("Изм_") << 1 << QStringList() << free << QStringLiteral("Изм_01") << 1;
    QTest::newRow("01 and 02 taken") << QStringLiteral("Изм_") << 1
                                     << QStringList{QStringLiteral("Изм_01"), QStringLiteral("Изм_02")} << free
                                     << QStringLiteral("Изм_03") << 3;
    QTest::newRow("a gap is used") << QStringLiteral("Изм_") << 1
                                   << QStringList{QStringLiteral("Изм_01"), QStringLiteral("Изм_03")} << free
                                   << QStringLiteral("Изм_02") << 2;
    QTest::newRow("100") << QStringLiteral("Изм_") << 100 << QStringList() << free << QStringLiteral("Изм_100") << 100;
    QTest::newRow("empty base") << QString() << 1 << QStringList{QStringLiteral("01")} << free << QStringLiteral("02") << 2;
    QTest::newRow("below the range") << QStringLiteral("R") << 0 << QStringList() << free << QStringLiteral("R01") << 1;
    QTest::newRow("invalid base") << QStringLiteral("A/B") << 1 << QStringList() << int(TNameCheck::ncInvalid)
                                  << QStringLiteral("A/B01") << 1;
}

void TestSessionNames::freeName()
{
    QFETCH(QString, base);
    QFETCH(int, number);
    QFETCH(QStringList, taken);
    QFETCH(int, status);
    QFETCH(QString, name);
    QFETCH(int, found);
    const TResultNameSearch s = FindFreeResultName(base, number, [&](const QString &n) { return taken.contains(n); });
    QCOMPARE(int(s.Status), status);
    QCOMPARE(s.Name, name);
    QCOMPARE(s.Number, found);
    QCOMPARE(s.FirstChoice, ResultName(base, std::max(number, 1)));
    QCOMPARE(s.Renumbered(), s.Name != s.FirstChoice);
}

void TestSessionNames::freeNameAtMaximum()
{
    // Only the name at the maximum is taken: no number is left to try.
    int asked = 0;
    const QString last = ResultName(QStringLiteral("R"), MaxResultNumber);
    TResultNameSearch s = FindFreeResultName(QStringLiteral("R"), MaxResultNumber, [&](const QString &n) {
        ++asked;
        return n == last;
    });
    QCOMPARE(s.Status, TNameCheck::ncTaken);
    QCOMPARE(s.Name, last);
    QCOMPARE(s.Number, MaxResultNumber);
    QCOMPARE(asked, 1);

    // Just below the maximum the last number is still free.
    s = FindFreeResultName(QStringLiteral("R"), MaxResultNumber - 1,
                           [&](const QString &n) { return n == ResultName(QStringLiteral("R"), MaxResultNumber - 1); });
    QCOMPARE(s.Status, TNameCheck::ncFree);
    QCOMPARE(s.Number, MaxResultNumber);

    // A number above the range starts at the maximum.
    s = FindFreeResultName(QStringLiteral("R"), MaxResultNumber + 5, [](const QString &) { return false; });
    QCOMPARE(s.Number, MaxResultNumber);
}

void TestSessionNames::suffixedFreeName()
{
    const QStringList taken{QStringLiteral("R100000000"), QStringLiteral("R100000000_1"), QStringLiteral("r100000000_2")};
    const auto isTaken = [&taken](const QString &AName) {
        return std::any_of(taken.begin(), taken.end(), [&AName](const QString &T) { return SameIgnoringAsciiCase(T, AName); });
    };
    QCOMPARE(SuffixedFreeName(QStringLiteral("R100000000"), isTaken), QStringLiteral("R100000000_3"));
    QCOMPARE(SuffixedFreeName(QStringLiteral("Изм"), isTaken), QStringLiteral("Изм_1"));
}

void TestSessionNames::messages()
{
    QCOMPARE(SessionTexts::DeleteQuestion(QStringLiteral("Трасса")), QStringLiteral("Удалить \"Трасса\"?"));
    QCOMPARE(SessionTexts::RenumberedMessage(QStringLiteral("Изм_01"), QStringLiteral("Изм_03")),
             QStringLiteral("Нумератор измерений: \"Изм_01\" уже существует.\r\nНумератор изменен\r\n"
                            "Название текущего измерения: \"Изм_03\""));
    const QString full = SessionTexts::NoFreeNumberMessage(QStringLiteral("R100000000"), QStringLiteral("R100000000_2"));
    QVERIFY(full.contains(QStringLiteral("\"R100000000\"")));
    QVERIFY(full.contains(QStringLiteral("\"R100000000_2\"")));
}

QTEST_GUILESS_MAIN(TestSessionNames)
#include "tst_SessionNames.moc"
