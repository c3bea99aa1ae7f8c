#include "FakeFileSystem.h"
#include "LocaleGuard.h"

#include "storage/LSResult.h"
#include "storage/SessionStore.h"
#include "view/ResultTimeText.h"
#include "view/TreeNode.h"

#include <QTreeWidget>
#include <QtTest>

#include <limits>

namespace {

// A chart line that only remembers whether it is shown.
class TFakeSeries final : public IChartSeries
{
public:
    explicit TFakeSeries(int &ACalls, bool &AVisible) : FCalls(ACalls), FVisible(AVisible) {}
    void SetVisible(bool AVisible) override
    {
        ++FCalls;
        FVisible = AVisible;
    }

private:
    int &FCalls;
    bool &FVisible;
};

QString Key(const QString &AFile, const QString &AKey)
{
    QFile f(AFile);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    for (const QString &line : QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n")))
        if (line.startsWith(AKey + QLatin1Char('=')))
            return line.mid(AKey.size() + 1);
    return QString();
}

std::unique_ptr<TLSResult> Record(const QString &ADescr, double ATimeMs, TAlphaColor AColor, bool AActive)
{
    auto r = std::make_unique<TLSResult>();
    r->Descr = ADescr;
    r->ReflectorCount = 2;
    r->ReflectorDistances[0] = 10;
    r->ReflectorTimesMs[0] = ATimeMs;
    r->RecalcFinalTimeMs();
    r->Color = AColor;
    r->Active = AActive;
    return r;
}

} // namespace

class TestResultTree : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void timeText_data();
    void timeText();
    void newItem();
    void itemWithoutTime();
    void rebuild();
    void hiddenShownByOneClick();
    void clickOutsideIndicator();
    void doubleClickTogglesOnce_data();
    void doubleClickTogglesOnce();
    void multiSelect();
    void multiSelectedItemsInTreeOrder();
    void rebuildInMultiSelectMode();
    void detachedItem();
    void properties();
    void look();
    void layout();

private:
    QPoint IndicatorCentre(int ARow) const;
    QPoint NamePoint(int ARow) const;
    TResultTreeItem *Item(int ARow) const { return ResultTreeItem(FTree.get(), ARow); }
    void Rebuild(bool AMultiSelect = false);

    std::unique_ptr<QTemporaryDir> FTemp;
    std::unique_ptr<TFakeFileSystem> FFs;
    std::unique_ptr<TSessionStore> FStore;
    std::unique_ptr<QTreeWidget> FTree;
    TResultList FList;
    QList<TResultTreeItem *> FChanged;
    int FSeriesCalls = 0;
    bool FSeriesVisible = false;
    const QString FSession = QStringLiteral("S");
};

void TestResultTree::init()
{
    FTemp = std::make_unique<QTemporaryDir>();
    QVERIFY(FTemp->isValid());
    FFs = std::make_unique<TFakeFileSystem>();
    FStore = std::make_unique<TSessionStore>(FTemp->filePath(QStringLiteral("Sessions")), *FFs);
    FStore->CreateSession(FSession);
    FTree = std::make_unique<QTreeWidget>();
    FTree->setObjectName(QStringLiteral("tw1"));
    FTree->resize(240, 300);
    FList.clear();
    FList.push_back(Record(QStringLiteral("Изм_01"), 9876, 0xFF0000FFu, true));
    FList.push_back(Record(QStringLiteral("Изм_02"), 12345, 0xFFFF0000u, false));
    FList.push_back(Record(QStringLiteral("Изм_03"), 500, 0xFF008000u, true));
    FSeriesCalls = 0;
    FSeriesVisible = false;
    FList[1]->ChartSer = std::make_unique<TFakeSeries>(FSeriesCalls, FSeriesVisible);
    for (const auto &r : FList)
        FStore->SaveResult(FSession, *r);
    FChanged.clear();
}

void TestResultTree::cleanup()
{
    FTree.reset();
    FList.clear();
    FStore.reset();
    FFs.reset();
    FTemp.reset();
}

void TestResultTree::Rebuild(bool AMultiSelect)
{
    // The window's handler: save the measurement whose visibility changed.
    RebuildResultTree(FTree.get(), FList, AMultiSelect, [this](TResultTreeItem *ASender) {
        FChanged.append(ASender);
        if (ASender->LSResult())
            FStore->SaveResult(FSession, *ASender->LSResult());
    });
    FTree->show();
    QVERIFY(QTest::qWaitForWindowExposed(FTree.get()));
}

QPoint TestResultTree::IndicatorCentre(int ARow) const
{
    return TResultTreeItem::IndicatorRect(FTree->visualItemRect(FTree->topLevelItem(ARow))).center();
}

QPoint TestResultTree::NamePoint(int ARow) const
{
    const QRect row = FTree->visualItemRect(FTree->topLevelItem(ARow));
    return TResultTreeItem::NameRect(row, 0).topLeft() + QPoint(4, row.height() / 2);
}

void TestResultTree::timeText_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("9876 ms") << QStringLiteral("en_US") << 9876.0 << QStringLiteral("9.88");
    QTest::newRow("9876 ms, comma locale") << QStringLiteral("ru_RU") << 9876.0 << QStringLiteral("9,88");
    QTest::newRow("zero") << QStringLiteral("en_US") << 0.0 << QStringLiteral("0.00");
    QTest::newRow("half down to even") << QStringLiteral("en_US") << 1005.0 << QStringLiteral("1.00");
    QTest::newRow("half up to even") << QStringLiteral("en_US") << 1015.0 << QStringLiteral("1.02");
    QTest::newRow("no grouping") << QStringLiteral("ru_RU") << 123456789.0 << QStringLiteral("123456,79");
    QTest::newRow("negative") << QStringLiteral("en_US") << -1500.0 << QStringLiteral("-1.50");
    QTest::newRow("not a number") << QStringLiteral("en_US") << std::numeric_limits<double>::quiet_NaN() << QString();
}

void TestResultTree::timeText()
{
    QFETCH(QString, locale);
    QFETCH(double, ms);
    QFETCH(QString, text);
    TLocaleGuard guard(locale);
    QCOMPARE(ResultTimeText(ms), text);
}

void TestResultTree::newItem()
{
    TLocaleGuard guard(QStringLiteral("ru_RU"));
    TResultTreeItem item(FList[0].get(), true);
    QCOMPARE(item.LSResult(), FList[0].get());
    QCOMPARE(item.LabelText(), QStringLiteral("Изм_01"));
    QCOMPARE(item.NameText(), QStringLiteral("Изм_01"));
    QCOMPARE(item.ResultText(), QStringLiteral("9,88"));
    QCOMPARE(item.IndicatorColor(), 0xFF0000FFu);
    QVERIFY(item.IndicatorChecked());
    QVERIFY(item.IndicatorFilled());
    QCOMPARE(item.IndicatorFill(), 0xFF0000FFu);
    QVERIFY(!item.IsMultiSelected());
    QVERIFY(!item.MultiSelectMode());
    QVERIFY(!item.NameBold());
    QVERIFY(!item.HighlightVisible());
    QCOMPARE(item.data(0, Qt::DisplayRole).toString(), QStringLiteral("Изм_01"));

    // A hidden measurement: hollow indicator, its line hidden.
    TResultTreeItem hidden(FList[1].get(), true);
    QVERIFY(!hidden.IndicatorChecked());
    QCOMPARE(hidden.IndicatorFill(), TResultTreeItem::HollowColor);
    QVERIFY(FSeriesCalls > 0);
    QVERIFY(!FSeriesVisible);
}

void TestResultTree::itemWithoutTime()
{
    TResultTreeItem item(FList[0].get(), false);
    QVERIFY(!item.NeedResultLabel());
    QVERIFY(item.ResultText().isEmpty());
}

void TestResultTree::rebuild()
{
    Rebuild();
    QCOMPARE(FTree->topLevelItemCount(), 3);
    QVERIFY(qobject_cast<TResultTreeDelegate *>(FTree->itemDelegate()));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(Item(i)->LSResult(), FList[i].get());
        QCOMPARE(Item(i)->NameText(), FList[i]->Descr);
        QVERIFY(Item(i)->NeedResultLabel());
        QVERIFY(Item(i)->OnIndicatorCheckedChange());
        QVERIFY(!Item(i)->MultiSelectMode());
    }
    // A second rebuild replaces the items, in the list's new order.
    std::swap(FList[0], FList[2]);
    Rebuild();
    QCOMPARE(FTree->topLevelItemCount(), 3);
    QCOMPARE(Item(0)->NameText(), QStringLiteral("Изм_03"));
    QCOMPARE(Item(2)->NameText(), QStringLiteral("Изм_01"));
    FList.clear();
    Rebuild();
    QCOMPARE(FTree->topLevelItemCount(), 0);
}

void TestResultTree::hiddenShownByOneClick()
{
    Rebuild();
    const QString file = FStore->ResultFile(FSession, QStringLiteral("Изм_02"));
    QCOMPARE(Key(file, QStringLiteral("Active")), QStringLiteral("0"));
    QVERIFY(!Item(1)->IndicatorFilled());

    QTest::mouseClick(FTree->viewport(), Qt::LeftButton, {}, IndicatorCentre(1));
    QVERIFY(FList[1]->Active);
    QVERIFY(Item(1)->IndicatorChecked());
    QCOMPARE(Item(1)->IndicatorFill(), 0xFFFF0000u);
    QVERIFY(FSeriesVisible);
    QCOMPARE(FChanged, QList<TResultTreeItem *>{Item(1)});
    QCOMPARE(Key(file, QStringLiteral("Active")), QStringLiteral("1"));
    QCOMPARE(SelectedResultTreeItem(FTree.get()), Item(1));

    // And hidden again by the next click.
    QTest::mouseClick(FTree->viewport(), Qt::LeftButton, {}, IndicatorCentre(1));
    QVERIFY(!FList[1]->Active);
    QVERIFY(!FSeriesVisible);
    QCOMPARE(Key(file, QStringLiteral("Active")), QStringLiteral("0"));
    QCOMPARE(FChanged.size(), 2);
}

void TestResultTree::clickOutsideIndicator()
{
    Rebuild();
    QTest::mouseClick(FTree->viewport(), Qt::LeftButton, {}, NamePoint(0));
    QVERIFY(FList[0]->Active);
    QVERIFY(FChanged.isEmpty());
    QCOMPARE(SelectedResultTreeItem(FTree.get()), Item(0));
}

void TestResultTree::doubleClickTogglesOnce_data()
{
    QTest::addColumn<bool>("onIndicator");
    QTest::newRow("on the name") << false;
    QTest::newRow("on the indicator") << true;
}

void TestResultTree::doubleClickTogglesOnce()
{
    QFETCH(bool, onIndicator);
    Rebuild();
    const QPoint at = onIndicator ? IndicatorCentre(0) : NamePoint(0);
    // A double click arrives as press, release, double click, release.
    QTest::mouseClick(FTree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(FTree->viewport(), Qt::LeftButton, {}, at);
    QVERIFY(!FList[0]->Active);
    QCOMPARE(FChanged.size(), 1);
    QCOMPARE(Key(FStore->ResultFile(FSession, QStringLiteral("Изм_01")), QStringLiteral("Active")), QStringLiteral("0"));
}

void TestResultTree::multiSelect()
{
    Rebuild();
    SetResultTreeMultiSelectMode(FTree.get(), true);
    for (int i = 0; i < 3; ++i)
        QVERIFY(Item(i)->MultiSelectMode());

    QTest::mouseClick(FTree->viewport(), Qt::LeftButton, {}, IndicatorCentre(1));
    QVERIFY(Item(1)->IsMultiSelected());
    QVERIFY(Item(1)->NameBold());
    QVERIFY(Item(1)->HighlightVisible());
    QVERIFY(Item(1)->data(0, Qt::FontRole).value<QFont>().bold());
    QCOMPARE(SelectedResultTreeItem(FTree.get()), Item(1));
    // Visibility and file stay as they were.
    QVERIFY(!FList[1]->Active);
    QVERIFY(!Item(1)->IndicatorFilled());
    QVERIFY(FChanged.isEmpty());
    QCOMPARE(Key(FStore->ResultFile(FSession, QStringLiteral("Изм_02")), QStringLiteral("Active")), QStringLiteral("0"));

    // A double click marks too, once.
    QTest::mouseClick(FTree->viewport(), Qt::LeftButton, {}, NamePoint(2));
    QTest::mouseDClick(FTree->viewport(), Qt::LeftButton, {}, NamePoint(2));
    QVERIFY(Item(2)->IsMultiSelected());
    // A second click unmarks.
    QTest::mouseClick(FTree->viewport(), Qt::LeftButton, {}, IndicatorCentre(1));
    QVERIFY(!Item(1)->IsMultiSelected());
    QVERIFY(!Item(1)->NameBold());
    QCOMPARE(GetMultiSelectedItems(FTree.get()), QList<TResultTreeItem *>{Item(2)});

    // Leaving the mode clears every mark; clicks toggle visibility again.
    SetResultTreeMultiSelectMode(FTree.get(), false);
    QVERIFY(GetMultiSelectedItems(FTree.get()).isEmpty());
    QVERIFY(!Item(2)->HighlightVisible());
    QTest::mouseClick(FTree->viewport(), Qt::LeftButton, {}, IndicatorCentre(2));
    QVERIFY(!FList[2]->Active);
    QCOMPARE(FChanged.size(), 1);
}

void TestResultTree::multiSelectedItemsInTreeOrder()
{
    Rebuild(true);
    Item(2)->SetIsMultiSelected(true);
    QCOMPARE(SelectedResultTreeItem(FTree.get()), Item(2));
    Item(0)->SetIsMultiSelected(true);
    QCOMPARE(SelectedResultTreeItem(FTree.get()), Item(0));
    QCOMPARE(GetMultiSelectedItems(FTree.get()), (QList<TResultTreeItem *>{Item(0), Item(2)}));
    // Unmarking does not move the selection.
    Item(0)->SetIsMultiSelected(false);
    QCOMPARE(SelectedResultTreeItem(FTree.get()), Item(0));
    QCOMPARE(GetMultiSelectedItems(FTree.get()), QList<TResultTreeItem *>{Item(2)});
}

void TestResultTree::rebuildInMultiSelectMode()
{
    // Items made while the list is in multi-select mode are in it too, or a
    // click after a rebuild would toggle visibility instead of marking.
    Rebuild(true);
    for (int i = 0; i < 3; ++i)
        QVERIFY(Item(i)->MultiSelectMode());
    QTest::mouseClick(FTree->viewport(), Qt::LeftButton, {}, IndicatorCentre(0));
    QVERIFY(Item(0)->IsMultiSelected());
    QVERIFY(FList[0]->Active);
}

void TestResultTree::detachedItem()
{
    Rebuild();
    TResultTreeItem *item = Item(1);
    item->SetLSResult(nullptr);
    // The record may change or go: the item keeps its last look.
    FList[1]->Descr = QStringLiteral("другое");
    FList[1]->Active = true;
    item->UpdateState();
    QCOMPARE(item->NameText(), QStringLiteral("Изм_02"));
    QVERIFY(!item->IndicatorChecked());
    // Its own fields still decide fill, font and highlight.
    item->SetIndicatorColor(0xFF00FF00u);
    item->SetIndicatorChecked(true);
    QCOMPARE(item->IndicatorFill(), 0xFF00FF00u);
    item->SetMultiSelectMode(true);
    item->SetIsMultiSelected(true);
    QVERIFY(item->NameBold());
    QVERIFY(item->HighlightVisible());
    // A click toggles its own state; there is no record to save.
    item->SetMultiSelectMode(false);
    FList.erase(FList.begin() + 1);
    QTest::mouseClick(FTree->viewport(), Qt::LeftButton, {}, IndicatorCentre(1));
    QVERIFY(!item->IndicatorChecked());
    QCOMPARE(FChanged, QList<TResultTreeItem *>{item});
}

void TestResultTree::properties()
{
    TResultTreeItem item(FList[0].get(), true);
    item.SetLabelText(QStringLiteral("Метка"));
    QCOMPARE(item.LabelText(), QStringLiteral("Метка"));
    QCOMPARE(item.NameText(), QStringLiteral("Метка"));
    // With a record set, the record decides again.
    item.UpdateState();
    QCOMPARE(item.NameText(), QStringLiteral("Изм_01"));
    QCOMPARE(item.LabelText(), QStringLiteral("Метка"));
    FList[0]->Color = 0xFF123456u;
    FList[0]->Active = false;
    item.SetIndicatorChecked(true);
    QVERIFY(!item.IndicatorChecked());
    QCOMPARE(item.IndicatorColor(), 0xFF123456u);
    // Leaving or entering the mode clears a mark.
    item.SetMultiSelectMode(true);
    item.SetIsMultiSelected(true);
    item.SetMultiSelectMode(true);
    QVERIFY(!item.IsMultiSelected());
}

void TestResultTree::look()
{
    Rebuild();
    const auto pixel = [this](const QPoint &APoint) { return FTree->viewport()->grab().toImage().pixel(APoint); };
    // Filled with the measurement's colour while shown; hollow while hidden.
    QCOMPARE(pixel(IndicatorCentre(0)), QRgb(0xFF0000FFu));
    const QRect hiddenRow = FTree->visualItemRect(FTree->topLevelItem(1));
    const QPoint hiddenBlank(TResultTreeItem::NameRect(hiddenRow, 60).right() - 2, hiddenRow.center().y());
    QCOMPARE(pixel(IndicatorCentre(1)), pixel(hiddenBlank));

    // The highlight behind a marked name turns its background towards
    // orange-red.
    SetResultTreeMultiSelectMode(FTree.get(), true);
    const QRect row = FTree->visualItemRect(FTree->topLevelItem(2));
    const QPoint blank(TResultTreeItem::NameRect(row, 60).right() - 2, row.center().y());
    const QRgb before = pixel(blank);
    Item(2)->SetIsMultiSelected(true);
    FTree->clearSelection();
    const QRgb after = pixel(blank);
    QVERIFY2(qBlue(after) + 40 < qBlue(before) && qRed(after) > qGreen(after) && qGreen(after) > qBlue(after),
             qPrintable(QStringLiteral("%1 -> %2").arg(before, 8, 16).arg(after, 8, 16)));
}

void TestResultTree::layout()
{
    const QRect row(0, 10, 200, 28);
    const QRect ind = TResultTreeItem::IndicatorRect(row);
    QCOMPARE(ind, QRect(2, 12, 24, 24));
    const QRect result = TResultTreeItem::ResultRect(row, 30);
    QCOMPARE(result.right(), row.right() - 2);
    QCOMPARE(result.width(), 30);
    const QRect name = TResultTreeItem::NameRect(row, 30);
    QCOMPARE(name.left(), ind.right() + 1 + 4);
    QCOMPARE(name.right(), result.left() - 3);
    QCOMPARE(TResultTreeItem::NameRect(row, 0).right(), row.right());
}

QTEST_MAIN(TestResultTree)
#include "tst_ResultTree.moc"
