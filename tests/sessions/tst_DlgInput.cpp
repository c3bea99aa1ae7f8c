#include "dialogs/ColorComboBox.h"
#include "dialogs/IDialogService.h"
#include "dialogs/dlgInputFm.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

// What one close procedure call saw.
struct TClose
{
    int calls = 0;
    int result = -1;
    TfmDlgInputParams params;
    bool senderHidden = false;
};

TDlgInputCloseDialogProc Recorder(TClose &AClose)
{
    return [&AClose](TfmDlgInput *ASender, int AResult) {
        ++AClose.calls;
        AClose.result = AResult;
        AClose.senderHidden = ASender && ASender->isHidden();
        if (ASender)
            AClose.params = ASender->Params();
    };
}

int OpenDialogs()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<TfmDlgInput *>(w))
            ++n;
    return n;
}

void ProcessDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TfmDlgInputParams AllParams()
{
    TfmDlgInputParams p;
    p.StringValue = QStringLiteral("Изм_01");
    p.NumericValue = 42;
    p.BoolValue = true;
    p.ColorValue = 0xFF008000u;
    p.StringValueLabel = QStringLiteral("Название");
    p.NumericValueLabel = QStringLiteral("Число");
    p.BoolValueLabel = QStringLiteral("Удалить исходные");
    p.ColorValueLabel = QStringLiteral("Цвет");
    return p;
}

} // namespace

class TestDlgInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void valueSet();
    void rows_data();
    void rows();
    void fillsEveryRow();
    void closing_data();
    void closing();
    void hiddenRowsReturnTheirValues();
    void closeProcedureRunsOnce();
    void noCloseProcedure();
    void executeRaisesAndReleases();
    void operations_data();
    void operations();
    void colourBoxKeywords();
    void colourBoxOtherColour();
    void colourBoxChoice();
};

void TestDlgInput::cleanup()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<TfmDlgInput *>(w))
            delete w;
}

void TestDlgInput::valueSet()
{
    const TDlgInputValueSet s{dvString, dvColor};
    QCOMPARE(s.Bits(), quint8(0b1001));
    QVERIFY(s.Contains(dvString));
    QVERIFY(!s.Contains(dvNumeric));
    QVERIFY(!s.Contains(dvBool));
    QVERIFY(s.Contains(dvColor));
    QCOMPARE(TDlgInputValueSet::FromBits(0b1001), s);
    QCOMPARE(TDlgInputValueSet().Bits(), quint8(0));
    QCOMPARE(int(dvString), 0);
    QCOMPARE(int(dvNumeric), 1);
    QCOMPARE(int(dvBool), 2);
    QCOMPARE(int(dvColor), 3);
}

void TestDlgInput::rows_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("height");
    // 42 (buttons) + 25 (hidden caption, still counted) + rows of 48 + 10.
    QTest::newRow("text") << 0b0001 << QStringList{QStringLiteral("flString")} << 125;
    QTest::newRow("number") << 0b0010 << QStringList{QStringLiteral("flNumber")} << 125;
    QTest::newRow("check box") << 0b0100 << QStringList{QStringLiteral("flBool")} << 125;
    QTest::newRow("colour") << 0b1000 << QStringList{QStringLiteral("flColor")} << 125;
    QTest::newRow("text, colour") << 0b1001 << QStringList{QStringLiteral("flString"), QStringLiteral("flColor")} << 173;
    QTest::newRow("text, check box") << 0b0101 << QStringList{QStringLiteral("flString"), QStringLiteral("flBool")} << 173;
    QTest::newRow("number, colour") << 0b1010 << QStringList{QStringLiteral("flNumber"), QStringLiteral("flColor")} << 173;
    QTest::newRow("three") << 0b1101
                           << QStringList{QStringLiteral("flString"), QStringLiteral("flBool"), QStringLiteral("flColor")} << 221;
    QTest::newRow("all") << 0b1111
                         << QStringList{QStringLiteral("flString"), QStringLiteral("flNumber"), QStringLiteral("flBool"),
                                        QStringLiteral("flColor")}
                         << 269;
    QTest::newRow("none keeps the designed height") << 0 << QStringList() << TfmDlgInput::DesignedHeight;
}

void TestDlgInput::rows()
{
    QFETCH(int, bits);
    QFETCH(QStringList, shown);
    QFETCH(int, height);
    TClose close;
    QPointer<TfmDlgInput> dlg = DlgInput(QStringLiteral("Заголовок"), TDlgInputValueSet::FromBits(quint8(bits)),
                                         AllParams(), Recorder(close));
    QVERIFY(dlg);
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Заголовок"));
    QCOMPARE(dlg->lCaption->text(), QStringLiteral("Заголовок"));
    QVERIFY(!dlg->pnlCaption->isVisible());
    QCOMPARE(dlg->width(), TfmDlgInput::DesignedWidth);
    QCOMPARE(dlg->height(), height);
    QCOMPARE(dlg->objectName(), QStringLiteral("fmDlgInput"));

    // The visible rows stack from the top in the order text, number, check
    // box, colour; the hidden ones take no space.
    int y = 0;
    for (QWidget *row : {dlg->flString, dlg->flNumber, dlg->flBool, dlg->flColor}) {
        QCOMPARE(row->isVisible(), shown.contains(row->objectName()));
        if (!row->isVisible())
            continue;
        QCOMPARE(row->geometry().top(), y);
        QCOMPARE(row->height(), TfmDlgInput::RowHeight);
        y += TfmDlgInput::RowHeight;
    }
    QCOMPARE(dlg->flBottom->geometry().bottom(), dlg->height() - 1);
    // "OK" stands left of "Отмена" at the right edge.
    QVERIFY(dlg->btOk->geometry().right() < dlg->btCancel->geometry().left());
    QCOMPARE(dlg->btOk->text(), QStringLiteral("OK"));
    QCOMPARE(dlg->btCancel->text(), QStringLiteral("Отмена"));
    QCOMPARE(close.calls, 0);
}

void TestDlgInput::fillsEveryRow()
{
    TClose close;
    QPointer<TfmDlgInput> dlg = DlgInput(QString(), {dvString}, AllParams(), Recorder(close));
    QCOMPARE(dlg->lString->text(), QStringLiteral("Название"));
    QCOMPARE(dlg->eString->text(), QStringLiteral("Изм_01"));
    QCOMPARE(dlg->lNumber->text(), QStringLiteral("Число"));
    QCOMPARE(dlg->eNumber->value(), 42);
    QCOMPARE(dlg->eNumber->minimum(), 0);
    QCOMPARE(dlg->eNumber->maximum(), 100);
    QCOMPARE(dlg->chkBool->text(), QStringLiteral("Удалить исходные"));
    QVERIFY(dlg->chkBool->isChecked());
    QCOMPARE(dlg->lColor->text(), QStringLiteral("Цвет"));
    QCOMPARE(dlg->cbColor->Color(), 0xFF008000u);
    for (const char *name : {"pnlCaption", "lCaption", "flString", "lString", "eString", "flNumber", "lNumber",
                             "eNumber", "flBool", "chkBool", "flColor", "lColor", "cbColor", "flBottom", "btOk", "btCancel"})
        QVERIFY2(dlg->findChild<QWidget *>(QString::fromLatin1(name)), name);
}

void TestDlgInput::closing_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << QStringLiteral("ok") << mrOk;
    QTest::newRow("Отмена") << QStringLiteral("cancel") << mrCancel;
    QTest::newRow("close box") << QStringLiteral("close") << mrNone;
    QTest::newRow("Escape") << QStringLiteral("escape") << mrNone;
    QTest::newRow("Return") << QStringLiteral("return") << mrOk;
}

void TestDlgInput::closing()
{
    QFETCH(QString, way);
    QFETCH(int, result);
    TClose close;
    QPointer<TfmDlgInput> dlg = DlgInputStringColor(QStringLiteral("Изменить измерение"), QStringLiteral("Название"),
                                                    QStringLiteral("Изм_01"), QStringLiteral("Цвет"), 0xCB4178AAu,
                                                    Recorder(close));
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    dlg->eString->clear();
    QTest::keyClicks(dlg->eString, QStringLiteral("Run 7"));
    dlg->cbColor->setCurrentIndex(dlg->cbColor->findText(QStringLiteral("Blue")));
    if (way == QLatin1String("ok"))
        QTest::mouseClick(dlg->btOk, Qt::LeftButton);
    else if (way == QLatin1String("cancel"))
        QTest::mouseClick(dlg->btCancel, Qt::LeftButton);
    else if (way == QLatin1String("close"))
        dlg->close();
    else if (way == QLatin1String("escape"))
        QTest::keyClick(dlg->eString, Qt::Key_Escape);
    else
        QTest::keyClick(dlg->eString, Qt::Key_Return);

    QCOMPARE(close.calls, 1);
    QCOMPARE(close.result, result);
    QVERIFY(close.senderHidden);
    // The values come back whatever the result.
    QCOMPARE(close.params.StringValue, QStringLiteral("Run 7"));
    QCOMPARE(close.params.ColorValue, 0xFF0000FFu);
    QCOMPARE(close.params.StringValueLabel, QStringLiteral("Название"));
    QVERIFY(dlg);
    QCOMPARE(dlg->Result(), result);
    ProcessDeletes();
    QVERIFY(!dlg);
    QCOMPARE(close.calls, 1);
    QCOMPARE(OpenDialogs(), 0);
}

void TestDlgInput::hiddenRowsReturnTheirValues()
{
    TClose close;
    TfmDlgInputParams p = AllParams();
    p.NumericValue = 7.5; // whole numbers only: half to even
    p.NumericValueLabel = QStringLiteral("Число");
    TfmDlgInput *dlg = DlgInput(QString(), {dvString}, p, Recorder(close));
    dlg->eString->setText(QStringLiteral("Другое"));
    QTest::mouseClick(dlg->btOk, Qt::LeftButton);
    QCOMPARE(close.result, mrOk);
    QCOMPARE(close.params.StringValue, QStringLiteral("Другое"));
    QCOMPARE(close.params.NumericValue, 8.0);
    QVERIFY(close.params.BoolValue);
    QCOMPARE(close.params.ColorValue, 0xFF008000u);
    QCOMPARE(close.params.NumericValueLabel, QStringLiteral("Число"));
}

void TestDlgInput::closeProcedureRunsOnce()
{
    int calls = 0;
    QPointer<TfmDlgInput> dlg = DlgInputString(QString(), QString(), QString(), [&calls](TfmDlgInput *ASender, int) {
        ++calls;
        // Closing again from inside changes nothing.
        ASender->close();
        ASender->reject();
    });
    QTest::mouseClick(dlg->btOk, Qt::LeftButton);
    dlg->close();
    QCOMPARE(calls, 1);
    ProcessDeletes();
    QVERIFY(!dlg);
}

void TestDlgInput::noCloseProcedure()
{
    QPointer<TfmDlgInput> dlg = DlgInputString(QStringLiteral("c"), QStringLiteral("l"), QStringLiteral("v"), nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    QTest::mouseClick(dlg->btOk, Qt::LeftButton);
    QCOMPARE(dlg->Params().StringValue, QStringLiteral("v"));
    ProcessDeletes();
    QVERIFY(!dlg);
}

void TestDlgInput::executeRaisesAndReleases()
{
    TClose close;
    TfmDlgInputParams p = AllParams();
    p.NumericValue = std::numeric_limits<double>::quiet_NaN();
    bool raised = false;
    try {
        DlgInput(QString(), {dvNumeric}, p, Recorder(close));
    } catch (const std::exception &) {
        raised = true;
    }
    QVERIFY(raised);
    QCOMPARE(OpenDialogs(), 0);
    QCOMPARE(close.calls, 0);
}

void TestDlgInput::operations_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("bits");
    QTest::newRow("DlgInputString") << QStringLiteral("string") << 0b0001;
    QTest::newRow("DlgInputStringBool") << QStringLiteral("bool") << 0b0101;
    QTest::newRow("DlgInputStringColor") << QStringLiteral("color") << 0b1001;
}

void TestDlgInput::operations()
{
    QFETCH(QString, operation);
    QFETCH(int, bits);
    TClose close;
    TfmDlgInput *dlg = nullptr;
    if (operation == QLatin1String("string"))
        dlg = DlgInputString(QStringLiteral("Копия сессии"), QStringLiteral("Наименование"), QStringLiteral("S_"),
                             Recorder(close));
    else if (operation == QLatin1String("bool"))
        dlg = DlgInputStringBool(QStringLiteral("Усреднить результат"), QStringLiteral("Новое название"),
                                 QStringLiteral("Ср"), QStringLiteral("Удалить исходные"), true, Recorder(close));
    else
        dlg = DlgInputStringColor(QStringLiteral("Изменить измерение"), QStringLiteral("Название"), QStringLiteral("x"),
                                  QStringLiteral("Цвет"), 0xFFFF0000u, Recorder(close));
    QCOMPARE(dlg->InputValueSet().Bits(), quint8(bits));
    QTest::mouseClick(dlg->btCancel, Qt::LeftButton);
    QCOMPARE(close.calls, 1);
    QCOMPARE(close.result, mrCancel);
    const TfmDlgInputParams &r = close.params;
    // Only the operation's own fields are set; the others stay empty.
    if (operation == QLatin1String("string")) {
        QCOMPARE(r.StringValueLabel, QStringLiteral("Наименование"));
        QCOMPARE(r.StringValue, QStringLiteral("S_"));
        QVERIFY(!r.BoolValue);
        QVERIFY(r.BoolValueLabel.isEmpty());
        QVERIFY(r.ColorValueLabel.isEmpty());
    } else if (operation == QLatin1String("bool")) {
        QCOMPARE(r.StringValue, QStringLiteral("Ср"));
        QCOMPARE(r.BoolValueLabel, QStringLiteral("Удалить исходные"));
        QVERIFY(r.BoolValue);
        QVERIFY(r.ColorValueLabel.isEmpty());
    } else {
        QCOMPARE(r.StringValue, QStringLiteral("x"));
        QCOMPARE(r.ColorValueLabel, QStringLiteral("Цвет"));
        QCOMPARE(r.ColorValue, 0xFFFF0000u);
        QVERIFY(r.BoolValueLabel.isEmpty());
    }
    QVERIFY(r.NumericValueLabel.isEmpty());
    QCOMPARE(r.NumericValue, 0.0);
}

void TestDlgInput::colourBoxKeywords()
{
    TColorComboBox box;
    QCOMPARE(box.count(), int(TColorText::KeywordNames().size()));
    QCOMPARE(box.CustomIndex(), -1);
    box.SetColor(0xFFFF0000u);
    QCOMPARE(box.currentText(), QStringLiteral("Red"));
    QCOMPARE(box.Color(), 0xFFFF0000u);
    QCOMPARE(box.CustomIndex(), -1);
    // Every entry has an opaque swatch of its colour.
    for (int i = 0; i < box.count(); ++i) {
        const QImage img = box.itemIcon(i).pixmap(16, 16).toImage();
        const QRgb c = box.itemData(i, TColorComboBox::ColorRole).value<quint32>();
        QCOMPARE(img.pixel(8, 8), c | 0xFF000000u);
    }
}

void TestDlgInput::colourBoxOtherColour()
{
    TColorComboBox box;
    box.SetColor(0xCB4178AAu);
    QCOMPARE(box.CustomIndex(), 0);
    QCOMPARE(box.currentIndex(), 0);
    QCOMPARE(box.currentText(), QStringLiteral("#CB4178AA"));
    QCOMPARE(box.count(), int(TColorText::KeywordNames().size()) + 1);
    // The value keeps its alpha; the swatch shows it opaque.
    QCOMPARE(box.Color(), 0xCB4178AAu);
    QCOMPARE(box.itemIcon(0).pixmap(16, 16).toImage().pixel(8, 8), 0xFF4178AAu);
    // Another such colour replaces the entry; a keyword removes it.
    box.SetColor(0x80123456u);
    QCOMPARE(box.count(), int(TColorText::KeywordNames().size()) + 1);
    QCOMPARE(box.Color(), 0x80123456u);
    box.SetColor(0xFF0000FFu);
    QCOMPARE(box.CustomIndex(), -1);
    QCOMPARE(box.currentText(), QStringLiteral("Blue"));
}

void TestDlgInput::colourBoxChoice()
{
    TColorComboBox box;
    box.SetColor(0xCB4178AAu);
    box.setCurrentIndex(box.findText(QStringLiteral("Aqua")));
    QCOMPARE(box.Color(), 0xFF00FFFFu);
    box.setCurrentIndex(box.findText(QStringLiteral("Cyan")));
    QCOMPARE(box.Color(), 0xFF00FFFFu);
    box.setCurrentIndex(0);
    QCOMPARE(box.Color(), 0xCB4178AAu);
}

QTEST_MAIN(TestDlgInput)
#include "tst_DlgInput.moc"
