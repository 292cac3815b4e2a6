#include "exports/heightmap.h"
#include "filters/filtermatrix.h"
#include "filters/thermalerosion.h"
#include "generators/generatorchoice.h"
#include "maps.h"
#include "terrain/region.h"
#include "world/regionbuild.h"
#include "world/world.h"
#include "world/worldbuild.h"
#include "world/worldfile.h"

#include <QtTest>

namespace {

FilterRecord matrixOf(const QString& name, const FilterMatrix::Coefficients& coefficients)
{
    FilterMatrix filter(name);
    filter.setMatrix(coefficients);
    return FilterRecord(filter);
}

// Filters that read all of their 5 x 5 neighbourhood and weigh it unevenly,
// so that a height read from the wrong place changes the result.
std::vector<FilterRecord> unevenFilters(int count)
{
    FilterMatrix::Coefficients lopsided{};
    for (int k = 0; k < 25; ++k) {
        lopsided[std::size_t(k)] = 1 + (k * 7) % 11;
    }
    FilterMatrix::Coefficients sharpen{};
    sharpen.fill(-1);
    sharpen[12] = 30;
    std::vector<FilterRecord> filters;
    for (int i = 0; i < count; ++i) {
        filters.push_back(i % 2 == 0 ? matrixOf(QStringLiteral("Lopsided"), lopsided)
                                     : matrixOf(QStringLiteral("Sharpen"), sharpen));
    }
    return filters;
}

WorldOrigin originOf(int generator, std::uint32_t width, std::uint32_t length,
                     std::optional<Region> region = std::nullopt)
{
    return {generator, SeedRecord::ofText("Terravik"), width, length, region};
}

// The filtered map of an origin, as the command line builds it.
std::unique_ptr<Map> filteredOf(const WorldOrigin& origin, const std::vector<FilterRecord>& filters)
{
    return std::move(
        TerrainJob(origin, makeFilterList(filters), {}, nullptr, false).run()->filtered);
}

} // namespace

Q_DECLARE_METATYPE(Region)

class TestRegions : public QObject
{
    Q_OBJECT

private slots:
    void regionsHaveTheWholeWorldsHeights_data()
    {
        QTest::addColumn<int>("generator");
        QTest::addColumn<int>("filters");
        QTest::addColumn<Region>("region");
        // A 67 x 53 world: regions inside it, along each edge and in each corner.
        const struct
        {
            const char* name;
            Region region;
        } places[] = {
            {"inside", {20, 15, 17, 9}},
            {"west edge", {0, 10, 6, 30}},
            {"east edge", {60, 3, 7, 40}},
            {"south-west corner", {0, 0, 13, 4}},
            {"north-east corner", {54, 41, 13, 12}},
            {"one point at a corner", {66, 0, 1, 1}},
            {"a column inside", {33, 0, 1, 53}},
            {"the whole world", {0, 0, 67, 53}},
        };
        for (int generator = 0; generator < 3; ++generator) {
            for (const auto& place : places) {
                for (const int filters : {0, 3}) {
                    QTest::addRow("%s, %s, %d filters",
                                  generatorName(generator).toLatin1().constData(), place.name,
                                  filters)
                        << generator << filters << place.region;
                }
            }
        }
    }

    // A region is built from its own window and the filters' margin alone,
    // yet every height is that of the same point of the whole world.
    void regionsHaveTheWholeWorldsHeights()
    {
        QFETCH(int, generator);
        QFETCH(int, filters);
        QFETCH(Region, region);
        const std::vector<FilterRecord> list = unevenFilters(filters);
        const std::unique_ptr<Map> world = filteredOf(originOf(generator, 67, 53), list);
        const std::unique_ptr<Map> part = filteredOf(originOf(generator, 67, 53, region), list);
        QVERIFY(sameHeights(*part, *cropMap(*world, region)));
    }

    // The plain serial loops build windows too, with the same bits.
    void theReferencePathsBuildTheSameWindows()
    {
        const Region window{5, 7, 20, 11};
        for (int generator = 0; generator < 3; ++generator) {
            const std::unique_ptr<Map> whole = buildBaseMap(originOf(generator, 40, 30));
            std::unique_ptr<MapBuilder> builder = makeMapBuilder(generator);
            builder->setSeed(QByteArray("Terravik"));
            builder->setWidth(40).setLength(30).setWindow(window).setReferencePath(true);
            QVERIFY2(sameHeights(*builder->build(), *cropMap(*whole, window)),
                     qPrintable(generatorName(generator)));
        }
    }

    // A world too large to build whole: a region of it is the same as the
    // regions that tile it, built one by one. 65536 x 65535 points, since the
    // peaks' heights grow with the area as a 32-bit product, which a world of
    // 65536 x 65536 wraps to 0.
    void regionsOfAHugeWorldFitTogether_data()
    {
        QTest::addColumn<int>("generator");
        QTest::newRow("random") << 0;
        QTest::newRow("peaks") << 1;
    }

    void regionsOfAHugeWorldFitTogether()
    {
        QFETCH(int, generator);
        const std::vector<FilterRecord> list = unevenFilters(2);
        const Region big{30000, 40000, 256, 192};
        const std::unique_ptr<Map> whole = filteredOf(originOf(generator, 65536, 65535, big), list);
        for (const Region quarter :
             {Region{30000, 40000, 128, 96}, Region{30128, 40000, 128, 96},
              Region{30000, 40096, 128, 96}, Region{30128, 40096, 128, 96}}) {
            const std::unique_ptr<Map> piece =
                filteredOf(originOf(generator, 65536, 65535, quarter), list);
            QVERIFY(sameHeights(*piece, *cropMap(*whole, quarter.relativeTo(big))));
        }
        const HeightMap::Range range = HeightMap::rangeOf(*whole);
        QVERIFY2(range.highest > range.lowest, "the region is not flat");
    }

    // World files carry the region; the window's world rebuilds it on Update.
    void regionWorldsAreSavedOpenedAndUpdated()
    {
        WorldRecipe recipe;
        recipe.origin = originOf(1, 65536, 30000, Region{65000, 100, 300, 200});
        recipe.filters = unevenFilters(1);
        const WorldFile::Reading reading = WorldFile::fromJson(WorldFile::toJson(recipe));
        QCOMPARE(reading.error, QString());
        QVERIFY(reading.recipe == recipe);
        World world;
        QVERIFY(world.open(reading.recipe));
        QVERIFY(sameHeights(*world.filteredMap(), *filteredOf(recipe.origin, recipe.filters)));
        world.setFilterList(makeFilterList(unevenFilters(2)));
        world.applyFilters();
        QVERIFY(sameHeights(*world.filteredMap(), *filteredOf(recipe.origin, unevenFilters(2))));
    }

    // What a region cannot be or go through.
    void regionsAreRefusedWithTheirProblem_data()
    {
        QTest::addColumn<QByteArray>("region");
        QTest::addColumn<QByteArray>("more");
        QTest::addColumn<QString>("problem");
        const QByteArray fine = R"({"x": 10, "y": 10, "width": 20, "length": 20})";
        QTest::newRow("outside") << QByteArray(R"({"x": 40, "y": 0, "width": 20, "length": 5})")
                                 << QByteArray() << "\"region\" reaches beyond the 50 x 50 world";
        QTest::newRow("empty") << QByteArray(R"({"x": 0, "y": 0, "width": 0, "length": 5})")
                               << QByteArray() << "\"region\" is empty (0 x 5 points)";
        QTest::newRow("no length") << QByteArray(R"({"x": 0, "y": 0, "width": 5})") << QByteArray()
                                   << "\"region\".length is missing";
        QTest::newRow("drops") << fine << QByteArray(R"(, "drops": [{"x": 1, "y": 1, "steps": 1}])")
                               << "a region has no drops";
    }

    void regionsAreRefusedWithTheirProblem()
    {
        QFETCH(QByteArray, region);
        QFETCH(QByteArray, more);
        QFETCH(QString, problem);
        const QByteArray json = R"({"format": 1, "generator": "peaks", "seed": {"text": "a"},
            "width": 50, "length": 50, "region": )" +
                                region + more + "}";
        const QString error = WorldFile::fromJson(json).error;
        QVERIFY2(error.contains(problem), qPrintable(error));
    }

    // Erosion moves material over the whole map: no margin makes a region of it.
    void erosionCannotMakeARegion()
    {
        std::vector<FilterRecord> filters = unevenFilters(1);
        QCOMPARE(regionFilterProblem(filters), QString());
        filters.emplace_back(ThermalErosion());
        QVERIFY(regionFilterProblem(filters).contains(
            "filter 2 (\"Thermal erosion\", thermal-erosion) works on the whole map"));
    }

    // Beyond 4096 points a side a world must be a region's.
    void onlyARegionsWorldMayBeHuge()
    {
        const QByteArray huge = R"({"format": 1, "generator": "random", "seed": {"text": "a"},
            "width": 65536, "length": 65536)";
        QVERIFY(WorldFile::fromJson(huge + "}")
                    .error.contains("\"width\" must be a whole number "
                                    "from 0 to 4096"));
        QCOMPARE(WorldFile::fromJson(huge + R"(, "region": {"x": 65535, "y": 0, "width": 1,
            "length": 4096}})")
                     .error,
                 QString());
        QVERIFY(WorldFile::fromJson(huge + R"(, "region": {"x": 0, "y": 0, "width": 4097,
            "length": 1}})")
                    .error.contains("is 4097 x 1 points; a region has at most 4096 x 4096"));
    }
};

QTEST_GUILESS_MAIN(TestRegions)
#include "test_regions.moc"
