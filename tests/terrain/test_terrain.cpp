#include "terrain/platformrandom.h"
#include "terrain/seed.h"

#include <QtTest>
#include <ctime>

namespace {

// A text whose bytes add up to values[i] in slot i.
QByteArray textWithSlots(const QVector<int>& values)
{
    QByteArray text;
    for (int round = 0; round * 255 < 32768; ++round) {
        for (int i = 0; i < Seed::kSlotCount; ++i) {
            text.append(char(std::clamp(values.value(i) - 255 * round, 0, 255)));
        }
    }
    return text;
}

} // namespace

// The map's layout, lookups and copies are held by the fuzz targets' checks.
class TestTerrain : public QObject
{
    Q_OBJECT

private slots:
    // "abc" by hand: 97, 97 * 101 + 98 = 9895, 9895 * 101 + 99 = 999494, then
    // times 11 for each of the 13 empty slots, mod 2^32. The other folds were
    // reckoned with Python's exact integers.
    void seedFold_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("fold");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("abc") << QByteArray("abc") << -719806430;
        QTest::newRow("byte 16 adds to slot 0") << QByteArray("ABCDEFGHIJKLMNOPQ") << 1315329061;
        QTest::newRow("high bytes")
            << QByteArray("\x80\xff\xc8\0\0\0\0\0\0\0\0\0\0\0\0\0\xff", 17) << 1423661306;
        QTest::newRow("digit boundaries")
            << textWithSlots({9, 10, 99, 100, 999, 1000}) << -1523441583;
        // Ten-digit slots multiply by (10^10 mod 2^32) + 1 = 1410065409.
        QTest::newRow("ten digits") << QByteArray(16 * 3921569, char(0xff)) << 2095957488;
    }

    void seedFold()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, fold);
        QCOMPARE(Seed(text).toInt(), fold);
    }

    // The platform generator seeded with the time gives the sixteen slots.
    void clockSeed()
    {
        std::time_t now = 0;
        std::unique_ptr<Seed> seed;
        do { // until the clock's second stays
            now = std::time(nullptr);
            seed = std::make_unique<Seed>();
        } while (std::time(nullptr) != now);
        const int seventeenth = PlatformRandom::next();
        PlatformRandom::seed(std::uint32_t(now));
        QVector<int> values;
        for (int i = 0; i < Seed::kSlotCount; ++i) {
            values << PlatformRandom::next();
        }
        QCOMPARE(PlatformRandom::next(), seventeenth);
        QCOMPARE(seed->toInt(), Seed(textWithSlots(values)).toInt());
    }
};

QTEST_APPLESS_MAIN(TestTerrain)
#include "test_terrain.moc"
