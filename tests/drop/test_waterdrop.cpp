#include "drop/waterdrop.h"

#include <QtTest>
#include <cfloat>
#include <limits>

namespace {

// Moves the drop to target with a unit step; exact for the small values used
// here.
void moveTo(WaterDrop& drop, QPointF target)
{
    const MapPoint* last = drop.currentPoint();
    drop.advance(QVector3D(float(target.x()) - last->x(), float(target.y()) - last->y(), 0.0f),
                 1.0f, 20, 20);
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
    void movesByDirectionTimesStep()
    {
        WaterDrop drop(1.0f, 1.0f, 0.5f);
        drop.advance(QVector3D(0.5f, -0.25f, 1.0f), 0.5f, 3, 3);
        QVERIFY(!drop.isStopped());
        QCOMPARE(drop.path().size(), std::size_t(2));
        QCOMPARE(drop.path()[0].x(), 1.0f);
        QCOMPARE(drop.path()[0].z(), 0.5f);
        QCOMPARE(drop.currentPoint()->x(), 1.25f);
        QCOMPARE(drop.currentPoint()->y(), 0.875f);
        QCOMPARE(drop.currentPoint()->z(), 1.0f);
        // A stopped drop stays where it is.
        drop.stop();
        drop.advance(QVector3D(0.5f, 0, 0), 0.1f, 3, 3);
        QCOMPARE(drop.path().size(), std::size_t(2));
    }

    // On a 3 x 4 map a position may reach x = 2 and y = 3 but go no further;
    // below 0 is off the map, 0 itself is on it. A candidate that is not
    // finite stops the drop too.
    void stopsOffTheMap_data()
    {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        QTest::addColumn<float>("startX");
        QTest::addColumn<float>("startY");
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<float>("step");
        QTest::addColumn<bool>("stops");
        QTest::newRow("x exactly 0") << 0.01f << 1.0f << Direction{-1, 0, 0} << 0.01f << false;
        QTest::newRow("x below 0") << 0.005f << 1.0f << Direction{-1, 0, 0} << 0.01f << true;
        QTest::newRow("y exactly 0") << 1.0f << 0.01f << Direction{0, -1, 0} << 0.01f << false;
        QTest::newRow("y below 0") << 1.0f << 0.005f << Direction{0, -1, 0} << 0.01f << true;
        QTest::newRow("x exactly last") << 1.5f << 1.0f << Direction{1, 0, 0} << 0.5f << false;
        QTest::newRow("x past last") << 1.5f << 1.0f << Direction{1, 0, 0} << 0.75f << true;
        QTest::newRow("y past last") << 1.0f << 2.5f << Direction{0, 1, 0} << 0.75f << true;
        QTest::newRow("y past width - 1, within length - 1")
            << 1.0f << 2.0f << Direction{0, 1, 0} << 1.0f << false;
        QTest::newRow("NaN x") << 1.0f << 1.0f << Direction{nan, 0, 0} << 1.0f << true;
        QTest::newRow("infinite height") << 1.0f << 1.0f << Direction{0, 0, inf} << 1.0f << true;
        QTest::newRow("height overflows")
            << 1.0f << 1.0f << Direction{0, 0, FLT_MAX} << 2.0f << true;
    }

    void stopsOffTheMap()
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
    }

    // The path runs (1, 1), second, then rest until it holds pathPoints
    // points; the candidate is rest + offset. It is compared with the point 50
    // places before its own place (index n - 50 for n points), only once the
    // path holds more than 50 points, within 0.01 in x and in y, the bound
    // included (from 0 the offset 0.01 is exactly the float 0.01).
    void comesToRest_data()
    {
        QTest::addColumn<int>("pathPoints");
        QTest::addColumn<QPointF>("second");
        QTest::addColumn<QPointF>("rest");
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<bool>("stops");
        const QPointF two(2, 2);
        const QPointF ten(10, 10);
        QTest::newRow("back to index 1") << 51 << two << ten << QPointF(-8, -8) << true;
        QTest::newRow("back to index 0") << 51 << two << ten << QPointF(-9, -9) << false;
        QTest::newRow("back to index 2") << 52 << two << ten << QPointF(0, 0) << true;
        QTest::newRow("50 points only") << 50 << two << ten << QPointF(0, 0) << false;
        const QPointF zero(0, 0);
        const QPointF one(1, 1);
        QTest::newRow("exactly 0.01") << 51 << zero << zero << QPointF(0.01, 0.01) << true;
        QTest::newRow("back by 0.01") << 51 << one << one << QPointF(-0.01, -0.01) << true;
        QTest::newRow("x beyond") << 51 << zero << zero << QPointF(0.0101, 0) << false;
        QTest::newRow("y beyond") << 51 << zero << zero << QPointF(0, 0.0101) << false;
    }

    void comesToRest()
    {
        QFETCH(int, pathPoints);
        QFETCH(QPointF, second);
        QFETCH(QPointF, rest);
        QFETCH(QPointF, offset);
        QFETCH(bool, stops);
        WaterDrop drop(1.0f, 1.0f, 0.0f);
        moveTo(drop, second);
        while (int(drop.path().size()) < pathPoints) {
            moveTo(drop, rest);
        }
        QVERIFY(!drop.isStopped());
        drop.advance(QVector3D(float(offset.x()), float(offset.y()), 0), 1.0f, 20, 20);
        QCOMPARE(drop.isStopped(), stops);
        QCOMPARE(int(drop.path().size()), stops ? pathPoints : pathPoints + 1);
    }
};

QTEST_APPLESS_MAIN(TestWaterDrop)
#include "test_waterdrop.moc"
