#include "terrain/platformrandom.h"
#include "terrain/seed.h"

#include <QtTest>
#include <ctime>
#include <vector>

Q_DECLARE_METATYPE(std::vector<int>)

class TestSeed : public QObject
{
    Q_OBJECT

private slots:
    // The folds follow r = r * (10^d + 1) + a; by hand for "abc": 97,
    // 97 * 101 + 98 = 9895, 9895 * 101 + 99 = 999494, then times 11 for each of
    // the 13 empty slots, mod 2^32. The others were reckoned with Python's exact
    // integers.
    void fromText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<std::vector<int>>("expectedSlots");
        QTest::addColumn<int>("fold");

        QTest::newRow("empty") << QByteArray() << std::vector<int>(16, 0) << 0;
        std::vector<int> abc(16, 0);
        abc[0] = 97;
        abc[1] = 98;
        abc[2] = 99;
        QTest::newRow("abc") << QByteArray("abc") << abc << -719806430;
        // Byte 16 wraps into slot 0: 'A' (65) + 'Q' (81).
        const std::vector<int> wrapped{146, 'B', 'C', 'D', 'E', 'F', 'G', 'H',
                                       'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P'};
        QTest::newRow("17 bytes") << QByteArray("ABCDEFGHIJKLMNOPQ") << wrapped << 1315329061;
        std::vector<int> high(16, 0);
        high[0] = 128 + 255;
        high[1] = 255;
        high[2] = 200;
        QTest::newRow("high bytes")
            << QByteArray("\x80\xff\xc8\0\0\0\0\0\0\0\0\0\0\0\0\0\xff", 17) << high << 1423661306;
        std::vector<int> nul(16, 0);
        nul[3] = 1;
        QTest::newRow("NUL bytes count") << QByteArray("\0\0\0\x01", 4) << nul << -1192716655;
        // Only ten-digit slots need 10^10, which does not fit 32 bits: the
        // multiplier is then (10^10 mod 2^32) + 1 = 1410065409.
        QTest::newRow("ten-digit slots") << QByteArray(16 * 3921569, char(0xff))
                                         << std::vector<int>(16, 3921569 * 255) << 2095957488;
    }

    void fromText()
    {
        QFETCH(QByteArray, text);
        QFETCH(std::vector<int>, expectedSlots);
        QFETCH(int, fold);
        const Seed seed(text);
        for (int i = 0; i < Seed::SlotCount; ++i) {
            QCOMPARE(seed.slot(i), expectedSlots[std::size_t(i)]);
        }
        QCOMPARE(seed.toInt(), fold);
        QCOMPARE(seed.toInt(), fold); // folding leaves the seed as it was
    }

    void digitCount_data()
    {
        QTest::addColumn<uint>("value");
        QTest::addColumn<int>("digits");
        QTest::newRow("0") << 0u << 1;
        QTest::newRow("9") << 9u << 1;
        QTest::newRow("10") << 10u << 2;
        QTest::newRow("32767") << 32767u << 5;
        QTest::newRow("999999999") << 999999999u << 9;
        QTest::newRow("1000000000") << 1000000000u << 10;
        QTest::newRow("2147483648") << 2147483648u << 10;
        QTest::newRow("4294967295") << 4294967295u << 10;
    }

    void digitCount()
    {
        QFETCH(uint, value);
        QFETCH(int, digits);
        QCOMPARE(Seed::digitCount(value), digits);
    }

    // A clock seed holds the platform generator's first sixteen values after
    // seeding it with the time, so two made in the same second are equal.
    void clockSeedFollowsPlatformRandom()
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            const std::time_t before = std::time(nullptr);
            const Seed first;
            const Seed second;
            if (std::time(nullptr) != before) {
                continue; // the second turned over meanwhile
            }
            PlatformRandom::seed(std::uint32_t(before));
            for (int i = 0; i < Seed::SlotCount; ++i) {
                QCOMPARE(first.slot(i), PlatformRandom::next());
                QCOMPARE(second.slot(i), first.slot(i));
            }
            return;
        }
        QFAIL("the clock kept turning over between two reads");
    }
};

QTEST_APPLESS_MAIN(TestSeed)
#include "test_seed.moc"
