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

bool sameHeights(const Map& a, const Map& b)
{
    if (a.width() != b.width() || a.length() != b.length()) {
        return false;
    }
    for (std::size_t i = 0; i < a.points().size(); ++i) {
        if (bitsOf(a.points()[i].z()) != bitsOf(b.points()[i].z())) {
            return false;
        }
    }
    return true;
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

// Reseeds the platform generator as a build of this text does.
void reseedAsBuild(const QByteArray& text)
{
    PlatformRandom::seed(std::uint32_t(Seed(text).toInt()));
}

int firstPlatformValue(const QByteArray& text)
{
    reseedAsBuild(text);
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
    void settersChain_data();
    void settersChain();
    void randomHelpersReachBothEnds();
    void sameInputsGiveEqualMaps_data();
    void sameInputsGiveEqualMaps();
    void fullyRandomHeightsFollowPlatformRandom_data();
    void fullyRandomHeightsFollowPlatformRandom();
    void platformDrawsOfBuild_data();
    void platformDrawsOfBuild();
    void peaksMapIsUpperEnvelope_data();
    void peaksMapIsUpperEnvelope();
    void peakCountFollowsFirstPlatformValue();
    void peaksFallWithinTheirRanges();
    void secondBuildAppendsSamePeaks();
};

void TestMapBuilders::settersChain_data()
{
    QTest::addColumn<Generator>("generator");
    for (const auto& [name, generator] : generators) {
        QTest::newRow(name) << generator;
    }
}

// Every setter returns the builder, and the seed set last is the one used.
void TestMapBuilders::settersChain()
{
    QFETCH(Generator, generator);
    auto builder = GoldenWorlds::makeBuilder(generator);
    MapBuilder& chained =
        builder->setSeed(std::make_unique<Seed>(QByteArray("x"))).setWidth(6).setLength(4);
    QCOMPARE(&chained, builder.get());
    QCOMPARE(&builder->setSeed(QByteArray("y")), builder.get());
    const std::unique_ptr<Map> map = builder->build();
    QCOMPARE(map->width(), 6u);
    QCOMPARE(map->length(), 4u);
    QVERIFY(sameHeights(*map, *configured(generator, "y", 6, 4)->build()));
}

// Seeds whose first platform values are 0 and 32767 (first states 0x00000000
// and 0x7FFF0000; seed = (state - 2531011) / 214013 mod 2^32).
void TestMapBuilders::randomHelpersReachBothEnds()
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

void TestMapBuilders::sameInputsGiveEqualMaps_data()
{
    QTest::addColumn<Generator>("generator");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("length");
    for (const auto& [name, generator] : generators) {
        QTest::addRow("%s abc 30x20", name) << generator << QByteArray("abc") << 30 << 20;
        QTest::addRow("%s high bytes 17x1", name)
            << generator << QByteArray("\xfe\x81\x00z", 4) << 17 << 1;
    }
}

// Every build reseeds, so whatever ran on the platform generator before does
// not matter; a builder built twice gives the same map; another text differs.
void TestMapBuilders::sameInputsGiveEqualMaps()
{
    QFETCH(Generator, generator);
    QFETCH(QByteArray, text);
    QFETCH(int, width);
    QFETCH(int, length);
    const auto builder = configured(generator, text, width, length);
    const std::unique_ptr<Map> first = builder->build();
    PlatformRandom::seed(99u);
    PlatformRandom::next();
    QCOMPARE(first->points().size(), std::size_t(width) * std::size_t(length));
    QVERIFY(sameHeights(*first, *configured(generator, text, width, length)->build()));
    QVERIFY(sameHeights(*first, *builder->build()));
    QVERIFY(!sameHeights(*first, *configured(generator, text + "!", width, length)->build()));
}

void TestMapBuilders::fullyRandomHeightsFollowPlatformRandom_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("length");
    QTest::newRow("empty text") << QByteArray() << 7 << 5;
    QTest::newRow("abc") << QByteArray("abc") << 99 << 99;
}

// The k-th value drawn after reseeding, rand() / 32767, is the k-th point's
// height. The empty text folds to 0, and seed 0 draws 38, 7719, 21238, 2437
// and 8855 first (worked out in the platform random test).
void TestMapBuilders::fullyRandomHeightsFollowPlatformRandom()
{
    QFETCH(QByteArray, text);
    QFETCH(int, width);
    QFETCH(int, length);
    const auto map = configured(Generator::FullyRandom, text, width, length)->build();
    reseedAsBuild(text);
    for (const MapPoint& point : map->points()) {
        QVERIFY(point.z() >= 0.0f && point.z() <= 1.0f);
        QCOMPARE(bitsOf(point.z()), bitsOf(float(PlatformRandom::next()) / 32767.0f));
    }
    if (text.isEmpty()) {
        const float firstColumn[] = {38.0f, 7719.0f, 21238.0f, 2437.0f, 8855.0f};
        for (std::uint32_t y = 0; y < 5; ++y) {
            QCOMPARE(bitsOf(map->pointAt(0, y)->z()), bitsOf(firstColumn[y] / 32767.0f));
        }
    }
}

// How many values a build takes from the platform generator: one per point
// for the fully random builder, only the peak count for the simple peaks
// builder (its peaks are still drawn without points), none for the chain.
void TestMapBuilders::platformDrawsOfBuild_data()
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

void TestMapBuilders::platformDrawsOfBuild()
{
    QFETCH(Generator, generator);
    QFETCH(int, width);
    QFETCH(int, length);
    QFETCH(int, platformDraws);
    const QByteArray text("draws");
    auto builder = configured(generator, text, width, length);
    const std::unique_ptr<Map> map = builder->build();
    const int nextAfterBuild = PlatformRandom::next();
    QCOMPARE(map->width(), std::uint32_t(width));
    QCOMPARE(map->length(), std::uint32_t(length));
    QCOMPARE(map->points().size(), std::size_t(width * length));
    reseedAsBuild(text);
    for (int i = 0; i < platformDraws; ++i) {
        PlatformRandom::next();
    }
    QCOMPARE(nextAfterBuild, PlatformRandom::next());
    if (generator == Generator::SimplePeaks) {
        const auto& peaks = static_cast<SimplePeaksMoutainMapBuilder&>(*builder).peaks();
        QVERIFY(peaks.size() >= 4 && peaks.size() <= 32);
    }
}

void TestMapBuilders::peaksMapIsUpperEnvelope_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("length");
    QTest::newRow("abc 40x25") << QByteArray("abc") << 40 << 25;
    QTest::newRow("empty text 3x60") << QByteArray() << 3 << 60;
}

void TestMapBuilders::peaksMapIsUpperEnvelope()
{
    QFETCH(QByteArray, text);
    QFETCH(int, width);
    QFETCH(int, length);
    SimplePeaksMoutainMapBuilder builder;
    builder.setSeed(text).setWidth(width).setLength(length);
    const std::unique_ptr<Map> map = builder.build();
    const std::vector<Peak>& peaks = builder.peaks();
    QVERIFY(peaks.size() >= 4);
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

// ceil(rand() / 32767 * 28 + 4) peaks: 4 only for rand() = 0, exactly 32 (not
// 33) for rand() = 32767, and never fewer for a larger first value.
void TestMapBuilders::peakCountFollowsFirstPlatformValue()
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

    std::vector<std::pair<int, std::size_t>> counts;
    for (int i = 0; i < 200; ++i) {
        const QByteArray text = QByteArray::number(i);
        counts.emplace_back(firstPlatformValue(text), peakCount(text));
    }
    std::sort(counts.begin(), counts.end());
    for (std::size_t i = 0; i < counts.size(); ++i) {
        QVERIFY(counts[i].first == 0 || (counts[i].second >= 5 && counts[i].second <= 32));
        QVERIFY(i == 0 || counts[i - 1].second <= counts[i].second);
    }
}

// Centres are uniform over [0, width] and [0, length], angles over [0, 2 pi].
// On a long, narrow map the two centre draws cannot be mixed up unnoticed.
void TestMapBuilders::peaksFallWithinTheirRanges()
{
    bool someBeyondLength = false;
    for (int i = 0; i < 40; ++i) {
        SimplePeaksMoutainMapBuilder builder;
        builder.setSeed(QByteArray::number(i)).setWidth(60).setLength(6);
        builder.build();
        for (const Peak& peak : builder.peaks()) {
            QVERIFY(peak.centreX() >= 0.0f && peak.centreX() <= 60.0f);
            QVERIFY(peak.centreY() >= 0.0f && peak.centreY() <= 6.0f);
            QVERIFY(peak.angle() >= 0.0f && peak.angle() <= 6.2831855f);
            someBeyondLength = someBeyondLength || peak.centreX() > 6.0f;
        }
    }
    QVERIFY(someBeyondLength);
}

void TestMapBuilders::secondBuildAppendsSamePeaks()
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

QTEST_APPLESS_MAIN(TestMapBuilders)
#include "test_mapbuilders.moc"
