#include "generators/mersennedraws.h"
#include "maps.h"

#include <QtTest>
#include <vector>

using Outputs = std::vector<std::uint32_t>;
Q_DECLARE_METATYPE(Outputs)

namespace {

// Hands out the test's raw outputs and counts those taken.
struct ScriptedSource
{
    const Outputs* outputs;
    std::size_t* used;
    std::uint32_t operator()() { return outputs->at((*used)++); }
};

constexpr std::uint32_t kLargest = 4294967295u;
constexpr std::uint32_t kHalf = 2147483648u;

} // namespace

// The golden worlds hold the draws' usual paths; these are the boundaries a
// world reaches once in billions of draws.
class TestDraws : public QObject
{
    Q_OBJECT

private slots:
    // 4294967295 = 3 * 1431655765 = 29 * 148102320 + 15: with three values only
    // the largest output is rejected, with 29 every output from 4294967280 up.
    // Normal draws take pairs until u1^2 + u2^2 < 1 and throw the second value
    // away: U = 0.75, 0.5 gives 2 sqrt(ln 2), the float 1.6651092767715454;
    // U = 0.25 mirrors it; (2, 2) and (1, 0) are drawn again.
    void boundaries_data()
    {
        QTest::addColumn<float>("a"); // low and high, or mean and deviation
        QTest::addColumn<float>("b");
        QTest::addColumn<Outputs>("outputs");
        QTest::addColumn<float>("expected");
        QTest::newRow("1..3 accepts 4294967294") << 1.0f << 3.0f << Outputs{4294967294u} << 3.0f;
        QTest::newRow("1..3 rejects 4294967295")
            << 1.0f << 3.0f << Outputs{kLargest, kLargest, 4u} << 2.0f;
        QTest::newRow("4..32 accepts 4294967279") << 4.0f << 32.0f << Outputs{4294967279u} << 32.0f;
        QTest::newRow("4..32 rejects 4294967280")
            << 4.0f << 32.0f << Outputs{4294967280u, kLargest, 4294967287u, 30u} << 5.0f;
        QTest::newRow("normal") << 0.0f << 1.0f << Outputs{3221225472u, kHalf}
                                << 1.6651092767715454f;
        QTest::newRow("normal after s = 2, s = 1")
            << 6.25f << 4.0f << Outputs{kLargest, kLargest, kLargest, kHalf, kHalf / 2, kHalf}
            << 6.25f - 4.0f * 1.6651092767715454f;
    }

    void boundaries()
    {
        QFETCH(float, a);
        QFETCH(float, b);
        QFETCH(Outputs, outputs);
        QFETCH(float, expected);
        std::size_t used = 0;
        BasicMersenneDraws<ScriptedSource> draws(ScriptedSource{&outputs, &used});
        const bool normal = QByteArray(QTest::currentDataTag()).startsWith("normal");
        const float drawn =
            normal ? draws.normal(a, b) : float(draws.uniformInteger(int(a), int(b)));
        QCOMPARE(bitsOf(drawn), bitsOf(expected));
        QCOMPARE(used, outputs.size());
    }
};

QTEST_APPLESS_MAIN(TestDraws)
#include "test_draws.moc"
