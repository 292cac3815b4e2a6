#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "maps.h"

#include <QtTest>
#include <cmath>

namespace {

constexpr float kStep = 0.01f;

const std::vector<MapPoint>& pathOf(const Map& map)
{
    return map.drops().back()->path();
}

} // namespace

// fuzz_drops runs drops over arbitrary maps and keeps every path on the map.
class TestDrops : public QObject
{
    Q_OBJECT

private slots:
    // The 4 x 3 plane z = x + 2y, or with one corner lifted to 10. Lower-left
    // triangles, ties on the diagonal included, take P0 at the cell's origin,
    // upper-right ones at its opposite corner. A step goes along
    // (n.x n.z, n.z n.y, n.x^2 + n.y^2) for the normal n: (-1, -2, 1) on the
    // plane, (8, 9, -1) beside (1, 1) lifted, (4, 5, -1) beside (3, 2) lifted.
    void startAndFirstStep_data()
    {
        QTest::addColumn<QPoint>("lifted");
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<float>("height");
        QTest::addColumn<QVector3D>("direction");
        const QPoint none(-1, -1);
        const QVector3D down(-1, -2, 5);
        QTest::newRow("lower left") << none << QPointF(0.25, 0.5) << 1.25f << down;
        QTest::newRow("upper right") << none << QPointF(0.75, 0.75) << 2.25f << down;
        QTest::newRow("last column") << none << QPointF(3.0, 0.25) << 3.5f << down;
        QTest::newRow("lifted, upper right")
            << QPoint(1, 1) << QPointF(0.875, 0.625) << 5.625f << QVector3D(-8, -9, 145);
        QTest::newRow("lifted, on the diagonal")
            << QPoint(1, 1) << QPointF(0.25, 0.75) << 1.75f << down;
        QTest::newRow("lifted, upper right of cell (2, 1)")
            << QPoint(3, 2) << QPointF(2.875, 1.625) << 7.625f << QVector3D(-4, -5, 41);
    }

    void startAndFirstStep()
    {
        QFETCH(QPoint, lifted);
        QFETCH(QPointF, start);
        QFETCH(float, height);
        QFETCH(QVector3D, direction);
        const auto map = makeMap(
            4, 3, [&](int x, int y) { return QPoint(x, y) == lifted ? 10.0f : float(x + 2 * y); });
        map->startDrop(float(start.x()), float(start.y()));
        QCOMPARE(bitsOf(pathOf(*map)[0].z()), bitsOf(height));
        QVERIFY(map->stepDrops(kStep));
        QCOMPARE(bitsOf(pathOf(*map)[0].z()), bitsOf(height));
        const QVector3D moved =
            QVector3D(float(start.x()), float(start.y()), height) + direction.normalized() * kStep;
        QCOMPARE(pathOf(*map).size(), std::size_t(2));
        QVERIFY((QVector3D(pathOf(*map)[1].x(), pathOf(*map)[1].y(), pathOf(*map)[1].z()) - moved)
                    .length() < 1e-6f);
    }

    // On z = x a drop heads for x = 0 by 0.01 / sqrt(2) per step. After 60
    // steps every point it has left lies on the terrain, and the newest lies
    // one step's share of height above the point before it.
    void newestPointStaysNearTheTerrain()
    {
        const auto map = makeMap(8, 8, [](int x, int) { return float(x); });
        map->startDrop(5.0f, 3.0f);
        for (int i = 0; i < 60; ++i)
            map->stepDrops(kStep);
        const std::vector<MapPoint>& path = pathOf(*map);
        QCOMPARE(path.size(), std::size_t(61));
        QCOMPARE(path[59].z(), path[59].x());
        QVERIFY(std::abs(path[60].z() - path[59].z() - kStep / std::sqrt(2.0f)) < 1e-6f);
    }

    // The path runs (1, 1), (2, 2), then (0, 0) until it holds `points`; the candidate is
    // compared with the point 50 places before its own once the path has more than 50
    // points. Off the 3 x 4 map a candidate stops the drop and is not added.
    void stopRules_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<QPointF>("candidate");
        QTest::addColumn<bool>("stops");
        QTest::newRow("back to index 1") << 51 << QPointF(2, 2) << true;
        QTest::newRow("back to index 0") << 51 << QPointF(1, 1) << false;
        QTest::newRow("50 points only") << 50 << QPointF(1, 1) << false;
        QTest::newRow("x just 0.01 away") << 52 << QPointF(0.01, 0) << true;
        QTest::newRow("y just 0.01 away") << 52 << QPointF(0, 0.01) << true;
        QTest::newRow("y beyond 0.01") << 52 << QPointF(0, 0.0101) << false;
        QTest::newRow("x below 0") << 3 << QPointF(-0.001, 1) << true;
        QTest::newRow("on x 0 and the last row") << 3 << QPointF(0, 3) << false;
        QTest::newRow("y past the last row") << 3 << QPointF(0.5, 3.001) << true;
        QTest::newRow("on the last column and y 0") << 3 << QPointF(2, 0) << false;
        QTest::newRow("x past the last column") << 3 << QPointF(2.001, 0.5) << true;
    }

    void stopRules()
    {
        QFETCH(int, points);
        QFETCH(QPointF, candidate);
        QFETCH(bool, stops);
        WaterDrop drop(1.0f, 1.0f, 0.0f);
        drop.advance(QVector3D(1, 1, 0), 1.0f, 3, 4);
        while (int(drop.path().size()) < points) {
            drop.advance(-QVector3D(drop.currentPoint()->x(), drop.currentPoint()->y(), 0), 1.0f, 3,
                         4);
        }
        drop.advance(QVector3D(float(candidate.x()), float(candidate.y()), 0), 1.0f, 3, 4);
        QCOMPARE(drop.isStopped(), stops);
        QCOMPARE(drop.path().size(), std::size_t(stops ? points : points + 1));
    }

    // The runs count the steps that found a drop running. On z = x a drop
    // from x = 0.05 leaves the map during its 8th step; one from x = 3 runs
    // past Next's 51 steps; one from x = 97.5 leaves during step 13,787 (a
    // float step runs a little long), and Result and Dynamic display follow it
    // to the end, the latter with a frame before the first step and after
    // every 50. Next always makes its 51 steps.
    void runsCountTheStepsThatMovedADrop_data()
    {
        QTest::addColumn<QString>("run");
        QTest::addColumn<float>("startX");
        QTest::addColumn<bool>("runBefore");
        QTest::addColumn<long>("steps");
        QTest::addColumn<std::size_t>("pathPoints");
        for (const char* run : {"Next", "Result", "Dynamic display"}) {
            QTest::addRow("%s, a drop that leaves", run)
                << run << 0.05f << false << 8L << std::size_t(8);
        }
        for (const char* run : {"Result", "Dynamic display"}) {
            QTest::addRow("%s, a long drop", run)
                << run << 97.5f << false << 13787L << std::size_t(13787);
        }
        QTest::newRow("Next, a drop that runs on")
            << "Next" << 3.0f << false << 51L << std::size_t(52);
        QTest::newRow("Result, a drop already run")
            << "Result" << 0.05f << true << 0L << std::size_t(8);
        QTest::newRow("Next, a drop already run")
            << "Next" << 0.05f << true << 0L << std::size_t(8);
    }

    void runsCountTheStepsThatMovedADrop()
    {
        QFETCH(QString, run);
        QFETCH(float, startX);
        QFETCH(bool, runBefore);
        QFETCH(long, steps);
        QFETCH(std::size_t, pathPoints);
        const auto map = makeMap(99, 8, [](int x, int) { return float(x); });
        map->startDrop(startX, 3.0f);
        if (runBefore) {
            DropRun::runToEnd(*map);
        }
        long frames = 0;
        long counted = 0;
        if (run == QLatin1String("Next")) {
            counted = DropRun::runSteps(*map);
        } else if (run == QLatin1String("Result")) {
            counted = DropRun::runToEnd(*map);
        } else {
            counted = DropRun::runAnimated(*map, [&] { ++frames; });
            QCOMPARE(frames, steps / 50 + 1);
        }
        QCOMPARE(counted, steps);
        QCOMPARE(pathOf(*map).size(), pathPoints);
    }
};

QTEST_APPLESS_MAIN(TestDrops)
#include "test_drops.moc"
