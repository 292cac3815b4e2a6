#include "generators/mersennedraws.h"

#include <QtTest>
#include <cmath>
#include <cstring>
#include <vector>

Q_DECLARE_METATYPE(std::vector<std::uint32_t>)

namespace {
std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Raw outputs chosen by the test, with a count of how many were taken.
struct Script
{
    std::vector<std::uint32_t> outputs;
    std::size_t used = 0;
    bool overrun = false;
};

struct ScriptedSource
{
    Script* script;
    std::uint32_t operator()()
    {
        if (script->used >= script->outputs.size()) {
            script->overrun = true;
            return 0;
        }
        return script->outputs[script->used++];
    }
};

using ScriptedDraws = BasicMersenneDraws<ScriptedSource>;

constexpr std::uint32_t largest = 4294967295u;
} // namespace

class TestMersenneDraws : public QObject
{
    Q_OBJECT

private slots:
    void standardSequence();
    void firstOutputForSeedZero();
    void unit_data();
    void unit();
    void uniformReachesBothEnds();
    void uniformInteger_data();
    void uniformInteger();
    void normalRejectsOutsideUnitCircle();
    void normalIsSymmetric();
};

// The check value every MT19937 implementation must meet: the 10000th output
// for the default seed 5489 is 4123659995.
void TestMersenneDraws::standardSequence()
{
    MersenneDraws draws(5489u);
    for (int i = 1; i < 10000; ++i) {
        draws.raw();
    }
    QCOMPARE(draws.raw(), 4123659995u);
}

// Seed 0 is a seed like any other, not a request for the default one: its
// first output is 2357136044, which rounds to the float 9207563 * 256.
void TestMersenneDraws::firstOutputForSeedZero()
{
    MersenneDraws raws(0u);
    QCOMPARE(raws.raw(), 2357136044u);
    MersenneDraws units(0u);
    QCOMPARE(bitsOf(units.unit()), bitsOf(9207563.0f / 16777216.0f));
}

// Expected units by hand: floats from 2^31 to 2^32 are 256 apart and from
// 2^24 to 2^25 two apart, and the conversion rounds halves to even.
void TestMersenneDraws::unit_data()
{
    QTest::addColumn<uint>("output");
    QTest::addColumn<float>("expected");
    QTest::newRow("0") << 0u << 0.0f;
    QTest::newRow("small exact") << 383u << 383.0f / 4294967296.0f;
    QTest::newRow("2^24 + 1 rounds to even") << 16777217u << 1.0f / 256.0f;
    QTest::newRow("2^24 + 3 rounds to even") << 16777219u << 16777220.0f / 4294967296.0f;
    QTest::newRow("half") << 2147483648u << 0.5f;
    QTest::newRow("just under one") << 4294967167u << 16777215.0f / 16777216.0f;
    QTest::newRow("half way rounds up to one") << 4294967168u << 1.0f;
    QTest::newRow("largest is one") << largest << 1.0f;
}

void TestMersenneDraws::unit()
{
    QFETCH(uint, output);
    QFETCH(float, expected);
    Script script{{output}};
    ScriptedDraws draws(ScriptedSource{&script});
    QCOMPARE(bitsOf(draws.unit()), bitsOf(expected));
    QCOMPARE(script.used, std::size_t(1));
}

void TestMersenneDraws::uniformReachesBothEnds()
{
    Script script{{0u, largest, 2147483648u, 1073741824u}};
    ScriptedDraws draws(ScriptedSource{&script});
    QCOMPARE(bitsOf(draws.uniform(0.0f, 99.0f)), bitsOf(0.0f));
    QCOMPARE(bitsOf(draws.uniform(0.0f, 99.0f)), bitsOf(99.0f));
    // 0.5 * 4 - 2 and 0.25 * 4 - 2.
    QCOMPARE(bitsOf(draws.uniform(-2.0f, 2.0f)), bitsOf(0.0f));
    QCOMPARE(bitsOf(draws.uniform(-2.0f, 2.0f)), bitsOf(-1.0f));
}

// 4294967295 = 3 * 1431655765 = 29 * 148102320 + 15, so with three values only
// the largest output is rejected, and with 29 every output from
// 29 * 148102320 = 4294967280 up. Two values never reject (4294967295 mod 2 is
// 2 - 1).
void TestMersenneDraws::uniformInteger_data()
{
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<std::vector<std::uint32_t>>("outputs");
    QTest::addColumn<int>("expected");

    using Outputs = std::vector<std::uint32_t>;
    QTest::newRow("1..3 from 0") << 1 << 3 << Outputs{0u} << 1;
    QTest::newRow("1..3 from 5") << 1 << 3 << Outputs{5u} << 3;
    QTest::newRow("1..3 accepts 4294967294") << 1 << 3 << Outputs{4294967294u} << 3;
    QTest::newRow("1..3 rejects 4294967295") << 1 << 3 << Outputs{largest, 4u} << 2;
    QTest::newRow("1..3 rejects twice") << 1 << 3 << Outputs{largest, largest, 3u} << 1;
    QTest::newRow("4..32 from 0") << 4 << 32 << Outputs{0u} << 4;
    QTest::newRow("4..32 from 28") << 4 << 32 << Outputs{28u} << 32;
    QTest::newRow("4..32 from 29") << 4 << 32 << Outputs{29u} << 4;
    // 4294967279 = 29 * 148102319 + 28.
    QTest::newRow("4..32 accepts 4294967279") << 4 << 32 << Outputs{4294967279u} << 32;
    QTest::newRow("4..32 rejects 4294967280")
        << 4 << 32 << Outputs{4294967280u, 4294967295u, 4294967287u, 30u} << 5;
    QTest::newRow("0..1 accepts the largest") << 0 << 1 << Outputs{largest} << 1;
}

void TestMersenneDraws::uniformInteger()
{
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(std::vector<std::uint32_t>, outputs);
    QFETCH(int, expected);
    Script script{outputs};
    ScriptedDraws draws(ScriptedSource{&script});
    QCOMPARE(draws.uniformInteger(low, high), expected);
    QCOMPARE(script.used, outputs.size());
    QVERIFY(!script.overrun);
}

// Pairs with s = u1^2 + u2^2 >= 1 are drawn again, s = 1 included. The pair
// (0.75, 0.5) gives u1 = 0.5, u2 = 0, s = 0.25, and f * u1 = sqrt(8 ln 4) / 2
// = 2 sqrt(ln 2) = 1.66510922231539..., which rounds to the float
// 1.6651092767715454 (Python: struct.unpack('f', struct.pack('f', x))).
void TestMersenneDraws::normalRejectsOutsideUnitCircle()
{
    const std::uint32_t one = largest;
    const std::uint32_t half = 2147483648u;
    const std::uint32_t threeQuarters = 3221225472u;
    Script script{{one, one, one, half, threeQuarters, half}};
    ScriptedDraws draws(ScriptedSource{&script});
    QCOMPARE(bitsOf(draws.normal(0.0f, 1.0f)), bitsOf(1.6651092767715454f));
    QCOMPARE(script.used, std::size_t(6));

    // Scaled and shifted in single precision: 1.6651092767715454 * 4 exactly,
    // plus 6.25 rounds to 12.910436630249023.
    Script scaled{{threeQuarters, half}};
    ScriptedDraws scaledDraws(ScriptedSource{&scaled});
    QCOMPARE(bitsOf(scaledDraws.normal(6.25f, 4.0f)), bitsOf(12.910436630249023f));
    QCOMPARE(scaled.used, std::size_t(2));
}

// U1 = 0.25 gives u1 = -0.5, the mirror of the case above; the second value
// of the pair is thrown away, so each draw takes exactly one pair here. The
// sums 10 -/+ 1.6651092767715454 rounded to float come from Python as above.
void TestMersenneDraws::normalIsSymmetric()
{
    const std::uint32_t half = 2147483648u;
    Script script{{1073741824u, half, 3221225472u, half}};
    ScriptedDraws draws(ScriptedSource{&script});
    const float low = draws.normal(10.0f, 1.0f);
    const float high = draws.normal(10.0f, 1.0f);
    QCOMPARE(bitsOf(low), bitsOf(8.334890365600586f));
    QCOMPARE(bitsOf(high), bitsOf(11.665109634399414f));
    QCOMPARE(script.used, std::size_t(4));
}

QTEST_APPLESS_MAIN(TestMersenneDraws)
#include "test_mersennedraws.moc"
