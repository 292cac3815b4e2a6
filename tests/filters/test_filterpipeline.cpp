#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "terrain/map.h"

#include <QtTest>
#include <cstring>

namespace {

std::unique_ptr<Filter> matrixFilter(const FilterMatrix::Coefficients& coefficients)
{
    auto filter = std::make_unique<FilterMatrix>();
    filter->setMatrix(coefficients);
    return filter;
}

// A row of heights along x (length 1).
std::unique_ptr<Map> rowMap(const std::vector<float>& heights)
{
    auto map = std::make_unique<Map>(std::uint32_t(heights.size()), 1u);
    for (std::size_t x = 0; x < heights.size(); ++x) {
        map->points()[x].setZ(heights[x]);
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

std::unique_ptr<Map> slopedMap()
{
    auto map = std::make_unique<Map>(6u, 5u);
    for (MapPoint& point : map->points()) {
        point.setZ(0.75f * point.x() + 0.5f * point.y() * point.y());
    }
    return map;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<float>)

class TestFilterPipeline : public QObject
{
    Q_OBJECT

private slots:
    void emptyListGivesEqualDistinctMap()
    {
        auto base = slopedMap();
        base->startDrop(2.5f, 2.5f);
        const auto filtered = applyFilterList(*base, FilterList{});
        QVERIFY(filtered.get() != base.get());
        QCOMPARE(filtered->width(), base->width());
        QCOMPARE(filtered->length(), base->length());
        QCOMPARE(heightsOf(*filtered), heightsOf(*base));
        QVERIFY(filtered->drops().empty());
        QCOMPARE(base->drops().size(), std::size_t(1));
    }

    // A: shift by one along x (k = 13). B: 2 h(x) - 2 h(x - 1), whose weights
    // sum to 0 and so stand undivided. They do not commute at the borders:
    // on 1, 2, 4, 8, A gives 2, 4, 8, 8 and B then 0, 4, 8, 0; B first gives
    // 0, 2, 4, 8 and A then 2, 4, 8, 8. B on the base alone would give
    // 0, 2, 4, 8.
    void filtersRunInListOrder_data()
    {
        QTest::addColumn<bool>("shiftFirst");
        QTest::addColumn<std::vector<float>>("expected");
        QTest::newRow("shift, then difference") << true << std::vector<float>{0, 4, 8, 0};
        QTest::newRow("difference, then shift") << false << std::vector<float>{2, 4, 8, 8};
    }

    void filtersRunInListOrder()
    {
        QFETCH(bool, shiftFirst);
        QFETCH(std::vector<float>, expected);
        FilterMatrix::Coefficients shift{};
        shift[13] = 1;
        FilterMatrix::Coefficients difference{};
        difference[11] = -2;
        difference[12] = 2;
        FilterList filters;
        filters.push_back(matrixFilter(shiftFirst ? shift : difference));
        filters.push_back(matrixFilter(shiftFirst ? difference : shift));
        const auto base = rowMap({1, 2, 4, 8});
        QCOMPARE(heightsOf(*applyFilterList(*base, filters)), expected);
        QCOMPARE(heightsOf(*base), (std::vector<float>{1, 2, 4, 8}));
    }

    // Each run starts again from the base map: same heights every time, and
    // the drops of an earlier filtered map do not come along.
    void reapplyingRestartsFromBase()
    {
        const auto base = slopedMap();
        FilterMatrix::Coefficients sharpen;
        sharpen.fill(-1);
        sharpen[12] = 30;
        FilterList filters;
        filters.push_back(matrixFilter(sharpen));
        filters.push_back(matrixFilter(FilterMatrix::Coefficients{
            0, 0, 0, 0, 0, 0, 1, 2, 1, 0, 0, 2, 4, 2, 0, 0, 1, 2, 1, 0, 0, 0, 0, 0, 0}));
        auto first = applyFilterList(*base, filters);
        first->startDrop(3.5f, 2.5f);
        first->stepDrops(0.01f);
        const auto second = applyFilterList(*base, filters);
        const auto firstHeights = heightsOf(*first);
        const auto secondHeights = heightsOf(*second);
        QCOMPARE(firstHeights.size(), secondHeights.size());
        QVERIFY(std::memcmp(firstHeights.data(), secondHeights.data(),
                            firstHeights.size() * sizeof(float)) == 0);
        QVERIFY(firstHeights != heightsOf(*base));
        QCOMPARE(first->drops().size(), std::size_t(1));
        QVERIFY(second->drops().empty());
        QVERIFY(base->drops().empty());
    }
};

QTEST_APPLESS_MAIN(TestFilterPipeline)
#include "test_filterpipeline.moc"
