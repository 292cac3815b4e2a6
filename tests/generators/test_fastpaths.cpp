// The fast paths of the core (skipping peaks, threads, blocked filter sums)
// against the plain serial loops they replace, bit for bit, on one thread and
// on several: random worlds with the values that break naive shortcuts
// (negative and zero heights, zero spreads, far peaks giving +0 and -0, ties,
// any float at all).
#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "generators/generatorchoice.h"
#include "generators/peak.h"
#include "generators/peakbounds.h"
#include "poolsize.h"
#include "terrain/platformrandom.h"
#include "view/terrainmesh.h"

#include <QtTest>
#include <array>
#include <cstring>
#include <random>

namespace {

// The pool sizes every fast path must agree under; 1 runs serially.
constexpr int kThreadCounts[] = {1, 3};

std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Equal bits, or both NaN: which NaN payload an operation passes on is the
// processor's business, not the algorithm's.
bool sameFloats(const float* a, const float* b, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (bitsOf(a[i]) != bitsOf(b[i]) && !(std::isnan(a[i]) && std::isnan(b[i]))) {
            return false;
        }
    }
    return true;
}

bool sameBits(const Map& a, const Map& b)
{
    static_assert(sizeof(MapPoint) == 3 * sizeof(float), "a point is three floats");
    return a.width() == b.width() && a.length() == b.length() &&
           sameFloats(reinterpret_cast<const float*>(a.points().data()),
                      reinterpret_cast<const float*>(b.points().data()), 3 * a.points().size());
}

enum class Oddity
{
    None,
    NegativeHeights,
    ZeroSpreads,
    FarAway,
    Ties,
    NearTies,
    AnyBits
};

float anyFloat(std::mt19937& random)
{
    const std::uint32_t bits = random();
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Peaks about a width x length map as the builders draw them, bent by the oddity.
std::vector<Peak> drawPeaks(std::mt19937& random, int width, int length, Oddity oddity)
{
    const auto uniform = [&random](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    const float side = float(std::max(width, length));
    std::vector<Peak> peaks;
    const int count = 4 + int(random() % 29);
    for (int i = 0; i < count; ++i) {
        float x = uniform(-0.2f * side, 1.2f * side);
        float y = uniform(-0.2f * side, 1.2f * side);
        float spreadX = uniform(0.02f, 0.3f) * side;
        float spreadY = uniform(0.02f, 0.3f) * side;
        float height = uniform(-0.1f, 1.0f) * side * side / 100.0f;
        float angle = uniform(0.0f, 6.3f);
        switch (oddity) {
        case Oddity::None:
            break;
        case Oddity::NegativeHeights:
            height = -std::abs(height) * float(random() % 2);
            break;
        case Oddity::ZeroSpreads:
            // Zero gives infinite or NaN coefficients; a needle a ten
            // thousandth as wide as long rounds to a form that is barely or
            // not at all positive definite.
            spreadX = random() % 3 == 0 ? 0.0f : spreadX * (random() % 2 == 0 ? 1.0f : 1e-4f);
            spreadY = random() % 3 == 0 ? -0.0f : spreadY;
            break;
        case Oddity::FarAway:
            // So far that the values underflow to +0 or -0 (every peak, in
            // half the worlds); else now and then (often first) a giant so
            // far out that it gets no bounds, its values ordinary numbers
            // below 1, or a peak left near.
            if (count % 2 != 0 && random() % (i == 0 ? 2 : 5) == 0) {
                x = 1e16f;
                spreadX = 1e16f;
                spreadY = 1e16f;
                height = uniform(0.0f, 1.0f);
            } else if (count % 2 == 0 || random() % 3 != 0) {
                x += 50.0f * side;
                height = random() % 2 == 0 ? height : -height;
            }
            break;
        case Oddity::Ties:
            if (i > 0 && random() % 2 == 0) {
                peaks.push_back(peaks[random() % peaks.size()]);
                continue;
            }
            height = random() % 3 == 0 ? (random() % 2 == 0 ? 0.0f : -0.0f) : height;
            break;
        case Oddity::NearTies:
            // A copy a few ulps wider and higher or lower: the two values
            // cross, and along the crossing only rounding tells them apart.
            if (i > 0) {
                const Peak& other = peaks[random() % peaks.size()];
                const auto nudge = [&random](float value) {
                    for (int steps = int(random() % 4); steps > 0; --steps) {
                        value = std::nextafter(value, random() % 2 == 0 ? 0.0f : HUGE_VALF);
                    }
                    return value;
                };
                peaks.emplace_back(other.centreX(), other.centreY(), nudge(other.spreadX()),
                                   nudge(other.spreadY()), nudge(other.height()), other.angle());
                continue;
            }
            break;
        case Oddity::AnyBits:
            x = random() % 2 == 0 ? anyFloat(random) : x;
            spreadX = random() % 2 == 0 ? anyFloat(random) : spreadX;
            height = random() % 2 == 0 ? anyFloat(random) : height;
            angle = random() % 2 == 0 ? anyFloat(random) : angle;
            break;
        }
        peaks.emplace_back(x, y, spreadX, spreadY, height, angle);
    }
    return peaks;
}

// A whole build by generator index, and the platform generator's state after.
std::pair<std::unique_ptr<Map>, std::uint32_t> build(int generator, const char* text, int width,
                                                     int length, bool reference)
{
    const std::unique_ptr<MapBuilder> builder = makeMapBuilder(generator);
    builder->setSeed(QByteArray(text))
        .setWidth(width)
        .setLength(length)
        .setReferencePath(reference);
    std::unique_ptr<Map> map = builder->build();
    return {std::move(map), PlatformRandom::state()};
}

// Heights of every kind: ordinary ones, +0 and -0 (whose sums keep their
// sign only when every product is a zero), and now and then any float at all.
std::unique_ptr<Map> randomMap(std::mt19937& random, int width, int length)
{
    auto map = std::make_unique<Map>(std::uint32_t(width), std::uint32_t(length));
    const unsigned zeros = random() % 4;
    for (MapPoint& point : map->points()) {
        const unsigned kind = random() % 64;
        point.setZ(kind < 16 * zeros ? (kind % 2 == 0 ? 0.0f : -0.0f)
                   : kind == 63      ? anyFloat(random)
                                     : float(random() % 2000) / 7.0f - 100.0f);
    }
    return map;
}

FilterList randomFilters(std::mt19937& random)
{
    FilterList filters;
    for (int count = int(random() % 6); count > 0; --count) {
        FilterMatrix::Coefficients coefficients{};
        // From no zero coefficient up to all zeros.
        const unsigned zeros = random() % 5;
        for (std::int32_t& coefficient : coefficients) {
            coefficient = random() % 4 < zeros ? 0 : std::int32_t(random() % 201) - 100;
        }
        auto filter = std::make_unique<FilterMatrix>();
        filter->setMatrix(coefficients);
        filters.push_back(std::move(filter));
    }
    return filters;
}

bool sameBits(const QVector<QVector3D>& a, const QVector<QVector3D>& b)
{
    static_assert(sizeof(QVector3D) == 3 * sizeof(float), "a vertex is three floats");
    return a.size() == b.size() &&
           sameFloats(reinterpret_cast<const float*>(a.constData()),
                      reinterpret_cast<const float*>(b.constData()), 3 * std::size_t(a.size()));
}

} // namespace

Q_DECLARE_METATYPE(Oddity)

class TestFastPaths : public QObject
{
    Q_OBJECT

private slots:
    void peaksMap_data()
    {
        QTest::addColumn<Oddity>("oddity");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("worlds");
        QTest::newRow("typical 40x30") << Oddity::None << 40 << 30 << 30;
        QTest::newRow("negative heights 50x50") << Oddity::NegativeHeights << 50 << 50 << 30;
        QTest::newRow("zero spreads 20x20") << Oddity::ZeroSpreads << 20 << 20 << 30;
        QTest::newRow("far away, +0 and -0, giants 33x17") << Oddity::FarAway << 33 << 17 << 30;
        QTest::newRow("ties 25x25") << Oddity::Ties << 25 << 25 << 30;
        QTest::newRow("near ties 60x60") << Oddity::NearTies << 60 << 60 << 30;
        QTest::newRow("any bits 16x16") << Oddity::AnyBits << 16 << 16 << 60;
        QTest::newRow("many tiles 300x200") << Oddity::NegativeHeights << 300 << 200 << 2;
    }

    void peaksMap()
    {
        QFETCH(Oddity, oddity);
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(int, worlds);
        for (int seed = 0; seed < worlds; ++seed) {
            std::mt19937 random{std::uint32_t(seed)};
            const std::vector<Peak> peaks = drawPeaks(random, width, length, oddity);
            const auto plain =
                mapFromPeaksReference(std::uint32_t(width), std::uint32_t(length), peaks);
            for (const int threads : kThreadCounts) {
                const PoolSize pool(threads);
                const auto fast = mapFromPeaks(std::uint32_t(width), std::uint32_t(length), peaks);
                QVERIFY2(sameBits(*plain, *fast),
                         qPrintable(QString("world %1, %2 threads").arg(seed).arg(threads)));
            }
        }
    }

    // The contract the skipping rests on: a bounded peak's every value over the
    // rectangle lies within its bounds and is a number.
    void peakBoundsHoldEveryValue()
    {
        for (int seed = 0; seed < 200; ++seed) {
            std::mt19937 random{std::uint32_t(seed)};
            const int side = 1 + int(random() % 64);
            const Oddity oddity =
                std::array{Oddity::None, Oddity::ZeroSpreads, Oddity::AnyBits}[seed % 3];
            for (const Peak& peak : drawPeaks(random, side, side, oddity)) {
                const float x0 = float(random() % 64);
                const float y0 = float(random() % 64);
                const float x1 = x0 + float(random() % 32);
                const float y1 = y0 + float(random() % 32);
                const PeakBounds bounds = peakBoundsOver(peak, x0, x1, y0, y1);
                for (float x = x0; bounds.bounded && x <= x1; ++x) {
                    for (float y = y0; y <= y1; ++y) {
                        const double value = peak.heightAt(x, y);
                        QVERIFY2(
                            bounds.low <= value && value <= bounds.high,
                            qPrintable(QString("world %1 at (%2, %3)").arg(seed).arg(x).arg(y)));
                    }
                }
            }
        }
    }

    void filtersAndMesh_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("worlds");
        const int sizes[][3] = {{1, 1, 5}, {1, 6, 5}, {7, 2, 5}, {37, 19, 20}, {300, 200, 3}};
        for (const auto& size : sizes) {
            QTest::addRow("%dx%d", size[0], size[1]) << size[0] << size[1] << size[2];
        }
    }

    // A random filter list over a random map, then the mesh of the result.
    void filtersAndMesh()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(int, worlds);
        for (int seed = 0; seed < worlds; ++seed) {
            std::mt19937 random{std::uint32_t(seed)};
            const auto base = randomMap(random, width, length);
            const FilterList filters = randomFilters(random);
            const auto plain = applyFilterListReference(*base, filters);
            QVector<QVector3D> plainGrid;
            QVector<QVector3D> plainTriangles;
            TerrainMesh::buildGridReference(*plain, plainGrid);
            TerrainMesh::buildTrianglesReference(plainGrid, width, length, plainTriangles);
            for (const int threads : kThreadCounts) {
                const PoolSize pool(threads);
                const auto fast = applyFilterList(*base, filters);
                QVector<QVector3D> grid;
                QVector<QVector3D> triangles;
                TerrainMesh::buildGrid(*fast, grid);
                TerrainMesh::buildTriangles(grid, width, length, triangles);
                const QString where = QString("world %1, %2 threads").arg(seed).arg(threads);
                QVERIFY2(sameBits(*plain, *fast), qPrintable(where));
                QVERIFY2(sameBits(grid, plainGrid) && sameBits(triangles, plainTriangles),
                         qPrintable(where));
            }
        }
    }

    // Arrays of 4M vertices and more are written past the caches, from every
    // alignment: a grid of 67 x 62603 (its triangles would be too many here)
    // and the triangles of 8 x 99866.
    void meshPastTheCaches_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::newRow("grid") << 67 << 62603;
        QTest::newRow("triangles") << 8 << 99866;
    }

    void meshPastTheCaches()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        std::mt19937 random{1u};
        const auto map = randomMap(random, width, length);
        const bool withTriangles = width < 10;
        QVector<QVector3D> plainGrid;
        QVector<QVector3D> plainTriangles;
        TerrainMesh::buildGridReference(*map, plainGrid);
        if (withTriangles) {
            TerrainMesh::buildTrianglesReference(plainGrid, width, length, plainTriangles);
        }
        for (const int threads : kThreadCounts) {
            const PoolSize pool(threads);
            QVector<QVector3D> grid;
            QVector<QVector3D> triangles;
            TerrainMesh::buildGrid(*map, grid);
            if (withTriangles) {
                TerrainMesh::buildTriangles(grid, width, length, triangles);
            }
            QVERIFY(sameBits(grid, plainGrid) && sameBits(triangles, plainTriangles));
        }
    }

    // Whole builds of each generator (0 random, 1 peaks, 2 chain), and the
    // platform generator's state they leave behind.
    void builders_data()
    {
        QTest::addColumn<int>("generator");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        const std::pair<int, int> sizes[] = {{99, 99}, {1, 1}, {0, 5}, {3, 160}, {257, 300}};
        for (int generator = 0; generator < 3; ++generator) {
            for (const auto& [width, length] : sizes) {
                QTest::addRow("%d: %dx%d", generator, width, length)
                    << generator << width << length;
            }
        }
    }

    void builders()
    {
        QFETCH(int, generator);
        QFETCH(int, width);
        QFETCH(int, length);
        for (const char* text : {"", "abc", "Terravik", "\xff\x80 seventeen bytes"}) {
            const auto plain = build(generator, text, width, length, true);
            for (const int threads : kThreadCounts) {
                const PoolSize pool(threads);
                const auto fast = build(generator, text, width, length, false);
                QVERIFY2(sameBits(*plain.first, *fast.first), text);
                QCOMPARE(fast.second, plain.second);
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestFastPaths)
#include "test_fastpaths.moc"
