#include "LocaleGuard.h"

#include "device/DeviceProtocol.h"
#include "device/DeviceText.h"
#include "storage/LSUtils.h"

#include <QtTest>

class TestDeviceText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitFields_data();
    void splitFields();
    void splitLines_data();
    void splitLines();
    void trim_data();
    void trim();
    void toNumber_data();
    void toNumber();
    void startCommand_data();
    void startCommand();
};

void TestDeviceText::splitFields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("data line") << "100,1,2" << QStringList{"100", "1", "2"};
    QTest::newRow("blanks around fields") << " 100 , 1 ,  2 " << QStringList{"100", "1", "2"};
    QTest::newRow("tabs around fields") << "\t100\t,\t1,2\t" << QStringList{"100", "1", "2"};
    QTest::newRow("blank between characters separates") << "100 1 2" << QStringList{"100", "1", "2"};
    QTest::newRow("tab between characters separates") << "100\t1\t2" << QStringList{"100", "1", "2"};
    QTest::newRow("control character separates") << QStringLiteral("100\x01") + "1" << QStringList{"100", "1"};
    QTest::newRow("run of blanks is one separator") << "100   1" << QStringList{"100", "1"};
    QTest::newRow("blanks then comma are one separator") << "100  ,  1" << QStringList{"100", "1"};
    QTest::newRow("empty middle field") << "100,,2" << QStringList{"100", "", "2"};
    QTest::newRow("blank middle field") << "100, ,2" << QStringList{"100", "", "2"};
    QTest::newRow("empty first field") << ",1,2" << QStringList{"", "1", "2"};
    QTest::newRow("empty last field") << "100,1," << QStringList{"100", "1", ""};
    QTest::newRow("blank last field") << "100,1, " << QStringList{"100", "1", ""};
    QTest::newRow("comma alone") << "," << QStringList{"", ""};
    QTest::newRow("empty line") << "" << QStringList{};
    QTest::newRow("blank line") << " \t " << QStringList{};
    QTest::newRow("quoted field keeps blanks") << "\"a b\",c" << QStringList{"a b", "c"};
    QTest::newRow("quoted field keeps blanks at its ends and commas")
        << " \" a, b \" , c" << QStringList{" a, b ", "c"};
    QTest::newRow("doubled quote inside quotes") << "\"say \"\"hi\"\"\",x" << QStringList{"say \"hi\"", "x"};
    QTest::newRow("empty quoted field") << "\"\",1" << QStringList{"", "1"};
    QTest::newRow("unclosed quote runs to the end") << "1,\"open, end" << QStringList{"1", "open, end"};
    QTest::newRow("text right after a closing quote is a new field") << "\"ab\"cd,e" << QStringList{"ab", "cd", "e"};
    QTest::newRow("quote inside a plain field") << "ab\"cd" << QStringList{"ab\"cd"};
    QTest::newRow("quoted numbers") << "\"100\",\"1\",\"2\"" << QStringList{"100", "1", "2"};
    QTest::newRow("notice with blanks") << "#ERR: low battery" << QStringList{"#ERR:", "low", "battery"};
}

void TestDeviceText::splitFields()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QCOMPARE(TDeviceText::SplitFields(line), fields);
}

void TestDeviceText::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("one line") << "100,1,2" << QStringList{"100,1,2"};
    QTest::newRow("CR LF") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("CR and LF alone") << "a\rb\nc" << QStringList{"a", "b", "c"};
    QTest::newRow("LF CR is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("empty line between") << "a\r\n\r\nb" << QStringList{"a", "", "b"};
    QTest::newRow("break at the end opens no line") << "a\r\n" << QStringList{"a"};
    QTest::newRow("two breaks at the end") << "a\r\r" << QStringList{"a", ""};
    QTest::newRow("break alone") << "\r\n" << QStringList{""};
}

void TestDeviceText::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(TDeviceText::SplitLines(text), lines);
}

void TestDeviceText::trim_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");

    QTest::newRow("clean") << "100,1,2" << "100,1,2";
    QTest::newRow("line end") << "100,1,2\r\n" << "100,1,2";
    QTest::newRow("blanks and controls at both ends")
        << QString(QChar(0)) + " \t\r\n100,1,2\x1f \x01" << "100,1,2";
    QTest::newRow("inner breaks stay") << "\r\n100,1,2\r\n200,1,2\r\n" << "100,1,2\r\n200,1,2";
    QTest::newRow("no-break space is not a blank") << QStringLiteral("\u00A0x ") << QStringLiteral("\u00A0x");
    QTest::newRow("only blanks") << " \r\n\t" << "";
}

void TestDeviceText::trim()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(TDeviceText::Trim(text), trimmed);
}

void TestDeviceText::toNumber_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("number");

    QTest::newRow("integer") << "en_US" << "100" << 100.0;
    QTest::newRow("point decimal under a point locale") << "en_US" << "12.5" << 12.5;
    QTest::newRow("point decimal under a comma locale") << "ru_RU" << "12.5" << 0.0;
    QTest::newRow("comma decimal under a comma locale") << "ru_RU" << "12,5" << 12.5;
    QTest::newRow("point group separator is refused") << "de_DE" << "12.500" << 0.0;
    QTest::newRow("comma group separator is refused") << "en_US" << "1,000" << 0.0;
    QTest::newRow("negative") << "en_US" << "-3" << -3.0;
    QTest::newRow("exponent") << "en_US" << "1e3" << 1000.0;
    QTest::newRow("blanks of a quoted field") << "en_US" << " 7 " << 7.0;
    QTest::newRow("letters") << "en_US" << "abc" << 0.0;
    QTest::newRow("number and letters") << "en_US" << "12ab" << 0.0;
    QTest::newRow("empty") << "en_US" << "" << 0.0;
    QTest::newRow("infinity") << "en_US" << "inf" << 0.0;
    QTest::newRow("not a number") << "en_US" << "nan" << 0.0;
    QTest::newRow("overflow") << "en_US" << "1e999" << 0.0;
}

void TestDeviceText::toNumber()
{
    QFETCH(QString, locale);
    QFETCH(QString, field);
    QFETCH(double, number);
    TLocaleGuard guard(locale);
    QCOMPARE(TDeviceText::ToNumber(field), number);
}

void TestDeviceText::startCommand_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QString>("command");

    QTest::newRow("settings defaults") << "en_US" << QList<int>{} << "START 1,50,1100,9000";
    QTest::newRow("no group separators under ru_RU") << "ru_RU" << QList<int>{3, 45, 11000, 90000}
                                                    << "START 3,45,11000,90000";
    QTest::newRow("order of the values") << "de_DE" << QList<int>{4, 3, 2, 1} << "START 4,3,2,1";
}

void TestDeviceText::startCommand()
{
    QFETCH(QString, locale);
    QFETCH(QList<int>, values);
    QFETCH(QString, command);
    TLocaleGuard guard(locale);
    TLSSettings settings(QString{});
    if (!values.isEmpty()) {
        settings.MinSensorValue = values[0];
        settings.MaxSensorValue = values[1];
        settings.MinFluxValue = values[2];
        settings.MaxFluxValue = values[3];
    }
    QCOMPARE(TDeviceProtocol::StartCommand(settings), command);
}

QTEST_GUILESS_MAIN(TestDeviceText)
#include "tst_DeviceText.moc"
