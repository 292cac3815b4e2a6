#include "terrain/map.h"
#include "tools/dropstartpicker.h"

#include <QtTest>

namespace {

// A plane rising along x (z = x): a drop runs straight toward x = 0 and stops
// as its next step would leave the map, less than one step (0.01/sqrt(2))
// before the edge. So a drop started at x gets x far, within that step.
std::unique_ptr<Map> planeRisingAlongX(std::uint32_t size)
{
    auto map = std::make_unique<Map>(size, size);
    for (MapPoint& point : map->points()) {
        point.setZ(point.x());
    }
    return map;
}

const double LastStep = 0.01 / std::sqrt(2.0);

} // namespace

class DropStartPickerTest : public QObject
{
    Q_OBJECT

private slots:
    void reachOnASlopeIsTheDistanceToTheLowEdge_data()
    {
        QTest::addColumn<QPointF>("start");
        QTest::newRow("near the edge") << QPointF(0.5, 3.3);
        QTest::newRow("middle") << QPointF(5.25, 1.0);
        QTest::newRow("high side") << QPointF(8.7, 8.2);
    }

    void reachOnASlopeIsTheDistanceToTheLowEdge()
    {
        QFETCH(QPointF, start);
        const auto map = planeRisingAlongX(10);
        const double reach = dropReach(*map, start);
        QVERIFY2(reach <= start.x() + 1e-4 && reach > start.x() - LastStep - 1e-4,
                 qPrintable(QString::number(reach)));
    }

    void aDropOnFlatGroundGetsNowhere()
    {
        const Map flat(6, 6);
        QCOMPARE(dropReach(flat, QPointF(2.5, 2.5)), 0.0);
    }

    void triesLeaveTheMapWithoutDrops()
    {
        const auto map = planeRisingAlongX(6);
        dropReach(*map, QPointF(3.5, 2.5));
        farthestDropStarts(*map, 2, 1.0);
        QVERIFY(map->drops().empty());
    }

    // Candidates sit at 0.35 + 1.5 k along both axes, below width - 2. On the
    // plane every start with x = 7.85 gets equally far; among equals the one
    // with smaller y comes first, and a start closer than the spacing to one
    // already taken is passed over.
    void farthestStartsAreOnTheHighSideAndKeepTheirSpacing()
    {
        const auto map = planeRisingAlongX(10);
        const QVector<QPointF> starts = farthestDropStarts(*map, 3, 2.9);
        const QVector<QPointF> expected{{7.85, 0.35}, {7.85, 3.35}, {7.85, 6.35}};
        QCOMPARE(starts, expected);
    }

    void returnsFewerStartsWhenTheSpacingLeavesNoRoom()
    {
        const auto map = planeRisingAlongX(10);
        const QVector<QPointF> starts = farthestDropStarts(*map, 4, 100.0);
        QCOMPARE(starts, QVector<QPointF>{QPointF(7.85, 0.35)});
    }
};

QTEST_APPLESS_MAIN(DropStartPickerTest)
#include "test_dropstartpicker.moc"
