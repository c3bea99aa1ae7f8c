#include "timing/ReflectorIndicator.h"

#include <QtTest>

namespace {

constexpr quint32 W = TReflectorIndicator::PassedColor;
constexpr quint32 G = TReflectorIndicator::NotPassedColor;
constexpr quint32 L = TReflectorIndicator::LastPassedColor;

QList<quint32> Fills(const TReflectorIndicator &AIndicator)
{
    QList<quint32> fills;
    for (const TReflectorIndicator::TCircle &c : AIndicator.Circles())
        fills.append(c.Fill);
    return fills;
}

} // namespace

class TestReflectorIndicator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void geometry_data();
    void geometry();
    void colours_data();
    void colours();
    void rebuildStartsGrey();
    void everyChangeAsksForRepaint();
};

void TestReflectorIndicator::geometry_data()
{
    QTest::addColumn<double>("chartWidth");
    QTest::addColumn<double>("chartHeight");
    QTest::addColumn<int>("count");
    QTest::addColumn<QRect>("panel");
    QTest::addColumn<int>("side");
    QTest::addColumn<QList<int>>("lefts");

    // 817 / 6 = 136.17 -> 136; 237.5 - 68 = 169.5 -> 170.
    QTest::newRow("825 x 475, six reflectors")
        << 825.0 << 475.0 << 6 << QRect(0, 170, 817, 136) << 128 << QList<int>{4, 140, 276, 412, 548, 684};
    // 92.5 -> 92; 92 / 2 = 46; 50 - 23 = 27.
    QTest::newRow("width half rounds to even")
        << 100.5 << 100.0 << 2 << QRect(0, 27, 92, 46) << 38 << QList<int>{4, 50};
    // 90 / 4 = 22.5 -> 22; 11.5 - 11 = 0.5 -> 0.
    QTest::newRow("cell and top halves round down to even")
        << 98.0 << 23.0 << 4 << QRect(0, 0, 90, 22) << 14 << QList<int>{4, 26, 48, 70};
    // 99 / 2 = 49.5 -> 50; 50 - 25 = 25.
    QTest::newRow("cell half rounds up to even")
        << 107.0 << 100.0 << 2 << QRect(0, 25, 99, 50) << 42 << QList<int>{4, 54};
    // 50 / 10 = 5; 50 - 2.5 = 47.5 -> 48; circles cannot be smaller than nothing.
    QTest::newRow("cells smaller than the margins")
        << 58.0 << 100.0 << 10 << QRect(0, 48, 50, 5) << 0 << QList<int>{4, 9, 14, 19, 24, 29, 34, 39, 44, 49};
    // 5 - 8 < 0 -> 0; 237.5 -> 238.
    QTest::newRow("chart narrower than the margin")
        << 5.0 << 475.0 << 3 << QRect(0, 238, 0, 0) << 0 << QList<int>{4, 4, 4};
    QTest::newRow("no reflectors") << 825.0 << 475.0 << 0 << QRect(0, 238, 817, 0) << 0 << QList<int>{};
}

void TestReflectorIndicator::geometry()
{
    QFETCH(double, chartWidth);
    QFETCH(double, chartHeight);
    QFETCH(int, count);
    QFETCH(QRect, panel);
    QFETCH(int, side);
    QFETCH(QList<int>, lefts);

    TReflectorIndicator indicator;
    indicator.BuildReflectorIndicator(chartWidth, chartHeight, count);
    QCOMPARE(indicator.PanelBounds(), panel);
    QCOMPARE(indicator.Circles().size(), lefts.size());
    for (int k = 0; k < lefts.size(); ++k) {
        const TReflectorIndicator::TCircle &c = indicator.Circles()[k];
        QCOMPARE(c.Bounds, QRect(lefts[k], 4, side, side));
        QCOMPARE(c.Fill, G);
    }
}

void TestReflectorIndicator::colours_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("marks");
    QTest::addColumn<QList<quint32>>("fills");

    QTest::newRow("a run of six") << 6 << QList<int>{0, 1, 2, 3, 4, 5} << QList<quint32>{W, W, W, W, W, L};
    QTest::newRow("half way") << 6 << QList<int>{0, 1, 2} << QList<quint32>{W, W, W, G, G, G};
    QTest::newRow("one mark fills all before it") << 4 << QList<int>{2} << QList<quint32>{W, W, W, G};
    QTest::newRow("the last at once") << 3 << QList<int>{2} << QList<quint32>{W, W, L};
    QTest::newRow("circles after the index keep their fill") << 3 << QList<int>{2, 0} << QList<quint32>{W, W, L};
    QTest::newRow("an index beyond the circles") << 3 << QList<int>{5} << QList<quint32>{W, W, W};
    QTest::newRow("a negative index changes nothing") << 3 << QList<int>{-1} << QList<quint32>{G, G, G};
    QTest::newRow("no circles") << 0 << QList<int>{0} << QList<quint32>{};
}

void TestReflectorIndicator::colours()
{
    QFETCH(int, count);
    QFETCH(QList<int>, marks);
    QFETCH(QList<quint32>, fills);

    TReflectorIndicator indicator;
    indicator.BuildReflectorIndicator(825, 475, count);
    for (int index : std::as_const(marks))
        indicator.MarkReflectorPassed(index);
    QCOMPARE(Fills(indicator), fills);
}

void TestReflectorIndicator::rebuildStartsGrey()
{
    TReflectorIndicator indicator;
    indicator.BuildReflectorIndicator(825, 475, 3);
    indicator.MarkReflectorPassed(2);
    indicator.BuildReflectorIndicator(825, 475, 4);
    QCOMPARE(Fills(indicator), (QList<quint32>{G, G, G, G}));
}

void TestReflectorIndicator::everyChangeAsksForRepaint()
{
    TReflectorIndicator indicator;
    QSignalSpy changed(&indicator, &TReflectorIndicator::Changed);
    indicator.BuildReflectorIndicator(825, 475, 3);
    indicator.MarkReflectorPassed(0);
    indicator.MarkReflectorPassed(-1);
    QCOMPARE(changed.count(), 3);
}

QTEST_GUILESS_MAIN(TestReflectorIndicator)
#include "tst_ReflectorIndicator.moc"
