#include "app/AppError.h"
#include "app/Rounding.h"
#include "app/StandardDataFolders.h"

#include <QtTest>

#include <limits>

class TestFoundation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundHalfEven_data();
    void roundHalfEven();
    void roundRefusesNonNumbers_data();
    void roundRefusesNonNumbers();
    void errorCarriesMessage();
    void dataFolders();
};

void TestFoundation::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");

    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("3.5") << 3.5 << 4;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("-1.5") << -1.5 << -2;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("below half") << 2.4999999 << 2;
    QTest::newRow("above half") << 2.5000001 << 3;
    QTest::newRow("negative above half") << -2.5000001 << -3;
    QTest::newRow("whole") << 7.0 << 7;
    QTest::newRow("large half") << 1000000.5 << 1000000;
    QTest::newRow("centre of 475 - 817") << (475 / 2.0 - 817 / 2.0) << -171;
}

void TestFoundation::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(int, rounded);
    QCOMPARE(RoundHalfEven(value), rounded);
}

void TestFoundation::roundRefusesNonNumbers_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    QTest::newRow("too large") << 3.0e9;
    QTest::newRow("too small") << -3.0e9;
}

void TestFoundation::roundRefusesNonNumbers()
{
    QFETCH(double, value);
    QVERIFY_THROWS_EXCEPTION(EConvertError, RoundHalfEven(value));
}

void TestFoundation::errorCarriesMessage()
{
    try {
        throw EFileError(QStringLiteral("Не удалось создать рабочую папку"));
    } catch (const EAppError &e) {
        QCOMPARE(e.Message(), QStringLiteral("Не удалось создать рабочую папку"));
        QCOMPARE(QString::fromUtf8(e.what()), e.Message());
    }
}

void TestFoundation::dataFolders()
{
    // The test run points the XDG folders at a folder of its own.
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    QVERIFY(!data.isEmpty() && !config.isEmpty());
    const TStandardDataFolders folders;
    QCOMPARE(folders.SessionsPath(), QDir::toNativeSeparators(data + QStringLiteral("/Gorvik.Quorvel02/Sessions")));
    QCOMPARE(folders.SettingsFileName(), QDir::toNativeSeparators(config + QStringLiteral("/Gorvik/Quorvel02.ini")));
    QVERIFY(!folders.SessionsPath().endsWith(QLatin1Char('/')));
    const TStandardDataFolders other(QStringLiteral("Other"));
    QVERIFY(other.SettingsFileName().endsWith(QStringLiteral("/Gorvik/Other.ini")));
}

QTEST_GUILESS_MAIN(TestFoundation)
#include "tst_Foundation.moc"
