#include "LocaleGuard.h"

#include "app/AppError.h"
#include "storage/ColorText.h"
#include "storage/ValueText.h"

#include <QtTest>

#include <cmath>

class TestValueText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatNumber_data();
    void formatNumber();
    void readNumber_data();
    void readNumber();
    void readInteger_data();
    void readInteger();
    void colorKeywords();
    void formatColor_data();
    void formatColor();
    void readColor_data();
    void readColor();
};

void TestValueText::formatNumber_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    for (const char *loc : {"en_US", "ru_RU"}) {
        const QString l = QString::fromLatin1(loc);
        QTest::addRow("%s whole", loc) << l << 5.0 << "5.000";
        QTest::addRow("%s negative", loc) << l << -1500.25 << "-1500.250";
        QTest::addRow("%s rounded up", loc) << l << 0.0126 << "0.013";
        QTest::addRow("%s rounded down", loc) << l << 2.3334 << "2.333";
        QTest::addRow("%s tiny negative", loc) << l << -0.0004 << "0.000";
        QTest::addRow("%s no grouping", loc) << l << 1234567.0 << "1234567.000";
        QTest::addRow("%s sum", loc) << l << (0.1 + 0.2) << "0.300";
    }
}

void TestValueText::formatNumber()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    TLocaleGuard guard(locale);
    QCOMPARE(TValueText::FormatNumber(value), text);
}

void TestValueText::readNumber_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");

    QTest::newRow("point under point locale") << "en_US" << "5.000" << true << 5.0;
    QTest::newRow("comma under point locale") << "en_US" << "5,000" << false << 0.0;
    QTest::newRow("5,5 under point locale") << "en_US" << "5,5" << false << 0.0;
    QTest::newRow("point under comma locale") << "ru_RU" << "5.000" << true << 5.0;
    QTest::newRow("comma under comma locale") << "ru_RU" << "5,000" << true << 5.0;
    QTest::newRow("fraction under comma locale") << "ru_RU" << "12.75" << true << 12.75;
    QTest::newRow("negative") << "en_US" << "-1500.250" << true << -1500.25;
    QTest::newRow("negative under comma locale") << "ru_RU" << "-0,5" << true << -0.5;
    QTest::newRow("surrounding blanks") << "en_US" << "  7.5 " << true << 7.5;
    QTest::newRow("empty") << "en_US" << "" << false << 0.0;
    QTest::newRow("letters") << "en_US" << "abc" << false << 0.0;
    QTest::newRow("trailing letters") << "ru_RU" << "5.0m" << false << 0.0;
    QTest::newRow("two points") << "ru_RU" << "1.2.3" << false << 0.0;
}

void TestValueText::readNumber()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    TLocaleGuard guard(locale);

    double v = -99.0;
    QCOMPARE(TValueText::TryReadNumber(text, v), ok);
    if (ok) {
        QCOMPARE(v, value);
        QCOMPARE(TValueText::ReadNumber(text), value);
    } else {
        QCOMPARE(v, -99.0); // untouched
        try {
            TValueText::ReadNumber(text);
            QFAIL("no conversion error");
        } catch (const EConvertError &e) {
            QVERIFY2(e.Message().contains(QLatin1Char('"') + text + QLatin1Char('"')), qPrintable(e.Message()));
        }
    }
}

void TestValueText::readInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("decimal") << "30000" << true << 30000;
    QTest::newRow("negative") << "-7" << true << -7;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("blanks") << " 42 " << true << 42;
    QTest::newRow("0x") << "0x1F" << true << 31;
    QTest::newRow("0X upper") << "0XfF" << true << 255;
    QTest::newRow("dollar") << "$FF" << true << 255;
    QTest::newRow("dollar full width") << "$FFFFFFFF" << true << -1;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << int(-2147483647 - 1);
    QTest::newRow("too large") << "2147483648" << false << 0;
    QTest::newRow("too many hex digits") << "$123456789" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("dollar alone") << "$" << false << 0;
    QTest::newRow("word") << "true" << false << 0;
    QTest::newRow("fraction") << "1.5" << false << 0;
    QTest::newRow("trailing letter") << "12a" << false << 0;
    QTest::newRow("hex digit in decimal") << "1F" << false << 0;
}

void TestValueText::readInteger()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    int v = 12345;
    QCOMPARE(TValueText::TryReadInteger(text, v), ok);
    QCOMPARE(v, ok ? value : 12345);
}

void TestValueText::colorKeywords()
{
    const QStringList names = TColorText::KeywordNames();
    QCOMPARE(names.size(), 147);
    QVERIFY(!names.contains(QStringLiteral("transparent")));
    QStringList sorted = names;
    sorted.sort();
    QCOMPARE(names, sorted);
}

void TestValueText::formatColor_data()
{
    QTest::addColumn<quint32>("color");
    QTest::addColumn<QString>("text");

    QTest::newRow("red") << 0xFFFF0000u << "Red";
    QTest::newRow("aqua, not cyan") << 0xFF00FFFFu << "Aqua";
    QTest::newRow("fuchsia, not magenta") << 0xFFFF00FFu << "Fuchsia";
    QTest::newRow("darkgray, not darkgrey") << 0xFFA9A9A9u << "Darkgray";
    QTest::newRow("gray, not grey") << 0xFF808080u << "Gray";
    QTest::newRow("two words") << 0xFF32CD32u << "Limegreen";
    QTest::newRow("white") << 0xFFFFFFFFu << "White";
    QTest::newRow("transparent") << 0x00000000u << "Null";
    QTest::newRow("half transparent red") << 0x80FF0000u << "#80FF0000";
    QTest::newRow("opaque non-keyword") << 0xFF123456u << "#FF123456";
    QTest::newRow("fresh record colour") << 0xCB417800u << "#CB417800";
    QTest::newRow("leading zeros") << 0x000000ABu << "#000000AB";
}

void TestValueText::formatColor()
{
    QFETCH(quint32, color);
    QFETCH(QString, text);
    QCOMPARE(TColorText::FormatColor(color), text);
    // Every written colour reads back as itself.
    QCOMPARE(TColorText::ReadColor(text), color);
}

void TestValueText::readColor_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<quint32>("color");

    QTest::newRow("keyword") << "Red" << true << 0xFFFF0000u;
    QTest::newRow("keyword lower") << "red" << true << 0xFFFF0000u;
    QTest::newRow("keyword upper") << "LIMEGREEN" << true << 0xFF32CD32u;
    QTest::newRow("synonym cyan") << "cyan" << true << 0xFF00FFFFu;
    QTest::newRow("synonym grey") << "Grey" << true << 0xFF808080u;
    QTest::newRow("hash") << "#FFFF0000" << true << 0xFFFF0000u;
    QTest::newRow("hash lower digits") << "#80ff0000" << true << 0x80FF0000u;
    QTest::newRow("x prefix") << "xFF00FF00" << true << 0xFF00FF00u;
    QTest::newRow("short hex") << "#FF" << true << 0x000000FFu;
    QTest::newRow("Null") << "Null" << true << 0u;
    QTest::newRow("null lower") << "null" << true << 0u;
    QTest::newRow("decimal") << "16711680" << true << 0x00FF0000u;
    QTest::newRow("negative decimal") << "-16777216" << true << 0xFF000000u;
    QTest::newRow("decimal above signed range") << "4294901760" << true << 0xFFFF0000u;
    QTest::newRow("unknown word") << "Reddish" << false << 0u;
    QTest::newRow("hash alone") << "#" << false << 0u;
    QTest::newRow("nine hex digits") << "#123456789" << false << 0u;
    QTest::newRow("bad hex digit") << "#FFGG0000" << false << 0u;
    QTest::newRow("empty") << "" << false << 0u;
}

void TestValueText::readColor()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(quint32, color);
    TAlphaColor c = 0x12345678u;
    QCOMPARE(TColorText::TryReadColor(text, c), ok);
    if (ok)
        QCOMPARE(c, color);
    else
        QVERIFY_THROWS_EXCEPTION(EConvertError, TColorText::ReadColor(text));
}

QTEST_GUILESS_MAIN(TestValueText)
#include "tst_ValueText.moc"
