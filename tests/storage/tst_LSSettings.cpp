#include "LocaleGuard.h"

#include "app/AppError.h"
#include "storage/LSUtils.h"

#include "FileHelpers.h"

#include <QtTest>

namespace {

// What the main window sets before the first load.
void StartupDefaults(TLSSettings &S)
{
    S.ReflectorCount = 6;
    for (int i = 0; i < 6; ++i)
        S.ReflectorDistances[i] = 5.0;
    S.MinSamplesPerReflectorGap = 300;
    S.MinSamplesPerReflector = 1;
}

} // namespace

class TestLSSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void firstStartWithoutFile();
    void load_data();
    void load();
    void badDistance_data();
    void badDistance();
    void saveBytes();
    void saveKeepsForeignKeys();
    void saveFolderFailure();
    void roundTrip();
    void assignFrom();
};

void TestLSSettings::defaults()
{
    TLSSettings s(QStringLiteral("/x/Quorvel02.ini"));
    QCOMPARE(s.IniFileName, QStringLiteral("/x/Quorvel02.ini"));
    QCOMPARE(s.ReflectorCount, 5);
    for (double d : s.ReflectorDistances)
        QCOMPARE(d, 5.0);
    QCOMPARE(double(s.SamplesPerSec), 1000.0);
    QCOMPARE(s.MinSamplesPerReflector, 1);
    QCOMPARE(s.MaxWaitTimeMs, 30000);
    QCOMPARE(s.MinSamplesPerReflectorGap, 300);
    QCOMPARE(s.MaxSensorValue, 50);
    QCOMPARE(s.MinSensorValue, 1);
    QCOMPARE(s.MaxFluxValue, 9000);
    QCOMPARE(s.MinFluxValue, 1100);
    QCOMPARE(s.IpHost, QStringLiteral("192.168.0.180"));
    QCOMPARE(s.IpPort, 9750);
    QCOMPARE(s.UseVibro, false);
    QCOMPARE(s.UseSound, true);
    QVERIFY(s.SavePath.isEmpty());
    QCOMPARE(s.Autosave, false);
    QCOMPARE(s.BaseTestName, QStringLiteral("Изм_"));
    QCOMPARE(s.Fix01, false);
}

void TestLSSettings::firstStartWithoutFile()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Gorvik/Quorvel02.ini"));
    TLSSettings s(name);
    StartupDefaults(s);
    s.MaxSensorValue = 70;
    s.Load();
    QCOMPARE(s.ReflectorCount, 5); // the one-time correction
    QCOMPARE(s.ReflectorDistances[0], 5.0);
    QCOMPARE(s.MaxSensorValue, 50);
    QCOMPARE(s.MinSensorValue, 1);
    QCOMPARE(s.MinFluxValue, 1100);
    QCOMPARE(s.MaxFluxValue, 9000);
    QCOMPARE(s.IpHost, QStringLiteral("192.168.0.180"));
    QCOMPARE(s.IpPort, 9750);
    QCOMPARE(s.BaseTestName, QStringLiteral("Изм_"));
    QVERIFY(s.Fix01);
    QVERIFY(!QFileInfo::exists(name)); // loading writes nothing
}

using TDoubles = QList<double>;

void TestLSSettings::load_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");
    QTest::addColumn<TDoubles>("distances");
    QTest::addColumn<QList<int>>("limits"); // min sensor, max sensor, min flux, max flux
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("useSound");

    const QList<int> fixedLimits{1, 50, 1100, 9000};
    QTest::newRow("Fix01 set keeps count and limits")
        << QByteArray("[Main]\r\nFix01=1\r\nMinSensorValue=3\r\nMaxSensorValue=40\r\nMinFluxValue=1000\r\nMaxFluxValue=8000\r\n"
                      "[Reflectors]\r\nReflectorCount=8\r\nd0=1\r\nd6=7.5\r\n")
        << 8 << TDoubles{1, 5, 5, 5, 5, 5, 7.5} << QList<int>{3, 40, 1000, 8000} << "192.168.0.180" << 9750 << true;
    QTest::newRow("without Fix01 corrected once")
        << QByteArray("[Main]\r\nMinSensorValue=3\r\nMaxSensorValue=40\r\nMinFluxValue=1000\r\nMaxFluxValue=8000\r\n"
                      "[Reflectors]\r\nReflectorCount=8\r\nd0=1\r\nd6=7.5\r\n")
        << 5 << TDoubles{1, 5, 5, 5, 5, 5, 7.5} << fixedLimits << "192.168.0.180" << 9750 << true;
    QTest::newRow("Fix01 0 corrected")
        << QByteArray("[Main]\r\nFix01=0\r\nMaxSensorValue=40\r\n[Reflectors]\r\nReflectorCount=5\r\n")
        << 5 << TDoubles{5, 5, 5, 5} << fixedLimits << "192.168.0.180" << 9750 << true;
    QTest::newRow("names in any case")
        << QByteArray("[MAIN]\r\niphost=10.0.0.7\r\nIPPORT=$10\r\nusesound=0\r\nfix01=1\r\n[reflectors]\r\nREFLECTORCOUNT=3\r\nD0=2.5\r\nD1=3\r\n")
        << 3 << TDoubles{2.5, 3} << fixedLimits << "10.0.0.7" << 16 << false;
    QTest::newRow("invalid integer keeps value")
        << QByteArray("[Main]\r\nIpPort=abc\r\nUseSound=yes\r\nFix01=1\r\n[Reflectors]\r\nReflectorCount=many\r\n")
        << 6 << TDoubles{5, 5, 5, 5, 5} << fixedLimits << "192.168.0.180" << 9750 << true;
    QTest::newRow("count 3 reads d0 and d1 only")
        << QByteArray("[Main]\r\nFix01=1\r\n[Reflectors]\r\nReflectorCount=3\r\nd0=1\r\nd1=2\r\nd2=3\r\nd3=4\r\nd9=10\r\n")
        << 3 << TDoubles{1, 2, 5, 5} << fixedLimits << "192.168.0.180" << 9750 << true;
    QTest::newRow("no reflector section keeps start-up layout")
        << QByteArray("[Main]\r\nFix01=1\r\n")
        << 6 << TDoubles{5, 5, 5, 5, 5} << fixedLimits << "192.168.0.180" << 9750 << true;
    QTest::newRow("count above the window's range clamped")
        << QByteArray("[Main]\r\nFix01=1\r\n[Reflectors]\r\nReflectorCount=500\r\nd99=9\r\nd100=8\r\n")
        << 100 << TDoubles{} << fixedLimits << "192.168.0.180" << 9750 << true;
    QTest::newRow("count 1 clamped to 2")
        << QByteArray("[Main]\r\nFix01=1\r\n[Reflectors]\r\nReflectorCount=1\r\nd0=4\r\n")
        << 2 << TDoubles{4} << fixedLimits << "192.168.0.180" << 9750 << true;
    QTest::newRow("negative count clamped to 2")
        << QByteArray("[Main]\r\nFix01=1\r\n[Reflectors]\r\nReflectorCount=-7\r\n")
        << 2 << TDoubles{5} << fixedLimits << "192.168.0.180" << 9750 << true;
    QTest::newRow("with byte-order mark")
        << QByteArray("\xEF\xBB\xBF[Main]\r\nFix01=1\r\nIpHost=h\r\n[Reflectors]\r\nReflectorCount=4\r\n")
        << 4 << TDoubles{5, 5, 5} << fixedLimits << "h" << 9750 << true;
}

void TestLSSettings::load()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    QFETCH(TDoubles, distances);
    QFETCH(QList<int>, limits);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(bool, useSound);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Quorvel02.ini"));
    WriteAll(name, bytes);
    TLSSettings s(name);
    StartupDefaults(s);
    s.Load();
    QCOMPARE(s.ReflectorCount, count);
    for (int i = 0; i < distances.size(); ++i)
        QCOMPARE(s.ReflectorDistances[i], distances[i]);
    QCOMPARE(s.MinSensorValue, limits[0]);
    QCOMPARE(s.MaxSensorValue, limits[1]);
    QCOMPARE(s.MinFluxValue, limits[2]);
    QCOMPARE(s.MaxFluxValue, limits[3]);
    QCOMPARE(s.IpHost, host);
    QCOMPARE(s.IpPort, port);
    QCOMPARE(s.UseSound, useSound);
    QVERIFY(s.Fix01);
}

void TestLSSettings::badDistance_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("fails");

    QTest::newRow("point locale") << "en_US" << true;
    QTest::newRow("comma locale") << "ru_RU" << false;
}

void TestLSSettings::badDistance()
{
    QFETCH(QString, locale);
    QFETCH(bool, fails);
    TLocaleGuard guard(locale);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Quorvel02.ini"));
    WriteAll(name, "[Main]\r\nIpHost=read.before\r\n[Reflectors]\r\nReflectorCount=4\r\nd0=5,5\r\n");
    TLSSettings s(name);
    StartupDefaults(s);
    if (!fails) {
        s.Load();
        QCOMPARE(s.ReflectorDistances[0], 5.5);
        return;
    }
    try {
        s.Load();
        QFAIL("no error");
    } catch (const EConvertError &e) {
        QVERIFY2(e.Message().contains(QDir::toNativeSeparators(name)), qPrintable(e.Message()));
    }
    // Read before the bad key: kept; the correction after it: skipped.
    QCOMPARE(s.IpHost, QStringLiteral("read.before"));
    QCOMPARE(s.ReflectorCount, 4);
    QVERIFY(!s.Fix01);
}

void TestLSSettings::saveBytes()
{
    TLocaleGuard guard(QStringLiteral("ru_RU"));
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Gorvik/sub/Quorvel02.ini"));
    TLSSettings s(name);
    s.ReflectorCount = 4;
    s.ReflectorDistances[0] = 5.5;
    s.ReflectorDistances[1] = 10;
    s.ReflectorDistances[2] = 0.125;
    s.ReflectorDistances[3] = 99; // beyond N-2: not written
    s.SavePath = QStringLiteral("C:\\data");
    s.UseVibro = true;
    s.BaseTestName = QStringLiteral("Тест_");
    s.Fix01 = true;
    s.Save();
    QCOMPARE(ReadAll(name),
             QByteArray("\xEF\xBB\xBF[Main]\r\nMinSamplesPerReflector=1\r\nMaxWaitTimeMs=30000\r\nMinSamplesPerReflectorGap=300\r\n"
                        "MaxSensorValue=50\r\nMinSensorValue=1\r\nMaxFluxValue=9000\r\nMinFluxValue=1100\r\n"
                        "SavePath=C:\\data\r\nIpHost=192.168.0.180\r\nIpPort=9750\r\nAutosave=0\r\nUseVibration=1\r\n"
                        "UseSound=1\r\nBaseTestName=Тест_\r\nFix01=1\r\n\r\n"
                        "[Reflectors]\r\nReflectorCount=4\r\nd0=5.500\r\nd1=10.000\r\nd2=0.125\r\n\r\n"));
}

void TestLSSettings::saveKeepsForeignKeys()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Quorvel02.ini"));
    WriteAll(name, "[Other]\r\nX=1\r\n\r\n[main]\r\nWindowLeft=10\r\nipport=1\r\n\r\n[Reflectors]\r\nd7=3.000\r\n");
    TLSSettings s(name);
    s.ReflectorCount = 2;
    s.Save();
    const QByteArray bytes = ReadAll(name);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF[Other]\r\nX=1\r\n\r\n[main]\r\nWindowLeft=10\r\nipport=9750\r\nMinSamplesPerReflector=1\r\n"));
    QVERIFY(bytes.endsWith("[Reflectors]\r\nd7=3.000\r\nReflectorCount=2\r\nd0=5.000\r\n\r\n"));
    QCOMPARE(bytes.count("IpPort"), 0); // updated in place under its old spelling
}

void TestLSSettings::saveFolderFailure()
{
    QTemporaryDir dir;
    // A file stands where a folder of the path should be.
    WriteAll(dir.filePath(QStringLiteral("Gorvik")), "x");
    TLSSettings s(dir.filePath(QStringLiteral("Gorvik/Quorvel02.ini")));
    try {
        s.Save();
        QFAIL("no error");
    } catch (const EFileError &e) {
        QCOMPARE(e.Message(), QStringLiteral("Не удалось создать папку с настройками"));
    }
}

void TestLSSettings::roundTrip()
{
    for (const char *loc : {"en_US", "ru_RU"}) {
        TLocaleGuard guard{QString::fromLatin1(loc)};
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("Quorvel02.ini"));
        TLSSettings a(name);
        a.ReflectorCount = 100;
        for (int i = 0; i < 99; ++i)
            a.ReflectorDistances[i] = 1.5 + i * 0.25;
        a.MinSamplesPerReflector = 2;
        a.MaxWaitTimeMs = 45000;
        a.MinSamplesPerReflectorGap = 250;
        a.MaxSensorValue = 60;
        a.MinSensorValue = 2;
        a.MaxFluxValue = 8000;
        a.MinFluxValue = 1200;
        a.SavePath = QStringLiteral("путь");
        a.IpHost = QStringLiteral("10.1.1.1");
        a.IpPort = 1234;
        a.Autosave = true;
        a.UseVibro = true;
        a.UseSound = false;
        a.BaseTestName = QStringLiteral("Лыжа «А» ");
        a.Fix01 = true;
        a.Save();

        TLSSettings b(name);
        b.Load();
        QCOMPARE(b.ReflectorCount, 100);
        for (int i = 0; i < 99; ++i)
            QCOMPARE(b.ReflectorDistances[i], a.ReflectorDistances[i]);
        QCOMPARE(b.MinSamplesPerReflector, 2);
        QCOMPARE(b.MaxWaitTimeMs, 45000);
        QCOMPARE(b.MinSamplesPerReflectorGap, 250);
        QCOMPARE(b.MaxSensorValue, 60);
        QCOMPARE(b.MinSensorValue, 2);
        QCOMPARE(b.MaxFluxValue, 8000);
        QCOMPARE(b.MinFluxValue, 1200);
        QCOMPARE(b.SavePath, a.SavePath);
        QCOMPARE(b.IpHost, a.IpHost);
        QCOMPARE(b.IpPort, 1234);
        QCOMPARE(b.Autosave, true);
        QCOMPARE(b.UseVibro, true);
        QCOMPARE(b.UseSound, false);
        // A trailing blank of a value does not survive the INI format.
        QCOMPARE(b.BaseTestName, QStringLiteral("Лыжа «А»"));
        QVERIFY(b.Fix01);
    }
}

void TestLSSettings::assignFrom()
{
    TLSSettings a(QStringLiteral("a.ini"));
    TLSSettings b(QStringLiteral("b.ini"));
    a.ReflectorCount = 3;
    a.ReflectorDistances[0] = 1;
    a.ReflectorDistances[1] = 2;
    a.ReflectorDistances[2] = 3;
    a.MaxWaitTimeMs = 12000;
    a.BaseTestName = QStringLiteral("X");
    a.UseSound = false;
    a.Fix01 = true;
    b.ReflectorDistances[2] = 9;
    b.AssignFrom(a);
    QCOMPARE(b.IniFileName, QStringLiteral("b.ini"));
    QCOMPARE(b.ReflectorCount, 3);
    QCOMPARE(b.ReflectorDistances[0], 1.0);
    QCOMPARE(b.ReflectorDistances[1], 2.0);
    QCOMPARE(b.ReflectorDistances[2], 9.0); // beyond N-2: left as it was
    QCOMPARE(b.MaxWaitTimeMs, 12000);
    QCOMPARE(b.BaseTestName, QStringLiteral("X"));
    QCOMPARE(b.UseSound, false);
    QVERIFY(b.Fix01);
}

QTEST_GUILESS_MAIN(TestLSSettings)
#include "tst_LSSettings.moc"
