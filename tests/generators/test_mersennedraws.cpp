#include "generators/mersennedraws.h"

#include <QtTest>
#include <cstring>
#include <vector>

using Outputs = std::vector<std::uint32_t>;
Q_DECLARE_METATYPE(Outputs)

namespace {
std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Hands out the test's raw outputs (0 past the end) and counts those taken.
struct ScriptedSource
{
    const Outputs* outputs;
    std::size_t* used;
    std::uint32_t operator()()
    {
        const std::size_t index = (*used)++;
        return index < outputs->size() ? (*outputs)[index] : 0u;
    }
};

using ScriptedDraws = BasicMersenneDraws<ScriptedSource>;

constexpr std::uint32_t largest = 4294967295u;
constexpr std::uint32_t half = 2147483648u;
constexpr std::uint32_t threeQuarters = 3221225472u;
} // namespace

class TestMersenneDraws : public QObject
{
    Q_OBJECT

private slots:
    // The check value of every MT19937.
    void tenThousandthOutput()
    {
        MersenneDraws draws(5489u);
        for (int i = 1; i < 10000; ++i) {
            draws.raw();
        }
        QCOMPARE(draws.raw(), 4123659995u);
    }

    // Floats near 2^32 are 256 apart and halves round to even: from 2^32 - 128
    // up the unit is 1.0.
    void unitRoundsToOneAtTheTop()
    {
        const Outputs outputs{4294967167u, 4294967168u, largest};
        std::size_t used = 0;
        ScriptedDraws draws(ScriptedSource{&outputs, &used});
        QCOMPARE(bitsOf(draws.unit()), bitsOf(16777215.0f / 16777216.0f));
        QCOMPARE(bitsOf(draws.unit()), bitsOf(1.0f));
        QCOMPARE(bitsOf(draws.unit()), bitsOf(1.0f));
    }

    // 4294967295 = 3 * 1431655765 = 29 * 148102320 + 15: with three values only
    // the largest output is rejected, with 29 every output from 4294967280 up.
    void uniformInteger_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<Outputs>("outputs");
        QTest::addColumn<int>("expected");
        QTest::newRow("1..3 accepts 4294967294") << 1 << 3 << Outputs{4294967294u} << 3;
        QTest::newRow("1..3 rejects 4294967295") << 1 << 3 << Outputs{largest, largest, 4u} << 2;
        // 4294967279 = 29 * 148102319 + 28.
        QTest::newRow("4..32 accepts 4294967279") << 4 << 32 << Outputs{4294967279u} << 32;
        QTest::newRow("4..32 rejects 4294967280")
            << 4 << 32 << Outputs{4294967280u, largest, 4294967287u, 30u} << 5;
    }

    void uniformInteger()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(Outputs, outputs);
        QFETCH(int, expected);
        std::size_t used = 0;
        ScriptedDraws draws(ScriptedSource{&outputs, &used});
        QCOMPARE(draws.uniformInteger(low, high), expected);
        QCOMPARE(used, outputs.size());
    }

    // U = 0.75 then 0.5: u1 = 0.5, u2 = 0, s = 0.25, f * u1 = sqrt(8 ln 4) / 2 =
    // 2 sqrt(ln 2), the float 1.6651092767715454; U = 0.25 mirrors it. Pairs with
    // s >= 1 (2, then 1) are drawn again; a draw throws the pair's second value
    // away. Scaled sums by float32 arithmetic with Python's struct.
    void normalRejectsAndScales()
    {
        const Outputs outputs{largest, largest, largest, half, threeQuarters, half, half / 2, half};
        std::size_t used = 0;
        ScriptedDraws draws(ScriptedSource{&outputs, &used});
        QCOMPARE(bitsOf(draws.normal(0.0f, 1.0f)), bitsOf(1.6651092767715454f));
        QCOMPARE(bitsOf(draws.normal(6.25f, 4.0f)), bitsOf(-0.41043710708618164f));
        QCOMPARE(used, outputs.size());
    }
};

QTEST_APPLESS_MAIN(TestMersenneDraws)
#include "test_mersennedraws.moc"
