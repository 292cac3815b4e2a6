#include "generators/peak.h"
#include "generators/polynomial.h"

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

constexpr float quarterTurn = 1.5707964f;
constexpr float eighthTurn = 0.78539819f;
} // namespace

class TestPeaks : public QObject
{
    Q_OBJECT

private slots:
    void fieldsInRecordOrder();
    void centreGivesHeight_data();
    void centreGivesHeight();
    void shapeAndOrientation_data();
    void shapeAndOrientation();
    void equalSpreadsAtAngleZeroAreCircular_data();
    void equalSpreadsAtAngleZeroAreCircular();
    void spreadSignDoesNotMatter();
    void mapTakesHighestPeak();
    void nanOnlyStaysFromFirstPeak();
    void pitShowsOnlyWhereNothingIsHigher();
    void noPeaksLeavesFlatMap();
    void polynomialEvaluate_data();
    void polynomialEvaluate();
    void polynomialBuilderCopiesTerms();
};

void TestPeaks::fieldsInRecordOrder()
{
    const Peak peak(1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f);
    QCOMPARE(peak.centreX(), 1.0f);
    QCOMPARE(peak.centreY(), 2.0f);
    QCOMPARE(peak.spreadX(), 3.0f);
    QCOMPARE(peak.spreadY(), 4.0f);
    QCOMPARE(peak.height(), 5.0f);
    QCOMPARE(peak.angle(), 6.0f);
}

void TestPeaks::centreGivesHeight_data()
{
    QTest::addColumn<float>("spreadX");
    QTest::addColumn<float>("spreadY");
    QTest::addColumn<float>("height");
    QTest::addColumn<float>("angle");
    QTest::newRow("round") << 3.0f << 3.0f << 12.5f << 0.0f;
    QTest::newRow("turned ellipse") << 6.25f << 1.5f << 7.0f << 2.1f;
    QTest::newRow("pit") << 4.0f << 2.0f << -3.5f << 5.9f;
}

void TestPeaks::centreGivesHeight()
{
    QFETCH(float, spreadX);
    QFETCH(float, spreadY);
    QFETCH(float, height);
    QFETCH(float, angle);
    const Peak peak(20.5f, 7.25f, spreadX, spreadY, height, angle);
    QCOMPARE(bitsOf(peak.heightAt(20.5f, 7.25f)), bitsOf(height));
}

// Expected values of the Gaussian worked out by hand: a point at distance d
// along an axis with deviation s gives height * exp(-d^2 / (2 s^2)). The
// quadratic form turns the first axis clockwise, to (cos angle, -sin angle):
// with 45 degrees, (2, -2) lies 2 sqrt 2 along it and (2, 2) as far along the
// second axis. The angles are rounded to float, hence the tolerance.
void TestPeaks::shapeAndOrientation_data()
{
    QTest::addColumn<float>("angle");
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<double>("expected");
    QTest::newRow("unturned, along x") << 0.0f << 2.0f << 0.0f << std::exp(-0.5);
    QTest::newRow("unturned, along y") << 0.0f << 0.0f << 2.0f << std::exp(-2.0);
    QTest::newRow("unturned, diagonal") << 0.0f << 2.0f << 1.0f << std::exp(-1.0);
    QTest::newRow("quarter turn, along x") << quarterTurn << 2.0f << 0.0f << std::exp(-2.0);
    QTest::newRow("quarter turn, along y") << quarterTurn << 0.0f << 2.0f << std::exp(-0.5);
    QTest::newRow("eighth turn, first axis") << eighthTurn << 2.0f << -2.0f << std::exp(-1.0);
    QTest::newRow("eighth turn, second axis") << eighthTurn << 2.0f << 2.0f << std::exp(-4.0);
    QTest::newRow("eighth turn, opposite") << eighthTurn << -2.0f << 2.0f << std::exp(-1.0);
    QTest::newRow("eighth turn back, first axis") << -eighthTurn << 2.0f << 2.0f << std::exp(-1.0);
}

void TestPeaks::shapeAndOrientation()
{
    QFETCH(float, angle);
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(double, expected);
    const Peak peak(0.0f, 0.0f, 2.0f, 1.0f, 1.0f, angle);
    const double actual = peak.heightAt(x, y);
    QVERIFY2(std::abs(actual - expected) < 1e-6,
             qPrintable(QString("%1 instead of %2").arg(actual, 0, 'g', 9).arg(expected)));
}

void TestPeaks::equalSpreadsAtAngleZeroAreCircular_data()
{
    QTest::addColumn<float>("spread");
    QTest::addColumn<float>("distance");
    QTest::newRow("near") << 3.0f << 1.0f;
    QTest::newRow("far") << 3.0f << 7.5f;
    QTest::newRow("negative") << 6.25f << -4.0f;
    QTest::newRow("odd spread") << 1.7f << 2.375f;
}

// The distances are chosen so that centre + distance is exact on both axes:
// otherwise the two offsets themselves would round differently.
void TestPeaks::equalSpreadsAtAngleZeroAreCircular()
{
    QFETCH(float, spread);
    QFETCH(float, distance);
    const Peak peak(10.0f, 20.0f, spread, spread, 8.0f, 0.0f);
    const float alongX = peak.heightAt(10.0f + distance, 20.0f);
    QCOMPARE(bitsOf(peak.heightAt(10.0f, 20.0f + distance)), bitsOf(alongX));
    QVERIFY(alongX > 0.0f && alongX < 8.0f);
}

void TestPeaks::spreadSignDoesNotMatter()
{
    const Peak positive(3.0f, 4.0f, 2.5f, 1.25f, 9.0f, 0.7f);
    const Peak negative(3.0f, 4.0f, -2.5f, -1.25f, 9.0f, 0.7f);
    for (float x = 0.0f; x < 8.0f; x += 1.0f) {
        for (float y = 0.0f; y < 8.0f; y += 1.0f) {
            QCOMPARE(bitsOf(negative.heightAt(x, y)), bitsOf(positive.heightAt(x, y)));
        }
    }
}

// Peaks of height 1 at x = 0 and of height 2 at x = 3, both with deviation 1:
// 1 wins at x = 0 (2 e^-4.5 = 0.022 is smaller), e^-0.5 = 0.607 at x = 1
// against 2 e^-2 = 0.271, then 2 e^-0.5 = 1.213 at x = 2 and 2 at x = 3.
void TestPeaks::mapTakesHighestPeak()
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

// Zero spreads make the peak NaN everywhere (0/0 in its coefficients). Only the
// first peak's value can be NaN in the result: a later NaN never compares
// greater, and nothing compares greater than a first NaN either.
void TestPeaks::nanOnlyStaysFromFirstPeak()
{
    const Peak broken(1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    const Peak sound(1.0f, 1.0f, 2.0f, 2.0f, 1.0f, 0.0f);
    QVERIFY(std::isnan(broken.heightAt(0.0f, 0.0f)));

    const std::unique_ptr<Map> brokenFirst = mapFromPeaks(3, 3, {broken, sound});
    for (const MapPoint& point : brokenFirst->points()) {
        QVERIFY(std::isnan(point.z()));
    }
    const std::unique_ptr<Map> soundFirst = mapFromPeaks(3, 3, {sound, broken});
    for (const MapPoint& point : soundFirst->points()) {
        QCOMPARE(bitsOf(point.z()), bitsOf(sound.heightAt(point.x(), point.y())));
    }
}

void TestPeaks::pitShowsOnlyWhereNothingIsHigher()
{
    const Peak pit(2.0f, 2.0f, 1.5f, 1.5f, -3.0f, 0.0f);
    const std::unique_ptr<Map> alone = mapFromPeaks(5, 5, {pit});
    QCOMPARE(alone->pointAt(2, 2)->z(), -3.0f);
    for (const MapPoint& point : alone->points()) {
        QVERIFY(point.z() < 0.0f);
        QVERIFY(point.z() >= -3.0f);
    }
    // Any positive peak, however far, is above the pit everywhere.
    const Peak hill(40.0f, 40.0f, 1.0f, 1.0f, 1.0f, 0.0f);
    const std::unique_ptr<Map> withHill = mapFromPeaks(5, 5, {pit, hill});
    for (const MapPoint& point : withHill->points()) {
        QVERIFY(point.z() >= 0.0f);
    }
}

// A composition without peaks has nothing to take a height from: the map
// stays flat.
void TestPeaks::noPeaksLeavesFlatMap()
{
    const std::unique_ptr<Map> map = mapFromPeaks(3, 2, {});
    QCOMPARE(map->points().size(), std::size_t(6));
    for (const MapPoint& point : map->points()) {
        QCOMPARE(bitsOf(point.z()), bitsOf(0.0f));
    }
}

void TestPeaks::polynomialEvaluate_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("expected");
    // 1.5 - 0.5 x + 0.25 x^2, worked out by hand; every step is exact.
    QTest::newRow("x = 2") << 2.0f << 1.5f;
    QTest::newRow("x = 0, 0^0 is 1") << 0.0f << 1.5f;
    QTest::newRow("x = 1") << 1.0f << 1.25f;
    QTest::newRow("x = -1") << -1.0f << 2.25f;
    QTest::newRow("x = 10") << 10.0f << 21.5f;
}

void TestPeaks::polynomialEvaluate()
{
    QFETCH(float, x);
    QFETCH(float, expected);
    PolynomialBuilder builder;
    const std::unique_ptr<Polynomial> polynomial =
        builder.addTerm(1.5f, 0.0f).addTerm(-0.5f, 1.0f).addTerm(0.25f, 2.0f).build();
    QCOMPARE(bitsOf(polynomial->evaluate(x)), bitsOf(expected));
}

void TestPeaks::polynomialBuilderCopiesTerms()
{
    PolynomialBuilder builder;
    QCOMPARE(bitsOf(builder.build()->evaluate(3.0f)), bitsOf(0.0f));
    builder.addTerm(-2.0f, 0.0f);
    const std::unique_ptr<Polynomial> constant = builder.build();
    builder.addTerm(1.0f, 1.0f);
    const std::unique_ptr<Polynomial> line = builder.build();
    QVERIFY(constant.get() != line.get());
    QCOMPARE(constant->terms().size(), std::size_t(1));
    QCOMPARE(constant->evaluate(5.0f), -2.0f);
    QCOMPARE(line->evaluate(5.0f), 3.0f);
    QCOMPARE(line->terms()[1].coefficient, 1.0f);
    QCOMPARE(line->terms()[1].exponent, 1.0f);
}

QTEST_APPLESS_MAIN(TestPeaks)
#include "test_peaks.moc"
