#include "app/AppError.h"
#include "storage/IniDocument.h"

#include <QtTest>

class TestIniDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reading_data();
    void reading();
    void writingInPlace();
    void bytesLayout();
    void missingFileIsEmpty();
    void saveReplacesFile();
    void saveFailureNamesFile();
};

void TestIniDocument::reading_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    QTest::newRow("plain") << QByteArray("[Header]\r\nDescr=abc\r\n") << "Header" << "Descr" << true << "abc";
    QTest::newRow("byte-order mark skipped") << QByteArray("\xEF\xBB\xBF[Header]\r\nDescr=abc\r\n") << "Header" << "Descr" << true << "abc";
    QTest::newRow("LF line ends") << QByteArray("[Header]\nDescr=abc\n") << "Header" << "Descr" << true << "abc";
    QTest::newRow("CR line ends") << QByteArray("[Header]\rDescr=abc\r") << "Header" << "Descr" << true << "abc";
    QTest::newRow("surrounding blanks of line") << QByteArray("  [Header]  \r\n\t Descr=abc  \r\n") << "Header" << "Descr" << true << "abc";
    QTest::newRow("blanks around =") << QByteArray("[Header]\r\nDescr   =   a b  \r\n") << "Header" << "Descr" << true << "a b";
    QTest::newRow("blank section name trimmed") << QByteArray("[ Header ]\r\nDescr=abc\r\n") << "Header" << "Descr" << true << "abc";
    QTest::newRow("first = splits") << QByteArray("[Header]\r\nDescr=a=b=c\r\n") << "Header" << "Descr" << true << "a=b=c";
    QTest::newRow("empty value") << QByteArray("[Header]\r\nDescr=\r\n") << "Header" << "Descr" << true << "";
    QTest::newRow("section name any case") << QByteArray("[HEADER]\r\nDescr=abc\r\n") << "header" << "Descr" << true << "abc";
    QTest::newRow("key any case") << QByteArray("[Header]\r\nDESCR=abc\r\n") << "Header" << "descr" << true << "abc";
    QTest::newRow("cyrillic key case") << QByteArray("[Раздел]\r\nКЛЮЧ=знач\r\n") << "раздел" << "ключ" << true << "знач";
    QTest::newRow("comment skipped") << QByteArray("[Header]\r\n;Descr=abc\r\n") << "Header" << "Descr" << false << "";
    QTest::newRow("indented comment skipped") << QByteArray("[Header]\r\n   ;Descr=abc\r\n") << "Header" << "Descr" << false << "";
    QTest::newRow("before first section ignored") << QByteArray("Descr=abc\r\n[Header]\r\n") << "Header" << "Descr" << false << "";
    QTest::newRow("merged sections") << QByteArray("[Header]\r\nA=1\r\n[Other]\r\nB=2\r\n[header]\r\nDescr=abc\r\n") << "Header" << "Descr" << true << "abc";
    QTest::newRow("first of duplicate keys") << QByteArray("[Header]\r\nDescr=one\r\nDescr=two\r\n") << "Header" << "Descr" << true << "one";
    QTest::newRow("line without =") << QByteArray("[Header]\r\nDescr\r\n") << "Header" << "Descr" << false << "";
    QTest::newRow("other section") << QByteArray("[Header]\r\nDescr=abc\r\n") << "Other" << "Descr" << false << "";
    QTest::newRow("utf-8 value") << QByteArray("[Header]\r\nDescr=Изм_01\r\n") << "Header" << "Descr" << true << "Изм_01";
    QTest::newRow("bracket inside value") << QByteArray("[Header]\r\nDescr=[x]\r\n") << "Header" << "Descr" << true << "[x]";
}

void TestIniDocument::reading()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(bool, found);
    QFETCH(QString, value);

    const TIniDocument doc = TIniDocument::FromUtf8(data);
    QCOMPARE(doc.HasKey(section, key), found);
    QCOMPARE(doc.ReadString(section, key, QStringLiteral("<none>")), found ? value : QStringLiteral("<none>"));
}

void TestIniDocument::writingInPlace()
{
    TIniDocument doc = TIniDocument::FromUtf8("[A]\r\nx=1\r\nnote\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
    doc.WriteString(QStringLiteral("a"), QStringLiteral("X"), QStringLiteral("10")); // existing key, other case
    doc.WriteString(QStringLiteral("A"), QStringLiteral("w"), QStringLiteral("4"));  // new key: end of its section
    doc.WriteString(QStringLiteral("C"), QStringLiteral("v"), QStringLiteral("5"));  // new section: end of file
    QCOMPARE(doc.ToUtf8(), QByteArray("\xEF\xBB\xBF"
                                      "[A]\r\nx=10\r\nnote\r\ny=2\r\nw=4\r\n\r\n"
                                      "[B]\r\nz=3\r\n\r\n"
                                      "[C]\r\nv=5\r\n\r\n"));
    QCOMPARE(doc.SectionNames(), QStringList({"A", "B", "C"}));
    QCOMPARE(doc.KeyNames(QStringLiteral("A")), QStringList({"x", "y", "w"}));
}

void TestIniDocument::bytesLayout()
{
    TIniDocument doc;
    doc.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("line1\r\nline2"));
    // A value never breaks its line.
    QCOMPARE(doc.ToUtf8(), QByteArray("\xEF\xBB\xBF[S]\r\nk=line1  line2\r\n\r\n"));
    QCOMPARE(TIniDocument().ToUtf8(), QByteArray("\xEF\xBB\xBF"));
}

void TestIniDocument::missingFileIsEmpty()
{
    QTemporaryDir dir;
    const TIniDocument doc = TIniDocument::LoadFromFile(dir.filePath(QStringLiteral("none.ini")));
    QVERIFY(doc.SectionNames().isEmpty());
}

void TestIniDocument::saveReplacesFile()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("a.ini"));
    {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old content that is longer than the new one\r\n");
    }
    TIniDocument doc;
    doc.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    doc.SaveToFile(name);
    QFile f(name);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("\xEF\xBB\xBF[S]\r\nk=v\r\n\r\n"));
    // Nothing but the file itself is left in the folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"a.ini"}));
}

void TestIniDocument::saveFailureNamesFile()
{
    QTemporaryDir dir;
    // A folder stands where the file should be written.
    const QString name = dir.filePath(QStringLiteral("taken"));
    QVERIFY(QDir().mkdir(name));
    TIniDocument doc;
    doc.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    try {
        doc.SaveToFile(name);
        QFAIL("no error");
    } catch (const EFileError &e) {
        QVERIFY2(e.Message().contains(QDir::toNativeSeparators(name)), qPrintable(e.Message()));
    }
    QVERIFY(QFileInfo(name).isDir());
}

QTEST_GUILESS_MAIN(TestIniDocument)
#include "tst_IniDocument.moc"
