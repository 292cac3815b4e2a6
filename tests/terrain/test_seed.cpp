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
    void slotsFromText_data();
    void slotsFromText();
    void fold_data();
    void fold();
    void foldWithTenDigitSlots();
    void digitCount_data();
    void digitCount();
    void clockSeedFollowsPlatformRandom();
};

void TestSeed::slotsFromText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<std::vector<int>>("expected");

    QTest::newRow("empty") << QByteArray() << std::vector<int>(16, 0);
    std::vector<int> abc(16, 0);
    abc[0] = 97;
    abc[1] = 98;
    abc[2] = 99;
    QTest::newRow("abc") << QByteArray("abc") << abc;
    // Byte 16 wraps into slot 0: 'A' (65) + 'Q' (81).
    std::vector<int> wrapped{146, 'B', 'C', 'D', 'E', 'F', 'G', 'H',
                             'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P'};
    QTest::newRow("17 bytes") << QByteArray("ABCDEFGHIJKLMNOPQ") << wrapped;
    std::vector<int> high(16, 0);
    high[0] = 128 + 255;
    high[1] = 255;
    high[2] = 200;
    QTest::newRow("high bytes") << QByteArray("\x80\xff\xc8\0\0\0\0\0\0\0\0\0\0\0\0\0\xff", 17)
                                << high;
    std::vector<int> zeros(16, 0);
    zeros[3] = 1;
    QTest::newRow("NUL bytes count") << QByteArray("\0\0\0\x01", 4) << zeros;
}

void TestSeed::slotsFromText()
{
    QFETCH(QByteArray, text);
    QFETCH(std::vector<int>, expected);
    const Seed seed(text);
    for (int i = 0; i < Seed::SlotCount; ++i) {
        QCOMPARE(seed.slot(i), expected[std::size_t(i)]);
    }
}

// The expected folds follow r = r * (10^d + 1) + a by hand for short texts,
// e.g. "abc": 97, 97 * 101 + 98 = 9895, 9895 * 101 + 99 = 999494, then times 11
// for each of the 13 empty slots, mod 2^32. The longer ones were reckoned with
// Python's exact integers.
void TestSeed::fold_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("abc") << QByteArray("abc") << -719806430;
    QTest::newRow("a") << QByteArray("a") << -606713597;
    QTest::newRow("last slot 1") << QByteArray("\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x01", 16) << 1;
    QTest::newRow("first slot 1") << QByteArray("\x01") << 1632031715;
    QTest::newRow("Terravik") << QByteArray("Terravik") << 1531704596;
    QTest::newRow("17 bytes") << QByteArray("ABCDEFGHIJKLMNOPQ") << 1315329061;
    QTest::newRow("high bytes") << QByteArray("\x80\xff") << -1612433673;
}

void TestSeed::fold()
{
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    const Seed seed(text);
    QCOMPARE(seed.toInt(), expected);
    // Folding leaves the seed as it was.
    QCOMPARE(seed.toInt(), expected);
}

// Only ten-digit slots use the power 10^10, which does not fit 32 bits. Every
// slot here is 3921569 * 255 = 1000000095; the multiplier is then
// (10^10 mod 2^32) + 1 = 1410065409, and Python's exact integers give the fold.
void TestSeed::foldWithTenDigitSlots()
{
    const int perSlot = 3921569;
    const Seed seed(QByteArray(16 * perSlot, char(0xff)));
    QCOMPARE(seed.slot(0), 1000000095);
    QCOMPARE(seed.slot(15), 1000000095);
    QCOMPARE(seed.toInt(), 2095957488);
}

void TestSeed::digitCount_data()
{
    QTest::addColumn<uint>("value");
    QTest::addColumn<int>("digits");
    QTest::newRow("0") << 0u << 1;
    QTest::newRow("9") << 9u << 1;
    QTest::newRow("10") << 10u << 2;
    QTest::newRow("99") << 99u << 2;
    QTest::newRow("100") << 100u << 3;
    QTest::newRow("32767") << 32767u << 5;
    QTest::newRow("999999999") << 999999999u << 9;
    QTest::newRow("1000000000") << 1000000000u << 10;
    QTest::newRow("2147483648") << 2147483648u << 10;
    QTest::newRow("4294967295") << 4294967295u << 10;
}

void TestSeed::digitCount()
{
    QFETCH(uint, value);
    QFETCH(int, digits);
    QCOMPARE(Seed::digitCount(value), digits);
}

// A clock seed holds the platform generator's first sixteen values after
// seeding it with the time, so two made in the same second are equal.
void TestSeed::clockSeedFollowsPlatformRandom()
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

QTEST_APPLESS_MAIN(TestSeed)
#include "test_seed.moc"
