#include "drop/waterdrop.h"
#include "terrain/map.h"

#include <QtTest>
#include <cmath>
#include <functional>
#include <limits>

namespace {

constexpr float kStep = 0.01f;

std::unique_ptr<Map> makeMap(int width, int length, const std::function<float(int, int)>& height)
{
    auto map = std::make_unique<Map>(std::uint32_t(width), std::uint32_t(length));
    for (MapPoint& point : map->points()) {
        point.setZ(height(int(point.x()), int(point.y())));
    }
    return map;
}

// Heights listed x-major: (0,0), (0,1), ..., (1,0), ...
std::unique_ptr<Map> listedMap(int width, int length, const QVector<float>& heights)
{
    return makeMap(width, length, [&](int x, int y) { return heights[x * length + y]; });
}

const WaterDrop& onlyDrop(const Map& map)
{
    return *map.drops().front();
}

// The number of calls that found a running drop, at most maxCalls.
int stepUntilStill(Map& map, int maxCalls)
{
    int calls = 0;
    while (calls < maxCalls && map.stepDrops(kStep)) {
        ++calls;
    }
    return calls;
}

// The terrain height at (x, y) as a fresh drop started there reads it.
float heightReadAt(const Map& map, float x, float y)
{
    auto probe = map.copy();
    probe->startDrop(x, y);
    return onlyDrop(*probe).currentPoint()->z();
}

} // namespace

class TestMapDrops : public QObject
{
    Q_OBJECT

private slots:
    // Lower-left triangles take P0 at the cell's origin, upper-right ones at
    // the opposite corner; the last column clamps to the last cell.
    void startHeight_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QVector<float>>("heights");
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<float>("expected");
        const QVector<float> cell{0, 2, 1, 3};
        QTest::newRow("lower-left triangle") << 2 << cell << 0.25f << 0.5f << 1.25f;
        QTest::newRow("upper-right triangle") << 2 << cell << 0.75f << 0.75f << 2.25f;
        // x^2 + 3y on a 4 x 3 map.
        const QVector<float> parabola{0, 3, 6, 1, 4, 7, 4, 7, 10, 9, 12, 15};
        QTest::newRow("grid point (2, 1)") << 4 << parabola << 2.0f << 1.0f << 7.0f;
        QTest::newRow("last column") << 4 << parabola << 3.0f << 0.5f << 10.5f;
    }

    void startHeight()
    {
        QFETCH(int, width);
        QFETCH(QVector<float>, heights);
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(float, expected);
        const auto map = listedMap(width, heights.size() / width, heights);
        map->startDrop(x, y);
        QCOMPARE(onlyDrop(*map).currentPoint()->z(), expected);
    }

    void surfaceEndsOnTheLastGridLine_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<bool>("onSurface");
        QTest::newRow("last column") << 50 << 50 << 49.0f << 0.0f << true;
        QTest::newRow("past the last column") << 50 << 50 << 49.5f << 0.0f << false;
        QTest::newRow("past the last row") << 7 << 3 << 0.0f << 2.01f << false;
        QTest::newRow("below 0") << 7 << 3 << -0.01f << 1.0f << false;
        QTest::newRow("one column") << 1 << 5 << 0.0f << 1.0f << false;
    }

    void surfaceEndsOnTheLastGridLine()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(bool, onSurface);
        QCOMPARE(Map(std::uint32_t(width), std::uint32_t(length)).isOnSurface(x, y), onSurface);
    }

    // P0 = (0,0,0), P1 = (1,0,1), P2 = (0,1,0): the direction is
    // (-1/sqrt 2, 0, 1/sqrt 2), so each step moves 0.01/sqrt 2 toward -x.
    void movesDownTheSteepestWay()
    {
        const auto map = listedMap(2, 2, {0, 0, 1, 5});
        map->startDrop(0.5f, 0.25f);
        QVERIFY(map->stepDrops(kStep));
        const MapPoint* point = onlyDrop(*map).currentPoint();
        QVERIFY(std::abs(point->x() - (0.5 - 0.01 / std::sqrt(2.0))) < 1e-6);
        QCOMPARE(point->y(), 0.25f);
    }

    // Zero direction: the drop repeats its position until 51 points, when the
    // rest rule stops it during the 51st call; the 52nd finds none running.
    void restsOnFlatMap()
    {
        const auto map = makeMap(5, 5, [](int, int) { return 0.0f; });
        map->startDrop(2.5f, 1.5f);
        for (int call = 1; call <= 51; ++call) {
            QVERIFY(map->stepDrops(kStep));
            QCOMPARE(onlyDrop(*map).isStopped(), call == 51);
        }
        QCOMPARE(onlyDrop(*map).path().size(), std::size_t(51));
        QVERIFY(!map->stepDrops(kStep));
    }

    // Once stopped, every path point carries the terrain height at its (x, y).
    void stoppedPathsCarryTerrainHeights()
    {
        const auto map = makeMap(12, 9, [](int x, int y) {
            return 3.0f * std::sin(1.3f * float(x)) * std::cos(0.7f * float(y)) + 0.2f * float(x);
        });
        map->startDrop(6.4f, 4.2f);
        QVERIFY(stepUntilStill(*map, 20000) < 20000);
        QVERIFY(onlyDrop(*map).path().size() > 2);
        for (const MapPoint& point : onlyDrop(*map).path()) {
            QCOMPARE(point.z(), heightReadAt(*map, point.x(), point.y()));
        }
    }

    // A drop running into a -inf height still ends on finite positions.
    void nonFiniteTerrainEnds()
    {
        const float inf = std::numeric_limits<float>::infinity();
        const auto map = listedMap(3, 3, {0, -0.5f, 0, -0.5f, -inf, 0, 0, 0, 0});
        map->startDrop(0.2f, 0.2f);
        QVERIFY(stepUntilStill(*map, 10000) < 10000);
        for (const MapPoint& point : onlyDrop(*map).path()) {
            QVERIFY(std::isfinite(point.x()) && std::isfinite(point.y()));
        }
    }

    // On a 3 x 4 map x = 0 is on the map, below it is off.
    void leavesBelowZero()
    {
        WaterDrop onEdge(0.01f, 1.0f, 0.0f);
        WaterDrop offEdge(0.005f, 1.0f, 0.0f);
        onEdge.advance(QVector3D(-1, 0, 0), 0.01f, 3, 4);
        offEdge.advance(QVector3D(-1, 0, 0), 0.01f, 3, 4);
        QVERIFY(!onEdge.isStopped() && onEdge.path().size() == 2);
        QVERIFY(offEdge.isStopped() && offEdge.path().size() == 1);
    }

    // The path runs (1, 1), (2, 2), then (10, 10) until it holds pathPoints;
    // the candidate (10, 10) + offset is compared, within 0.01, with the
    // point 50 places before its own, only once the path has 51 points.
    void comesToRest_data()
    {
        QTest::addColumn<int>("pathPoints");
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<bool>("stops");
        QTest::newRow("back to index 1") << 51 << QPointF(-8, -8) << true;
        QTest::newRow("back to index 0") << 51 << QPointF(-9, -9) << false;
        QTest::newRow("50 points only") << 50 << QPointF(0, 0) << false;
        QTest::newRow("y beyond 0.01") << 52 << QPointF(0, 0.0101) << false;
    }

    void comesToRest()
    {
        QFETCH(int, pathPoints);
        QFETCH(QPointF, offset);
        QFETCH(bool, stops);
        WaterDrop drop(1.0f, 1.0f, 0.0f);
        drop.advance(QVector3D(1, 1, 0), 1.0f, 20, 20);
        while (int(drop.path().size()) < pathPoints) {
            const MapPoint* last = drop.currentPoint();
            drop.advance(QVector3D(10 - last->x(), 10 - last->y(), 0), 1.0f, 20, 20);
        }
        QVERIFY(!drop.isStopped());
        drop.advance(QVector3D(float(offset.x()), float(offset.y()), 0), 1.0f, 20, 20);
        QCOMPARE(drop.isStopped(), stops);
    }
};

QTEST_APPLESS_MAIN(TestMapDrops)
#include "test_mapdrops.moc"
