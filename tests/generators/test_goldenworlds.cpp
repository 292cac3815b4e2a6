#include "goldenworlds.h"

#include <QtTest>

// Every golden world, built here as the application builds it, must hash to
// the value reckoned independently (see goldenworlds.h).
class TestGoldenWorlds : public QObject
{
    Q_OBJECT

private slots:
    void checksum_data();
    void checksum();
    void checksumSeesEveryBit();
};

void TestGoldenWorlds::checksum_data()
{
    QTest::addColumn<int>("index");
    for (std::size_t i = 0; i < GoldenWorlds::worlds.size(); ++i) {
        QTest::newRow(GoldenWorlds::worlds[i].name) << int(i);
    }
}

void TestGoldenWorlds::checksum()
{
    QFETCH(int, index);
    const GoldenWorlds::World& world = GoldenWorlds::worlds[std::size_t(index)];
    const std::unique_ptr<Map> map = GoldenWorlds::build(world);
    QCOMPARE(map->width(), std::uint32_t(world.width));
    QCOMPARE(map->length(), std::uint32_t(world.length));
    QCOMPARE(GoldenWorlds::checksum(*map), world.checksum);
}

// The checksum of a single 0.0 height is FNV-1a of four zero bytes: the
// offset basis 0x811c9dc5 multiplied four times by the prime 0x01000193, mod
// 2^32, is 0x4b95f515 (reckoned with Python). The lowest bit of one height
// changes it.
void TestGoldenWorlds::checksumSeesEveryBit()
{
    Map map(1, 1);
    QCOMPARE(GoldenWorlds::checksum(map), 0x4b95f515u);
    map.points()[0].setZ(1.4e-45f); // bit pattern 0x00000001
    QVERIFY(GoldenWorlds::checksum(map) != 0x4b95f515u);
    QCOMPARE(GoldenWorlds::checksum(Map(0, 0)), 0x811c9dc5u);
}

QTEST_APPLESS_MAIN(TestGoldenWorlds)
#include "test_goldenworlds.moc"
