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

// Steps the map until no drop runs; returns the number of calls that found a
// running drop, or -1 when maxCalls were not enough.
int stepUntilStill(Map& map, int maxCalls)
{
    for (int call = 0; call < maxCalls; ++call) {
        if (!map.stepDrops(kStep)) {
            return call;
        }
    }
    return -1;
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
    // the opposite corner; positions on the last column or row use the last
    // cell, which reaches the edge.
    void startHeight_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<QVector<float>>("heights");
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<float>("expected");
        const QVector<float> cell{0, 2, 1, 3};
        QTest::newRow("lower-left triangle") << 2 << 2 << cell << 0.25f << 0.5f << 1.25f;
        QTest::newRow("upper-right triangle") << 2 << 2 << cell << 0.75f << 0.75f << 2.25f;
        // x^2 + 3y on a 4 x 3 map.
        const QVector<float> parabola{0, 3, 6, 1, 4, 7, 4, 7, 10, 9, 12, 15};
        QTest::newRow("grid point (2, 1)") << 4 << 3 << parabola << 2.0f << 1.0f << 7.0f;
        QTest::newRow("inside upper-right") << 4 << 3 << parabola << 1.75f << 0.75f << 5.5f;
        QTest::newRow("last column") << 4 << 3 << parabola << 3.0f << 0.5f << 10.5f;
        QTest::newRow("last row") << 4 << 3 << parabola << 1.5f << 2.0f << 8.5f;
        QTest::newRow("last corner") << 4 << 3 << parabola << 3.0f << 2.0f << 15.0f;
    }

    void startHeight()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(QVector<float>, heights);
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(float, expected);
        const auto map = listedMap(width, length, heights);
        map->startDrop(x, y);
        const WaterDrop& drop = onlyDrop(*map);
        QCOMPARE(drop.path().size(), std::size_t(1));
        QCOMPARE(drop.currentPoint()->x(), x);
        QCOMPARE(drop.currentPoint()->y(), y);
        QCOMPARE(drop.currentPoint()->z(), expected);
    }

    // P0 = (0,0,0), P1 = (1,0,1), P2 = (0,1,0): the normal is (-1, 0, 1), the
    // direction (-1/sqrt 2, 0, 1/sqrt 2). The terrain there is h = x.
    void movesDownTheSteepestWay()
    {
        const auto map = listedMap(2, 2, {0, 0, 1, 5});
        map->startDrop(0.5f, 0.25f);
        const double move = 0.01 / std::sqrt(2.0);
        QVERIFY(map->stepDrops(kStep));
        QVERIFY(map->stepDrops(kStep));
        const auto& path = onlyDrop(*map).path();
        QCOMPARE(path.size(), std::size_t(3));
        for (int k = 0; k < 3; ++k) {
            QVERIFY(std::abs(path[k].x() - (0.5 - k * move)) < 1e-6);
            QCOMPARE(path[k].y(), 0.25f);
        }
        // Points left behind carry the terrain height; the newest a
        // provisional one, built on its predecessor's provisional height and
        // rising by the step's vertical part each time.
        QCOMPARE(path[0].z(), 0.5f);
        QVERIFY(std::abs(path[1].z() - path[1].x()) < 1e-6);
        QVERIFY(std::abs(path[2].z() - (0.5 + 2 * move)) < 1e-6);
    }

    // On the cell's diagonal both planes give the same height but not the same
    // slope: the lower-left plane h = x applies (downhill toward -x), not the
    // upper-right plane h = 1 - y (downhill toward +y).
    void diagonalUsesLowerLeftTriangle()
    {
        const auto map = listedMap(2, 2, {0, 0, 1, 0});
        map->startDrop(0.5f, 0.5f);
        QVERIFY(map->stepDrops(kStep));
        QVERIFY(onlyDrop(*map).currentPoint()->x() < 0.5f);
        QCOMPARE(onlyDrop(*map).currentPoint()->y(), 0.5f);
    }

    // On a flat map the direction is zero: the drop repeats its position until
    // it has 51 points, when the rest rule stops it during the 51st call; the
    // 52nd finds none running.
    void restsOnFlatMap()
    {
        const auto map = makeMap(5, 5, [](int, int) { return 0.0f; });
        map->startDrop(2.5f, 1.5f);
        for (int call = 1; call <= 50; ++call) {
            QVERIFY(map->stepDrops(kStep));
            QCOMPARE(int(onlyDrop(*map).path().size()), call + 1);
        }
        QVERIFY(!onlyDrop(*map).isStopped());
        QVERIFY(map->stepDrops(kStep));
        QVERIFY(onlyDrop(*map).isStopped());
        QCOMPARE(onlyDrop(*map).path().size(), std::size_t(51));
        QCOMPARE(onlyDrop(*map).currentPoint()->x(), 2.5f);
        QCOMPARE(onlyDrop(*map).currentPoint()->y(), 1.5f);
        QVERIFY(!map->stepDrops(kStep));
    }

    // Once the drops have stopped every path point, the last included, carries
    // the terrain height (as read by startDrop, checked above) at its (x, y),
    // taken from the triangle under that point, across many triangles.
    void stoppedPathsCarryTerrainHeights()
    {
        const auto map = makeMap(12, 9, [](int x, int y) {
            return 3.0f * std::sin(1.3f * float(x)) * std::cos(0.7f * float(y)) + 0.2f * float(x);
        });
        map->startDrop(6.4f, 4.2f);
        map->startDrop(2.1f, 7.7f);
        QVERIFY(stepUntilStill(*map, 20000) > 0);
        for (const WaterDrop* drop : map->drops()) {
            QVERIFY(drop->isStopped());
            QVERIFY(drop->path().size() > 2);
            for (const MapPoint& point : drop->path()) {
                QCOMPARE(point.z(), heightReadAt(*map, point.x(), point.y()));
            }
        }
    }

    // The terrain rises toward the last column (or row): a drop started on it
    // steps back into the map. Falling off it, see the next test.
    void stepFromLastColumnOrRow_data()
    {
        QTest::addColumn<bool>("alongX");
        QTest::newRow("last column") << true;
        QTest::newRow("last row") << false;
    }

    void stepFromLastColumnOrRow()
    {
        QFETCH(bool, alongX);
        const auto map = makeMap(4, 3, [&](int x, int y) { return float(alongX ? x : y); });
        const float x = alongX ? 3.0f : 1.5f;
        const float y = alongX ? 1.5f : 2.0f;
        map->startDrop(x, y);
        QVERIFY(map->stepDrops(kStep));
        const auto& path = onlyDrop(*map).path();
        QCOMPARE(path.size(), std::size_t(2));
        QVERIFY(alongX ? path[1].x() < x : path[1].y() < y);
        QCOMPARE(path[0].z(), alongX ? x : y);
    }

    // Starts off the grid move onto the nearest grid position (NaN to 0). A
    // map of fewer than 2 columns or rows has no surface: its drop is recorded
    // but stopped at once with height 0, and never stepped.
    void startOffTheSurface_data()
    {
        const float inf = std::numeric_limits<float>::infinity();
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<float>("expectedX");
        QTest::addColumn<float>("expectedY");
        QTest::addColumn<bool>("stopped");
        QTest::newRow("x below 0") << 5 << 4 << -3.0f << 1.5f << 0.0f << 1.5f << false;
        QTest::newRow("y beyond") << 5 << 4 << 2.0f << 9.0f << 2.0f << 3.0f << false;
        QTest::newRow("NaN x") << 5 << 4 << std::numeric_limits<float>::quiet_NaN() << 1.0f << 0.0f
                               << 1.0f << false;
        QTest::newRow("infinite both") << 5 << 4 << inf << inf << 4.0f << 3.0f << false;
        QTest::newRow("1 x 5") << 1 << 5 << 0.5f << 0.5f << 0.0f << 0.5f << true;
        QTest::newRow("5 x 1") << 5 << 1 << 0.5f << 0.5f << 0.5f << 0.0f << true;
        QTest::newRow("0 x 0") << 0 << 0 << 0.5f << 0.5f << 0.0f << 0.0f << true;
    }

    void startOffTheSurface()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(float, expectedX);
        QFETCH(float, expectedY);
        QFETCH(bool, stopped);
        const auto map = makeMap(width, length, [](int i, int j) { return float(i + 10 * j + 1); });
        map->startDrop(x, y);
        const MapPoint* start = onlyDrop(*map).currentPoint();
        QCOMPARE(start->x(), expectedX);
        QCOMPARE(start->y(), expectedY);
        QCOMPARE(start->z(), stopped ? 0.0f : expectedX + 10.0f * expectedY + 1.0f);
        QCOMPARE(onlyDrop(*map).isStopped(), stopped);
        QCOMPARE(map->stepDrops(kStep), !stopped);
    }

    // Infinite or NaN heights, or slopes whose normal overflows: every drop
    // still comes to an end, and no path position is ever non-finite.
    void nonFiniteTerrainEnds_data()
    {
        const float inf = std::numeric_limits<float>::infinity();
        const float nan = std::numeric_limits<float>::quiet_NaN();
        QTest::addColumn<QVector<float>>("heights");
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::newRow("-inf centre, reached by running")
            << QVector<float>{0, -0.5f, 0, -0.5f, -inf, 0, 0, 0, 0} << 0.2f << 0.2f;
        QTest::newRow("NaN centre") << QVector<float>{0, 0, 0, 0, nan, 0, 0, 0, 0} << 0.3f << 0.9f;
        QTest::newRow("overflowing normal")
            << QVector<float>{3e38f, -3e38f, 3e38f, -3e38f, 3e38f, -3e38f, 3e38f, -3e38f, 3e38f}
            << 0.4f << 0.3f;
    }

    void nonFiniteTerrainEnds()
    {
        QFETCH(QVector<float>, heights);
        QFETCH(float, x);
        QFETCH(float, y);
        const auto map = listedMap(3, 3, heights);
        map->startDrop(x, y);
        QVERIFY(stepUntilStill(*map, 10000) >= 0);
        QVERIFY(onlyDrop(*map).isStopped());
        for (const MapPoint& point : onlyDrop(*map).path()) {
            QVERIFY(std::isfinite(point.x()) && std::isfinite(point.y()));
        }
    }

    // True while any drop ran; stopped drops are skipped and left unchanged.
    void stepResultTellsWhetherAnyDropRan()
    {
        const auto map = makeMap(4, 3, [](int x, int) { return -float(x); });
        QVERIFY(!map->stepDrops(kStep));
        map->startDrop(3.0f, 1.0f); // on the low last column: falls off at once
        map->startDrop(1.0f, 1.0f); // 2 units from the edge
        QVERIFY(map->stepDrops(kStep));
        QVERIFY(map->drops()[0]->isStopped());
        QVERIFY(!map->drops()[1]->isStopped());
        QVERIFY(stepUntilStill(*map, 1000) > 0);
        const std::size_t size = map->drops()[1]->path().size();
        const float lastZ = map->drops()[1]->currentPoint()->z();
        QVERIFY(!map->stepDrops(kStep));
        QCOMPARE(map->drops()[0]->path().size(), std::size_t(1));
        QCOMPARE(map->drops()[1]->path().size(), size);
        QCOMPARE(map->drops()[1]->currentPoint()->z(), lastZ);
    }
};

QTEST_APPLESS_MAIN(TestMapDrops)
#include "test_mapdrops.moc"
