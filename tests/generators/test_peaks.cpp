#include "generators/peak.h"
#include "generators/polynomial.h"

#include <QtTest>
#include <cmath>
#include <cstring>

namespace {
std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

constexpr float quarterTurn = 1.5707964f;
constexpr float eighthTurn = 0.78539819f;
} // namespace

class TestPeaks : public QObject
{
    Q_OBJECT

private slots:
    // A peak of height 2.5 at (3, -1) with deviations 2 and 1, probed at offsets
    // (dx, dy) from its centre. By hand: a point d along an axis of deviation s
    // gives exp(-d^2 / (2 s^2)) of the height. The first axis turns clockwise, to
    // (cos angle, -sin angle): at 45 degrees (2, -2) lies 2 sqrt 2 along it and
    // (2, 2) as far along the second axis. The angles are rounded to float, hence
    // the tolerance.
    void shapeAndOrientation_data()
    {
        QTest::addColumn<float>("angle");
        QTest::addColumn<float>("dx");
        QTest::addColumn<float>("dy");
        QTest::addColumn<double>("factor");
        QTest::newRow("centre") << 2.1f << 0.0f << 0.0f << 1.0;
        QTest::newRow("unturned, along x") << 0.0f << 2.0f << 0.0f << std::exp(-0.5);
        QTest::newRow("unturned, along y") << 0.0f << 0.0f << 2.0f << std::exp(-2.0);
        QTest::newRow("unturned, diagonal") << 0.0f << 2.0f << 1.0f << std::exp(-1.0);
        QTest::newRow("quarter turn, along x") << quarterTurn << 2.0f << 0.0f << std::exp(-2.0);
        QTest::newRow("quarter turn, along y") << quarterTurn << 0.0f << 2.0f << std::exp(-0.5);
        QTest::newRow("eighth turn, first axis") << eighthTurn << 2.0f << -2.0f << std::exp(-1.0);
        QTest::newRow("eighth turn, second axis") << eighthTurn << 2.0f << 2.0f << std::exp(-4.0);
        QTest::newRow("eighth turn back, first axis")
            << -eighthTurn << 2.0f << 2.0f << std::exp(-1.0);
    }

    void shapeAndOrientation()
    {
        QFETCH(float, angle);
        QFETCH(float, dx);
        QFETCH(float, dy);
        QFETCH(double, factor);
        const Peak peak(3.0f, -1.0f, 2.0f, 1.0f, 2.5f, angle);
        const float actual = peak.heightAt(3.0f + dx, -1.0f + dy);
        QVERIFY2(std::abs(actual - 2.5 * factor) < 1e-5,
                 qPrintable(QString("%1 instead of %2").arg(actual, 0, 'g', 9).arg(2.5 * factor)));
        // Only the squares of the spreads count: negative draws are allowed.
        const Peak negative(3.0f, -1.0f, -2.0f, -1.0f, 2.5f, angle);
        QCOMPARE(bitsOf(negative.heightAt(3.0f + dx, -1.0f + dy)), bitsOf(actual));
    }

    // Peaks of height 1 at x = 0 and of height 2 at x = 3, both with deviation 1:
    // 1 wins at x = 0 (2 e^-4.5 = 0.022 is smaller), e^-0.5 = 0.607 at x = 1
    // against 2 e^-2 = 0.271, then 2 e^-0.5 = 1.213 at x = 2 and 2 at x = 3.
    void mapTakesHighestPeak()
    {
        const std::vector<Peak> peaks{Peak(0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f),
                                      Peak(3.0f, 0.0f, 1.0f, 1.0f, 2.0f, 0.0f)};
        const std::unique_ptr<Map> map = mapFromPeaks(4, 1, peaks);
        QCOMPARE(map->width(), 4u);
        QCOMPARE(map->length(), 1u);
        const double expected[4] = {1.0, std::exp(-0.5), 2.0 * std::exp(-0.5), 2.0};
        const std::size_t winner[4] = {0, 0, 1, 1};
        for (std::uint32_t x = 0; x < 4; ++x) {
            const float z = map->pointAt(x, 0)->z();
            QVERIFY(std::abs(z - expected[x]) < 1e-6);
            QCOMPARE(bitsOf(z), bitsOf(peaks[winner[x]].heightAt(float(x), 0.0f)));
        }
    }

    // Zero spreads make a peak NaN everywhere (0/0). A later NaN never compares
    // greater, and nothing compares greater than a first NaN.
    void nanOnlyStaysFromFirstPeak()
    {
        const Peak broken(1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f);
        const Peak sound(1.0f, 1.0f, 2.0f, 2.0f, 1.0f, 0.0f);
        const std::unique_ptr<Map> brokenFirst = mapFromPeaks(3, 3, {broken, sound});
        for (const MapPoint& point : brokenFirst->points()) {
            QVERIFY(std::isnan(point.z()));
        }
        const std::unique_ptr<Map> soundFirst = mapFromPeaks(3, 3, {sound, broken});
        for (const MapPoint& point : soundFirst->points()) {
            QCOMPARE(bitsOf(point.z()), bitsOf(sound.heightAt(point.x(), point.y())));
        }
    }

    void pitShowsOnlyWhereNothingIsHigher()
    {
        const Peak pit(2.0f, 2.0f, 1.5f, 1.5f, -3.0f, 0.0f);
        const std::unique_ptr<Map> alone = mapFromPeaks(5, 5, {pit});
        QCOMPARE(alone->pointAt(2, 2)->z(), -3.0f);
        for (const MapPoint& point : alone->points()) {
            QVERIFY(point.z() < 0.0f && point.z() >= -3.0f);
        }
        // Any positive peak, however far, is above the pit everywhere.
        const Peak hill(40.0f, 40.0f, 1.0f, 1.0f, 1.0f, 0.0f);
        const std::unique_ptr<Map> withHill = mapFromPeaks(5, 5, {pit, hill});
        for (const MapPoint& point : withHill->points()) {
            QVERIFY(point.z() >= 0.0f);
        }
    }

    void polynomialEvaluate_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("expected");
        // 1.5 - 0.5 x + 0.25 x^2 by hand; every step is exact.
        QTest::newRow("x = 2") << 2.0f << 1.5f;
        QTest::newRow("x = 0, 0^0 is 1") << 0.0f << 1.5f;
        QTest::newRow("x = -1") << -1.0f << 2.25f;
    }

    void polynomialEvaluate()
    {
        QFETCH(float, x);
        QFETCH(float, expected);
        PolynomialBuilder builder;
        const std::unique_ptr<Polynomial> polynomial =
            builder.addTerm(1.5f, 0.0f).addTerm(-0.5f, 1.0f).addTerm(0.25f, 2.0f).build();
        QCOMPARE(bitsOf(polynomial->evaluate(x)), bitsOf(expected));
    }

    // Each build is a snapshot: terms added later do not reach it.
    void polynomialBuilderCopiesTerms()
    {
        PolynomialBuilder builder;
        QCOMPARE(bitsOf(builder.build()->evaluate(3.0f)), bitsOf(0.0f));
        const std::unique_ptr<Polynomial> constant = builder.addTerm(-2.0f, 0.0f).build();
        const std::unique_ptr<Polynomial> line = builder.addTerm(1.0f, 1.0f).build();
        QCOMPARE(constant->terms().size(), std::size_t(1));
        QCOMPARE(constant->evaluate(5.0f), -2.0f);
        QCOMPARE(line->evaluate(5.0f), 3.0f);
    }
};

QTEST_APPLESS_MAIN(TestPeaks)
#include "test_peaks.moc"
