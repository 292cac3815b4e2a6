#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "terrain/map.h"

#include <QtTest>

namespace {

// A 3 x 3 plane z = x sends a drop toward smaller x by 0.01/sqrt(2) per step;
// started 119.5 such steps from the edge it leaves during its 120th step.
std::unique_ptr<Map> mapWithOneDrop()
{
    auto map = std::make_unique<Map>(3, 3);
    for (MapPoint& point : map->points()) {
        point.setZ(point.x());
    }
    map->startDrop(119.5f * 0.01f / std::sqrt(2.0f), 0.5f);
    return map;
}

} // namespace

class DropRunTest : public QObject
{
    Q_OBJECT

private slots:
    // Next makes 51 steps; Result runs until a step finds every drop stopped.
    void nextThenResult()
    {
        auto map = mapWithOneDrop();
        DropRun::runSteps(*map);
        QCOMPARE(map->drops().front()->path().size(), std::size_t(1 + 51));
        QCOMPARE(DropRun::runToEnd(*map), 121L - 51L);
        QVERIFY(map->drops().front()->isStopped());
    }

    // Frames before steps 1, 51 and 101.
    void dynamicDisplayShowsAFrameEveryFiftySteps()
    {
        auto map = mapWithOneDrop();
        QVector<std::size_t> pathSizesShown;
        const long steps = DropRun::runAnimated(
            *map, [&] { pathSizesShown.append(map->drops().front()->path().size()); });
        QCOMPARE(steps, 121L);
        QCOMPARE(pathSizesShown, (QVector<std::size_t>{1, 51, 101}));
    }

    void aBoundStopsARunThatWouldGoOn()
    {
        auto map = mapWithOneDrop();
        QCOMPARE(DropRun::runToEnd(*map, 10), 10L);
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
