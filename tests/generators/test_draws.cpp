#include "generators/mersennedraws.h"
#include "maps.h"

#include <QtTest>

using Outputs = std::vector<std::uint32_t>;
Q_DECLARE_METATYPE(Outputs)

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
    // U = 0.25 mirrors it; (1, 1) and (1, 0) are drawn again.
    void boundaries_data()
    {
        const std::uint32_t max = 4294967295u;
        QTest::addColumn<QPointF>("range"); // low and high, or mean and deviation
        QTest::addColumn<Outputs>("outputs");
        QTest::addColumn<float>("expected");
        QTest::newRow("1..3 takes 4294967294") << QPointF(1, 3) << Outputs{max - 1} << 3.0f;
        QTest::newRow("1..3 rejects 4294967295") << QPointF(1, 3) << Outputs{max, max, 4} << 2.0f;
        QTest::newRow("4..32 takes 4294967279") << QPointF(4, 32) << Outputs{max - 16} << 32.0f;
        QTest::newRow("4..32 rejects 4294967280")
            << QPointF(4, 32) << Outputs{max - 15, max, max - 8, 30} << 5.0f;
        QTest::newRow("normal") << QPointF(0, 1) << Outputs{3u << 30, 2u << 30}
                                << 1.6651092767715454f;
        QTest::newRow("normal after s = 2, s = 1")
            << QPointF(6.25, 4) << Outputs{max, max, max, 2u << 30, 1u << 30, 2u << 30}
            << 6.25f - 4.0f * 1.6651092767715454f;
    }

    void boundaries()
    {
        QFETCH(QPointF, range);
        QFETCH(Outputs, outputs);
        QFETCH(float, expected);
        std::size_t used = 0;
        BasicMersenneDraws draws([&] { return outputs.at(used++); });
        const float drawn = QByteArray(QTest::currentDataTag()).startsWith("normal")
                                ? draws.normal(float(range.x()), float(range.y()))
                                : float(draws.uniformInteger(int(range.x()), int(range.y())));
        QCOMPARE(bitsOf(drawn), bitsOf(expected));
        QCOMPARE(used, outputs.size());
    }
};

QTEST_APPLESS_MAIN(TestDraws)
#include "test_draws.moc"
