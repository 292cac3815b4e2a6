#include "drop/waterdrop.h"

#include <QtTest>
#include <cfloat>
#include <limits>

namespace {

// Moves the drop to target with a unit step; exact for the small values used
// here.
void moveTo(WaterDrop& drop, float x, float y, std::uint32_t size = 20)
{
    const MapPoint* last = drop.currentPoint();
    drop.advance(QVector3D(x - last->x(), y - last->y(), 0.0f), 1.0f, size, size);
}

// A drop whose path is first, second, then repeats of rest up to count points.
WaterDrop scriptedDrop(QPointF first, QPointF second, QPointF rest, int count)
{
    WaterDrop drop(float(first.x()), float(first.y()), 0.0f);
    moveTo(drop, float(second.x()), float(second.y()));
    while (int(drop.path().size()) < count) {
        moveTo(drop, float(rest.x()), float(rest.y()));
    }
    return drop;
}

// A direction as a table cell (QVector3D's variant support lives in the GUI
// library, which this test does not start).
struct Direction
{
    float x;
    float y;
    float z;
    QVector3D toVector() const { return QVector3D(x, y, z); }
};

} // namespace

Q_DECLARE_METATYPE(Direction)

class TestWaterDrop : public QObject
{
    Q_OBJECT

private slots:
    void startsRunningAtItsStartPoint()
    {
        const WaterDrop drop(1.5f, 2.25f, -3.0f);
        QVERIFY(!drop.isStopped());
        QCOMPARE(drop.path().size(), std::size_t(1));
        QCOMPARE(drop.currentPoint()->x(), 1.5f);
        QCOMPARE(drop.currentPoint()->y(), 2.25f);
        QCOMPARE(drop.currentPoint()->z(), -3.0f);
    }

    void movesByDirectionTimesStep()
    {
        WaterDrop drop(1.0f, 1.0f, 0.5f);
        drop.advance(QVector3D(0.5f, -0.25f, 1.0f), 0.5f, 3, 3);
        QVERIFY(!drop.isStopped());
        QCOMPARE(drop.path().size(), std::size_t(2));
        QCOMPARE(drop.path()[0].x(), 1.0f);
        QCOMPARE(drop.currentPoint()->x(), 1.25f);
        QCOMPARE(drop.currentPoint()->y(), 0.875f);
        QCOMPARE(drop.currentPoint()->z(), 1.0f);
    }

    // On a 3 x 4 map a position may reach x = 2 and y = 3 but go no further;
    // below 0 is off the map, 0 itself is on it.
    void mapBorders_data()
    {
        QTest::addColumn<float>("startX");
        QTest::addColumn<float>("startY");
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<float>("step");
        QTest::addColumn<bool>("stops");
        QTest::newRow("x exactly 0") << 0.01f << 1.0f << Direction{-1, 0, 0} << 0.01f << false;
        QTest::newRow("x below 0") << 0.005f << 1.0f << Direction{-1, 0, 0} << 0.01f << true;
        QTest::newRow("y exactly 0") << 1.0f << 0.01f << Direction{0, -1, 0} << 0.01f << false;
        QTest::newRow("y below 0") << 1.0f << 0.005f << Direction{0, -1, 0} << 0.01f << true;
        QTest::newRow("x exactly last column")
            << 1.5f << 1.0f << Direction{1, 0, 0} << 0.5f << false;
        QTest::newRow("x past last column") << 1.5f << 1.0f << Direction{1, 0, 0} << 0.75f << true;
        QTest::newRow("y exactly last row") << 1.0f << 2.5f << Direction{0, 1, 0} << 0.5f << false;
        QTest::newRow("y past last row") << 1.0f << 2.5f << Direction{0, 1, 0} << 0.75f << true;
        QTest::newRow("y past width - 1, within length - 1")
            << 1.0f << 2.0f << Direction{0, 1, 0} << 0.5f << false;
    }

    void mapBorders()
    {
        QFETCH(float, startX);
        QFETCH(float, startY);
        QFETCH(Direction, direction);
        QFETCH(float, step);
        QFETCH(bool, stops);
        WaterDrop drop(startX, startY, 0.0f);
        drop.advance(direction.toVector(), step, 3, 4);
        QCOMPARE(drop.isStopped(), stops);
        QCOMPARE(drop.path().size(), std::size_t(stops ? 1 : 2));
        QCOMPARE(drop.path()[0].x(), startX);
        QCOMPARE(drop.path()[0].y(), startY);
    }

    void nonFiniteCandidateStops_data()
    {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<float>("startZ");
        QTest::newRow("NaN direction") << Direction{nan, nan, nan} << 0.0f;
        QTest::newRow("NaN height only") << Direction{0, 0, nan} << 0.0f;
        QTest::newRow("infinite height only") << Direction{0, 0, inf} << 0.0f;
        QTest::newRow("height overflows") << Direction{0, 0, FLT_MAX} << FLT_MAX;
        QTest::newRow("NaN x only") << Direction{nan, 0, 0} << 0.0f;
    }

    void nonFiniteCandidateStops()
    {
        QFETCH(Direction, direction);
        QFETCH(float, startZ);
        WaterDrop drop(1.0f, 1.0f, startZ);
        drop.advance(direction.toVector(), 1.0f, 3, 3);
        QVERIFY(drop.isStopped());
        QCOMPARE(drop.path().size(), std::size_t(1));
    }

    void stoppedDropStaysPut()
    {
        WaterDrop drop(1.0f, 1.0f, 0.0f);
        drop.stop();
        drop.advance(QVector3D(0.5f, 0, 0), 0.1f, 3, 3);
        QVERIFY(drop.isStopped());
        QCOMPARE(drop.path().size(), std::size_t(1));
    }

    // A candidate is compared with the point 50 places before its own place
    // (index n - 50 for a path of n points), and only once the path holds more
    // than 50 points.
    void restComparesWithFiftyBack_data()
    {
        QTest::addColumn<int>("pathPoints");
        QTest::addColumn<QPointF>("candidate");
        QTest::addColumn<bool>("stops");
        QTest::newRow("back to index 1") << 51 << QPointF(2, 2) << true;
        QTest::newRow("back to index 0") << 51 << QPointF(1, 1) << false;
        QTest::newRow("back to index 2") << 52 << QPointF(10, 10) << true;
        QTest::newRow("index 1 when 52 points") << 52 << QPointF(2, 2) << false;
        QTest::newRow("50 points only") << 50 << QPointF(1, 1) << false;
        QTest::newRow("50 points, same as the rest") << 50 << QPointF(10, 10) << false;
    }

    void restComparesWithFiftyBack()
    {
        QFETCH(int, pathPoints);
        QFETCH(QPointF, candidate);
        QFETCH(bool, stops);
        WaterDrop drop = scriptedDrop({1, 1}, {2, 2}, {10, 10}, pathPoints);
        QCOMPARE(int(drop.path().size()), pathPoints);
        QVERIFY(!drop.isStopped());
        moveTo(drop, float(candidate.x()), float(candidate.y()));
        QCOMPARE(drop.isStopped(), stops);
        QCOMPARE(int(drop.path().size()), stops ? pathPoints : pathPoints + 1);
    }

    // The rest tolerance is 0.01 in x and in y, the bound included (from 0 the
    // offset 0.01 is exactly the float 0.01).
    void restTolerance_data()
    {
        QTest::addColumn<QPointF>("base");
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<bool>("stops");
        QTest::newRow("same point") << QPointF(1, 1) << QPointF(0, 0) << true;
        QTest::newRow("exactly 0.01 both ways") << QPointF(0, 0) << QPointF(0.01, 0.01) << true;
        QTest::newRow("back by 0.01 both ways") << QPointF(1, 1) << QPointF(-0.01, -0.01) << true;
        QTest::newRow("x beyond") << QPointF(0, 0) << QPointF(0.0101, 0) << false;
        QTest::newRow("y beyond") << QPointF(0, 0) << QPointF(0, 0.0101) << false;
    }

    void restTolerance()
    {
        QFETCH(QPointF, base);
        QFETCH(QPointF, offset);
        QFETCH(bool, stops);
        WaterDrop drop = scriptedDrop({2, 2}, base, base, 51);
        drop.advance(QVector3D(float(offset.x()), float(offset.y()), 0), 1.0f, 3, 3);
        QCOMPARE(drop.isStopped(), stops);
    }
};

QTEST_APPLESS_MAIN(TestWaterDrop)
#include "test_waterdrop.moc"
