#include "drop/waterdrop.h"
#include "maps.h"
#include "view/terrainmesh.h"
#include "windowdriver.h"

#include <QMatrix4x4>

using namespace WindowDriver;

namespace {

// Counts frames so that the tests see which operations redraw.
class CountingView : public GLWidget
{
public:
    int frames = 0;

protected:
    void paintGL() override
    {
        ++frames;
        GLWidget::paintGL();
    }
};

// Angles in sixteenths of a degree, the point looked at, the eye distance.
struct Camera
{
    QVector3D turns;
    QPointF centre;
    float distance = -10.0f;
};

// Where the camera puts a scene point: the eye at (0, -d, -d) looks at the
// centre with up (0, 1, 0), the scene turned about x, then y, then z; 30
// degrees vertical field of view. Image rows run top down.
QPointF project(const QVector3D& point, QSize size, const Camera& camera = {})
{
    QMatrix4x4 projection;
    projection.perspective(30.0f, float(size.width()) / float(size.height()), 0.1f, 100.0f);
    QMatrix4x4 modelView;
    modelView.lookAt(QVector3D(0, -camera.distance, -camera.distance),
                     QVector3D(float(camera.centre.x()), float(camera.centre.y()), 0),
                     QVector3D(0, 1, 0));
    modelView.rotate(camera.turns.x() / 16.0f, 1, 0, 0);
    modelView.rotate(camera.turns.y() / 16.0f, 0, 1, 0);
    modelView.rotate(camera.turns.z() / 16.0f, 0, 0, 1);
    const QVector3D ndc = (projection * modelView).map(point);
    return QPointF((ndc.x() + 1.0) * 0.5 * size.width(), (1.0 - ndc.y()) * 0.5 * size.height());
}

bool isBackground(QRgb pixel) // Qt::darkGray, 128 grey
{
    return qAbs(qRed(pixel) - 128) + qAbs(qGreen(pixel) - 128) + qAbs(qBlue(pixel) - 128) <= 4;
}

// Channel 0 red, 1 green, 2 blue high, the other two low; -1 all three high.
std::function<bool(QRgb)> colour(int channel)
{
    return [channel](QRgb pixel) {
        const int values[] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
        if (channel < 0) {
            return values[0] > 200 && values[1] > 200 && values[2] > 200;
        }
        return values[channel] > 180 && values[(channel + 1) % 3] <= 100 &&
               values[(channel + 2) % 3] <= 100;
    };
}

bool foundNear(const QImage& image, QPointF centre, int radius,
               const std::function<bool(QRgb)>& test)
{
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p = centre.toPoint() + QPoint(dx, dy);
            if (image.valid(p) && test(image.pixel(p))) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Camera)

class TestView : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        view_ = std::make_unique<CountingView>();
        view_->resize(400, 300);
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    }

    // Grid vertex (j, i) at i * width + j; one map unit is 0.2 scene units,
    // the height is up and the map's centre, here (5, 10), is the origin.
    void gridAndTriangles_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<QVector<int>>("indices");
        QTest::newRow("1 x 1") << 1 << 1 << QVector<int>{};
        QTest::newRow("2 x 2") << 2 << 2 << QVector<int>{0, 2, 1, 1, 2, 3};
        QTest::newRow("3 x 2") << 3 << 2 << QVector<int>{0, 3, 1, 1, 3, 4, 1, 4, 2, 2, 4, 5};
        QTest::newRow("10 x 20") << 10 << 20 << QVector<int>{};
    }

    void gridAndTriangles()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(QVector<int>, indices);
        const auto map = makeMap(width, length, [](int x, int y) { return 10.0f * x + y + 0.5f; });
        QVector<QVector3D> grid{{7, 7, 7}};
        QVector<QVector3D> triangles{{7, 7, 7}};
        TerrainMesh::buildGrid(*map, grid);
        TerrainMesh::buildTriangles(grid, width, length, triangles);
        QCOMPARE(grid.size(), width * length);
        QCOMPARE(triangles.size(), 6 * (width - 1) * (length - 1));
        if (width == 10) {
            QVERIFY((grid[7 * 10 + 3] - QVector3D(-0.4f, 7.5f, -0.6f)).length() < 1e-5f);
            QVERIFY((grid[19 * 10 + 9] - QVector3D(0.8f, 21.9f, 1.8f)).length() < 1e-5f);
        }
        for (int v = 0; v < indices.size(); ++v) {
            QCOMPARE(triangles[v], grid[indices[v]]);
        }
    }

    // Drops of 7, 2 and 1 path points, in the order started: line lists of 12,
    // 2 and 0 vertices, segment k being (point k, point k + 1).
    void dropLinesPairConsecutivePoints()
    {
        const auto map = makeMap(30, 30, [](int x, int y) { return -0.5f * x - 0.25f * y; });
        map->startDrop(2.5f, 3.5f);
        for (int call = 0; call < 5; ++call) {
            map->stepDrops(0.01f);
        }
        map->startDrop(10.25f, 4.75f);
        map->stepDrops(0.01f);
        map->startDrop(20.0f, 20.0f);
        QVector<QVector<QVector3D>> lines{{QVector3D(1, 2, 3)}};
        QVector<QVector3D> path;
        TerrainMesh::buildDropLines(*map, 30, 30, lines, path);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0].size(), 12);
        QCOMPARE(lines[1].size(), 2);
        QCOMPARE(lines[2].size(), 0);
        for (int d = 0; d < 2; ++d) {
            const std::vector<MapPoint>& points = map->drops()[std::size_t(d)]->path();
            for (int v = 0; v < lines[d].size(); ++v) {
                const MapPoint& p = points[std::size_t((v + 1) / 2)];
                QCOMPARE(lines[d][v], QVector3D(p.x() / 5 - 3, p.z() / 5, p.y() / 5 - 3));
            }
        }
    }

    // White at the origin, then red x, blue y and green z axes: nearly the
    // tip's colour nine tenths out, only background a tenth beyond the tip.
    void axesFollowTheCamera_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<Camera>("camera");
        QTest::addColumn<QPoint>("wheel");
        QTest::newRow("first frame") << QSize(400, 300) << Camera{} << QPoint();
        QTest::newRow("resized") << QSize(240, 360) << Camera{} << QPoint();
        // 45, 45 and 30 degrees: a wrong axis or order moves the tips.
        QTest::newRow("turned") << QSize(400, 300) << Camera{{720, 720, 480}, {}} << QPoint();
        QTest::newRow("centre moved") << QSize(400, 300) << Camera{{}, {0.5, -0.25}} << QPoint();
        // The wheel takes the larger delta: 1 - 480 / 1200 times the distance.
        QTest::newRow("wheel sideways")
            << QSize(400, 300) << Camera{{}, {}, -6.0f} << QPoint(-480, 120);
        QTest::newRow("wheel back") << QSize(400, 300) << Camera{{}, {}, -6.0f} << QPoint(0, -480);
    }

    void axesFollowTheCamera()
    {
        QFETCH(QSize, size);
        QFETCH(Camera, camera);
        QFETCH(QPoint, wheel);
        view_->resize(size);
        QTRY_COMPARE(view_->size(), size);
        view_->setXRotation(double(camera.turns.x()));
        view_->setYRotation(double(camera.turns.y()));
        view_->setZRotation(double(camera.turns.z()));
        view_->setCenterX(camera.centre.x());
        view_->setCenterY(camera.centre.y());
        turnWheel(*view_, wheel);
        QCOMPARE(view_->eyeDistance(), camera.distance);
        const QImage image = frameOf(*view_);
        QVERIFY(isBackground(image.pixel(4, size.height() - 5)));
        QVERIFY(foundNear(image, project(QVector3D(), size, camera), 2, colour(-1)));
        const QVector3D tips[] = {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
        for (int channel = 0; channel < 3; ++channel) {
            const QVector3D tip = tips[channel];
            QVERIFY(foundNear(image, project(0.9f * tip, size, camera), 2, colour(channel)));
            QVERIFY(!foundNear(image, project(1.1f * tip, size, camera), 1,
                               [](QRgb pixel) { return !isBackground(pixel); }));
        }
    }

    // On the slope z = 0.1 x the terrain is a white wire mesh with background
    // inside its triangles, and a drop run down it a blue line.
    void terrainWireframeAndDropPath()
    {
        view_->setBaseMap(makeMap(11, 11, [](int x, int) { return 0.1f * float(x); }));
        view_->filteredMap()->startDrop(8.0f, 5.4f);
        for (int step = 0; step < 300; ++step) {
            view_->filteredMap()->stepDrops(0.01f);
        }
        view_->rebuildMesh();
        turnWheel(*view_, {0, -720});
        const QImage image = frameOf(*view_);
        const auto at = [&image](float x, float y) {
            const QVector3D scene = TerrainMesh::scenePoint(x, y, 0.1f * x, 11, 11);
            return project(scene, image.size(), Camera{{}, {}, -4.0f});
        };
        // The triangle (3, 2), (3, 3), (4, 2): its three sides, then its middle.
        for (const QPointF& side : {at(3, 2.5f), at(3.5f, 2), at(3.5f, 2.5f)}) {
            QVERIFY(foundNear(image, side, 1, colour(-1)));
        }
        QVERIFY(foundNear(image, at(3.33f, 2.33f), 0, isBackground));
        QVERIFY(!foundNear(image, at(3.33f, 2.33f), 1, colour(-1)));
        const std::vector<MapPoint>& path = view_->filteredMap()->drops().front()->path();
        QVERIFY(path.size() > 100);
        for (std::size_t k : {path.size() / 4, 3 * path.size() / 4}) {
            QVERIFY(foundNear(image, at(path[k].x(), path[k].y()), 2, colour(2)));
        }
    }

    // 8 sixteenths of a degree per pixel (x turns with vertical motion); 1/32
    // scene unit of pan per pixel, x against the motion, y with it. The middle
    // button only moves the last position. Presses, moves and the wheel
    // redraw; releases do not. The first GL set-up resets everything.
    void mouseDrivesTheCamera()
    {
        const int frames = view_->frames;
        const auto camera = [](const GLWidget& view) {
            return QVector<double>{view.xRotation(), view.yRotation(), view.zRotation(),
                                   view.centerX(),   view.centerY(),   view.eyeDistance()};
        };
        drag(*view_, Qt::RightButton, {100, 100}, {110, 104});
        QCOMPARE(camera(*view_), (QVector<double>{32, 80, 0, 0, 0, -10}));
        QCOMPARE(view_->cursor().shape(), Qt::ArrowCursor);
        sendMouse(*view_, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
        sendMouse(*view_, QEvent::MouseMove, {132, 164}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(view_->cursor().shape(), Qt::ClosedHandCursor);
        sendMouse(*view_, QEvent::MouseButtonRelease, {132, 164}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(view_->cursor().shape(), Qt::ArrowCursor);
        drag(*view_, Qt::MiddleButton, {140, 120}, {150, 110});
        sendMouse(*view_, QEvent::MouseMove, {152, 110}, Qt::NoButton, Qt::RightButton);
        turnWheel(*view_, {0, 120});
        turnWheel(*view_, {0, 120});
        QCOMPARE(camera(*view_), (QVector<double>{32, 96, 0, -1, 2, double(-12.1f)}));
        QCOMPARE(view_->frames, frames + 9);

        CountingView fresh;
        fresh.setXRotation(1.0);
        fresh.setYRotation(2.0);
        fresh.setZRotation(3.0);
        fresh.setCenterX(4.0);
        fresh.setCenterY(5.0);
        turnWheel(fresh, {0, 120});
        fresh.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        QCOMPARE(camera(fresh), (QVector<double>{0, 0, 0, 0, 0, -10}));
    }

private:
    std::unique_ptr<CountingView> view_;
};

QTEST_MAIN(TestView)
#include "test_view.moc"
