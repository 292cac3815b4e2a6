#include "drop/waterdrop.h"
#include "terrain/map.h"

#include <QtTest>
#include <cstring>
#include <limits>

namespace {
std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
} // namespace

class TestMap : public QObject
{
    Q_OBJECT

private slots:
    // Entry i holds (i / length, i % length) at height +0, and pointAt hands out
    // that very entry.
    void pointsAreXMajorAndFlat()
    {
        Map map(3, 2);
        QCOMPARE(map.width(), 3u);
        QCOMPARE(map.length(), 2u);
        QCOMPARE(map.points().size(), std::size_t(6));
        for (std::size_t i = 0; i < 6; ++i) {
            const MapPoint& point = map.points()[i];
            const std::uint32_t x = std::uint32_t(i / 2);
            const std::uint32_t y = std::uint32_t(i % 2);
            QCOMPARE(point.x(), float(x));
            QCOMPARE(point.y(), float(y));
            QCOMPARE(bitsOf(point.z()), 0u);
            QCOMPARE(map.pointAt(x, y), &point);
        }
    }

    void emptyAndOutsideGrid()
    {
        const std::uint32_t far = std::numeric_limits<std::uint32_t>::max();
        const Map map(3, 2);
        QVERIFY(!map.pointAt(3, 0) && !map.pointAt(0, 2));
        QVERIFY(!map.pointAt(far, 1) && !map.pointAt(1, far));
        const std::uint32_t sizes[][2] = {{0, 0}, {0, 5}, {5, 0}};
        for (const auto& size : sizes) {
            const Map empty(size[0], size[1]);
            QVERIFY(empty.points().empty() && !empty.pointAt(0, 0));
        }
    }

    // Heights travel bit for bit (negative zero, NaN), drops do not, and the
    // two maps share no point.
    void copyIsDistinctWithSameHeights()
    {
        Map source(2, 3);
        const float heights[6] = {-0.0f,     std::numeric_limits<float>::quiet_NaN(), 1.0f,
                                  -123.456f, std::numeric_limits<float>::infinity(),  7.0f};
        for (std::size_t i = 0; i < 6; ++i) {
            source.points()[i].setZ(heights[i]);
        }
        source.startDrop(0.5f, 0.5f);
        const std::unique_ptr<Map> copy = source.copy();
        QVERIFY(copy->width() == 2 && copy->length() == 3);
        QVERIFY(copy->drops().empty());
        for (std::size_t i = 0; i < 6; ++i) {
            const MapPoint& copied = copy->points()[i];
            QVERIFY(&copied != &source.points()[i]);
            QCOMPARE(bitsOf(copied.z()), bitsOf(heights[i]));
        }
    }
};

QTEST_APPLESS_MAIN(TestMap)
#include "test_map.moc"
