#include "generators/fullyrandommapbuilder.h"
#include "generators/peaksmountainchainmapbuilder.h"
#include "generators/simplepeaksmoutainmapbuilder.h"
#include "goldenworlds.h"
#include "terrain/platformrandom.h"

#include <QtTest>
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

using GoldenWorlds::Generator;
Q_DECLARE_METATYPE(GoldenWorlds::Generator)

namespace {
std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Same size and every height the same to the bit.
bool sameHeights(const Map& a, const Map& b)
{
    return a.width() == b.width() && a.length() == b.length() &&
           std::memcmp(a.points().data(), b.points().data(),
                       a.points().size() * sizeof(MapPoint)) == 0;
}

std::array<std::uint32_t, 6> bitsOf(const Peak& peak)
{
    return {bitsOf(peak.centreX()), bitsOf(peak.centreY()), bitsOf(peak.spreadX()),
            bitsOf(peak.spreadY()), bitsOf(peak.height()),  bitsOf(peak.angle())};
}

std::unique_ptr<MapBuilder> configured(Generator generator, const QByteArray& text, int width,
                                       int length)
{
    auto builder = GoldenWorlds::makeBuilder(generator);
    builder->setSeed(text).setWidth(width).setLength(length);
    return builder;
}

// The platform generator's first value in a build of this text; it is left
// reseeded as the build leaves it before its own draws.
int firstPlatformValue(const QByteArray& text)
{
    PlatformRandom::seed(std::uint32_t(Seed(text).toInt()));
    return PlatformRandom::next();
}

// A seed text whose build draws `wanted` first; one text in 32768 does.
QByteArray textWithFirstValue(int wanted)
{
    for (int i = 0; i < 10000000; ++i) {
        const QByteArray text = "seed " + QByteArray::number(i);
        if (firstPlatformValue(text) == wanted) {
            return text;
        }
    }
    return QByteArray();
}

const std::pair<const char*, Generator> generators[] = {{"random", Generator::FullyRandom},
                                                        {"peaks", Generator::SimplePeaks},
                                                        {"chain", Generator::PeaksChain}};
} // namespace

class TestMapBuilders : public QObject
{
    Q_OBJECT

private slots:
    void buildsFromItsSettings_data()
    {
        QTest::addColumn<Generator>("generator");
        for (const auto& [name, generator] : generators) {
            QTest::newRow(name) << generator;
        }
    }

    // Setters chain, the seed set last is the one used, and the same text and
    // size give the same map: from a fresh builder, whatever ran on the
    // platform generator before (every build reseeds), and from the same
    // builder built again. Another text gives another map.
    void buildsFromItsSettings()
    {
        QFETCH(Generator, generator);
        auto builder = GoldenWorlds::makeBuilder(generator);
        MapBuilder& chained =
            builder->setSeed(std::make_unique<Seed>(QByteArray("x"))).setWidth(30).setLength(20);
        QCOMPARE(&chained, builder.get());
        QCOMPARE(&builder->setSeed(QByteArray("abc")), builder.get());
        const std::unique_ptr<Map> map = builder->build();
        QCOMPARE(map->width(), 30u);
        QCOMPARE(map->length(), 20u);
        QCOMPARE(map->points().size(), std::size_t(600));
        PlatformRandom::seed(99u);
        PlatformRandom::next();
        QVERIFY(sameHeights(*map, *configured(generator, "abc", 30, 20)->build()));
        QVERIFY(sameHeights(*map, *builder->build()));
        QVERIFY(!sameHeights(*map, *configured(generator, "abd", 30, 20)->build()));
    }

    // Seeds whose first platform values are 0 and 32767 (first states 0x00000000
    // and 0x7FFF0000; seed = (state - 2531011) / 214013 mod 2^32).
    void randomHelpersReachBothEnds()
    {
        const std::uint32_t seedGivingZero = 2708534849u;
        const std::uint32_t seedGivingMax = 4028364353u;
        PlatformRandom::seed(seedGivingZero);
        QCOMPARE(bitsOf(randomBetween(4, 32)), bitsOf(4.0f));
        PlatformRandom::seed(seedGivingMax);
        QCOMPARE(bitsOf(randomBetween(4, 32)), bitsOf(32.0f));
        PlatformRandom::seed(seedGivingZero);
        QCOMPARE(bitsOf(randomUnit()), bitsOf(0.0f));
        PlatformRandom::seed(seedGivingMax);
        QCOMPARE(bitsOf(randomUnit()), bitsOf(1.0f));
    }

    // The k-th value drawn after reseeding, rand() / 32767 and so within
    // [0, 1], is the k-th point's height (the golden worlds pin the values).
    void fullyRandomHeightsFollowPlatformRandom()
    {
        const auto map = configured(Generator::FullyRandom, "abc", 99, 98)->build();
        int value = firstPlatformValue("abc");
        for (const MapPoint& point : map->points()) {
            QVERIFY(point.z() >= 0.0f && point.z() <= 1.0f);
            QCOMPARE(bitsOf(point.z()), bitsOf(float(value) / 32767.0f));
            value = PlatformRandom::next();
        }
    }

    // How many values a build takes from the platform generator: one per point
    // for the fully random builder, only the peak count for the simple peaks
    // builder (its peaks are still drawn without points), none for the chain.
    void platformDrawsOfBuild_data()
    {
        QTest::addColumn<Generator>("generator");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("platformDraws");
        QTest::newRow("random 0x5") << Generator::FullyRandom << 0 << 5 << 0;
        QTest::newRow("random 5x0") << Generator::FullyRandom << 5 << 0 << 0;
        QTest::newRow("random 3x4") << Generator::FullyRandom << 3 << 4 << 12;
        QTest::newRow("peaks 0x5") << Generator::SimplePeaks << 0 << 5 << 1;
        QTest::newRow("peaks 5x0") << Generator::SimplePeaks << 5 << 0 << 1;
        QTest::newRow("chain 0x0") << Generator::PeaksChain << 0 << 0 << 0;
        QTest::newRow("chain 30x30") << Generator::PeaksChain << 30 << 30 << 0;
    }

    void platformDrawsOfBuild()
    {
        QFETCH(Generator, generator);
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(int, platformDraws);
        auto builder = configured(generator, "draws", width, length);
        const std::unique_ptr<Map> map = builder->build();
        const int nextAfterBuild = PlatformRandom::next();
        QCOMPARE(map->width(), std::uint32_t(width));
        QCOMPARE(map->length(), std::uint32_t(length));
        QCOMPARE(map->points().size(), std::size_t(width * length));
        int expected = firstPlatformValue("draws");
        for (int i = 0; i < platformDraws; ++i) {
            expected = PlatformRandom::next();
        }
        QCOMPARE(nextAfterBuild, expected);
        if (generator == Generator::SimplePeaks) {
            const auto& peaks = static_cast<SimplePeaksMoutainMapBuilder&>(*builder).peaks();
            QVERIFY(peaks.size() >= 4 && peaks.size() <= 32);
        }
    }

    void peaksMapIsUpperEnvelope()
    {
        SimplePeaksMoutainMapBuilder builder;
        builder.setSeed(QByteArray("abc")).setWidth(40).setLength(25);
        const std::unique_ptr<Map> map = builder.build();
        const std::vector<Peak>& peaks = builder.peaks();
        const bool allPositive = std::all_of(peaks.begin(), peaks.end(),
                                             [](const Peak& peak) { return peak.height() > 0.0f; });
        for (const MapPoint& point : map->points()) {
            float highest = peaks.front().heightAt(point.x(), point.y());
            for (std::size_t i = 1; i < peaks.size(); ++i) {
                highest = std::max(highest, peaks[i].heightAt(point.x(), point.y()));
            }
            QCOMPARE(bitsOf(point.z()), bitsOf(highest));
            QVERIFY(!allPositive || point.z() >= 0.0f);
        }
    }

    // ceil(rand() / 32767 * 28 + 4) peaks: 4 only for rand() = 0, exactly 32
    // (not 33) for rand() = 32767.
    void peakCountFollowsFirstPlatformValue()
    {
        const auto peakCount = [](const QByteArray& text) {
            SimplePeaksMoutainMapBuilder builder;
            builder.setSeed(text).setWidth(2).setLength(2);
            builder.build();
            return builder.peaks().size();
        };
        const QByteArray lowest = textWithFirstValue(0);
        const QByteArray highest = textWithFirstValue(PlatformRandom::Max);
        QVERIFY(!lowest.isEmpty() && !highest.isEmpty());
        QCOMPARE(peakCount(lowest), std::size_t(4));
        QCOMPARE(peakCount(highest), std::size_t(32));
        for (int i = 0; i < 200; ++i) {
            const QByteArray text = QByteArray::number(i);
            const std::size_t count = peakCount(text);
            QVERIFY(firstPlatformValue(text) == 0 || (count >= 5 && count <= 32));
        }
    }

    void secondBuildAppendsSamePeaks()
    {
        SimplePeaksMoutainMapBuilder builder;
        builder.setSeed(QByteArray("twice")).setWidth(20).setLength(15);
        QVERIFY(builder.peaks().empty());
        const std::unique_ptr<Map> first = builder.build();
        const std::size_t count = builder.peaks().size();
        const std::unique_ptr<Map> second = builder.build();
        const std::vector<Peak>& peaks = builder.peaks();
        QCOMPARE(peaks.size(), 2 * count);
        for (std::size_t i = 0; i < count; ++i) {
            QCOMPARE(bitsOf(peaks[count + i]), bitsOf(peaks[i]));
        }
        QVERIFY(sameHeights(*first, *second));
    }
};

QTEST_APPLESS_MAIN(TestMapBuilders)
#include "test_mapbuilders.moc"
