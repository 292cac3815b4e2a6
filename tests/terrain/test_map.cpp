#include "terrain/map.h"

#include <QtTest>
#include <cmath>
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
    void pointsAreXMajorAndFlat();
    void pointAtFindsListedPoint_data();
    void pointAtFindsListedPoint();
    void emptyMapHasNoPoints_data();
    void emptyMapHasNoPoints();
    void pointAtOutsideIsNull_data();
    void pointAtOutsideIsNull();
    void copyIsDistinctAndEqual();
    void copyKeepsExactBits();
    void copyIsIndependent();
};

void TestMap::pointsAreXMajorAndFlat()
{
    const Map map(3, 2);
    const float expected[6][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}};
    QCOMPARE(map.points().size(), std::size_t(6));
    for (std::size_t i = 0; i < 6; ++i) {
        const MapPoint& point = map.points()[i];
        QCOMPARE(point.x(), expected[i][0]);
        QCOMPARE(point.y(), expected[i][1]);
        QCOMPARE(bitsOf(point.z()), bitsOf(0.0f));
    }
    QCOMPARE(map.width(), 3u);
    QCOMPARE(map.length(), 2u);
    QVERIFY(map.drops().empty());
}

void TestMap::pointAtFindsListedPoint_data()
{
    QTest::addColumn<uint>("width");
    QTest::addColumn<uint>("length");
    QTest::newRow("3x2") << 3u << 2u;
    QTest::newRow("1x4") << 1u << 4u;
    QTest::newRow("4x1") << 4u << 1u;
    QTest::newRow("5x7") << 5u << 7u;
}

// Every position resolves to the point carrying its coordinates, and the points
// pointAt hands out are the ones of the list, in list order.
void TestMap::pointAtFindsListedPoint()
{
    QFETCH(uint, width);
    QFETCH(uint, length);
    Map map(width, length);
    std::size_t index = 0;
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < length; ++y) {
            MapPoint* point = map.pointAt(x, y);
            QVERIFY(point != nullptr);
            QCOMPARE(point->x(), float(x));
            QCOMPARE(point->y(), float(y));
            QCOMPARE(point, &map.points()[index]);
            const Map& constMap = map;
            QCOMPARE(constMap.pointAt(x, y), point);
            ++index;
        }
    }
}

void TestMap::emptyMapHasNoPoints_data()
{
    QTest::addColumn<uint>("width");
    QTest::addColumn<uint>("length");
    QTest::newRow("0x0") << 0u << 0u;
    QTest::newRow("0x5") << 0u << 5u;
    QTest::newRow("5x0") << 5u << 0u;
}

void TestMap::emptyMapHasNoPoints()
{
    QFETCH(uint, width);
    QFETCH(uint, length);
    Map map(width, length);
    QVERIFY(map.points().empty());
    QCOMPARE(map.width(), width);
    QCOMPARE(map.length(), length);
    for (std::uint32_t x = 0; x < 6; ++x) {
        for (std::uint32_t y = 0; y < 6; ++y) {
            QVERIFY(map.pointAt(x, y) == nullptr);
        }
    }
    QVERIFY(map.copy()->points().empty());
}

void TestMap::pointAtOutsideIsNull_data()
{
    QTest::addColumn<uint>("x");
    QTest::addColumn<uint>("y");
    const uint largest = std::numeric_limits<std::uint32_t>::max();
    QTest::newRow("x = width") << 3u << 0u;
    QTest::newRow("y = length") << 0u << 2u;
    QTest::newRow("both past") << 3u << 2u;
    QTest::newRow("x far") << largest << 1u;
    QTest::newRow("y far") << 1u << largest;
}

void TestMap::pointAtOutsideIsNull()
{
    QFETCH(uint, x);
    QFETCH(uint, y);
    Map map(3, 2);
    QVERIFY(map.pointAt(x, y) == nullptr);
    const Map& constMap = map;
    QVERIFY(constMap.pointAt(x, y) == nullptr);
}

// The drop list of a copy is not checked against a source with drops: starting
// a drop belongs to the drop simulation, which is tested on its own.
void TestMap::copyIsDistinctAndEqual()
{
    Map source(4, 3);
    for (MapPoint& point : source.points()) {
        point.setZ(point.x() * 10.0f + point.y() + 0.25f);
    }
    const std::unique_ptr<Map> copy = source.copy();
    QVERIFY(copy.get() != &source);
    QCOMPARE(copy->width(), 4u);
    QCOMPARE(copy->length(), 3u);
    QCOMPARE(copy->points().size(), source.points().size());
    QVERIFY(copy->drops().empty());
    for (std::size_t i = 0; i < source.points().size(); ++i) {
        const MapPoint& original = source.points()[i];
        const MapPoint& copied = copy->points()[i];
        QVERIFY(&original != &copied);
        QCOMPARE(copied.x(), original.x());
        QCOMPARE(copied.y(), original.y());
        QCOMPARE(bitsOf(copied.z()), bitsOf(original.z()));
    }
}

// Heights travel unchanged, whatever they are: negative zero, infinities, NaN.
void TestMap::copyKeepsExactBits()
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
    const std::unique_ptr<Map> copy = source.copy();
    for (std::size_t i = 0; i < 6; ++i) {
        QCOMPARE(bitsOf(copy->points()[i].z()), bitsOf(heights[i]));
    }
}

void TestMap::copyIsIndependent()
{
    Map source(2, 2);
    source.pointAt(1, 0)->setZ(5.0f);
    const std::unique_ptr<Map> copy = source.copy();
    copy->pointAt(1, 0)->setZ(-7.0f);
    copy->pointAt(0, 1)->setZ(3.0f);
    QCOMPARE(source.pointAt(1, 0)->z(), 5.0f);
    QCOMPARE(source.pointAt(0, 1)->z(), 0.0f);
    source.pointAt(1, 1)->setZ(9.0f);
    QCOMPARE(copy->pointAt(1, 1)->z(), 0.0f);
}

QTEST_APPLESS_MAIN(TestMap)
#include "test_map.moc"
