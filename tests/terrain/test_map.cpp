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
    void pointsAreXMajor_data()
    {
        QTest::addColumn<uint>("width");
        QTest::addColumn<uint>("length");
        QTest::newRow("3x2") << 3u << 2u;
        QTest::newRow("1x4") << 1u << 4u;
        QTest::newRow("4x1") << 4u << 1u;
    }

    // List entry i holds (i / length, i % length) at height 0, and pointAt hands
    // out that very entry.
    void pointsAreXMajor()
    {
        QFETCH(uint, width);
        QFETCH(uint, length);
        Map map(width, length);
        QCOMPARE(map.width(), width);
        QCOMPARE(map.length(), length);
        QCOMPARE(map.points().size(), std::size_t(width * length));
        QVERIFY(map.drops().empty());
        for (std::size_t i = 0; i < map.points().size(); ++i) {
            const MapPoint& point = map.points()[i];
            const std::uint32_t x = std::uint32_t(i / length);
            const std::uint32_t y = std::uint32_t(i % length);
            QCOMPARE(point.x(), float(x));
            QCOMPARE(point.y(), float(y));
            QCOMPARE(bitsOf(point.z()), bitsOf(0.0f));
            QCOMPARE(map.pointAt(x, y), &point);
            QCOMPARE(static_cast<const Map&>(map).pointAt(x, y), &point);
        }
    }

    void pointAtOutsideIsNull_data()
    {
        QTest::addColumn<uint>("width");
        QTest::addColumn<uint>("length");
        QTest::addColumn<uint>("x");
        QTest::addColumn<uint>("y");
        const uint largest = std::numeric_limits<std::uint32_t>::max();
        QTest::newRow("0x0") << 0u << 0u << 0u << 0u;
        QTest::newRow("0x5") << 0u << 5u << 0u << 2u;
        QTest::newRow("5x0") << 5u << 0u << 2u << 0u;
        QTest::newRow("x = width") << 3u << 2u << 3u << 0u;
        QTest::newRow("y = length") << 3u << 2u << 0u << 2u;
        QTest::newRow("x far") << 3u << 2u << largest << 1u;
        QTest::newRow("y far") << 3u << 2u << 1u << largest;
    }

    void pointAtOutsideIsNull()
    {
        QFETCH(uint, width);
        QFETCH(uint, length);
        QFETCH(uint, x);
        QFETCH(uint, y);
        Map map(width, length);
        QCOMPARE(map.points().size(), std::size_t(width * length));
        QVERIFY(map.pointAt(x, y) == nullptr);
        QVERIFY(static_cast<const Map&>(map).pointAt(x, y) == nullptr);
        QCOMPARE(map.copy()->points().size(), std::size_t(width * length));
    }

    // Heights travel bit for bit (negative zero, infinities, NaN), drops do not,
    // and the two maps share no point.
    void copyIsDistinctEqualAndIndependent()
    {
        Map source(2, 3);
        const float heights[6] = {-0.0f,
                                  std::numeric_limits<float>::infinity(),
                                  -std::numeric_limits<float>::infinity(),
                                  std::numeric_limits<float>::quiet_NaN(),
                                  std::numeric_limits<float>::denorm_min(),
                                  -123.456f};
        for (std::size_t i = 0; i < 6; ++i) {
            source.points()[i].setZ(heights[i]);
        }
        source.startDrop(0.5f, 0.5f);
        const std::unique_ptr<Map> copy = source.copy();
        QVERIFY(copy.get() != &source);
        QCOMPARE(copy->width(), 2u);
        QCOMPARE(copy->length(), 3u);
        QCOMPARE(copy->points().size(), std::size_t(6));
        QVERIFY(copy->drops().empty());
        QCOMPARE(source.drops().size(), std::size_t(1));
        for (std::size_t i = 0; i < 6; ++i) {
            const MapPoint& copied = copy->points()[i];
            QVERIFY(&copied != &source.points()[i]);
            QCOMPARE(copied.x(), source.points()[i].x());
            QCOMPARE(copied.y(), source.points()[i].y());
            QCOMPARE(bitsOf(copied.z()), bitsOf(heights[i]));
        }
        copy->pointAt(1, 0)->setZ(5.0f);
        QCOMPARE(bitsOf(source.pointAt(1, 0)->z()), bitsOf(heights[3]));
        source.pointAt(1, 1)->setZ(9.0f);
        QCOMPARE(bitsOf(copy->pointAt(1, 1)->z()), bitsOf(heights[4]));
    }
};

QTEST_APPLESS_MAIN(TestMap)
#include "test_map.moc"
