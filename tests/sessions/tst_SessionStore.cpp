#include "FakeFileSystem.h"
#include "LocaleGuard.h"

#include "app/AppError.h"
#include "storage/LSResult.h"
#include "storage/SessionStore.h"

#include "FileHelpers.h"

#include <QtTest>

namespace {

QString Key(const QString &AFile, const QString &AKey)
{
    // The value of a key in a file this program wrote.
    const QString text = QString::fromUtf8(ReadAll(AFile));
    for (const QString &line : text.split(QStringLiteral("\r\n")))
        if (line.startsWith(AKey + QLatin1Char('=')))
            return line.mid(AKey.size() + 1);
    return QString();
}

QStringList FileNames(const QString &AFolder)
{
    QStringList names = QDir(AFolder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    return names;
}

std::unique_ptr<TLSResult> Record(const QString &ADescr, TAlphaColor AColor = 0xFFFF0000u, double ATimeMs = 1000)
{
    auto r = std::make_unique<TLSResult>();
    r->Descr = ADescr;
    r->ReflectorCount = 2;
    r->ReflectorDistances[0] = 10;
    r->ReflectorTimesMs[0] = ATimeMs;
    r->RecalcFinalTimeMs();
    r->Color = AColor;
    return r;
}

} // namespace

class TestSessionStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void paths();
    void listSessions();
    void listSessionsOfMissingFolder();
    void listResultFilesOrder_data();
    void listResultFilesOrder();
    void listResultFilesOnlyDirectlyInside();
    void loadSession();
    void loadSessionSkipsUnreadableFiles();
    void loadSessionOfMissingFolder();
    void sessionNameCheck_data();
    void sessionNameCheck();
    void createSession();
    void createSessionFails();
    void renameSession();
    void copySession();
    void deleteSession();
    void sessionOperationFailures_data();
    void sessionOperationFailures();
    void resultNameCheck_data();
    void resultNameCheck();
    void saveResult();
    void deleteResultFile();
    void replaceColourOnly();
    void replaceRename();
    void replaceCaseOnlyOnCaseBlindSystem();
    void replaceEmptyName();
    void replaceFailedWriteKeepsOldFile();

private:
    std::unique_ptr<QTemporaryDir> FTemp;
    std::unique_ptr<TFakeFileSystem> FFs;
    std::unique_ptr<TSessionStore> FStore;
    QString FDataPath;

    QString Folder(const QString &ASession) const { return FDataPath + QLatin1Char('/') + ASession; }
    void Save(const QString &ASession, const TLSResult &R) { R.SaveToFile(FStore->ResultFile(ASession, R.Descr)); }
};

void TestSessionStore::init()
{
    FTemp = std::make_unique<QTemporaryDir>();
    QVERIFY(FTemp->isValid());
    FDataPath = FTemp->filePath(QStringLiteral("Gorvik.Quorvel02/Sessions"));
    QVERIFY(QDir().mkpath(FDataPath));
    FFs = std::make_unique<TFakeFileSystem>();
    FStore = std::make_unique<TSessionStore>(FDataPath, *FFs);
}

void TestSessionStore::cleanup()
{
    FStore.reset();
    FFs.reset();
    FTemp.reset();
}

void TestSessionStore::paths()
{
    QCOMPARE(FStore->DataPath(), FDataPath);
    QCOMPARE(FStore->SessionFolder(QStringLiteral("Трасса 1.5")), FDataPath + QStringLiteral("/Трасса 1.5"));
    QCOMPARE(FStore->ResultFile(QStringLiteral("S"), QStringLiteral("Изм_01")), FDataPath + QStringLiteral("/S/Изм_01.strc"));
    QCOMPARE(FStore->ResultFile(QStringLiteral("S"), QString()), FDataPath + QStringLiteral("/S/.strc"));
}

void TestSessionStore::listSessions()
{
    const QStringList names{QStringLiteral("Трасса 1.5"), QStringLiteral("b"), QStringLiteral("A"),
                            QStringLiteral(".точка"), QStringLiteral("2024_03_07")};
    for (const QString &n : names)
        QVERIFY(QDir().mkpath(Folder(n)));
    // A file beside the folders is no session.
    WriteAll(FDataPath + QStringLiteral("/file.strc"), "x");
    QStringList listed = FStore->ListSessions();
    // The order is the file system's; only the set is fixed.
    QStringList sorted = listed;
    sorted.sort();
    QStringList expected = names;
    expected.sort();
    QCOMPARE(sorted, expected);
    QVERIFY(FStore->SessionExists(QStringLiteral("Трасса 1.5")));
    QVERIFY(!FStore->SessionExists(QStringLiteral("Трасса")));
}

void TestSessionStore::listSessionsOfMissingFolder()
{
    TSessionStore store(FTemp->filePath(QStringLiteral("missing")), *FFs);
    QVERIFY(store.ListSessions().isEmpty());
}

void TestSessionStore::listResultFilesOrder_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("order");
    // Case never decides; the locale puts its own script first.
    QTest::newRow("ru_RU") << QStringLiteral("ru_RU")
                           << QStringList{QStringLiteral(".strc"), QStringLiteral("Изм_01.strc"), QStringLiteral("изм_02.strc"),
                                          QStringLiteral("Изм_10.strc"), QStringLiteral("Я.strc"), QStringLiteral("A.strc"),
                                          QStringLiteral("b.strc")};
    QTest::newRow("en_US") << QStringLiteral("en_US")
                           << QStringList{QStringLiteral(".strc"), QStringLiteral("A.strc"), QStringLiteral("b.strc"),
                                          QStringLiteral("Изм_01.strc"), QStringLiteral("изм_02.strc"),
                                          QStringLiteral("Изм_10.strc"), QStringLiteral("Я.strc")};
}

void TestSessionStore::listResultFilesOrder()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, order);
    TLocaleGuard guard(locale);
    const QString s = QStringLiteral("S");
    for (const char *name : {"Изм_10", "изм_02", "Изм_01", "b", "A", "", "Я"})
        Save(s, *Record(QString::fromUtf8(name)));
    WriteAll(Folder(s) + QStringLiteral("/notes.txt"), "x");
    WriteAll(Folder(s) + QStringLiteral("/Изм_01.strc.bak"), "x");
    QStringList names;
    for (const QString &p : FStore->ListResultFiles(s)) {
        QCOMPARE(QFileInfo(p).absolutePath(), Folder(s));
        names.append(QFileInfo(p).fileName());
    }
    QCOMPARE(names, order);
}

void TestSessionStore::listResultFilesOnlyDirectlyInside()
{
    const QString s = QStringLiteral("S");
    Save(s, *Record(QStringLiteral("top")));
    WriteAll(Folder(s) + QStringLiteral("/sub/deep.strc"), ReadAll(FStore->ResultFile(s, QStringLiteral("top"))));
    QVERIFY(QDir().mkpath(Folder(s) + QStringLiteral("/folder.strc")));
    QCOMPARE(FStore->ListResultFiles(s), QStringList{FStore->ResultFile(s, QStringLiteral("top"))});
}

void TestSessionStore::loadSession()
{
    TLocaleGuard locale(QStringLiteral("ru_RU"));
    const QString s = QStringLiteral("Трасса 1.5");
    for (const char *name : {"Изм_10", "изм_02", "Изм_01"})
        Save(s, *Record(QString::fromUtf8(name)));
    // The file name wins over what the file says.
    auto other = Record(QStringLiteral("Что-то другое"), 0xFF0000FFu, 2500);
    other->SaveToFile(FStore->ResultFile(s, QStringLiteral("Файл")));

    int made = 0;
    const TSessionLoad load = FStore->LoadSession(s, [&made] {
        ++made;
        auto r = std::make_unique<TLSResult>();
        r->ReflectorCount = 5;
        return r;
    });
    QCOMPARE(made, 4);
    QVERIFY(load.SkippedFiles.isEmpty());
    QVERIFY(load.SkippedMessage().isEmpty());
    QStringList descrs;
    for (const auto &r : load.Results)
        descrs.append(r->Descr);
    QCOMPARE(descrs, (QStringList{QStringLiteral("Изм_01"), QStringLiteral("изм_02"), QStringLiteral("Изм_10"),
                                  QStringLiteral("Файл")}));
    const TLSResult &f = *load.Results[3];
    QCOMPARE(f.Color, 0xFF0000FFu);
    QCOMPARE(f.FinalTimeMs, 2500.0);
    QCOMPARE(f.ReflectorCount, 2);
}

void TestSessionStore::loadSessionSkipsUnreadableFiles()
{
    const QString s = QStringLiteral("S");
    Save(s, *Record(QStringLiteral("a")));
    Save(s, *Record(QStringLiteral("d")));
    WriteAll(FStore->ResultFile(s, QStringLiteral("b")), "[Header]\r\nColor=не цвет\r\n");
    WriteAll(FStore->ResultFile(s, QStringLiteral("c")), "[Header]\r\nReflectorCount=500\r\n");
    const TSessionLoad load = FStore->LoadSession(s, [] { return std::make_unique<TLSResult>(); });
    QCOMPARE(load.Results.size(), std::size_t(2));
    QCOMPARE(load.Results[0]->Descr, QStringLiteral("a"));
    QCOMPARE(load.Results[1]->Descr, QStringLiteral("d"));
    QCOMPARE(load.SkippedFiles, (QStringList{QStringLiteral("b.strc"), QStringLiteral("c.strc")}));
    QCOMPARE(load.SkippedErrors.size(), 2);
    QVERIFY(load.SkippedErrors[0].contains(QStringLiteral("b.strc")));
    QCOMPARE(load.SkippedMessage(),
             QStringLiteral("Не удалось прочитать файлы измерений, они пропущены:\r\nb.strc\r\nc.strc"));
    // Nothing is written while loading.
    QCOMPARE(ReadAll(FStore->ResultFile(s, QStringLiteral("b"))), QByteArray("[Header]\r\nColor=не цвет\r\n"));
}

void TestSessionStore::loadSessionOfMissingFolder()
{
    const TSessionLoad load = FStore->LoadSession(QStringLiteral("нет"), [] { return std::make_unique<TLSResult>(); });
    QVERIFY(load.Results.empty());
    QVERIFY(load.SkippedFiles.isEmpty());
}

void TestSessionStore::sessionNameCheck_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("check");
    QTest::newRow("free") << QStringLiteral("Трасса 1.5") << int(TNameCheck::ncFree);
    QTest::newRow("empty names the sessions folder") << QString() << int(TNameCheck::ncTaken);
    QTest::newRow("taken") << QStringLiteral("S") << int(TNameCheck::ncTaken);
    QTest::newRow("slash") << QStringLiteral("a/b") << int(TNameCheck::ncInvalid);
    QTest::newRow("slash alone") << QStringLiteral("/") << int(TNameCheck::ncInvalid);
    QTest::newRow("slash into an existing folder") << QStringLiteral("S/sub") << int(TNameCheck::ncInvalid);
    QTest::newRow("colon") << QStringLiteral("C:") << int(TNameCheck::ncInvalid);
    QTest::newRow("blanks and points") << QStringLiteral(" . ... ") << int(TNameCheck::ncFree);
    QTest::newRow("point names the sessions folder") << QStringLiteral(".") << int(TNameCheck::ncTaken);
}

void TestSessionStore::sessionNameCheck()
{
    QFETCH(QString, name);
    QFETCH(int, check);
    QVERIFY(QDir().mkpath(Folder(QStringLiteral("S/sub"))));
    QCOMPARE(int(FStore->CheckNewSessionName(name)), check);
}

void TestSessionStore::createSession()
{
    FStore->CreateSession(QStringLiteral("2024_03_07"));
    QVERIFY(QFileInfo(Folder(QStringLiteral("2024_03_07"))).isDir());
    QCOMPARE(FStore->ListSessions(), QStringList{QStringLiteral("2024_03_07")});

    // Missing parents are created too.
    TSessionStore deep(FTemp->filePath(QStringLiteral("a/b/c")), *FFs);
    deep.CreateSession(QStringLiteral("S"));
    QVERIFY(QFileInfo(FTemp->filePath(QStringLiteral("a/b/c/S"))).isDir());
}

void TestSessionStore::createSessionFails()
{
    // A file where the sessions folder should be.
    const QString blocked = FTemp->filePath(QStringLiteral("blocked"));
    WriteAll(blocked, "x");
    TSessionStore store(blocked, *FFs);
    try {
        store.CreateSession(QStringLiteral("S"));
        QFAIL("no error");
    } catch (const EFileError &e) {
        QCOMPARE(e.Message(), QStringLiteral("Не удалось создать папку %1").arg(QDir::toNativeSeparators(blocked + QStringLiteral("/S"))));
    }
}

void TestSessionStore::renameSession()
{
    Save(QStringLiteral("abc"), *Record(QStringLiteral("Изм_01")));
    FStore->RenameSession(QStringLiteral("abc"), QStringLiteral("Трасса"));
    QVERIFY(!QFileInfo::exists(Folder(QStringLiteral("abc"))));
    QCOMPARE(FileNames(Folder(QStringLiteral("Трасса"))), QStringList{QStringLiteral("Изм_01.strc")});
}

void TestSessionStore::copySession()
{
    Save(QStringLiteral("S"), *Record(QStringLiteral("Изм_01")));
    Save(QStringLiteral("S"), *Record(QString()));
    WriteAll(Folder(QStringLiteral("S")) + QStringLiteral("/sub/note.txt"), "note");
    FStore->CopySession(QStringLiteral("S"), QStringLiteral("S_"));
    for (const QString &s : {QStringLiteral("S"), QStringLiteral("S_")})
        QCOMPARE(FileNames(Folder(s)), (QStringList{QStringLiteral(".strc"), QStringLiteral("Изм_01.strc")}));
    QCOMPARE(ReadAll(Folder(QStringLiteral("S_")) + QStringLiteral("/Изм_01.strc")),
             ReadAll(Folder(QStringLiteral("S")) + QStringLiteral("/Изм_01.strc")));
    QCOMPARE(ReadAll(Folder(QStringLiteral("S_")) + QStringLiteral("/sub/note.txt")), QByteArray("note"));
}

void TestSessionStore::deleteSession()
{
    Save(QStringLiteral("S"), *Record(QStringLiteral("Изм_01")));
    WriteAll(Folder(QStringLiteral("S")) + QStringLiteral("/sub/note.txt"), "note");
    Save(QStringLiteral("T"), *Record(QStringLiteral("Изм_01")));
    FStore->DeleteSession(QStringLiteral("S"));
    QCOMPARE(FStore->ListSessions(), QStringList{QStringLiteral("T")});
    // The empty name would be the sessions folder itself.
    FStore->DeleteSession(QString());
    QVERIFY(QFileInfo(FDataPath).isDir());
    QCOMPARE(FStore->ListSessions(), QStringList{QStringLiteral("T")});
}

void TestSessionStore::sessionOperationFailures_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("move") << QStringLiteral("MoveFolder");
    QTest::newRow("copy") << QStringLiteral("CopyFolder");
    QTest::newRow("delete") << QStringLiteral("DeleteFolder");
}

void TestSessionStore::sessionOperationFailures()
{
    QFETCH(QString, operation);
    Save(QStringLiteral("S"), *Record(QStringLiteral("Изм_01")));
    FFs->Failing.insert(operation);
    try {
        if (operation == QLatin1String("MoveFolder"))
            FStore->RenameSession(QStringLiteral("S"), QStringLiteral("T"));
        else if (operation == QLatin1String("CopyFolder"))
            FStore->CopySession(QStringLiteral("S"), QStringLiteral("T"));
        else
            FStore->DeleteSession(QStringLiteral("S"));
        QFAIL("no error");
    } catch (const EFileError &e) {
        QCOMPARE(e.Message(), QStringLiteral("Сбой %1").arg(operation));
    }
    QCOMPARE(FStore->ListSessions(), QStringList{QStringLiteral("S")});
}

void TestSessionStore::resultNameCheck_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("check");
    QTest::newRow("free") << QStringLiteral("Изм_03") << int(TNameCheck::ncFree);
    QTest::newRow("taken") << QStringLiteral("Изм_02") << int(TNameCheck::ncTaken);
    QTest::newRow("taken, latin case") << QStringLiteral("TEST01") << int(TNameCheck::ncTaken);
    QTest::newRow("cyrillic case is another name") << QStringLiteral("ИЗМ_02") << int(TNameCheck::ncFree);
    QTest::newRow("file not in the list") << QStringLiteral("Битый") << int(TNameCheck::ncTaken);
    QTest::newRow("empty") << QString() << int(TNameCheck::ncFree);
    QTest::newRow("slash") << QStringLiteral("A/B") << int(TNameCheck::ncInvalid);
    QTest::newRow("colon") << QStringLiteral("a:b") << int(TNameCheck::ncInvalid);
}

void TestSessionStore::resultNameCheck()
{
    QFETCH(QString, name);
    QFETCH(int, check);
    const QString s = QStringLiteral("S");
    TResultList list;
    for (const char *n : {"Изм_01", "Изм_02", "test01"}) {
        list.push_back(Record(QString::fromUtf8(n)));
        Save(s, *list.back());
    }
    // A file that did not load is not in the list but must not be overwritten.
    WriteAll(FStore->ResultFile(s, QStringLiteral("Битый")), "[Header]\r\nColor=?\r\n");
    QCOMPARE(int(FStore->CheckNewResultName(list, s, name)), check);
    QCOMPARE(FStore->ResultNameTaken(list, s, name), check == int(TNameCheck::ncTaken));
}

void TestSessionStore::saveResult()
{
    auto r = Record(QStringLiteral("Изм_01"), 0xFF008000u);
    FStore->SaveResult(QStringLiteral("Трасса 1.5"), *r);
    const QString file = Folder(QStringLiteral("Трасса 1.5")) + QStringLiteral("/Изм_01.strc");
    QCOMPARE(Key(file, QStringLiteral("Descr")), QStringLiteral("Изм_01"));
    QCOMPARE(Key(file, QStringLiteral("Color")), QStringLiteral("Green"));
    QVERIFY(FStore->ResultFileExists(QStringLiteral("Трасса 1.5"), QStringLiteral("Изм_01")));
}

void TestSessionStore::deleteResultFile()
{
    const QString s = QStringLiteral("S");
    Save(s, *Record(QStringLiteral("a")));
    QVERIFY(FStore->DeleteResultFile(s, QStringLiteral("a")));
    QVERIFY(FileNames(Folder(s)).isEmpty());
    // Gone already: nothing to do.
    QVERIFY(FStore->DeleteResultFile(s, QStringLiteral("a")));
    // A failure is answered, never raised.
    Save(s, *Record(QStringLiteral("b")));
    FFs->Failing.insert(QStringLiteral("DeleteFile"));
    QVERIFY(!FStore->DeleteResultFile(s, QStringLiteral("b")));
    QCOMPARE(FileNames(Folder(s)), QStringList{QStringLiteral("b.strc")});
}

void TestSessionStore::replaceColourOnly()
{
    const QString s = QStringLiteral("S");
    auto old = Record(QStringLiteral("Изм_01"), 0xFFFF0000u);
    Save(s, *old);
    auto edited = Record(QStringLiteral("Изм_01"), 0xFF0000FFu);
    FStore->ReplaceResult(s, old->Descr, *edited);
    QCOMPARE(FileNames(Folder(s)), QStringList{QStringLiteral("Изм_01.strc")});
    QCOMPARE(Key(FStore->ResultFile(s, QStringLiteral("Изм_01")), QStringLiteral("Color")), QStringLiteral("Blue"));
    QVERIFY(FFs->CallsOf(QStringLiteral("DeleteFile")).isEmpty());
}

void TestSessionStore::replaceRename()
{
    const QString s = QStringLiteral("S");
    auto old = Record(QStringLiteral("test01"), 0xFFFF0000u, 1234);
    Save(s, *old);
    Save(s, *Record(QStringLiteral("other")));
    auto edited = Record(QStringLiteral("TEST01"), 0xFFFF0000u, 1234);
    FStore->ReplaceResult(s, old->Descr, *edited);
    QCOMPARE(FileNames(Folder(s)), (QStringList{QStringLiteral("TEST01.strc"), QStringLiteral("other.strc")}));
    const QString file = FStore->ResultFile(s, QStringLiteral("TEST01"));
    QCOMPARE(Key(file, QStringLiteral("Descr")), QStringLiteral("TEST01"));
    QCOMPARE(Key(file, QStringLiteral("t0")), QStringLiteral("1234.000"));
    // The old file went only after the new one was there.
    QCOMPARE(FFs->CallsOf(QStringLiteral("DeleteFile")), QStringList{QStringLiteral("DeleteFile: ") + FStore->ResultFile(s, QStringLiteral("test01"))});
}

void TestSessionStore::replaceCaseOnlyOnCaseBlindSystem()
{
    const QString s = QStringLiteral("S");
    FFs->CaseInsensitive = true;
    auto old = Record(QStringLiteral("test01"), 0xFFFF0000u);
    Save(s, *old);
    auto edited = Record(QStringLiteral("TEST01"), 0xFF0000FFu);
    FStore->ReplaceResult(s, old->Descr, *edited);
    // The one file was rewritten and renamed, never deleted.
    QVERIFY(FFs->CallsOf(QStringLiteral("DeleteFile")).isEmpty());
    QCOMPARE(FFs->CallsOf(QStringLiteral("RenameFile")).size(), 1);
    QCOMPARE(FileNames(Folder(s)), QStringList{QStringLiteral("TEST01.strc")});
    const QString file = FStore->ResultFile(s, QStringLiteral("TEST01"));
    QCOMPARE(Key(file, QStringLiteral("Descr")), QStringLiteral("TEST01"));
    QCOMPARE(Key(file, QStringLiteral("Color")), QStringLiteral("Blue"));
}

void TestSessionStore::replaceEmptyName()
{
    const QString s = QStringLiteral("S");
    auto old = Record(QStringLiteral("Изм_01"));
    Save(s, *old);
    auto edited = Record(QString());
    FStore->ReplaceResult(s, old->Descr, *edited);
    QCOMPARE(FileNames(Folder(s)), QStringList{QStringLiteral(".strc")});
    const TSessionLoad load = FStore->LoadSession(s, [] { return std::make_unique<TLSResult>(); });
    QCOMPARE(load.Results.size(), std::size_t(1));
    QCOMPARE(load.Results[0]->Descr, QString());
}

void TestSessionStore::replaceFailedWriteKeepsOldFile()
{
    const QString s = QStringLiteral("S");
    auto old = Record(QStringLiteral("Изм_01"), 0xFFFF0000u);
    Save(s, *old);
    const QByteArray before = ReadAll(FStore->ResultFile(s, old->Descr));
    // A folder where the new file should go: the write fails.
    QVERIFY(QDir().mkpath(FStore->ResultFile(s, QStringLiteral("Новое"))));
    auto edited = Record(QStringLiteral("Новое"), 0xFF0000FFu);
    QVERIFY_THROWS_EXCEPTION(EFileError, FStore->ReplaceResult(s, old->Descr, *edited));
    QCOMPARE(ReadAll(FStore->ResultFile(s, old->Descr)), before);
    QVERIFY(FFs->CallsOf(QStringLiteral("DeleteFile")).isEmpty());
}

QTEST_GUILESS_MAIN(TestSessionStore)
#include "tst_SessionStore.moc"
