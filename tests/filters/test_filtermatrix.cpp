#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "terrain/map.h"

#include <QtTest>
#include <algorithm>
#include <functional>

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

std::vector<float> heightsOf(const Map& map)
{
    std::vector<float> heights;
    for (const MapPoint& point : map.points()) {
        heights.push_back(point.z());
    }
    return heights;
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

std::unique_ptr<Filter> matrix(const Coefficients& coefficients)
{
    auto filter = std::make_unique<FilterMatrix>();
    filter->setMatrix(coefficients);
    return filter;
}

// Integer heights keep every weighted sum exact.
float parabola(int x, int y)
{
    return float(x * x + 2 * y);
}

} // namespace

Q_DECLARE_METATYPE(Coefficients)

class TestFilterMatrix : public QObject
{
    Q_OBJECT

private slots:
    // On the 5 x 5 map x^2 + 2y the clamped block sums to 250 at (2, 2). At
    // (0, 0) the corner counts 9 times, the two points beyond it along each
    // border 3 times, the inner 2 x 2 block once: 0 + 3 (1 + 4 + 2 + 4) +
    // 3 + 5 + 6 + 8 = 55.
    void weightedSums_data()
    {
        Coefficients zeroSum = filled(-1);
        zeroSum[12] = 24;
        QTest::addColumn<Coefficients>("coefficients");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<float>("expected");
        QTest::newRow("all zeros") << Coefficients{} << 2 << 3 << 0.0f;
        QTest::newRow("centre 1") << only(12, 1) << 3 << 1 << 11.0f;
        QTest::newRow("centre 3") << only(12, 3) << 4 << 4 << 24.0f;
        QTest::newRow("all ones, corner") << filled(1) << 0 << 0 << 55.0f / 25.0f;
        QTest::newRow("zero sum undivided") << zeroSum << 2 << 2 << (25.0f * 8.0f - 250.0f);
        QTest::newRow("negative sum divides") << filled(-1) << 0 << 0 << 55.0f / 25.0f;
    }

    void weightedSums()
    {
        QFETCH(Coefficients, coefficients);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(float, expected);
        const auto output = matrix(coefficients)->apply(*makeMap(5, 5, parabola));
        QCOMPARE(output->pointAt(std::uint32_t(x), std::uint32_t(y))->z(), expected);
    }

    // One coefficient moves the map by its offset: x along consecutive
    // indices, y every fifth; off the map the border repeats.
    void singleCoefficientShifts_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::newRow("k 13 next x") << 13 << 1 << 0;
        QTest::newRow("k 17 next y") << 17 << 0 << 1;
    }

    void singleCoefficientShifts()
    {
        QFETCH(int, k);
        QFETCH(int, dx);
        QFETCH(int, dy);
        const auto output = matrix(only(k, 1))->apply(*makeMap(6, 4, [](int x, int y) {
            return 10.0f * x + y + 0.5f;
        }));
        for (const MapPoint& point : output->points()) {
            const int sourceX = std::clamp(int(point.x()) + dx, 0, 5);
            const int sourceY = std::clamp(int(point.y()) + dy, 0, 3);
            QCOMPARE(point.z(), 10.0f * sourceX + sourceY + 0.5f);
        }
    }

    // Every neighbour of a 1 x 1 map is its single point: 1.5 * 325 / 325.
    void oneByOneMap()
    {
        Coefficients ramp;
        for (int k = 0; k < 25; ++k) {
            ramp[std::size_t(k)] = k + 1;
        }
        const auto output = matrix(ramp)->apply(*makeMap(1, 1, [](int, int) { return 1.5f; }));
        QCOMPARE(heightsOf(*output), std::vector<float>{1.5f});
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
        const auto output = matrix(filled(2))->apply(*input);
        QVERIFY(output.get() != input.get());
        QCOMPARE(int(output->width()), width);
        QCOMPARE(output->points().size(), std::size_t(width * length));
        for (const MapPoint& point : input->points()) {
            QCOMPARE(point.z(), heightOf(int(point.x()), int(point.y())));
        }
    }

    // A fresh copy: the drops of an earlier map do not come along.
    void emptyListGivesEqualDistinctMap()
    {
        auto base = makeMap(6, 5, parabola);
        base->startDrop(2.5f, 2.5f);
        const auto filtered = applyFilterList(*base, FilterList{});
        QVERIFY(filtered.get() != base.get());
        QCOMPARE(filtered->width(), base->width());
        QCOMPARE(heightsOf(*filtered), heightsOf(*base));
        QVERIFY(filtered->drops().empty());
    }

    // A shifts along x (k = 13); B is 2 h(x) - 2 h(x - 1), undivided. On the
    // row 1, 2, 4, 8 A gives 2, 4, 8, 8, then B 0, 4, 8, 0 (B first, then A:
    // 2, 4, 8, 8).
    void filtersRunInListOrder()
    {
        Coefficients difference{};
        difference[11] = -2;
        difference[12] = 2;
        FilterList filters;
        filters.push_back(matrix(only(13, 1)));
        filters.push_back(matrix(difference));
        const float row[] = {1, 2, 4, 8};
        const auto base = makeMap(4, 1, [&row](int x, int) { return row[x]; });
        QCOMPARE(heightsOf(*applyFilterList(*base, filters)), (std::vector<float>{0, 4, 8, 0}));
    }
};

QTEST_APPLESS_MAIN(TestFilterMatrix)
#include "test_filtermatrix.moc"
