#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "terrain/map.h"

#include <QtTest>

namespace {

// A 3 x 3 plane rising along x (z = x): every triangle sends a drop toward
// smaller x by 0.01/sqrt(2) per step, so a drop started at x = 119.5 such
// steps from the edge leaves the map during its 120th step.
std::unique_ptr<Map> planeRisingAlongX()
{
    auto map = std::make_unique<Map>(3, 3);
    for (MapPoint& point : map->points()) {
        point.setZ(point.x());
    }
    return map;
}

const float StartLeavingOnStep120 = 119.5f * 0.01f / std::sqrt(2.0f);

} // namespace

class DropRunTest : public QObject
{
    Q_OBJECT

private slots:
    void nextMakesExactlyFiftyOneSteps()
    {
        auto map = planeRisingAlongX();
        map->startDrop(StartLeavingOnStep120, 0.5f);
        DropRun::runSteps(*map);
        const WaterDrop* drop = map->drops().front();
        QCOMPARE(drop->path().size(), std::size_t(1 + 51));
        QVERIFY(!drop->isStopped());
    }

    void resultRunsUntilAStepFindsEveryDropStopped()
    {
        auto map = planeRisingAlongX();
        map->startDrop(StartLeavingOnStep120, 0.5f);
        QCOMPARE(DropRun::runToEnd(*map), 121L);
        QVERIFY(map->drops().front()->isStopped());
        // Already stopped: one step finds nothing running.
        QCOMPARE(DropRun::runToEnd(*map), 1L);
    }

    void dynamicDisplayShowsAFrameEveryFiftySteps()
    {
        auto map = planeRisingAlongX();
        map->startDrop(StartLeavingOnStep120, 0.5f);
        QVector<std::size_t> pathSizesShown;
        const long steps = DropRun::runAnimated(
            *map, [&] { pathSizesShown.append(map->drops().front()->path().size()); });
        QCOMPARE(steps, 121L);
        // Frames before steps 1, 51 and 101.
        QCOMPARE(pathSizesShown, (QVector<std::size_t>{1, 51, 101}));
    }

    void dynamicDisplayWithoutDropsShowsOneFrame()
    {
        Map map(4, 4);
        int frames = 0;
        QCOMPARE(DropRun::runAnimated(map, [&] { ++frames; }), 1L);
        QCOMPARE(frames, 1);
    }

    void aBoundStopsARunThatWouldGoOn()
    {
        auto map = planeRisingAlongX();
        map->startDrop(StartLeavingOnStep120, 0.5f);
        QCOMPARE(DropRun::runToEnd(*map, 10), 10L);
        QVERIFY(!map->drops().front()->isStopped());
        int frames = 0;
        QCOMPARE(DropRun::runAnimated(
                     *map, [&] { ++frames; }, 60),
                 60L);
        QCOMPARE(frames, 2);
        QVERIFY(!map->drops().front()->isStopped());
    }
};

QTEST_APPLESS_MAIN(DropRunTest)
#include "test_droprun.moc"
