#include "filters/filtermatrix.h"
#include "terrain/map.h"

#include <QtTest>
#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>

namespace {

using Coefficients = FilterMatrix::Coefficients;

std::unique_ptr<Map> makeMap(int width, int length, const std::function<float(int, int)>& height)
{
    auto map = std::make_unique<Map>(std::uint32_t(width), std::uint32_t(length));
    for (MapPoint& point : map->points()) {
        point.setZ(height(int(point.x()), int(point.y())));
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

// 24 at the centre, -1 elsewhere: the weights sum to 0.
Coefficients laplacian()
{
    Coefficients coefficients = filled(-1);
    coefficients[12] = 24;
    return coefficients;
}

std::unique_ptr<Map> filter(const Coefficients& coefficients, const Map& input)
{
    FilterMatrix matrix;
    matrix.setMatrix(coefficients);
    return matrix.apply(input);
}

// Integer heights keep every weighted sum exact, so plain sums compare bit
// for bit.
float parabolicHeight(int x, int y)
{
    return float(x * x + 3 * y);
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

    void centreOnly_data()
    {
        QTest::addColumn<int>("weight");
        QTest::newRow("1") << 1;
        QTest::newRow("3") << 3;
        QTest::newRow("-7") << -7;
    }

    // (h * w) / w in floats. The infinite height also shows that zero
    // coefficients read nothing: 0 * inf would spread NaN to its neighbours.
    void centreOnly()
    {
        QFETCH(int, weight);
        const float heights[] = {
            0.1f, std::numeric_limits<float>::infinity(), 1e-30f, 123456.78f, 3e38f, 0.0f};
        const auto input = makeMap(3, 2, [&heights](int x, int y) { return heights[x * 2 + y]; });
        const auto output = filter(only(12, weight), *input);
        for (std::size_t i = 0; i < 6; ++i) {
            // The total starts at +0: a zero height under a negative weight
            // gives +0 / -7 = -0.
            const float expected = (0.0f + heights[i] * float(weight)) / float(weight);
            QVERIFY2(sameBits(output->points()[i].z(), expected), qPrintable(QString::number(i)));
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
        QTest::newRow("upper right") << 5 << 4 << -1 << -1;
    }

    void allOnesCornerWeighting()
    {
        QFETCH(int, cx);
        QFETCH(int, cy);
        QFETCH(int, sx);
        QFETCH(int, sy);
        auto h = [&](int i, int j) { return parabolicHeight(cx + i * sx, cy + j * sy); };
        const float weighted = 9 * h(0, 0) + 3 * (h(1, 0) + h(2, 0) + h(0, 1) + h(0, 2)) + h(1, 1) +
                               h(1, 2) + h(2, 1) + h(2, 2);
        const auto output = filter(filled(1), *makeMap(6, 5, parabolicHeight));
        QCOMPARE(heightAt(*output, cx, cy), weighted / 25.0f);
    }

    // Zero sum: 25 h(x, y) minus the sum of the clamped block, undivided. On
    // the 5 x 5 map with h = x^2 + 2y the clamped blocks sum to 250 at (2, 2),
    // 55 at (0, 0) and 475 at (4, 4). All -1 divides by -25: the mean again.
    void sumOfCoefficients_data()
    {
        QTest::addColumn<Coefficients>("coefficients");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<float>("expected");
        QTest::newRow("zero sum, centre") << laplacian() << 2 << 2 << (25.0f * 8.0f - 250.0f);
        QTest::newRow("zero sum, lower left") << laplacian() << 0 << 0 << -55.0f;
        QTest::newRow("zero sum, upper right") << laplacian() << 4 << 4 << (25.0f * 24 - 475.0f);
        QTest::newRow("negative sum, centre") << filled(-1) << 2 << 2 << 10.0f;
        QTest::newRow("negative sum, lower left") << filled(-1) << 0 << 0 << 55.0f / 25.0f;
    }

    void sumOfCoefficients()
    {
        QFETCH(Coefficients, coefficients);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(float, expected);
        const auto input = makeMap(5, 5, [](int i, int j) { return float(i * i + 2 * j); });
        QCOMPARE(heightAt(*filter(coefficients, *input), x, y), expected);
    }

    // A single coefficient moves the map by its offset, x along consecutive
    // indices and y every fifth. Off the map the border repeats, so with
    // dx = +1 the last column keeps its own height.
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
        QTest::newRow("k 24") << 24 << 2 << 2;
    }

    void singleCoefficientShifts()
    {
        QFETCH(int, k);
        QFETCH(int, dx);
        QFETCH(int, dy);
        const auto input = makeMap(6, 4, [](int x, int y) { return 10.0f * x + y + 0.5f; });
        const auto output = filter(only(k, 1), *input);
        for (const MapPoint& point : output->points()) {
            const int sourceX = std::clamp(int(point.x()) + dx, 0, 5);
            const int sourceY = std::clamp(int(point.y()) + dy, 0, 3);
            QCOMPARE(point.z(), 10.0f * sourceX + sourceY + 0.5f);
        }
    }

    // Every neighbour of a 1 x 1 map is its single point.
    void oneByOneMap_data()
    {
        QTest::addColumn<Coefficients>("coefficients");
        QTest::addColumn<float>("expected");
        Coefficients ramp;
        for (int k = 0; k < 25; ++k) {
            ramp[std::size_t(k)] = k + 1;
        }
        QTest::newRow("all zeros") << Coefficients{} << 0.0f;
        QTest::newRow("all ones") << filled(1) << 1.5f;
        QTest::newRow("1 to 25") << ramp << 1.5f; // 1.5 * 325 / 325
        QTest::newRow("zero sum") << laplacian() << 0.0f;
        QTest::newRow("k 24 only") << only(24, 1) << 1.5f;
    }

    void oneByOneMap()
    {
        QFETCH(Coefficients, coefficients);
        QFETCH(float, expected);
        const auto output = filter(coefficients, *makeMap(1, 1, [](int, int) { return 1.5f; }));
        QCOMPARE(output->points().size(), std::size_t(1));
        QVERIFY(sameBits(output->points()[0].z(), expected));
    }

    void inputUnchangedOutputDistinct_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::newRow("5 x 3") << 5 << 3;
        QTest::newRow("0 x 5") << 0 << 5;
        QTest::newRow("5 x 0") << 5 << 0;
    }

    void inputUnchangedOutputDistinct()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        const auto heightOf = [](int x, int y) { return float(x) * 0.25f - float(y); };
        const auto input = makeMap(width, length, heightOf);
        const auto output = filter(filled(2), *input);
        QVERIFY(output.get() != input.get());
        QCOMPARE(int(output->width()), width);
        QCOMPARE(int(output->length()), length);
        QCOMPARE(output->points().size(), std::size_t(width * length));
        for (const MapPoint& point : input->points()) {
            QVERIFY(sameBits(point.z(), heightOf(int(point.x()), int(point.y()))));
        }
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
};

QTEST_APPLESS_MAIN(TestFilterMatrix)
#include "test_filtermatrix.moc"
