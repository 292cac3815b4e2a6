#include "filters/droplet.h"
#include "filters/erosionmasks.h"
#include "filters/hydraulicerosion.h"
#include "filters/thermalerosion.h"
#include "generators/generatorchoice.h"
#include "generators/mapbuilder.h"
#include "maps.h"
#include "poolsize.h"
#include "terrain/workprogress.h"

#include <QtTest>
#include <cmath>
#include <limits>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::unique_ptr<Map> generated(int generator, int width, int length)
{
    const auto builder = makeMapBuilder(generator);
    builder->setSeed(QByteArray("erosion")).setWidth(width).setLength(length);
    return builder->build();
}

double sumOf(const std::vector<float>& values)
{
    double sum = 0.0;
    for (const float value : values)
        sum += value;
    return sum;
}

std::vector<float> heightsOf(const Map& map)
{
    std::vector<float> heights;
    for (const MapPoint& point : map.points())
        heights.push_back(point.z());
    return heights;
}

// One droplet's grid: a map's heights and masks of its own.
struct DropletGrid
{
    explicit DropletGrid(const Map& map)
        : heights(heightsOf(map)), erosion(heights.size()), deposition(heights.size()),
          flow(heights.size())
    {
        grid = {heights.data(),
                erosion.data(),
                deposition.data(),
                flow.data(),
                map.width(),
                map.length(),
                everyHeightErodible(heights.data(), heights.size())};
    }
    std::vector<float> heights, erosion, deposition, flow;
    ErosionGrid grid;

    // The largest x (or y) where water passed.
    int farthestFlow(bool alongX) const
    {
        int farthest = -1;
        for (std::size_t i = 0; i < flow.size(); ++i) {
            const int at = int(alongX ? i / grid.length : i % grid.length);
            if (flow[i] > 0.0f)
                farthest = std::max(farthest, at);
        }
        return farthest;
    }
};

DropletConstants plainConstants(float inertia, int lifetime)
{
    DropletConstants constants;
    constants.inertia = inertia;
    constants.gradientWeight = 1.0f - inertia;
    constants.capacity = 4.0f;
    constants.minimumDrop = 0.01f;
    constants.erosionRate = 0.3f;
    constants.depositionRate = 0.3f;
    constants.keepWater = 0.99f;
    constants.gravityPerHeight = 4.0f;
    constants.lifetime = lifetime;
    return constants;
}

// A bowl whose rim is the map's edge: every droplet stays on the map.
std::unique_ptr<Map> bowl(int side)
{
    const float centre = float(side - 1) / 2.0f;
    return makeMap(side, side, [=](int x, int y) {
        return 0.02f * ((float(x) - centre) * (float(x) - centre) +
                        (float(y) - centre) * (float(y) - centre));
    });
}

std::unique_ptr<HydraulicErosion> hydraulic(int droplets, int lifetime, double inertia = 0.3)
{
    auto filter = std::make_unique<HydraulicErosion>();
    HydraulicErosion::Settings settings;
    settings.droplets = droplets;
    settings.lifetime = lifetime;
    settings.inertia = inertia;
    filter->setSettings(settings);
    return filter;
}

std::unique_ptr<Filter> thermal(double angle, int iterations, double rate)
{
    auto filter = std::make_unique<ThermalErosion>();
    filter->setSettings({angle, iterations, rate});
    return filter;
}

// The largest height difference between 4-neighbours.
float steepestSlope(const Map& map)
{
    float steepest = 0.0f;
    for (std::uint32_t x = 0; x < map.width(); ++x) {
        for (std::uint32_t y = 0; y < map.length(); ++y) {
            const float h = map.pointAt(x, y)->z();
            if (x + 1 < map.width())
                steepest = std::max(steepest, std::fabs(h - map.pointAt(x + 1, y)->z()));
            if (y + 1 < map.length())
                steepest = std::max(steepest, std::fabs(h - map.pointAt(x, y + 1)->z()));
        }
    }
    return steepest;
}

} // namespace

using MapMaker = std::function<std::unique_ptr<Map>()>;
using FilterMaker = std::function<std::unique_ptr<Filter>()>;
Q_DECLARE_METATYPE(MapMaker)
Q_DECLARE_METATYPE(FilterMaker)

class TestErosion : public QObject
{
    Q_OBJECT

private slots:
    // Down a slope that turns from +x to +y at x = 12, a droplet with more
    // inertia keeps its old direction longer and so gets further along x.
    // Going down it speeds up, so with gravity it can carry, and so take,
    // more than without.
    void aDropletsMotion()
    {
        const auto bend = makeMap(48, 48, [](int x, int y) {
            return -0.05f * float(x) - (x >= 12 ? 0.2f * float(y) : 0.0f);
        });
        int previous = -1;
        for (const float inertia : {0.0f, 0.5f, 0.9f}) {
            DropletGrid grid(*bend);
            DropletModel(plainConstants(inertia, 30), 2.0).run(grid.grid, 3.5f, 4.5f);
            const int farthest = grid.farthestFlow(true);
            QVERIFY2(farthest > previous, qPrintable(QString("inertia %1").arg(inertia)));
            previous = farthest;
        }

        const auto slope = makeMap(48, 24, [](int x, int) { return -0.05f * float(x); });
        double taken[2] = {};
        for (const int gravity : {0, 1}) {
            DropletGrid grid(*slope);
            DropletConstants constants = plainConstants(0.3f, 30);
            constants.gravityPerHeight = 4.0f * float(gravity);
            DropletModel(constants, 2.0).run(grid.grid, 3.5f, 10.5f);
            taken[gravity] = sumOf(grid.erosion);
        }
        QVERIFY2(taken[1] > 1.5 * taken[0],
                 qPrintable(QString("%1 %2").arg(taken[0]).arg(taken[1])));
    }

    // One droplet from (3.5, 10.5) on small maps: what it moved, what it took
    // over the edge, what it changed where.
    void oneDroplet_data()
    {
        QTest::addColumn<MapMaker>("terrain");
        QTest::addColumn<int>("lifetime");
        QTest::addColumn<bool>("leaves");
        QTest::addColumn<bool>("changes");
        QTest::addColumn<int>("steps");
        const auto slope = [](int width) {
            return [=] { return makeMap(width, 24, [](int x, int) { return -0.05f * float(x); }); };
        };
        QTest::newRow("down a slope, ends on the map")
            << MapMaker(slope(40)) << 20 << false << true << 20;
        // From x = 3.5 the eighth step reaches 11.5, past the last cell.
        QTest::newRow("down a slope, over the edge")
            << MapMaker(slope(12)) << 20 << true << true << 8;
        QTest::newRow("flat ground: no way to go")
            << MapMaker([] { return makeMap(24, 24, [](int, int) { return 1.0f; }); }) << 20
            << false << false << 0;
        QTest::newRow("a NaN across its way ends it where it stands") << MapMaker([] {
            return makeMap(40, 24, [](int x, int) { return x == 8 ? kNaN : -0.05f * x; });
        }) << 20 << false << true << 3;
    }
    void oneDroplet()
    {
        QFETCH(MapMaker, terrain);
        QFETCH(int, lifetime);
        QFETCH(bool, leaves);
        QFETCH(bool, changes);
        QFETCH(int, steps);
        const auto map = terrain();
        DropletGrid grid(*map);
        const std::vector<float> before = grid.heights;
        const DropletModel::Run run =
            DropletModel(plainConstants(0.3f, lifetime), 3.0).run(grid.grid, 3.5f, 10.5f);
        const float carriedOff = run.lost;

        QCOMPARE(run.steps, steps);
        QCOMPARE(carriedOff > 0.0f, leaves);
        QCOMPARE(grid.heights != before, changes);
        // What it took and what it laid down differ by what it carried off.
        const double taken = sumOf(grid.erosion);
        QVERIFY(std::fabs(taken - sumOf(grid.deposition) - carriedOff) <= 1e-5 * taken);
        double moved = 0.0;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (std::isnan(before[i])) {
                QVERIFY(std::isnan(grid.heights[i]));
                continue;
            }
            moved += double(before[i]) - double(grid.heights[i]);
            // Each point changed by what it gave and got.
            QVERIFY(std::fabs(grid.heights[i] - before[i] - grid.deposition[i] + grid.erosion[i]) <=
                    1e-5f);
        }
        QVERIFY(std::fabs(moved - carriedOff) <= 1e-5 * taken + 1e-6);
        if (changes && !leaves) {
            // It took from where it ran and laid its load down further on.
            const int firstLaid = int(std::find_if(grid.deposition.begin(), grid.deposition.end(),
                                                   [](float d) { return d > 0.0f; }) -
                                      grid.deposition.begin()) /
                                  int(map->length());
            QVERIFY(grid.erosion[3 * map->length() + 10] > 0.0f);
            QVERIFY(firstLaid > 3);
        }
    }

    // Over whole maps, the heights' sum goes down by exactly the sediment the
    // droplets carried over the edge (in a bowl, where droplets with no
    // inertia cannot climb out, none), and the masks tell each point's change.
    // The tolerance is a few float roundings of each height per droplet step,
    // far below what one droplet moves.
    void sedimentBalances_data()
    {
        QTest::addColumn<MapMaker>("terrain");
        QTest::addColumn<double>("inertia");
        QTest::addColumn<bool>("inBowl");
        QTest::newRow("bowl 40x40") << MapMaker([] { return bowl(40); }) << 0.0 << true;
        QTest::newRow("peaks 90x70")
            << MapMaker([] { return generated(1, 90, 70); }) << 0.3 << false;
        QTest::newRow("random 30x50")
            << MapMaker([] { return generated(0, 30, 50); }) << 0.6 << false;
    }
    void sedimentBalances()
    {
        QFETCH(MapMaker, terrain);
        QFETCH(double, inertia);
        QFETCH(bool, inBowl);
        const auto map = terrain();
        Map output(map->width(), map->length());
        ErosionMasks masks;
        masks.resetFor(*map);
        const HydraulicErosion::Outcome outcome =
            hydraulic(4000, 30, inertia)->erode(*map, output, {nullptr, &masks});
        QVERIFY(outcome.finished);
        const std::vector<float> before = heightsOf(*map);
        const std::vector<float> after = heightsOf(output);
        const double taken = sumOf(masks.erosion);
        QVERIFY(taken > 0.0);
        QCOMPARE(outcome.carriedOff == 0.0, inBowl);
        const double lost = sumOf(before) - sumOf(after);
        QVERIFY2(std::fabs(lost - outcome.carriedOff) <= 1e-5 * taken,
                 qPrintable(QString("lost %1, carried off %2").arg(lost).arg(outcome.carriedOff)));
        QVERIFY(std::fabs(taken - sumOf(masks.deposition) - outcome.carriedOff) <= 1e-5 * taken);
        float worst = 0.0f;
        for (std::size_t i = 0; i < before.size(); ++i)
            worst = std::max(worst, std::fabs((after[i] - before[i]) -
                                              (masks.deposition[i] - masks.erosion[i])));
        QVERIFY2(worst <= 1e-3f, qPrintable(QString::number(worst)));
        // Nothing is taken or laid down in negative amounts.
        for (const auto* mask : {&masks.erosion, &masks.deposition, &masks.flow})
            QVERIFY(std::all_of(mask->begin(), mask->end(), [](float v) { return v >= 0.0f; }));
        QVERIFY(sumOf(masks.flow) > 0.0);
    }

    // Rain heavy enough to wear the mountains down digs no point below the
    // land's lowest: without that floor the droplets that carry their load
    // over the edge dig the edge a hundred units deep.
    void heavyRainStopsAtTheLowestPoint_data()
    {
        QTest::addColumn<MapMaker>("terrain");
        QTest::addColumn<int>("dropletsPerPoint");
        QTest::newRow("chain 64x64") << MapMaker([] { return generated(2, 64, 64); }) << 20;
        QTest::newRow("peaks 50x40, lowered below 0") << MapMaker([] {
            auto map = generated(1, 50, 40);
            for (MapPoint& point : map->points())
                point.setZ(point.z() - 500.0f);
            return map;
        }) << 30;
    }
    void heavyRainStopsAtTheLowestPoint()
    {
        QFETCH(MapMaker, terrain);
        QFETCH(int, dropletsPerPoint);
        const auto map = terrain();
        const auto eroded =
            hydraulic(dropletsPerPoint * int(map->points().size()), 30)->apply(*map);
        const std::vector<float> before = heightsOf(*map);
        const std::vector<float> after = heightsOf(*eroded);
        const float lowest = *std::min_element(before.begin(), before.end());
        QCOMPARE(*std::min_element(after.begin(), after.end()), lowest);
        QVERIFY(sumOf(after) < sumOf(before));
    }

    // Maps large enough for several tiles of each colour in a batch; every
    // height and mask the same bits on one, two and three threads.
    void sameBitsOnAnyThreadCount_data()
    {
        QTest::addColumn<FilterMaker>("filter");
        QTest::newRow("hydraulic") << FilterMaker([] { return hydraulic(30000, 8); });
        QTest::newRow("thermal") << FilterMaker([] { return thermal(30.0, 20, 0.5); });
    }
    void sameBitsOnAnyThreadCount()
    {
        QFETCH(FilterMaker, filter);
        const auto map = generated(2, 160, 130);
        const auto eroded = [&](int threads, ErosionMasks& masks) {
            const PoolSize pool(threads);
            masks.resetFor(*map);
            auto output = std::make_unique<Map>(map->width(), map->length());
            filter()->applyWithin(*map, *output, {nullptr, &masks});
            return output;
        };
        ErosionMasks oneMasks;
        const auto one = eroded(1, oneMasks);
        QVERIFY(!sameHeights(*one, *map));
        for (const int threads : {2, 3}) {
            ErosionMasks masks;
            QVERIFY2(sameHeights(*eroded(threads, masks), *one),
                     qPrintable(QString::number(threads)));
            QVERIFY(masks.erosion == oneMasks.erosion && masks.deposition == oneMasks.deposition &&
                    masks.flow == oneMasks.flow);
        }
    }

    // inf, NaN and heights beyond 2^64 stay as they were; every finite height
    // stays finite.
    void nonFiniteHeightsStayApart_data()
    {
        QTest::addColumn<FilterMaker>("filter");
        QTest::newRow("hydraulic") << FilterMaker([] { return hydraulic(3000, 30); });
        QTest::newRow("thermal") << FilterMaker([] { return thermal(10.0, 30, 1.0); });
    }
    void nonFiniteHeightsStayApart()
    {
        QFETCH(FilterMaker, filter);
        const float odd[] = {kNaN, kInf, -kInf, 1e30f, -3e38f};
        const auto map = makeMap(40, 30, [&](int x, int y) {
            return (x * 7 + y * 3) % 23 == 0 ? odd[(x + y) % 5] : float((x * y) % 17);
        });
        const auto output = filter()->apply(*map);
        for (std::size_t i = 0; i < map->points().size(); ++i) {
            const float before = map->points()[i].z();
            const float after = output->points()[i].z();
            if (!isErodible(before))
                QCOMPARE(bitsOf(after), bitsOf(before));
            else
                QVERIFY(std::isfinite(after));
        }
        QVERIFY(!sameHeights(*output, *map));
    }

    // What slides down is what slid off: the sums, in double, agree to a few
    // float roundings of every height per iteration (each new height rounds
    // three to five times by at most 2^-24 of its size).
    void thermalConservesMass_data()
    {
        QTest::addColumn<MapMaker>("terrain");
        QTest::addColumn<double>("rate");
        QTest::newRow("peaks, rate 0.5") << MapMaker([] { return generated(1, 60, 45); }) << 0.5;
        QTest::newRow("a spike, rate 1") << MapMaker([] {
            return makeMap(21, 21, [](int x, int y) { return x == 10 && y == 9 ? 100.f : 0.f; });
        }) << 1.0;
    }
    void thermalConservesMass()
    {
        QFETCH(MapMaker, terrain);
        QFETCH(double, rate);
        const auto map = terrain();
        constexpr int kIterations = 60;
        ErosionMasks masks;
        masks.resetFor(*map);
        Map output(map->width(), map->length());
        thermal(30.0, kIterations, rate)->applyWithin(*map, output, {nullptr, &masks});
        for (std::size_t i = 0; i < output.points().size(); ++i) {
            const float change = output.points()[i].z() - map->points()[i].z();
            QCOMPARE(change, masks.deposition[i] - masks.erosion[i]);
            QVERIFY(masks.deposition[i] == 0.0f || masks.erosion[i] == 0.0f);
        }
        double magnitude = 0.0;
        for (const float h : heightsOf(*map))
            magnitude += std::fabs(h);
        const double change = sumOf(heightsOf(output)) - sumOf(heightsOf(*map));
        QVERIFY(!sameHeights(output, *map));
        QVERIFY2(std::fabs(change) <= kIterations * 5 * 0x1p-24 * magnitude,
                 qPrintable(QString::number(change)));
    }

    // After enough iterations no slope is steeper than the talus angle (up to
    // the rounding of the heights), and slopes within it are never touched.
    void thermalSettlesAtTheTalusAngle_data()
    {
        QTest::addColumn<double>("angle");
        QTest::addColumn<double>("rate");
        QTest::newRow("45 degrees, rate 0.5") << 45.0 << 0.5;
        QTest::newRow("20 degrees, rate 1") << 20.0 << 1.0;
        QTest::newRow("60 degrees, rate 0.2") << 60.0 << 0.2;
    }
    void thermalSettlesAtTheTalusAngle()
    {
        QFETCH(double, angle);
        QFETCH(double, rate);
        const auto map = generated(1, 40, 40);
        const float talus = float(std::tan(angle * 3.14159265358979323846 / 180.0));
        const auto settled = thermal(angle, 3000, rate)->apply(*map);
        QVERIFY2(steepestSlope(*settled) <= talus * 1.001f,
                 qPrintable(QString::number(steepestSlope(*settled) / talus)));
        const auto gentle =
            makeMap(20, 20, [&](int x, int y) { return talus * (0.99f * x + 0.5f * y); });
        QVERIFY(sameHeights(*thermal(angle, 5, rate)->apply(*gentle), *gentle));
    }

    // A cancelled run stops at its next report; a whole run reports 100 %.
    void progressAndCancel_data()
    {
        QTest::addColumn<FilterMaker>("filter");
        QTest::newRow("hydraulic") << FilterMaker([] { return hydraulic(20000, 30); });
        QTest::newRow("thermal") << FilterMaker([] { return thermal(30.0, 200, 0.5); });
    }
    void progressAndCancel()
    {
        QFETCH(FilterMaker, filter);
        const auto map = generated(1, 60, 60);
        Map output(map->width(), map->length());
        int reports = 0;
        WorkProgress whole([&](const QString&, int) { ++reports; });
        whole.beginStage("erosion", 0.0, 1.0);
        filter()->applyWithin(*map, output, {&whole, nullptr});
        QCOMPARE(whole.percent(), 100);
        const int wholeReports = reports;
        QVERIFY(wholeReports > 10);

        reports = 0;
        WorkProgress cancelled([&](const QString&, int) {
            if (++reports == 3)
                cancelled.cancel();
        });
        cancelled.beginStage("erosion", 0.0, 1.0);
        filter()->applyWithin(*map, output, {&cancelled, nullptr});
        QCOMPARE(reports, 3);
    }

    // Each row of the settings' tables reads and writes its own setting, which
    // the filters' sameness sees; every default lies within its range.
    void settingsTables()
    {
        const auto check = [](auto filter, const auto& table, QStringList keys) {
            using Settings = std::decay_t<decltype(filter.settings())>;
            QStringList seen;
            for (const auto& row : table) {
                seen << row.key;
                const Settings defaults;
                QVERIFY(row.get(defaults) >= row.minimum && row.get(defaults) <= row.maximum);
                Settings changed = defaults;
                const double value = row.get(defaults) == row.maximum ? row.minimum : row.maximum;
                row.set(changed, value);
                QCOMPARE(row.get(changed), value);
                decltype(filter) other = filter;
                other.setSettings(changed);
                QVERIFY2(!filter.sameAs(other), row.key);
                for (const auto& otherRow : table) {
                    if (otherRow.key != row.key)
                        QCOMPARE(otherRow.get(changed), otherRow.get(defaults));
                }
                QVERIFY(other.clone()->sameAs(other));
            }
            QCOMPARE(seen, keys);
        };
        check(HydraulicErosion(), HydraulicErosion::numberSettings(),
              {"droplets", "inertia", "capacity", "minimumSlope", "erosionRate", "depositionRate",
               "evaporation", "gravity", "radius", "lifetime"});
        check(ThermalErosion(), ThermalErosion::numberSettings(),
              {"talusAngle", "iterations", "rate"});
        HydraulicErosion seeded;
        HydraulicErosion::Settings settings;
        settings.seed = "other";
        seeded.setSettings(settings);
        QVERIFY(!seeded.sameAs(HydraulicErosion()));
    }
};

QTEST_GUILESS_MAIN(TestErosion)
#include "test_erosion.moc"
