#include "LocaleGuard.h"

#include "app/AppError.h"
#include "storage/LSResult.h"

#include "FileHelpers.h"

#include <QtTest>

using TDoubles = QList<double>;

namespace {

void Fill(TLSResult &R, const QString &ADescr, int ACount, const TDoubles &ADist, const TDoubles &ATimes, quint32 AColor, bool AActive)
{
    R.Descr = ADescr;
    R.ReflectorCount = ACount;
    for (int i = 0; i < ADist.size(); ++i)
        R.ReflectorDistances[i] = ADist[i];
    for (int i = 0; i < ATimes.size(); ++i)
        R.ReflectorTimesMs[i] = ATimes[i];
    R.Color = AColor;
    R.Active = AActive;
}

bool FreshColor(quint32 AColor)
{
    const quint32 alpha = AColor >> 24;
    return alpha >= 0xCB && alpha <= 0xFE;
}

const QByteArray kBom("\xEF\xBB\xBF");

} // namespace

class TestLSResult : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshRecord();
    void recalcFinalTime();
    void assignFrom();
    void writeBytes_data();
    void writeBytes();
    void readFile_data();
    void readFile();
    void readUnderLocale_data();
    void readUnderLocale();
    void readErrors_data();
    void readErrors();
    void missingFile();
    void saveOverLongerRecord();
    void roundTrip();
    void saveCreatesFolder();
    void saveFailsWithoutParent();
};

void TestLSResult::freshRecord()
{
    for (int i = 0; i < 200; ++i) {
        TLSResult r;
        QVERIFY(r.Descr.isEmpty());
        QCOMPARE(r.ReflectorCount, 0);
        QVERIFY(r.Active);
        QVERIFY2(FreshColor(r.Color), qPrintable(QString::number(r.Color, 16)));
        QVERIFY(r.Color >= 0xCB417800u && r.Color < 0xCB417800u + 857463758u);
        QVERIFY(TColorText::FormatColor(r.Color).startsWith(QLatin1Char('#')));
        QCOMPARE(r.FinalTimeMs, 0.0);
        QVERIFY(!r.ChartSer);
    }
}

void TestLSResult::recalcFinalTime()
{
    TLSResult r;
    Fill(r, QString(), 4, {}, {1500, 1300, -200, 999}, 0, true);
    r.RecalcFinalTimeMs();
    QCOMPARE(r.FinalTimeMs, 2600.0);
    QCOMPARE(r.ReflectorFinalTimesMs[0], 1500.0);
    QCOMPARE(r.ReflectorFinalTimesMs[1], 2800.0);
    QCOMPARE(r.ReflectorFinalTimesMs[2], 2600.0);
    QCOMPARE(r.ReflectorFinalTimesMs[3], 0.0); // beyond N-2: untouched

    r.ReflectorCount = 1;
    r.RecalcFinalTimeMs();
    QCOMPARE(r.FinalTimeMs, 0.0);
}

void TestLSResult::assignFrom()
{
    TLSResult src;
    Fill(src, QStringLiteral("A"), 3, {5, 6}, {100, 200}, 0xFFFF0000u, false);
    src.RecalcFinalTimeMs();
    TLSResult dst;
    dst.AssignFrom(src);
    QCOMPARE(dst.Descr, QStringLiteral("A"));
    QCOMPARE(dst.ReflectorCount, 3);
    QCOMPARE(dst.Color, 0xFFFF0000u);
    QCOMPARE(dst.FinalTimeMs, 300.0);
    QCOMPARE(dst.ReflectorDistances[1], 6.0);
    QCOMPARE(dst.ReflectorTimesMs[1], 200.0);
    QVERIFY(dst.Active);                         // not copied
    QCOMPARE(dst.ReflectorFinalTimesMs[1], 0.0); // not copied
}

void TestLSResult::writeBytes_data()
{
    QTest::addColumn<QString>("descr");
    QTest::addColumn<int>("count");
    QTest::addColumn<TDoubles>("distances");
    QTest::addColumn<TDoubles>("times");
    QTest::addColumn<quint32>("color");
    QTest::addColumn<bool>("active");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("no reflectors") << "Изм_01" << 0 << TDoubles{} << TDoubles{} << 0xFFFF0000u << true
                                   << QByteArray("[Header]\r\nVersion=Korvane 2.0\r\nDescr=Изм_01\r\nActive=1\r\n"
                                                 "Color=Red\r\nReflectorCount=0\r\n\r\n");
    QTest::newRow("one reflector") << "a" << 1 << TDoubles{7} << TDoubles{8} << 0u << false
                                   << QByteArray("[Header]\r\nVersion=Korvane 2.0\r\nDescr=a\r\nActive=0\r\n"
                                                 "Color=Null\r\nReflectorCount=1\r\n\r\n");
    QTest::newRow("two reflectors") << "b" << 2 << TDoubles{5} << TDoubles{1500} << 0xCB417800u << true
                                    << QByteArray("[Header]\r\nVersion=Korvane 2.0\r\nDescr=b\r\nActive=1\r\n"
                                                  "Color=#CB417800\r\nReflectorCount=2\r\n\r\n"
                                                  "[ReflectorDistances]\r\nd0=5.000\r\n\r\n"
                                                  "[ReflectorTimes]\r\nt0=1500.000\r\n\r\n");
    QTest::newRow("six reflectors, negative times")
        << "Трасса 1" << 6 << TDoubles{5, 5.5, 10.125, 3.33333, 0.0004} << TDoubles{1500, -200.5, 1200.0006, 0, -0.25}
        << 0xFF00FFFFu << true
        << QByteArray("[Header]\r\nVersion=Korvane 2.0\r\nDescr=Трасса 1\r\nActive=1\r\n"
                      "Color=Aqua\r\nReflectorCount=6\r\n\r\n"
                      "[ReflectorDistances]\r\nd0=5.000\r\nd1=5.500\r\nd2=10.125\r\nd3=3.333\r\nd4=0.000\r\n\r\n"
                      "[ReflectorTimes]\r\nt0=1500.000\r\nt1=-200.500\r\nt2=1200.001\r\nt3=0.000\r\nt4=-0.250\r\n\r\n");
    {
        TDoubles d, t;
        QByteArray dist = "[ReflectorDistances]\r\n", times = "[ReflectorTimes]\r\n";
        for (int i = 0; i < 11; ++i) {
            d << i;
            t << 100 * i;
            dist += "d" + QByteArray::number(i) + "=" + QByteArray::number(i) + ".000\r\n";
            times += "t" + QByteArray::number(i) + "=" + QByteArray::number(100 * i) + ".000\r\n";
        }
        QTest::newRow("keys past nine") << "c" << 12 << d << t << 0x80FF0000u << true
                                        << QByteArray("[Header]\r\nVersion=Korvane 2.0\r\nDescr=c\r\nActive=1\r\n"
                                                      "Color=#80FF0000\r\nReflectorCount=12\r\n\r\n")
                + dist + "\r\n" + times + "\r\n";
    }
}

void TestLSResult::writeBytes()
{
    QFETCH(QString, descr);
    QFETCH(int, count);
    QFETCH(TDoubles, distances);
    QFETCH(TDoubles, times);
    QFETCH(quint32, color);
    QFETCH(bool, active);
    QFETCH(QByteArray, bytes);

    // The file never depends on the locale.
    for (const char *loc : {"en_US", "ru_RU"}) {
        TLocaleGuard guard{QString::fromLatin1(loc)};
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("m.strc"));
        TLSResult r;
        Fill(r, descr, count, distances, times, color, active);
        r.SaveToFile(name);
        QCOMPARE(ReadAll(name), kBom + bytes);
    }
}

void TestLSResult::readFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("descr");
    QTest::addColumn<bool>("active");
    QTest::addColumn<quint32>("color"); // 1: the random colour of a fresh record
    QTest::addColumn<int>("count");
    QTest::addColumn<TDoubles>("distances");
    QTest::addColumn<TDoubles>("times");
    QTest::addColumn<double>("finalTime");

    const QByteArray head = "[Header]\r\nVersion=Korvane 2.0\r\nDescr=x\r\nActive=1\r\nColor=Red\r\n";
    QTest::newRow("two segments") << head + "ReflectorCount=3\r\n[ReflectorDistances]\r\nd0=5.000\r\nd1=7.5\r\n[ReflectorTimes]\r\nt0=1500\r\nt1=1300.250\r\n"
                                  << "x" << true << 0xFFFF0000u << 3 << TDoubles{5, 7.5} << TDoubles{1500, 1300.25} << 2800.25;
    QTest::newRow("no reflector count") << QByteArray("[Header]\r\nDescr=y\r\n[ReflectorTimes]\r\nt0=5\r\n")
                                        << "y" << true << 1u << 0 << TDoubles{} << TDoubles{} << 0.0;
    QTest::newRow("reflector count not an integer") << head + "ReflectorCount=six\r\n[ReflectorTimes]\r\nt0=5\r\n"
                                                    << "x" << true << 0xFFFF0000u << 0 << TDoubles{} << TDoubles{} << 0.0;
    QTest::newRow("hexadecimal count") << head + "ReflectorCount=$3\r\n[ReflectorTimes]\r\nt0=1\r\nt1=2\r\n"
                                       << "x" << true << 0xFFFF0000u << 3 << TDoubles{0, 0} << TDoubles{1, 2} << 3.0;
    QTest::newRow("N = 1") << head + "ReflectorCount=1\r\n[ReflectorTimes]\r\nt0=5\r\n"
                           << "x" << true << 0xFFFF0000u << 1 << TDoubles{} << TDoubles{} << 0.0;
    QTest::newRow("keys beyond N-2 ignored") << head + "ReflectorCount=3\r\n[ReflectorTimes]\r\nt0=1\r\nt1=2\r\nt2=4\r\nt3=8\r\n"
                                             << "x" << true << 0xFFFF0000u << 3 << TDoubles{0, 0} << TDoubles{1, 2} << 3.0;
    QTest::newRow("missing keys are 0") << head + "ReflectorCount=4\r\n[ReflectorDistances]\r\nd1=2\r\n[ReflectorTimes]\r\nt0=1\r\nt2=4\r\n"
                                        << "x" << true << 0xFFFF0000u << 4 << TDoubles{0, 2, 0} << TDoubles{1, 0, 4} << 5.0;
    QTest::newRow("Active 0") << QByteArray("[Header]\r\nActive=0\r\nColor=Red\r\n") << "" << false << 0xFFFF0000u << 0 << TDoubles{} << TDoubles{} << 0.0;
    QTest::newRow("Active true") << QByteArray("[Header]\r\nActive=true\r\nColor=Red\r\n") << "" << true << 0xFFFF0000u << 0 << TDoubles{} << TDoubles{} << 0.0;
    QTest::newRow("Active 5") << QByteArray("[Header]\r\nActive=5\r\nColor=Red\r\n") << "" << true << 0xFFFF0000u << 0 << TDoubles{} << TDoubles{} << 0.0;
    QTest::newRow("colour keyword") << QByteArray("[Header]\r\nColor=red\r\n") << "" << true << 0xFFFF0000u << 0 << TDoubles{} << TDoubles{} << 0.0;
    QTest::newRow("colour hex, same as Red") << QByteArray("[Header]\r\nColor=#FFFF0000\r\n") << "" << true << 0xFFFF0000u << 0 << TDoubles{} << TDoubles{} << 0.0;
    QTest::newRow("colour Null") << QByteArray("[Header]\r\nColor=Null\r\n") << "" << true << 0u << 0 << TDoubles{} << TDoubles{} << 0.0;
    QTest::newRow("colour decimal") << QByteArray("[Header]\r\nColor=-16777216\r\n") << "" << true << 0xFF000000u << 0 << TDoubles{} << TDoubles{} << 0.0;
    QTest::newRow("any version") << QByteArray("[Header]\r\nVersion=Something 9\r\nColor=Red\r\nReflectorCount=2\r\n[ReflectorTimes]\r\nt0=10\r\n")
                                 << "" << true << 0xFFFF0000u << 2 << TDoubles{0} << TDoubles{10} << 10.0;
    QTest::newRow("no header section") << QByteArray("[ReflectorTimes]\r\nt0=10\r\n") << "" << true << 1u << 0 << TDoubles{} << TDoubles{} << 0.0;
    QTest::newRow("names in any case, blanks, comments, merged")
        << QByteArray("garbage before\r\n  [header]  \r\n DESCR = Имя \r\n; Descr=comment\r\ncolor=LimeGreen\r\n"
                      "[reflectortimes]\r\nT0=1\r\n[HEADER]\r\nreflectorcount=3\r\n[ReflectorTimes]\r\nt1=2\r\n")
        << "Имя" << true << 0xFF32CD32u << 3 << TDoubles{0, 0} << TDoubles{1, 2} << 3.0;
    QTest::newRow("descr with =") << QByteArray("[Header]\r\nDescr=a=b\r\nColor=Red\r\n") << "a=b" << true << 0xFFFF0000u << 0 << TDoubles{} << TDoubles{} << 0.0;
    QTest::newRow("largest count") << head + "ReflectorCount=102\r\n" << "x" << true << 0xFFFF0000u << 102 << TDoubles{} << TDoubles{} << 0.0;
}

void TestLSResult::readFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, descr);
    QFETCH(bool, active);
    QFETCH(quint32, color);
    QFETCH(int, count);
    QFETCH(TDoubles, distances);
    QFETCH(TDoubles, times);
    QFETCH(double, finalTime);

    for (const QByteArray &prefix : {QByteArray(), kBom}) {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("m.strc"));
        WriteAll(name, prefix + bytes);
        TLSResult r;
        r.FinalTimeMs = 777;
        r.LoadFromFile(name);
        QCOMPARE(r.Descr, descr);
        QCOMPARE(r.Active, active);
        if (color == 1u)
            QVERIFY(FreshColor(r.Color));
        else
            QCOMPARE(r.Color, color);
        QCOMPARE(r.ReflectorCount, count);
        for (int i = 0; i < distances.size(); ++i)
            QCOMPARE(r.ReflectorDistances[i], distances[i]);
        for (int i = 0; i < times.size(); ++i)
            QCOMPARE(r.ReflectorTimesMs[i], times[i]);
        QCOMPARE(r.FinalTimeMs, finalTime);
        double sum = 0;
        for (int i = 0; i < times.size(); ++i) {
            sum += times[i];
            QCOMPARE(r.ReflectorFinalTimesMs[i], sum);
        }
        // Nothing past N-2 was read.
        for (int i = std::max(0, count - 1); i < TLSResult::MaxSegments; ++i)
            QCOMPARE(r.ReflectorTimesMs[i], 0.0);
    }
}

void TestLSResult::readUnderLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("distance");

    QTest::newRow("point, point locale") << "en_US" << QByteArray("5.5") << true << 5.5;
    QTest::newRow("comma, point locale") << "en_US" << QByteArray("5,5") << false << 0.0;
    QTest::newRow("point, comma locale") << "ru_RU" << QByteArray("5.5") << true << 5.5;
    QTest::newRow("comma, comma locale") << "ru_RU" << QByteArray("5,5") << true << 5.5;
}

void TestLSResult::readUnderLocale()
{
    QFETCH(QString, locale);
    QFETCH(QByteArray, value);
    QFETCH(bool, ok);
    QFETCH(double, distance);
    TLocaleGuard guard(locale);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("m.strc"));
    WriteAll(name, "[Header]\r\nReflectorCount=2\r\n[ReflectorDistances]\r\nd0=" + value + "\r\n");
    TLSResult r;
    if (ok) {
        r.LoadFromFile(name);
        QCOMPARE(r.ReflectorDistances[0], distance);
    } else {
        QVERIFY_THROWS_EXCEPTION(EConvertError, r.LoadFromFile(name));
    }
}

void TestLSResult::readErrors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("conversion"); // else a refused file

    QTest::newRow("bad distance") << QByteArray("[Header]\r\nDescr=kept\r\nReflectorCount=3\r\n[ReflectorDistances]\r\nd0=1\r\nd1=abc\r\n") << true;
    QTest::newRow("bad time") << QByteArray("[Header]\r\nDescr=kept\r\nReflectorCount=2\r\n[ReflectorTimes]\r\nt0=1.2.3\r\n") << true;
    QTest::newRow("bad colour") << QByteArray("[Header]\r\nDescr=kept\r\nColor=Reddish\r\n") << true;
    QTest::newRow("count above 102") << QByteArray("[Header]\r\nDescr=kept\r\nReflectorCount=103\r\n") << false;
    QTest::newRow("negative count") << QByteArray("[Header]\r\nDescr=kept\r\nReflectorCount=-1\r\n") << false;
    QTest::newRow("huge count") << QByteArray("[Header]\r\nDescr=kept\r\nReflectorCount=$7FFFFFFF\r\n") << false;
}

void TestLSResult::readErrors()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, conversion);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Изм_07.strc"));
    WriteAll(name, bytes);
    TLSResult r;
    try {
        r.LoadFromFile(name);
        QFAIL("no error");
    } catch (const EConvertError &e) {
        QVERIFY(conversion);
        QVERIFY2(e.Message().contains(QDir::toNativeSeparators(name)), qPrintable(e.Message()));
    } catch (const EFileError &e) {
        QVERIFY(!conversion);
        QVERIFY2(e.Message().contains(QDir::toNativeSeparators(name)), qPrintable(e.Message()));
    }
    // What was read before the failing key stays; the arrays stay in bounds.
    QCOMPARE(r.Descr, QStringLiteral("kept"));
    QVERIFY(r.ReflectorCount >= 0 && r.ReflectorCount <= TLSResult::MaxReflectors);
}

void TestLSResult::missingFile()
{
    QTemporaryDir dir;
    TLSResult r;
    r.Descr = QStringLiteral("old");
    r.ReflectorCount = 5;
    r.LoadFromFile(dir.filePath(QStringLiteral("none.strc")));
    QVERIFY(r.Descr.isEmpty());
    QCOMPARE(r.ReflectorCount, 0);
    QVERIFY(r.Active);
    QVERIFY(FreshColor(r.Color));
    QCOMPARE(r.FinalTimeMs, 0.0);
}

void TestLSResult::saveOverLongerRecord()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("m.strc"));
    WriteAll(name, "[Header]\r\nVersion=Korvane 1.0\r\nDescr=Old\r\nActive=0\r\nColor=Blue\r\nReflectorCount=6\r\nComment=kept\r\n\r\n"
                   "[ReflectorDistances]\r\nd0=1.000\r\nd1=2.000\r\nd2=3.000\r\nd3=4.000\r\nd4=5.000\r\n\r\n"
                   "[Extra]\r\nKey=Value\r\n\r\n"
                   "[ReflectorTimes]\r\nt0=100.000\r\nt1=200.000\r\nt2=300.000\r\nt3=400.000\r\nt4=500.000\r\n\r\n");
    TLSResult r;
    Fill(r, QStringLiteral("New"), 4, {10, 20, 30}, {1, 2, 3}, 0xFFFF0000u, true);
    r.SaveToFile(name);
    QCOMPARE(ReadAll(name),
             kBom + "[Header]\r\nVersion=Korvane 2.0\r\nDescr=New\r\nActive=1\r\nColor=Red\r\nReflectorCount=4\r\nComment=kept\r\n\r\n"
                    "[ReflectorDistances]\r\nd0=10.000\r\nd1=20.000\r\nd2=30.000\r\nd3=4.000\r\nd4=5.000\r\n\r\n"
                    "[Extra]\r\nKey=Value\r\n\r\n"
                    "[ReflectorTimes]\r\nt0=1.000\r\nt1=2.000\r\nt2=3.000\r\nt3=400.000\r\nt4=500.000\r\n\r\n");

    TLSResult back;
    back.LoadFromFile(name);
    QCOMPARE(back.ReflectorCount, 4);
    QCOMPARE(back.FinalTimeMs, 6.0);
    QCOMPARE(back.ReflectorTimesMs[3], 0.0);
}

void TestLSResult::roundTrip()
{
    for (const char *loc : {"en_US", "ru_RU"}) {
        TLocaleGuard guard{QString::fromLatin1(loc)};
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("Трасса.strc"));
        TLSResult r;
        TDoubles d, t;
        for (int i = 0; i < TLSResult::MaxSegments; ++i) {
            d << 5.0 + i * 0.125;
            t << 1000.5 - i * 17.25;
        }
        Fill(r, QStringLiteral("Трасса «1,5» Изм_01"), TLSResult::MaxReflectors, d, t, 0x7F00FF00u, false);
        r.SaveToFile(name);
        TLSResult back;
        back.LoadFromFile(name);
        QCOMPARE(back.Descr, r.Descr);
        QCOMPARE(back.ReflectorCount, r.ReflectorCount);
        QCOMPARE(back.Color, r.Color);
        QCOMPARE(back.Active, false);
        for (int i = 0; i < TLSResult::MaxSegments; ++i) {
            QCOMPARE(back.ReflectorDistances[i], d[i]);
            QCOMPARE(back.ReflectorTimesMs[i], t[i]);
        }
        r.RecalcFinalTimeMs();
        QCOMPARE(back.FinalTimeMs, r.FinalTimeMs);
    }
}

void TestLSResult::saveCreatesFolder()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Сессия/m.strc"));
    TLSResult r;
    r.SaveToFile(name);
    QVERIFY(QFileInfo::exists(name));
}

void TestLSResult::saveFailsWithoutParent()
{
    QTemporaryDir dir;
    // Only the file's own folder is created, not its parents.
    const QString name = dir.filePath(QStringLiteral("a/b/m.strc"));
    TLSResult r;
    try {
        r.SaveToFile(name);
        QFAIL("no error");
    } catch (const EFileError &e) {
        QVERIFY2(e.Message().contains(QDir::toNativeSeparators(dir.filePath(QStringLiteral("a/b")))), qPrintable(e.Message()));
    }
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("a"))));
}

QTEST_GUILESS_MAIN(TestLSResult)
#include "tst_LSResult.moc"
