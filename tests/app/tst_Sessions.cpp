#include "WindowFixture.h"

#include "dialogs/dlgInputFm.h"
#include "dialogs/ColorComboBox.h"
#include "storage/LSResult.h"
#include "view/TreeNode.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>

namespace {

struct TSessionsFixture : TWindowFixture
{
    // Writes a measurement file with one segment of ATimeMs.
    void WriteResult(const QString &ASession, const QString &AFileName, double ATimeMs, const QString &ADescr = QString())
    {
        TLSResult r;
        r.Descr = ADescr.isEmpty() ? AFileName : ADescr;
        r.ReflectorCount = 2;
        r.ReflectorDistances[0] = 5;
        r.ReflectorTimesMs[0] = ATimeMs;
        r.SaveToFile(SessionFolder(ASession) + QLatin1Char('/') + AFileName + QStringLiteral(".strc"));
    }

    QStringList Files(const QString &ASession) const
    {
        QStringList names = QDir(SessionFolder(ASession)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        return names;
    }

    QStringList Loaded() const
    {
        QStringList names;
        for (const auto &r : window->SerList())
            names << r->Descr;
        return names;
    }

    QStringList Sessions() const
    {
        QStringList names;
        for (int i = 0; i < window->cbSession->count(); ++i)
            names << window->cbSession->itemText(i);
        names.sort();
        return names;
    }

    // Finishes a run of the current session as the reflector timing would.
    void FinishRun(double ATimeMs = 1500)
    {
        auto &run = window->Run();
        run.currRes = window->NewResult();
        run.currRes->ReflectorTimesMs[0] = ATimeMs;
        run.currRes->RecalcFinalTimeMs();
        run.FMeasureSuccesful = true;
        window->DoFinish();
    }

    // The open input dialog, answered with AText and AResult.
    void AnswerInput(const QString &AText, int AResult, TAlphaColor *AColor = nullptr)
    {
        auto *dlg = window->findChild<TfmDlgInput *>();
        QVERIFY(dlg);
        dlg->eString->setText(AText);
        if (AColor)
            dlg->cbColor->SetColor(*AColor);
        if (AResult == mrOk)
            dlg->btOk->click();
        else
            dlg->btCancel->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString InputDefault() const
    {
        auto *dlg = window->findChild<TfmDlgInput *>();
        return dlg ? dlg->eString->text() : QStringLiteral("<no dialog>");
    }
};

} // namespace

class TestSessions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sessionAcrossRestart();
    void loadOrderAndNames();
    void unreadableFilesSkipped();
    void newSessionNames_data();
    void newSessionNames();
    void newSessionCancelled();
    void renameSession_data();
    void renameSession();
    void copySession_data();
    void copySession();
    void deleteSession();
    void numbering_data();
    void numbering();
    void numberAtMaximum();
    void stoppedRunWritesNothing();
    void nameFieldStoresBaseName();
    void editMeasurement_data();
    void editMeasurement();
    void editRefused_data();
    void editRefused();
    void deleteMeasurement_data();
    void deleteMeasurement();
    void multiSelectMode();
};

void TestSessions::sessionAcrossRestart()
{
    TSessionsFixture f;
    f.Create();
    f.window->mSessAdd->trigger();
    QCOMPARE(f.dialogs.Dialogs.size(), 1);
    QVERIFY(f.dialogs.Dialogs[0].isInput);
    QCOMPARE(f.dialogs.Dialogs[0].message, QStringLiteral("Наименование сессии"));
    QCOMPARE(f.dialogs.Dialogs[0].text, QDate::currentDate().toString(QStringLiteral("yyyy_MM_dd")));
    f.dialogs.CloseLast(mrOk, QStringLiteral("Трасса 1.5"));
    QCOMPARE(f.window->CurrentSession(), QStringLiteral("Трасса 1.5"));
    f.FinishRun(2345);
    QCOMPARE(f.Files(QStringLiteral("Трасса 1.5")), QStringList({"Изм_01.strc"}));
    QCOMPARE(f.window->eNum->value(), 2);

    f.window.reset();
    f.Create();
    QCOMPARE(f.Sessions(), QStringList({"Трасса 1.5"}));
    QVERIFY(f.window->SerList().empty());
    f.SelectSession(QStringLiteral("Трасса 1.5"));
    QCOMPARE(f.Loaded(), QStringList({"Изм_01"}));
    QCOMPARE(f.window->SerList()[0]->FinalTimeMs, 2345.0);
    QCOMPARE(f.window->tw1->topLevelItemCount(), 1);
}

void TestSessions::loadOrderAndNames()
{
    TSessionsFixture f;
    f.AddSession(QStringLiteral("S"));
    f.WriteResult(QStringLiteral("S"), QStringLiteral("Изм_10"), 1);
    f.WriteResult(QStringLiteral("S"), QStringLiteral("изм_02"), 2);
    f.WriteResult(QStringLiteral("S"), QStringLiteral("Изм_01"), 3, QStringLiteral("Something else"));
    f.WriteResult(QStringLiteral("S"), QStringLiteral("notes.txt"), 4); // saved as notes.txt.strc
    QFile other(f.SessionFolder(QStringLiteral("S")) + QStringLiteral("/readme.txt"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
    f.Create();
    f.SelectSession(QStringLiteral("S"));
    QCOMPARE(f.Loaded(), QStringList({"notes.txt", "Изм_01", "изм_02", "Изм_10"}));
}

void TestSessions::unreadableFilesSkipped()
{
    TSessionsFixture f;
    f.AddSession(QStringLiteral("S"));
    f.WriteResult(QStringLiteral("S"), QStringLiteral("A"), 1);
    QFile bad(f.SessionFolder(QStringLiteral("S")) + QStringLiteral("/B.strc"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("[Header]\r\nReflectorCount=2\r\n[ReflectorTimes]\r\nt0=abc\r\n");
    bad.close();
    f.WriteResult(QStringLiteral("S"), QStringLiteral("C"), 3);
    f.Create();
    f.SelectSession(QStringLiteral("S"));
    QCOMPARE(f.Loaded(), QStringList({"A", "C"}));
    QCOMPARE(f.window->tw1->topLevelItemCount(), 2);
    QCOMPARE(f.dialogs.Dialogs.size(), 1);
    QVERIFY(f.dialogs.Dialogs[0].message.contains(QStringLiteral("B.strc")));
    // The unreadable file's name is not given to a new run.
    f.window->eName->setText(QStringLiteral("B"));
    f.window->eNum->setValue(1);
    QVERIFY(!f.window->CheckNewResultName(QStringLiteral("B"), false));
}

void TestSessions::newSessionNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message"); // empty: created

    QTest::newRow("empty") << "" << "Сессия с таким названием уже существует";
    QTest::newRow("taken") << "S" << "Сессия с таким названием уже существует";
    QTest::newRow("slash") << "a/b" << "Недопустимые символы в названии";
    QTest::newRow("colon") << "a:b" << "Недопустимые символы в названии";
    QTest::newRow("quote") << "a\"b" << "Недопустимые символы в названии";
    QTest::newRow("blanks and points") << " . . x" << "";
    QTest::newRow("cyrillic") << "Трасса 1.5" << "";
}

void TestSessions::newSessionNames()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    TSessionsFixture f;
    f.AddSession(QStringLiteral("S"));
    f.Create();
    f.window->DoSessionAddAction();
    f.dialogs.CloseLast(mrOk, name);
    if (message.isEmpty()) {
        QCOMPARE(f.dialogs.Dialogs.size(), 1);
        QVERIFY(QFileInfo(f.SessionFolder(name)).isDir());
        QCOMPARE(f.window->CurrentSession(), name);
        QCOMPARE(f.Sessions().size(), 2);
    } else {
        QCOMPARE(f.dialogs.Messages().last(), message);
        QCOMPARE(f.dialogs.Dialogs.last().type, TMsgDlgType::mtError);
        QCOMPARE(f.Sessions(), QStringList({"S"}));
        QCOMPARE(f.window->cbSession->currentIndex(), -1);
    }
}

void TestSessions::newSessionCancelled()
{
    TSessionsFixture f;
    f.Create();
    f.window->DoSessionAddAction();
    f.dialogs.CloseLast(mrCancel, QStringLiteral("X"));
    QVERIFY(!QFileInfo::exists(f.SessionFolder(QStringLiteral("X"))));
    QCOMPARE(f.window->cbSession->count(), 0);
}

void TestSessions::renameSession_data()
{
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QStringList>("sessions");
    QTest::addColumn<QString>("message");

    QTest::newRow("other name") << "def" << QStringList({"def", "other"}) << "";
    QTest::newRow("letter case only") << "ABC" << QStringList({"abc", "other"}) << "";
    QTest::newRow("taken") << "other" << QStringList({"abc", "other"}) << "Сессия с таким названием уже существует";
    QTest::newRow("invalid") << "a|b" << QStringList({"abc", "other"}) << "Недопустимые символы в названии";
}

void TestSessions::renameSession()
{
    QFETCH(QString, newName);
    QFETCH(QStringList, sessions);
    QFETCH(QString, message);
    TSessionsFixture f;
    f.AddSession(QStringLiteral("abc"));
    f.AddSession(QStringLiteral("other"));
    f.WriteResult(QStringLiteral("abc"), QStringLiteral("Изм_01"), 1);
    f.Create();
    f.SelectSession(QStringLiteral("abc"));
    f.window->mSessEdit->trigger();
    QCOMPARE(f.InputDefault(), QStringLiteral("abc"));
    f.AnswerInput(newName, mrOk);
    QCOMPARE(f.Sessions(), sessions);
    QStringList onDisk = QDir(f.folders.SessionsPath()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    onDisk.sort();
    QCOMPARE(onDisk, sessions);
    QCOMPARE(f.Loaded(), QStringList({"Изм_01"}));
    if (message.isEmpty())
        QVERIFY(f.dialogs.Dialogs.isEmpty());
    else
        QCOMPARE(f.dialogs.Messages(), QStringList({message}));
}

void TestSessions::copySession_data()
{
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QStringList>("loaded");

    QTest::newRow("default name") << "S_" << "S_" << QStringList({"A"});
    QTest::newRow("existing session selected") << "T" << "T" << QStringList({"B"});
    QTest::newRow("invalid name") << "S?" << "" << QStringList();
}

void TestSessions::copySession()
{
    QFETCH(QString, newName);
    QFETCH(QString, selected);
    QFETCH(QStringList, loaded);
    TSessionsFixture f;
    f.AddSession(QStringLiteral("S"));
    f.AddSession(QStringLiteral("T"));
    f.WriteResult(QStringLiteral("S"), QStringLiteral("A"), 1);
    f.WriteResult(QStringLiteral("T"), QStringLiteral("B"), 2);
    f.Create();
    f.SelectSession(QStringLiteral("S"));
    f.window->mSessCopy->trigger();
    QCOMPARE(f.InputDefault(), QStringLiteral("S_"));
    f.AnswerInput(newName, mrOk);
    QCOMPARE(f.window->CurrentSession(), selected);
    if (!selected.isEmpty())
        QCOMPARE(f.Loaded(), loaded);
    if (newName == QLatin1String("S_"))
        QCOMPARE(f.Files(QStringLiteral("S_")), QStringList({"A.strc"}));
    QCOMPARE(f.Files(QStringLiteral("T")), QStringList({"B.strc"})); // nothing copied over it
    QCOMPARE(f.Files(QStringLiteral("S")), QStringList({"A.strc"}));
}

void TestSessions::deleteSession()
{
    TSessionsFixture f;
    f.AddSession(QStringLiteral("S"));
    f.AddSession(QStringLiteral("T"));
    f.WriteResult(QStringLiteral("S"), QStringLiteral("A"), 1);
    f.Create();
    f.SelectSession(QStringLiteral("S"));
    f.window->mSessDel->trigger();
    QCOMPARE(f.dialogs.Messages(), QStringList({"Удалить \"S\"?"}));
    QCOMPARE(f.dialogs.Dialogs[0].type, TMsgDlgType::mtConfirmation);
    QCOMPARE(f.dialogs.Dialogs[0].buttons, TMsgDlgButtons::mbOKCancel);
    f.dialogs.CloseLast(mrCancel);
    QVERIFY(QFileInfo::exists(f.SessionFolder(QStringLiteral("S"))));
    f.window->mSessDel->trigger();
    f.dialogs.CloseLast(mrOk);
    QVERIFY(!QFileInfo::exists(f.SessionFolder(QStringLiteral("S"))));
    QCOMPARE(f.Sessions(), QStringList({"T"}));
    QCOMPARE(f.window->cbSession->currentIndex(), -1);
    QCOMPARE(f.window->tw1->topLevelItemCount(), 0);
    QVERIFY(f.window->SerList().empty());
}

void TestSessions::numbering_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("base");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<int>("nextNumber");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty session") << QStringList() << "Изм_" << 1 << "Изм_01" << 2 << "";
    QTest::newRow("taken names skipped")
        << QStringList({"Изм_01", "Изм_02"}) << "Изм_" << 1 << "Изм_03" << 4
        << "Нумератор измерений: \"Изм_01\" уже существует.\r\nНумератор изменен\r\nНазвание текущего измерения: \"Изм_03\"";
    QTest::newRow("ASCII case folded") << QStringList({"TEST01"}) << "test" << 1 << "test02" << 3
        << "Нумератор измерений: \"test01\" уже существует.\r\nНумератор изменен\r\nНазвание текущего измерения: \"test02\"";
    QTest::newRow("Cyrillic case not folded") << QStringList({"ИЗМ_01"}) << "Изм_" << 1 << "Изм_01" << 2 << "";
    QTest::newRow("three digits") << QStringList() << "Изм_" << 100 << "Изм_100" << 101 << "";
    QTest::newRow("empty base") << QStringList() << "" << 1 << "01" << 2 << "";
}

void TestSessions::numbering()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, base);
    QFETCH(int, number);
    QFETCH(QString, saved);
    QFETCH(int, nextNumber);
    QFETCH(QString, message);
    TSessionsFixture f;
    f.AddSession(QStringLiteral("S"));
    for (const QString &n : existing)
        f.WriteResult(QStringLiteral("S"), n, 1);
    f.Create();
    f.SelectSession(QStringLiteral("S"));
    f.window->eName->setText(base);
    f.window->eNum->setValue(number);
    f.FinishRun(1500);
    QVERIFY(f.Files(QStringLiteral("S")).contains(saved + QStringLiteral(".strc")));
    QCOMPARE(f.window->eNum->value(), nextNumber);
    QCOMPARE(f.Loaded().last(), saved);
    QVERIFY(f.window->SerList().back()->Active);
    QVERIFY(!f.window->Run().FMeasureSuccesful);
    QCOMPARE(f.window->tw1->currentItem(), f.window->tw1->topLevelItem(f.window->tw1->topLevelItemCount() - 1));
    if (message.isEmpty()) {
        QVERIFY(f.dialogs.Dialogs.isEmpty());
    } else {
        QCOMPARE(f.dialogs.Messages(), QStringList({message}));
        QCOMPARE(f.dialogs.Dialogs[0].type, TMsgDlgType::mtInformation);
        QVERIFY(f.window->pnlResultIndicator->isHidden());
        f.dialogs.CloseLast(mrOk);
        QVERIFY(!f.window->pnlResultIndicator->isHidden()); // shown once the notice is closed
        QVERIFY(f.window->tmResultDisplay->isActive());
    }
    TLSResult back;
    back.LoadFromFile(f.SessionFolder(QStringLiteral("S")) + QLatin1Char('/') + saved + QStringLiteral(".strc"));
    QCOMPARE(back.Descr, saved);
    QCOMPARE(back.ReflectorTimesMs[0], 1500.0);
}

void TestSessions::numberAtMaximum()
{
    TSessionsFixture f;
    f.AddSession(QStringLiteral("S"));
    f.WriteResult(QStringLiteral("S"), QStringLiteral("Изм_100000000"), 1);
    f.Create();
    f.SelectSession(QStringLiteral("S"));
    f.window->eNum->setValue(100000000);
    f.FinishRun(1500);
    // Not lost and not written over the other run.
    QCOMPARE(f.Files(QStringLiteral("S")), QStringList({"Изм_100000000.strc", "Изм_100000000_1.strc"}));
    QCOMPARE(f.dialogs.Dialogs.size(), 1);
    QVERIFY(f.dialogs.Messages()[0].contains(QStringLiteral("Изм_100000000_1")));
    QCOMPARE(f.window->eNum->value(), 100000000);
}

void TestSessions::stoppedRunWritesNothing()
{
    TSessionsFixture f;
    f.AddSession(QStringLiteral("S"));
    f.Create();
    f.SelectSession(QStringLiteral("S"));
    f.window->Run().currRes = f.window->NewResult();
    f.window->Run().FMeasureSuccesful = false;
    f.window->DoFinish();
    QVERIFY(f.Files(QStringLiteral("S")).isEmpty());
    QCOMPARE(f.window->eNum->value(), 1);
    QVERIFY(f.window->SerList().empty());
}

void TestSessions::nameFieldStoresBaseName()
{
    TSessionsFixture f;
    f.Create();
    QVERIFY(!QFileInfo::exists(f.folders.SettingsFileName()));
    f.window->eName->setText(QStringLiteral("Прогон_"));
    f.window->eNameExit();
    TLSSettings s(f.folders.SettingsFileName());
    s.Load();
    QCOMPARE(s.BaseTestName, QStringLiteral("Прогон_"));
}

void TestSessions::editMeasurement_data()
{
    QTest::addColumn<QString>("newName");
    QTest::addColumn<quint32>("color");
    QTest::addColumn<QStringList>("files");

    QTest::newRow("colour only") << "test01" << 0xFFFF0000u << QStringList({"other.strc", "test01.strc"});
    QTest::newRow("letter case") << "TEST01" << 0xFF0000FFu << QStringList({"TEST01.strc", "other.strc"});
    QTest::newRow("new name") << "Лыжа А" << 0xFF008000u << QStringList({"other.strc", "Лыжа А.strc"});
    QTest::newRow("empty name") << "" << 0xFF008000u << QStringList({".strc", "other.strc"});
}

void TestSessions::editMeasurement()
{
    QFETCH(QString, newName);
    QFETCH(quint32, color);
    QFETCH(QStringList, files);
    TSessionsFixture f;
    f.AddSession(QStringLiteral("S"));
    f.WriteResult(QStringLiteral("S"), QStringLiteral("test01"), 1500);
    f.WriteResult(QStringLiteral("S"), QStringLiteral("other"), 1700);
    f.Create();
    f.SelectSession(QStringLiteral("S"));
    QCOMPARE(f.Loaded(), QStringList({"other", "test01"}));
    f.window->SerList()[1]->Active = false; // a hidden run is shown again
    f.window->tw1->setCurrentItem(f.window->tw1->topLevelItem(1));
    f.window->mListEdit->trigger();
    QCOMPARE(f.InputDefault(), QStringLiteral("test01"));
    TAlphaColor c = color;
    f.AnswerInput(newName, mrOk, &c);
    QStringList onDisk = f.Files(QStringLiteral("S"));
    std::sort(files.begin(), files.end());
    std::sort(onDisk.begin(), onDisk.end());
    QCOMPARE(onDisk, files);
    QCOMPARE(f.Loaded(), QStringList({"other", newName}));
    QCOMPARE(f.window->tw1->currentItem(), f.window->tw1->topLevelItem(1));
    const TLSResult &edited = *f.window->SerList()[1];
    QCOMPARE(edited.Color, color);
    QVERIFY(edited.Active);
    QCOMPARE(edited.FinalTimeMs, 1500.0);
    TLSResult back;
    back.LoadFromFile(f.SessionFolder(QStringLiteral("S")) + QLatin1Char('/') + newName + QStringLiteral(".strc"));
    QCOMPARE(back.Color, color);
    QCOMPARE(back.ReflectorTimesMs[0], 1500.0);
    QVERIFY(f.dialogs.Dialogs.isEmpty());
}

void TestSessions::editRefused_data()
{
    QTest::addColumn<QString>("newName");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");

    QTest::newRow("taken") << "Изм_02" << int(mrOk) << "Измерение с таким названием уже существует";
    QTest::newRow("invalid") << "a*b" << int(mrOk) << "Недопустимые символы в названии";
    QTest::newRow("cancel") << "new" << int(mrCancel) << "";
}

void TestSessions::editRefused()
{
    QFETCH(QString, newName);
    QFETCH(int, result);
    QFETCH(QString, message);
    TSessionsFixture f;
    f.AddSession(QStringLiteral("S"));
    f.WriteResult(QStringLiteral("S"), QStringLiteral("Изм_01"), 1);
    f.WriteResult(QStringLiteral("S"), QStringLiteral("Изм_02"), 2);
    f.Create();
    f.SelectSession(QStringLiteral("S"));
    f.window->tw1->setCurrentItem(f.window->tw1->topLevelItem(0));
    f.window->DoEditAction();
    f.AnswerInput(newName, result);
    QCOMPARE(f.Files(QStringLiteral("S")), QStringList({"Изм_01.strc", "Изм_02.strc"}));
    QCOMPARE(f.Loaded(), QStringList({"Изм_01", "Изм_02"}));
    QCOMPARE(f.dialogs.Messages(), message.isEmpty() ? QStringList() : QStringList({message}));
}

void TestSessions::deleteMeasurement_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("selectedAfter"); // -1: empty tree

    QTest::newRow("middle: the next one selected") << QStringList({"A", "B", "C"}) << 1 << 1;
    QTest::newRow("last: the new last selected") << QStringList({"A", "B", "C"}) << 2 << 1;
    QTest::newRow("only: tree empty") << QStringList({"A"}) << 0 << -1;
}

void TestSessions::deleteMeasurement()
{
    QFETCH(QStringList, names);
    QFETCH(int, selected);
    QFETCH(int, selectedAfter);
    TSessionsFixture f;
    f.AddSession(QStringLiteral("S"));
    for (const QString &n : names)
        f.WriteResult(QStringLiteral("S"), n, 1);
    f.Create();
    f.SelectSession(QStringLiteral("S"));
    f.window->tw1->setCurrentItem(f.window->tw1->topLevelItem(selected));
    f.window->mListDel->trigger();
    QCOMPARE(f.dialogs.Messages(), QStringList({QStringLiteral("Удалить \"%1\"?").arg(names[selected])}));
    f.dialogs.CloseLast(mrOk);
    QStringList left = names;
    left.removeAt(selected);
    QCOMPARE(f.Loaded(), left);
    QStringList files;
    for (const QString &n : left)
        files << n + QStringLiteral(".strc");
    QCOMPARE(f.Files(QStringLiteral("S")), files);
    QCOMPARE(f.window->tw1->topLevelItemCount(), left.size());
    if (selectedAfter < 0)
        QVERIFY(!f.window->tw1->currentItem());
    else
        QCOMPARE(f.window->tw1->currentItem(), f.window->tw1->topLevelItem(selectedAfter));
}

void TestSessions::multiSelectMode()
{
    TSessionsFixture f;
    f.AddSession(QStringLiteral("S"));
    f.WriteResult(QStringLiteral("S"), QStringLiteral("A"), 1);
    f.WriteResult(QStringLiteral("S"), QStringLiteral("B"), 2);
    f.Create();
    f.SelectSession(QStringLiteral("S"));
    QVERIFY(!f.window->ListMultiselect());
    f.window->btMultiSelectMouseDown();
    QVERIFY(f.window->ListMultiselect());
    QVERIFY(f.window->btMultiSelect->styleSheet().contains(QStringLiteral("#FFFFFF")));
    auto *item = ResultTreeItem(f.window->tw1, 1);
    QVERIFY(item->MultiSelectMode());
    item->SetIsMultiSelected(true);
    QCOMPARE(f.window->GetMultiSelectedItems(), QList<TResultTreeItem *>({item}));
    // Edit and delete still act on the selected item.
    f.window->tw1->setCurrentItem(f.window->tw1->topLevelItem(0));
    f.window->DoDeleteAction();
    QCOMPARE(f.dialogs.Messages(), QStringList({"Удалить \"A\"?"}));
    f.dialogs.CloseLast(mrCancel);
    f.window->btMultiSelectMouseDown();
    QVERIFY(!f.window->ListMultiselect());
    QVERIFY(f.window->btMultiSelect->styleSheet().contains(QStringLiteral("#000000")));
    QVERIFY(f.window->GetMultiSelectedItems().isEmpty());
    // Loading a session leaves the mode.
    f.window->btMultiSelectMouseDown();
    f.window->LoadSession(QStringLiteral("S"));
    QVERIFY(!f.window->ListMultiselect());
}

QTEST_MAIN(TestSessions)
#include "tst_Sessions.moc"
