#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "filters/filtermatrix.h"
#include "filters/hydraulicerosion.h"
#include "filters/thermalerosion.h"
#include "terrain/map.h"
#include "world/safefiles.h"
#include "world/world.h"
#include "world/worldbuild.h"
#include "world/worldfile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

namespace {

std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool samePointBits(const std::vector<MapPoint>& a, const std::vector<MapPoint>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& p, const auto& q) {
        return bitsOf(p.x()) == bitsOf(q.x()) && bitsOf(p.y()) == bitsOf(q.y()) &&
               bitsOf(p.z()) == bitsOf(q.z());
    });
}

bool sameDrops(const Map& a, const Map& b)
{
    const auto dropsA = a.drops();
    const auto dropsB = b.drops();
    return std::equal(dropsA.begin(), dropsA.end(), dropsB.begin(), dropsB.end(),
                      [](const WaterDrop* p, const WaterDrop* q) {
                          return p->isStopped() == q->isStopped() &&
                                 samePointBits(p->path(), q->path());
                      });
}

FilterRecord filterOf(const QString& name, int centre, int others)
{
    FilterMatrix filter(name);
    FilterMatrix::Coefficients coefficients{};
    coefficients.fill(others);
    coefficients[12] = centre;
    filter.setMatrix(coefficients);
    return FilterRecord(filter);
}

// A valid world file with the top-level entries of `changes` put in, or taken
// out where they are null.
QByteArray worldWith(const QByteArray& changes)
{
    QJsonObject world = QJsonDocument::fromJson(R"({"format": 1, "generator": "peaks",
        "seed": {"text": "abc"}, "width": 50, "length": 50,
        "filters": [{"name": "Mean", "coefficients": [1,1,1,1,1, 1,1,1,1,1, 1,1,1,1,1,
                                                      1,1,1,1,1, 1,1,1,1,1]}],
        "drops": [{"x": 20, "y": 20.5, "steps": 100}],
        "camera": {"distance": -10, "xRotation": 0, "yRotation": 0, "zRotation": 0,
                   "centerX": 0, "centerY": 0}})")
                            .object();
    const QJsonObject overrides = QJsonDocument::fromJson("{" + changes + "}").object();
    for (auto it = overrides.begin(); it != overrides.end(); ++it) {
        if (it.value().isNull()) {
            world.remove(it.key());
        } else {
            world.insert(it.key(), it.value());
        }
    }
    return QJsonDocument(world).toJson();
}

} // namespace

class TestWorldFile : public QObject
{
    Q_OBJECT

private slots:
    void savedWorldsRebuildBitForBit_data()
    {
        QTest::addColumn<int>("generator");
        QTest::addColumn<QByteArray>("seedText");
        QTest::addColumn<bool>("clockSeed");
        QTest::addColumn<bool>("eroded");
        QTest::newRow("random") << 0 << QByteArray("abc") << false << false;
        QTest::newRow("peaks") << 1 << QByteArray("Terravik") << false << false;
        QTest::newRow("chain, bytes that are not UTF-8")
            << 2 << QByteArray("\xff\x80 z") << false << false;
        QTest::newRow("chain, clock seed") << 2 << QByteArray() << true << false;
        QTest::newRow("chain, eroded both ways") << 2 << QByteArray("rain") << false << true;
    }

    // The world is made the way the window makes it, drops moved by the
    // commands' own runs (two running side by side, one run to its end), then
    // saved, read back and rebuilt from the file alone.
    void savedWorldsRebuildBitForBit()
    {
        QFETCH(int, generator);
        QFETCH(QByteArray, seedText);
        QFETCH(bool, clockSeed);
        QFETCH(bool, eroded);
        WorldRecipe recipe;
        recipe.origin = {generator,
                         clockSeed ? SeedRecord::ofClock() : SeedRecord::ofText(seedText), 40, 30,
                         std::nullopt};
        recipe.filters = {filterOf(QStringLiteral("Mean"), 1, 1),
                          filterOf(QStringLiteral("Sharpen"), 30, -1)};
        if (eroded) {
            HydraulicErosion rain;
            HydraulicErosion::Settings wet = rain.settings();
            wet.droplets = 3000;
            wet.seed = QStringLiteral("storm");
            wet.inertia = 0.125;
            rain.setSettings(wet);
            ThermalErosion scree(QStringLiteral("Scree"));
            ThermalErosion::Settings steep = scree.settings();
            steep.talusAngle = 33.5;
            steep.iterations = 7;
            scree.setSettings(steep);
            recipe.filters.insert(recipe.filters.begin() + 1,
                                  {FilterRecord(rain), FilterRecord(scree)});
        }
        recipe.camera = {-12.1f, 80.0, -32.0, 16.0, 0.5, -1.25};
        const std::unique_ptr<Map> base = buildBaseMap(recipe.origin);
        const std::unique_ptr<Map> shown = applyFilterList(*base, makeFilterList(recipe.filters));
        shown->startDrop(3.5f, 7.25f);
        DropRun::runToEnd(*shown);
        shown->startDrop(20.0f, 10.0f);
        DropRun::runSteps(*shown);
        shown->startDrop(30.75f, 20.5f);
        DropRun::runSteps(*shown);
        recipe.drops = dropRecords(*shown);

        const WorldFile::Reading reading = WorldFile::fromJson(WorldFile::toJson(recipe));
        QCOMPARE(reading.error, QString());
        QVERIFY(reading.recipe == recipe);
        const std::unique_ptr<Map> rebuiltBase = buildBaseMap(reading.recipe.origin);
        const std::unique_ptr<Map> rebuilt =
            applyFilterList(*rebuiltBase, makeFilterList(reading.recipe.filters));
        replayDrops(*rebuilt, reading.recipe.drops);
        QVERIFY(samePointBits(base->points(), rebuiltBase->points()));
        QVERIFY(samePointBits(shown->points(), rebuilt->points()));
        QCOMPARE(rebuilt->drops().size(), std::size_t(3));
        QVERIFY(sameDrops(*shown, *rebuilt));
        // The command line's world, which keeps no base map, is the same world too.
        World oneShot;
        QVERIFY(oneShot.open(reading.recipe, nullptr, false));
        QVERIFY(oneShot.baseMap() == nullptr);
        QVERIFY(samePointBits(shown->points(), oneShot.filteredMap()->points()));
        QVERIFY(sameDrops(*shown, *oneShot.filteredMap()));
    }

    void badFilesAreRefusedWithTheirFirstProblem_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("problem");
        const QString wholeWidth =
            QStringLiteral("\"width\" must be a whole number from 0 to 4096");
        const QString coefficient = QStringLiteral(
            "\"filters\"[0].coefficients[3] must be a whole number from -100 to 100");
        QTest::newRow("empty") << QByteArray(" \n") << "the file is empty";
        QTest::newRow("a PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)
                               << "not a Terravik world file";
        QTest::newRow("truncated") << worldWith("").left(60) << "not valid JSON";
        QTest::newRow("a list") << QByteArray("[1, 2]") << "does not hold a JSON object";
        QTest::newRow("a raw NUL in a key") << QByteArray("{\"a\0x\": [{}], \"a\0y\": 1}", 22)
                                            << "not valid JSON: a NUL byte at byte 3";
        QTest::newRow("a key twice") << QByteArray(R"({"format": 1, "seed": {}, "\u0073eed": {}})")
                                     << "the key \"seed\" stands twice in one object";
        QTest::newRow("newer") << worldWith(R"("format": 2)")
                               << "written by a newer Terravik (format 2)";
        QTest::newRow("no format") << worldWith(R"("format": null)") << "\"format\" is missing";
        QTest::newRow("no width") << worldWith(R"("width": null)") << "\"width\" is missing";
        QTest::newRow("width as text") << worldWith(R"("width": "50")") << wholeWidth;
        QTest::newRow("negative") << worldWith(R"("width": -1)") << wholeWidth;
        QTest::newRow("enormous") << worldWith(R"("width": 1e12)") << wholeWidth;
        QTest::newRow("fractional") << worldWith(R"("width": 49.5)") << wholeWidth;
        QTest::newRow("generator") << worldWith(R"("generator": "hills")")
                                   << "\"generator\" must be \"random\", \"peaks\" or \"chain\"";
        QTest::newRow("seed") << worldWith(R"("seed": {"colour": 1})")
                              << "\"seed\" must hold \"text\", \"base64\" or \"clock\"";
        QTest::newRow("clock") << worldWith(R"("seed": {"clock": [1, 2]})")
                               << "\"seed\".clock must hold 16 numbers";
        const QByteArray filter = R"("filters": [{"name": "F", "coefficients": [0,0,0,%1,0,
            0,0,0,0,0, 0,0,1,0,0, 0,0,0,0,0, 0,0,0,0,0]}])";
        QTest::newRow("coefficient 101")
            << worldWith(QString::fromLatin1(filter).arg(101).toLatin1()) << coefficient;
        QTest::newRow("coefficient NaN")
            << worldWith(QString::fromLatin1(filter).arg("\"NaN\"").toLatin1()) << coefficient;
        QTest::newRow("24 coefficients")
            << worldWith(R"("filters": [{"name": "F", "coefficients": [1,1,1,1,1, 1,1,1,1,1,
                1,1,1,1,1, 1,1,1,1,1, 1,1,1,1]}])")
            << "\"filters\"[0].coefficients must hold 25 numbers, not 24";
        const QByteArray identity = R"({"name": "I", "coefficients": [0,0,0,0,0, 0,0,0,0,0,
            0,0,1,0,0, 0,0,0,0,0, 0,0,0,0,0]})";
        QTest::newRow("1,001 filters")
            << worldWith("\"filters\": [" + (identity + ',').repeated(1000) + identity + ']')
            << "\"filters\" holds more than 1000 filters";
        QTest::newRow("nameless") << worldWith(R"("filters": [{"coefficients": []}])")
                                  << "\"filters\"[0].name is missing";
        QTest::newRow("drop off map") << worldWith(R"("drops": [{"x": 49.5, "y": 3, "steps": 1}])")
                                      << "\"drops\"[0] starts at (49.5, 3), which is not on the "
                                         "50 x 50 map";
        QTest::newRow("endless drop")
            << worldWith(R"("drops": [{"x": 1, "y": 1, "steps": 1e15}])")
            << "\"drops\"[0].steps must be a whole number from 0 to 20000000";
        QTest::newRow("endless drops")
            << worldWith(
                   R"("drops": [{"x": 1, "y": 1, "steps": 15e6}, {"x": 2, "y": 1, "steps": 15e6}])")
            << "\"drops\" take more than 20000000 steps in all";
        const auto erosion = [](const char* record) {
            return worldWith(QByteArray(R"("filters": [)") + record + ']');
        };
        QTest::newRow("a kind unknown")
            << erosion(R"({"name": "W", "kind": "wind"})")
            << "\"filters\"[0].kind must be one of \"matrix\", \"hydraulic-erosion\", "
               "\"thermal-erosion\"";
        QTest::newRow("inertia beyond its range")
            << erosion(R"({"name": "R", "kind": "hydraulic-erosion", "inertia": 1.5})")
            << "\"filters\"[0].inertia must be a number from 0 to 0.99";
        QTest::newRow("droplets as text")
            << erosion(R"({"name": "R", "kind": "hydraulic-erosion", "droplets": "many"})")
            << "\"filters\"[0].droplets must be a whole number from 0 to 100000000";
        QTest::newRow("half a lifetime")
            << erosion(R"({"name": "R", "kind": "hydraulic-erosion", "lifetime": 30.5})")
            << "\"filters\"[0].lifetime must be a whole number from 1 to 500";
        QTest::newRow("a seed that is no text")
            << erosion(R"({"name": "R", "kind": "hydraulic-erosion", "seed": 5})")
            << "\"filters\"[0].seed must be a text";
        QTest::newRow("a talus angle of 90 degrees")
            << erosion(R"({"name": "S", "kind": "thermal-erosion", "talusAngle": 90})")
            << "\"filters\"[0].talusAngle must be a number from 0 to 89.9";
        QTest::newRow("an edited list with a nameless filter")
            << worldWith(R"("editedFilters": [{"name": 3}])")
            << "\"editedFilters\"[0].name must be a text";
        QTest::newRow("camera") << worldWith(R"("camera": {"distance": "far"})")
                                << "\"camera\".distance must be a number";
        QTest::newRow("camera beyond a float")
            << worldWith(R"("camera": {"distance": -1e39, "xRotation": 0, "yRotation": 0,
                "zRotation": 0, "centerX": 0, "centerY": 0})")
            << "\"camera\".distance is too far";
    }

    void badFilesAreRefusedWithTheirFirstProblem()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, problem);
        QVERIFY2(WorldFile::fromJson(contents).error.contains(problem),
                 qPrintable(WorldFile::fromJson(contents).error));
        QCOMPARE(WorldFile::fromJson(worldWith("")).error, QString());
    }

    // Each setting of an erosion filter, set off its default, comes back from
    // its file record; one left out of a record takes its default.
    void erosionRecordsKeepEverySetting_data()
    {
        QTest::addColumn<QByteArray>("record");
        const auto rows = [](auto filter) {
            auto settings = filter.settings();
            for (const auto& setting : decltype(filter)::numberSettings()) {
                auto changed = settings;
                const double step = setting.decimals == 0 ? 1.0 : 0.5;
                setting.set(changed, setting.get(settings) == setting.minimum
                                         ? setting.minimum + step
                                         : setting.minimum);
                filter.setSettings(changed);
                QTest::addRow("%s %s", filter.kind(), setting.key)
                    << WorldFile::filterToJson(FilterRecord(filter));
            }
        };
        rows(HydraulicErosion());
        rows(ThermalErosion());
        HydraulicErosion seeded(QStringLiteral("Seeded"));
        HydraulicErosion::Settings settings = seeded.settings();
        settings.seed = QStringLiteral("\u00e9t\u00e9");
        seeded.setSettings(settings);
        QTest::newRow("hydraulic seed") << WorldFile::filterToJson(FilterRecord(seeded));
    }

    void erosionRecordsKeepEverySetting()
    {
        QFETCH(QByteArray, record);
        const WorldFile::FilterReading reading = WorldFile::filterFromJson(record);
        QCOMPARE(reading.error, QString());
        QCOMPARE(WorldFile::filterToJson(*reading.filter), record);
        // The same filter with every setting at its default differs from it.
        const std::unique_ptr<Filter> fresh = reading.filter->makeFilter();
        const QJsonObject bareRecord{{"name", fresh->name()},
                                     {"kind", QString::fromLatin1(fresh->kind())}};
        const WorldFile::FilterReading bare =
            WorldFile::filterFromJson(QJsonDocument(bareRecord).toJson());
        QCOMPARE(bare.error, QString());
        QVERIFY(!(*bare.filter == *reading.filter));
        const std::unique_ptr<Filter> defaults =
            QByteArray(fresh->kind()) == HydraulicErosion::Kind
                ? std::unique_ptr<Filter>(std::make_unique<HydraulicErosion>(fresh->name()))
                : std::make_unique<ThermalErosion>(fresh->name());
        QVERIFY(bare.filter->filter().sameAs(*defaults));
    }

    // A file is refused by its size before a byte of it is read.
    void filesAreNamedAndHugeOnesRefused()
    {
        QTemporaryDir folder;
        const QString huge = folder.filePath(QStringLiteral("huge.terravik"));
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(1) << 30));
        file.close();
        QVERIFY(WorldFile::read(huge).error.startsWith(huge + QStringLiteral(": too large")));
        const QString missing = folder.filePath(QStringLiteral("missing.json"));
        QVERIFY(WorldFile::readFilter(missing).error.startsWith(missing + QStringLiteral(": ")));
    }

    // What save writes, read opens: a recipe beyond the reader's bounds is
    // refused with the reader's own reason, and the old file stays.
    void worldFilesAreSavedOnlyIfTheyOpenAgain_data()
    {
        QTest::addColumn<int>("filters");
        QTest::addColumn<int>("drops");
        QTest::addColumn<qint64>("lastDropSteps");
        QTest::addColumn<int>("seedBytes");
        QTest::addColumn<QString>("refusal");
        // Every drop but the last moves 2,000 steps.
        QTest::newRow("at every bound") << 1000 << 10000 << qint64(2000) << 8 << QString();
        QTest::newRow("1,001 filters")
            << 1001 << 1 << qint64(0) << 8 << "\"filters\" holds more than 1000 filters";
        QTest::newRow("10,001 drops")
            << 0 << 10001 << qint64(0) << 8 << "\"drops\" holds more than 10000 drops";
        QTest::newRow("20,000,001 steps")
            << 0 << 10000 << qint64(2001) << 8 << "\"drops\" take more than 20000000 steps in all";
        QTest::newRow("over 16 MiB")
            << 0 << 0 << qint64(0) << 16 * 1024 * 1024 << "too large (16777";
    }

    void worldFilesAreSavedOnlyIfTheyOpenAgain()
    {
        QFETCH(int, filters);
        QFETCH(int, drops);
        QFETCH(qint64, lastDropSteps);
        QFETCH(int, seedBytes);
        QFETCH(QString, refusal);
        WorldRecipe recipe;
        recipe.origin = {1, SeedRecord::ofText(QByteArray(seedBytes, 's')), 9, 9, std::nullopt};
        recipe.filters.assign(std::size_t(filters), filterOf(QStringLiteral("Mean"), 1, 1));
        recipe.drops.assign(std::size_t(drops), DropRecord{1.0f, 1.5f, 2000});
        if (drops > 0) {
            recipe.drops.back().steps = lastDropSteps;
        }
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("w.terravik"));
        QVERIFY(writeFileSafely(path, [](QIODevice& d) { return d.write("old") == 3; }).isEmpty());
        const QString problem = WorldFile::save(path, recipe);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        if (refusal.isEmpty()) {
            QCOMPARE(problem, QString());
            const WorldFile::Reading reading = WorldFile::read(path);
            QCOMPARE(reading.error, QString());
            QVERIFY(reading.recipe == recipe);
        } else {
            QVERIFY2(
                problem.startsWith(path + QStringLiteral(": cannot write: ") + refusal) &&
                    problem.endsWith(QStringLiteral("(Terravik would refuse to open the file)")),
                qPrintable(problem.left(200)));
            QCOMPARE(file.readAll(), QByteArray("old"));
        }
    }

    void failedWritesLeaveTheOldFile()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("world.terravik"));
        QVERIFY(writeFileSafely(path, [](QIODevice& d) { return d.write("old") == 3; }).isEmpty());
        const QString problem = writeFileSafely(path, [](QIODevice& device) {
            device.write("half a new worl");
            return false;
        });
        QVERIFY(problem.startsWith(path + QStringLiteral(": ")));
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QVERIFY(!writeFileSafely(folder.path(), [](QIODevice&) { return true; }).isEmpty());
        const QString underFile = path + QStringLiteral("/inside.terravik");
        QVERIFY(writeFileSafely(underFile, [](QIODevice&) {
                    return true;
                }).startsWith(underFile + QStringLiteral(": ")));
    }
};

QTEST_GUILESS_MAIN(TestWorldFile)
#include "test_worldfile.moc"
