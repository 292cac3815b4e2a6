#include "filters/filtermatrix.h"
#include "terrain/map.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

namespace {

using Coefficients = FilterMatrix::Coefficients;
using HeightFunction = std::function<float(int x, int y)>;

std::unique_ptr<Map> makeMap(int width, int length, const HeightFunction& height)
{
    auto map = std::make_unique<Map>(std::uint32_t(width), std::uint32_t(length));
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < length; ++y) {
            map->pointAt(std::uint32_t(x), std::uint32_t(y))->setZ(height(x, y));
        }
    }
    return map;
}

float heightAt(const Map& map, int x, int y)
{
    return map.pointAt(std::uint32_t(x), std::uint32_t(y))->z();
}

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

Coefficients only(int k, int value)
{
    Coefficients coefficients{};
    coefficients[std::size_t(k)] = value;
    return coefficients;
}

Coefficients filled(int value)
{
    Coefficients coefficients;
    coefficients.fill(value);
    return coefficients;
}

std::unique_ptr<Map> filter(const Coefficients& coefficients, const Map& input)
{
    FilterMatrix matrix;
    matrix.setMatrix(coefficients);
    return matrix.apply(input);
}

// Integer heights keep every weighted sum exact, so expected values written
// as plain sums compare bit for bit.
float parabolicHeight(int x, int y)
{
    return float(x * x + 3 * y);
}

// The convolution written point by point, as the user would work it out: one
// float total in ascending coefficient order, neighbours found by clamping.
float pointByPointConvolution(const Map& map, const Coefficients& coefficients, int x, int y)
{
    const int width = int(map.width());
    const int length = int(map.length());
    float total = 0.0f;
    int sum = 0;
    for (int k = 0; k < 25; ++k) {
        const int weight = coefficients[std::size_t(k)];
        if (weight == 0) {
            continue;
        }
        const int nx = std::clamp(x + k % 5 - 2, 0, width - 1);
        const int ny = std::clamp(y + k / 5 - 2, 0, length - 1);
        const float product = heightAt(map, nx, ny) * float(weight);
        total = total + product;
        sum += weight;
    }
    return sum != 0 ? total / float(sum) : total;
}

} // namespace

Q_DECLARE_METATYPE(Coefficients)

class TestFilterMatrix : public QObject
{
    Q_OBJECT

private slots:
    void names()
    {
        QCOMPARE(FilterMatrix().name(), QStringLiteral("Matrix"));
        QCOMPARE(FilterMatrix(QStringLiteral(" Smooth ")).name(), QStringLiteral(" Smooth "));
    }

    void allZeroCoefficientsGiveZero()
    {
        const auto input = makeMap(4, 3, [](int x, int y) { return float(x) - 7.5f * float(y); });
        const auto output = filter(Coefficients{}, *input);
        for (const MapPoint& point : output->points()) {
            QVERIFY(sameBits(point.z(), 0.0f));
        }
    }

    // A zero coefficient reads nothing: a non-finite height under it cannot
    // turn the result into NaN (0 * inf).
    void zeroCoefficientsReadNothing()
    {
        const float inf = std::numeric_limits<float>::infinity();
        const auto input = makeMap(3, 3, [inf](int x, int y) { return x == 0 ? inf : float(y); });
        const auto centre = filter(only(12, 1), *input);
        const auto shifted = filter(only(13, 1), *input);
        for (int y = 0; y < 3; ++y) {
            QCOMPARE(heightAt(*centre, 0, y), inf);
            QCOMPARE(heightAt(*centre, 1, y), float(y));
            QCOMPARE(heightAt(*shifted, 0, y), float(y));
        }
    }

    void centreOnly_data()
    {
        QTest::addColumn<int>("weight");
        QTest::newRow("1") << 1;
        QTest::newRow("3") << 3;
        QTest::newRow("-7") << -7;
    }

    void centreOnly()
    {
        QFETCH(int, weight);
        const float heights[] = {0.1f, -7.3f, 1e-30f, 123456.78f, 3e38f, 0.0f};
        const auto input = makeMap(3, 2, [&heights](int x, int y) { return heights[x * 2 + y]; });
        const auto output = filter(only(12, weight), *input);
        for (int x = 0; x < 3; ++x) {
            for (int y = 0; y < 2; ++y) {
                const float h = heights[x * 2 + y];
                // The total starts at +0: a zero height under a negative
                // weight gives +0 / -7 = -0, not -0 / -7.
                const float expected = (0.0f + h * float(weight)) / float(weight);
                QVERIFY2(sameBits(heightAt(*output, x, y), expected),
                         qPrintable(QStringLiteral("at %1,%2").arg(x).arg(y)));
            }
        }
    }

    void allOnesOnConstantMap()
    {
        const auto input = makeMap(6, 5, [](int, int) { return 2.0f; });
        const auto output = filter(filled(1), *input);
        for (const MapPoint& point : output->points()) {
            QCOMPARE(point.z(), 2.0f);
        }
    }

    // At a corner the clamped 5 x 5 block counts the corner 9 times, the two
    // points beyond it along each border 3 times each, and the inner 2 x 2
    // block once. (sx, sy) points from the corner into the map.
    void allOnesCornerWeighting_data()
    {
        QTest::addColumn<int>("cx");
        QTest::addColumn<int>("cy");
        QTest::addColumn<int>("sx");
        QTest::addColumn<int>("sy");
        QTest::newRow("lower left") << 0 << 0 << 1 << 1;
        QTest::newRow("lower right") << 5 << 0 << -1 << 1;
        QTest::newRow("upper left") << 0 << 4 << 1 << -1;
        QTest::newRow("upper right") << 5 << 4 << -1 << -1;
    }

    void allOnesCornerWeighting()
    {
        QFETCH(int, cx);
        QFETCH(int, cy);
        QFETCH(int, sx);
        QFETCH(int, sy);
        const auto input = makeMap(6, 5, parabolicHeight);
        auto h = [&](int i, int j) { return parabolicHeight(cx + i * sx, cy + j * sy); };
        const float weighted = 9 * h(0, 0) + 3 * (h(1, 0) + h(2, 0) + h(0, 1) + h(0, 2)) + h(1, 1) +
                               h(1, 2) + h(2, 1) + h(2, 2);
        const auto output = filter(filled(1), *input);
        QCOMPARE(heightAt(*output, cx, cy), weighted / 25.0f);
    }

    void allOnesInsideIsPlainMean()
    {
        const auto input = makeMap(6, 5, parabolicHeight);
        float total = 0.0f;
        for (int x = 0; x <= 4; ++x) {
            for (int y = 0; y <= 4; ++y) {
                total += parabolicHeight(x, y);
            }
        }
        const auto output = filter(filled(1), *input);
        QCOMPARE(heightAt(*output, 2, 2), total / 25.0f);
    }

    // 24 at the centre and -1 elsewhere sum to 0: the weighted sum stands as it
    // is, 25 h(x, y) minus the sum of the clamped block. On the 5 x 5 map with
    // h = x^2 + 2y the clamped blocks sum to 250 at (2, 2), 55 at (0, 0) and
    // 475 at (4, 4).
    void zeroSumIsUndivided_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<float>("expected");
        QTest::newRow("centre") << 2 << 2 << (25.0f * 8.0f - 250.0f);
        QTest::newRow("lower left corner") << 0 << 0 << (25.0f * 0.0f - 55.0f);
        QTest::newRow("upper right corner") << 4 << 4 << (25.0f * 24.0f - 475.0f);
    }

    void zeroSumIsUndivided()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(float, expected);
        Coefficients laplacian = filled(-1);
        laplacian[12] = 24;
        const auto input = makeMap(5, 5, [](int i, int j) { return float(i * i + 2 * j); });
        QCOMPARE(heightAt(*filter(laplacian, *input), x, y), expected);

        const auto constant = makeMap(5, 5, [](int, int) { return 2.0f; });
        QVERIFY(sameBits(heightAt(*filter(laplacian, *constant), x, y), 0.0f));
    }

    void negativeSumDivides()
    {
        const auto input =
            makeMap(7, 4, [](int x, int y) { return 0.37f * float(x * x) - 1.1f * float(y); });
        const auto positive = filter(filled(1), *input);
        const auto negative = filter(filled(-1), *input);
        for (std::size_t i = 0; i < positive->points().size(); ++i) {
            QVERIFY(sameBits(negative->points()[i].z(), positive->points()[i].z()));
        }
        const auto parabola = makeMap(5, 5, [](int x, int y) { return float(x * x + 2 * y); });
        QCOMPARE(heightAt(*filter(filled(-1), *parabola), 0, 0), 55.0f / 25.0f);
    }

    // A single coefficient moves the map by its offset; the table gives each
    // index's offset, x along consecutive indices and y every fifth. Off the
    // map the border repeats, so with dx = +1 the last column keeps its own
    // height.
    void singleCoefficientShifts_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::newRow("k 13 next x") << 13 << 1 << 0;
        QTest::newRow("k 17 next y") << 17 << 0 << 1;
        QTest::newRow("k 11 previous x") << 11 << -1 << 0;
        QTest::newRow("k 7 previous y") << 7 << 0 << -1;
        QTest::newRow("k 0") << 0 << -2 << -2;
        QTest::newRow("k 4") << 4 << 2 << -2;
        QTest::newRow("k 5") << 5 << -2 << -1;
        QTest::newRow("k 24") << 24 << 2 << 2;
    }

    void singleCoefficientShifts()
    {
        QFETCH(int, k);
        QFETCH(int, dx);
        QFETCH(int, dy);
        const int width = 6;
        const int length = 4;
        const auto input =
            makeMap(width, length, [](int x, int y) { return 10.0f * x + y + 0.5f; });
        const auto output = filter(only(k, 1), *input);
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < length; ++y) {
                const int sourceX = std::min(std::max(x + dx, 0), width - 1);
                const int sourceY = std::min(std::max(y + dy, 0), length - 1);
                QCOMPARE(heightAt(*output, x, y), 10.0f * sourceX + sourceY + 0.5f);
            }
        }
    }

    void oneByOneMap_data()
    {
        QTest::addColumn<Coefficients>("coefficients");
        QTest::addColumn<float>("expected");
        Coefficients ramp;
        for (int k = 0; k < 25; ++k) {
            ramp[std::size_t(k)] = k + 1;
        }
        Coefficients laplacian = filled(-1);
        laplacian[12] = 24;
        QTest::newRow("all ones") << filled(1) << 1.5f;
        QTest::newRow("1 to 25") << ramp << 1.5f; // 1.5 * 325 / 325
        QTest::newRow("zero sum") << laplacian << 0.0f;
        QTest::newRow("k 24 only") << only(24, 1) << 1.5f;
    }

    void oneByOneMap()
    {
        QFETCH(Coefficients, coefficients);
        QFETCH(float, expected);
        const auto input = makeMap(1, 1, [](int, int) { return 1.5f; });
        const auto output = filter(coefficients, *input);
        QCOMPARE(output->points().size(), std::size_t(1));
        QVERIFY(sameBits(output->points()[0].z(), expected));
    }

    void inputUnchangedOutputDistinct()
    {
        const auto input = makeMap(5, 3, [](int x, int y) { return float(x) * 0.25f - float(y); });
        std::vector<float> before;
        for (const MapPoint& point : input->points()) {
            before.push_back(point.z());
        }
        const auto output = filter(filled(2), *input);
        QVERIFY(output.get() != input.get());
        QCOMPARE(output->width(), 5u);
        QCOMPARE(output->length(), 3u);
        QCOMPARE(output->points().size(), std::size_t(15));
        for (std::size_t i = 0; i < before.size(); ++i) {
            QVERIFY(sameBits(input->points()[i].z(), before[i]));
            QCOMPARE(output->points()[i].x(), input->points()[i].x());
            QCOMPARE(output->points()[i].y(), input->points()[i].y());
        }
        QVERIFY(output->drops().empty());
    }

    void emptyMaps_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::newRow("0 x 0") << 0 << 0;
        QTest::newRow("0 x 5") << 0 << 5;
        QTest::newRow("5 x 0") << 5 << 0;
    }

    void emptyMaps()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        const Map input{std::uint32_t(width), std::uint32_t(length)};
        const auto output = filter(filled(1), input);
        QCOMPARE(int(output->width()), width);
        QCOMPARE(int(output->length()), length);
        QVERIFY(output->points().empty());
    }

    // One float total, in ascending k: (1e8 + 1) rounds back to 1e8, so the
    // last term cancels to 0, where a wider sum or another order gives 1.
    void floatTotalInAscendingOrder()
    {
        const float heights[] = {1e8f, 1.0f, 1e8f, 0.0f, 0.0f};
        const auto input = makeMap(5, 1, [&heights](int x, int) { return heights[x]; });
        Coefficients coefficients{};
        coefficients[10] = 1;  // reads x - 2
        coefficients[11] = 1;  // reads x - 1
        coefficients[12] = -1; // reads x
        QVERIFY(sameBits(heightAt(*filter(coefficients, *input), 2, 0), 0.0f));
    }

    // The filter sums column-wise across many points at once; every result
    // must still be the point-by-point float sum to the last bit.
    void matchesPointByPointSum_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<bool>("zeroSum");
        QTest::newRow("1 x 1") << 1 << 1 << 1u << false;
        QTest::newRow("1 x 7") << 1 << 7 << 2u << false;
        QTest::newRow("7 x 1") << 7 << 1 << 3u << false;
        QTest::newRow("2 x 3") << 2 << 3 << 4u << false;
        QTest::newRow("4 x 4 zero sum") << 4 << 4 << 5u << true;
        QTest::newRow("17 x 5") << 17 << 5 << 6u << false;
        QTest::newRow("33 x 40 zero sum") << 33 << 40 << 7u << true;
        QTest::newRow("99 x 99") << 99 << 99 << 8u << false;
    }

    void matchesPointByPointSum()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(unsigned, seed);
        QFETCH(bool, zeroSum);
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
        std::uniform_int_distribution<int> exponent(-6, 6);
        const auto input = makeMap(width, length, [&](int, int) {
            return mantissa(random) * std::pow(10.0f, float(exponent(random)));
        });
        std::uniform_int_distribution<int> coefficient(-100, 100);
        std::bernoulli_distribution zero(0.3);
        Coefficients coefficients;
        for (auto& value : coefficients) {
            value = zero(random) ? 0 : coefficient(random);
        }
        if (zeroSum) {
            coefficients[12] = 0;
            int rest = 0;
            for (int value : coefficients) {
                rest += value;
            }
            coefficients[12] = -rest;
        }
        const auto output = filter(coefficients, *input);
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < length; ++y) {
                const float expected = pointByPointConvolution(*input, coefficients, x, y);
                QVERIFY2(sameBits(heightAt(*output, x, y), expected),
                         qPrintable(QStringLiteral("at %1,%2: %3 instead of %4")
                                        .arg(x)
                                        .arg(y)
                                        .arg(double(heightAt(*output, x, y)))
                                        .arg(double(expected))));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestFilterMatrix)
#include "test_filtermatrix.moc"
