#include "generators/polynomial.h"
#include "goldenworlds.h"
#include "terrain/platformrandom.h"

#include <QtTest>
#include <algorithm>

using GoldenWorlds::bitsOf;
using GoldenWorlds::Generator;
Q_DECLARE_METATYPE(GoldenWorlds::Generator)

namespace {
bool sameHeights(const Map& a, const Map& b)
{
    return a.width() == b.width() && a.length() == b.length() &&
           std::memcmp(a.points().data(), b.points().data(),
                       a.points().size() * sizeof(MapPoint)) == 0;
}

std::unique_ptr<Map> build(Generator generator, const char* text, int width, int length)
{
    return GoldenWorlds::build({"", generator, text, width, length, 0u});
}

// The first platform value a build of this text draws.
int firstPlatformValue(const QByteArray& text)
{
    PlatformRandom::seed(std::uint32_t(Seed(text).toInt()));
    return PlatformRandom::next();
}

std::size_t peakCount(const QByteArray& text)
{
    SimplePeaksMoutainMapBuilder builder;
    builder.setSeed(text).setWidth(2).setLength(2);
    builder.build();
    return builder.peaks().size();
}
} // namespace

class TestMapBuilders : public QObject
{
    Q_OBJECT

private slots:
    void sameSettingsSameMap_data()
    {
        QTest::addColumn<Generator>("generator");
        QTest::newRow("random") << Generator::FullyRandom;
        QTest::newRow("peaks") << Generator::SimplePeaks;
        QTest::newRow("chain") << Generator::PeaksChain;
    }

    // Whatever ran on the platform generator before, since every build reseeds.
    void sameSettingsSameMap()
    {
        QFETCH(Generator, generator);
        const std::unique_ptr<Map> map = build(generator, "abc", 30, 20);
        PlatformRandom::seed(99u);
        QVERIFY(sameHeights(*map, *build(generator, "abc", 30, 20)));
        QVERIFY(!sameHeights(*map, *build(generator, "abd", 30, 20)));
    }

    // The k-th value drawn after reseeding, over 32767, is the k-th height.
    void fullyRandomHeightsFollowPlatformRandom()
    {
        const auto map = build(Generator::FullyRandom, "abc", 99, 98);
        int value = firstPlatformValue("abc");
        for (const MapPoint& point : map->points()) {
            QVERIFY(point.z() >= 0.0f && point.z() <= 1.0f);
            QCOMPARE(bitsOf(point.z()), bitsOf(float(value) / 32767.0f));
            value = PlatformRandom::next();
        }
    }

    // An empty map still takes its platform values: one per point for the fully
    // random builder, the peak count for the simple peaks builder.
    void emptyMapAfterAllDraws_data()
    {
        QTest::addColumn<Generator>("generator");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("platformDraws");
        QTest::newRow("random 0x5") << Generator::FullyRandom << 0 << 5 << 0;
        QTest::newRow("peaks 0x5") << Generator::SimplePeaks << 0 << 5 << 1;
        QTest::newRow("peaks 5x0") << Generator::SimplePeaks << 5 << 0 << 1;
        QTest::newRow("chain 0x0") << Generator::PeaksChain << 0 << 0 << 0;
    }

    void emptyMapAfterAllDraws()
    {
        QFETCH(Generator, generator);
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(int, platformDraws);
        const std::unique_ptr<Map> map = build(generator, "draws", width, length);
        const int nextAfterBuild = PlatformRandom::next();
        QCOMPARE(map->points().size(), std::size_t(width * length));
        int expected = firstPlatformValue("draws");
        for (int i = 0; i < platformDraws; ++i) {
            expected = PlatformRandom::next();
        }
        QCOMPARE(nextAfterBuild, expected);
    }

    // Built twice, the builder appends an equal second set and the map is the
    // same; every height is the largest of the peaks there.
    void peaksMapTakesHighestPeak()
    {
        SimplePeaksMoutainMapBuilder builder;
        builder.setSeed(QByteArray("abc")).setWidth(40).setLength(25);
        const std::unique_ptr<Map> first = builder.build();
        const std::size_t count = builder.peaks().size();
        const std::unique_ptr<Map> map = builder.build();
        const std::vector<Peak>& peaks = builder.peaks();
        QCOMPARE(peaks.size(), 2 * count);
        for (std::size_t i = 0; i < count; ++i) {
            QCOMPARE(bitsOf(peaks[count + i].centreX()), bitsOf(peaks[i].centreX()));
        }
        QVERIFY(sameHeights(*first, *map));
        for (const MapPoint& point : map->points()) {
            float highest = peaks.front().heightAt(point.x(), point.y());
            for (const Peak& peak : peaks) {
                highest = std::max(highest, peak.heightAt(point.x(), point.y()));
            }
            QCOMPARE(bitsOf(point.z()), bitsOf(highest));
        }
    }

    // ceil(rand() / 32767 * 28 + 4) peaks: 4 only for rand() = 0, 32 (not 33)
    // for 32767. One text in 32768 draws either first.
    void peakCountFollowsFirstPlatformValue()
    {
        QByteArray lowest;
        QByteArray highest;
        for (int i = 0; lowest.isEmpty() || highest.isEmpty(); ++i) {
            const QByteArray text = "seed " + QByteArray::number(i);
            const int value = firstPlatformValue(text);
            if (value == 0) {
                lowest = text;
            } else if (value == PlatformRandom::Max) {
                highest = text;
            } else if (i < 200) {
                const std::size_t count = peakCount(text);
                QVERIFY(count >= 5 && count <= 32);
            }
        }
        QCOMPARE(peakCount(lowest), std::size_t(4));
        QCOMPARE(peakCount(highest), std::size_t(32));
    }

    // 1.5 - 0.5 x + 0.25 x^2 at x = 2, every step exact.
    void polynomialEvaluates()
    {
        PolynomialBuilder builder;
        builder.addTerm(1.5f, 0.0f).addTerm(-0.5f, 1.0f).addTerm(0.25f, 2.0f);
        QCOMPARE(bitsOf(builder.build()->evaluate(2.0f)), bitsOf(1.5f));
    }
};

QTEST_APPLESS_MAIN(TestMapBuilders)
#include "test_mapbuilders.moc"
