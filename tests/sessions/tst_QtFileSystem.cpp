#include "app/AppError.h"
#include "storage/QtFileSystem.h"

#include <QtTest>

namespace {

void WriteAll(const QString &AName, const QByteArray &AData)
{
    QDir().mkpath(QFileInfo(AName).absolutePath());
    QFile f(AName);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(AData), AData.size());
}

QByteArray ReadAll(const QString &AName)
{
    QFile f(AName);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// Every file and folder below ARoot, relative, sorted.
QStringList Tree(const QString &ARoot)
{
    QStringList list;
    QDirIterator it(ARoot, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        list.append(QDir(ARoot).relativeFilePath(it.next()));
    list.sort();
    return list;
}

QString Shown(const QString &APath)
{
    return QDir::toNativeSeparators(APath);
}

} // namespace

class TestQtFileSystem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void createFolder();
    void moveFolder();
    void copyFolder();
    void deleteFolder();
    void deleteFile();
    void renameFile();
    void sameFile();
    void failures_data();
    void failures();
    void copyFailureLeavesNoHalfCopy();

private:
    std::unique_ptr<QTemporaryDir> FTemp;
    TQtFileSystem FFs;
    QString Path(const QString &ARelative) const { return FTemp->filePath(ARelative); }
};

void TestQtFileSystem::init()
{
    FTemp = std::make_unique<QTemporaryDir>();
    QVERIFY(FTemp->isValid());
}

void TestQtFileSystem::cleanup()
{
    FTemp.reset();
}

void TestQtFileSystem::createFolder()
{
    FFs.CreateFolder(Path(QStringLiteral("a/b/Трасса 1.5")));
    QVERIFY(QFileInfo(Path(QStringLiteral("a/b/Трасса 1.5"))).isDir());
    // Existing already: fine.
    FFs.CreateFolder(Path(QStringLiteral("a/b")));
}

void TestQtFileSystem::moveFolder()
{
    WriteAll(Path(QStringLiteral("S/x.strc")), "x");
    WriteAll(Path(QStringLiteral("S/sub/y.txt")), "y");
    FFs.MoveFolder(Path(QStringLiteral("S")), Path(QStringLiteral("T")));
    QVERIFY(!QFileInfo::exists(Path(QStringLiteral("S"))));
    QCOMPARE(Tree(Path(QStringLiteral("T"))),
             (QStringList{QStringLiteral("sub"), QStringLiteral("sub/y.txt"), QStringLiteral("x.strc")}));
}

void TestQtFileSystem::copyFolder()
{
    WriteAll(Path(QStringLiteral("S/x.strc")), "x");
    WriteAll(Path(QStringLiteral("S/.strc")), "hidden");
    WriteAll(Path(QStringLiteral("S/sub/deeper/y.txt")), "y");
    QVERIFY(QDir().mkpath(Path(QStringLiteral("S/empty"))));
    FFs.CopyFolder(Path(QStringLiteral("S")), Path(QStringLiteral("S_")));
    QCOMPARE(Tree(Path(QStringLiteral("S_"))), Tree(Path(QStringLiteral("S"))));
    QCOMPARE(Tree(Path(QStringLiteral("S_"))).size(), 6);
    QCOMPARE(ReadAll(Path(QStringLiteral("S_/.strc"))), QByteArray("hidden"));
    QCOMPARE(ReadAll(Path(QStringLiteral("S_/sub/deeper/y.txt"))), QByteArray("y"));
    // The source stays.
    QCOMPARE(ReadAll(Path(QStringLiteral("S/x.strc"))), QByteArray("x"));
}

void TestQtFileSystem::deleteFolder()
{
    WriteAll(Path(QStringLiteral("S/x.strc")), "x");
    WriteAll(Path(QStringLiteral("S/sub/y.txt")), "y");
    WriteAll(Path(QStringLiteral("T/z.strc")), "z");
    FFs.DeleteFolder(Path(QStringLiteral("S")));
    QVERIFY(!QFileInfo::exists(Path(QStringLiteral("S"))));
    QVERIFY(QFileInfo::exists(Path(QStringLiteral("T/z.strc"))));
    // Gone already: fine.
    FFs.DeleteFolder(Path(QStringLiteral("S")));
}

void TestQtFileSystem::deleteFile()
{
    WriteAll(Path(QStringLiteral("S/x.strc")), "x");
    WriteAll(Path(QStringLiteral("S/y.strc")), "y");
    FFs.DeleteFile(Path(QStringLiteral("S/x.strc")));
    QCOMPARE(Tree(Path(QStringLiteral("S"))), QStringList{QStringLiteral("y.strc")});
    FFs.DeleteFile(Path(QStringLiteral("S/x.strc")));
}

void TestQtFileSystem::renameFile()
{
    WriteAll(Path(QStringLiteral("S/test01.strc")), "t");
    FFs.RenameFile(Path(QStringLiteral("S/test01.strc")), Path(QStringLiteral("S/TEST01.strc")));
    QCOMPARE(Tree(Path(QStringLiteral("S"))), QStringList{QStringLiteral("TEST01.strc")});
    QCOMPARE(ReadAll(Path(QStringLiteral("S/TEST01.strc"))), QByteArray("t"));
}

void TestQtFileSystem::sameFile()
{
    WriteAll(Path(QStringLiteral("S/a.strc")), "a");
    WriteAll(Path(QStringLiteral("S/b.strc")), "b");
    QVERIFY(FFs.SameFile(Path(QStringLiteral("S/a.strc")), Path(QStringLiteral("S/../S/a.strc"))));
    QVERIFY(!FFs.SameFile(Path(QStringLiteral("S/a.strc")), Path(QStringLiteral("S/b.strc"))));
    QVERIFY(!FFs.SameFile(Path(QStringLiteral("S/a.strc")), Path(QStringLiteral("S/missing.strc"))));
    // Letter case counts as far as this file system counts it.
    const bool caseBlind = QFileInfo::exists(Path(QStringLiteral("S/A.strc")));
    QCOMPARE(FFs.SameFile(Path(QStringLiteral("S/a.strc")), Path(QStringLiteral("S/A.strc"))), caseBlind);
}

void TestQtFileSystem::failures_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("message");
    // Paths are relative to the temporary folder and filled in below.
    QTest::newRow("create under a file") << QStringLiteral("create") << QStringLiteral("Не удалось создать папку %1");
    QTest::newRow("move a missing folder") << QStringLiteral("move missing")
                                           << QStringLiteral("Не удалось переместить папку %1 в %2: папка не найдена");
    QTest::newRow("move onto an existing folder")
        << QStringLiteral("move onto") << QStringLiteral("Не удалось переместить папку %1 в %2: папка с таким именем уже существует");
    QTest::newRow("copy a missing folder") << QStringLiteral("copy missing")
                                           << QStringLiteral("Не удалось скопировать папку %1 в %2: папка не найдена");
    QTest::newRow("copy onto an existing folder")
        << QStringLiteral("copy onto") << QStringLiteral("Не удалось скопировать папку %1 в %2: папка с таким именем уже существует");
    QTest::newRow("delete a file as a folder") << QStringLiteral("delete folder")
                                               << QStringLiteral("Не удалось удалить папку %1: это не папка");
    QTest::newRow("delete a folder as a file") << QStringLiteral("delete file")
                                               << QStringLiteral("Не удалось удалить файл %1: это папка");
    QTest::newRow("rename onto an existing file") << QStringLiteral("rename") << QStringLiteral("Не удалось переименовать файл %1 в %2");
}

void TestQtFileSystem::failures()
{
    QFETCH(QString, operation);
    QFETCH(QString, message);
    WriteAll(Path(QStringLiteral("file")), "f");
    WriteAll(Path(QStringLiteral("S/x.strc")), "x");
    WriteAll(Path(QStringLiteral("T/y.strc")), "y");
    const QString file = Path(QStringLiteral("file"));
    const QString s = Path(QStringLiteral("S"));
    const QString t = Path(QStringLiteral("T"));
    const QString missing = Path(QStringLiteral("missing"));
    QString expected;
    try {
        if (operation == QLatin1String("create")) {
            expected = message.arg(Shown(file + QStringLiteral("/sub")));
            FFs.CreateFolder(file + QStringLiteral("/sub"));
        } else if (operation == QLatin1String("move missing")) {
            expected = message.arg(Shown(missing), Shown(t));
            FFs.MoveFolder(missing, t);
        } else if (operation == QLatin1String("move onto")) {
            expected = message.arg(Shown(s), Shown(t));
            FFs.MoveFolder(s, t);
        } else if (operation == QLatin1String("copy missing")) {
            expected = message.arg(Shown(missing), Shown(t));
            FFs.CopyFolder(missing, t);
        } else if (operation == QLatin1String("copy onto")) {
            expected = message.arg(Shown(s), Shown(t));
            FFs.CopyFolder(s, t);
        } else if (operation == QLatin1String("delete folder")) {
            expected = message.arg(Shown(file));
            FFs.DeleteFolder(file);
        } else if (operation == QLatin1String("delete file")) {
            expected = message.arg(Shown(s));
            FFs.DeleteFile(s);
        } else {
            expected = message.arg(Shown(s + QStringLiteral("/x.strc")), Shown(t + QStringLiteral("/y.strc")));
            FFs.RenameFile(s + QStringLiteral("/x.strc"), t + QStringLiteral("/y.strc"));
        }
        QFAIL("no error");
    } catch (const EFileError &e) {
        QVERIFY2(e.Message().startsWith(expected), qPrintable(e.Message()));
    }
    // Nothing was changed by the failed operation.
    QCOMPARE(Tree(FTemp->path()), (QStringList{QStringLiteral("S"), QStringLiteral("S/x.strc"), QStringLiteral("T"),
                                               QStringLiteral("T/y.strc"), QStringLiteral("file")}));
    QCOMPARE(ReadAll(Path(QStringLiteral("T/y.strc"))), QByteArray("y"));
}

void TestQtFileSystem::copyFailureLeavesNoHalfCopy()
{
    WriteAll(Path(QStringLiteral("S/a.strc")), "a");
    WriteAll(Path(QStringLiteral("S/sub/b.strc")), "b");
    // A link to nothing cannot be copied.
    QVERIFY(QFile::link(Path(QStringLiteral("nowhere")), Path(QStringLiteral("S/z.strc"))));
    try {
        FFs.CopyFolder(Path(QStringLiteral("S")), Path(QStringLiteral("S_")));
        QFAIL("no error");
    } catch (const EFileError &e) {
        QVERIFY2(e.Message().startsWith(QStringLiteral("Не удалось скопировать папку %1 в %2: ")
                                            .arg(Shown(Path(QStringLiteral("S"))), Shown(Path(QStringLiteral("S_"))))),
                 qPrintable(e.Message()));
        QVERIFY2(e.Message().contains(Shown(Path(QStringLiteral("S/z.strc")))), qPrintable(e.Message()));
    }
    QVERIFY(!QFileInfo::exists(Path(QStringLiteral("S_"))));
    QCOMPARE(ReadAll(Path(QStringLiteral("S/sub/b.strc"))), QByteArray("b"));
}

QTEST_GUILESS_MAIN(TestQtFileSystem)
#include "tst_QtFileSystem.moc"
