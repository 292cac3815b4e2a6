#include "drop/waterdrop.h"
#include "maps.h"
#include "view/terrainpick.h"
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
    QVector3D turns; // sixteenths of a degree
    QPointF centre;
    float distance;
};

// Where the camera puts a scene point: the eye at (0, -d, -d) looking at the centre, up
// (0, 1, 0), the scene turned about x, y, then z; 30 degrees of field; rows top down.
QPointF project(const QVector3D& point, QSize size, const Camera& camera)
{
    QMatrix4x4 matrix;
    matrix.perspective(30.0f, float(size.width()) / float(size.height()), 0.1f, 100.0f);
    matrix.lookAt(QVector3D(0, -camera.distance, -camera.distance),
                  QVector3D(float(camera.centre.x()), float(camera.centre.y()), 0), {0, 1, 0});
    matrix.rotate(camera.turns.x() / 16.0f, 1, 0, 0);
    matrix.rotate(camera.turns.y() / 16.0f, 0, 1, 0);
    matrix.rotate(camera.turns.z() / 16.0f, 0, 0, 1);
    const QVector3D ndc = matrix.map(point);
    return QPointF((ndc.x() + 1.0) * 0.5 * size.width(), (1.0 - ndc.y()) * 0.5 * size.height());
}

// The colour of a pixel: 'g' the dark grey background, 'w' white, 'r', 'G'
// or 'b' red, green or blue, '?' anything else.
char colourOf(QColor c)
{
    if (std::abs(c.red() - 128) + std::abs(c.green() - 128) + std::abs(c.blue() - 128) <= 4)
        return 'g';
    const int high = (c.red() > 240) + (c.green() > 240) * 2 + (c.blue() > 240) * 4;
    const int low = (c.red() < 100) + (c.green() < 100) * 2 + (c.blue() < 100) * 4;
    return high == 7 ? 'w' : high + low != 7 ? '?' : "?rG?b???"[high];
}

// Whether a pixel within radius of at has the colour; 'x' is any but 'g'.
bool foundNear(const QImage& image, QPointF at, int radius, char colour)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p = at.toPoint() + QPoint(dx, dy);
            const char found = image.valid(p) ? colourOf(image.pixelColor(p)) : ' ';
            if (found == colour || (colour == 'x' && found != 'g' && found != ' '))
                return true;
        }
    return false;
}

// How many pixels of the picture have the colour.
int pixelsOf(const QImage& image, char colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += colourOf(image.pixelColor(x, y)) == colour ? 1 : 0;
    return count;
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

    // White at the origin, then red x, blue y and green z axes: nearly the
    // tip's colour nine tenths out, only background a tenth beyond the tip.
    void axesFollowTheCamera_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<Camera>("camera");
        QTest::addColumn<QPoint>("wheel");
        QTest::newRow("resized") << QSize(240, 360) << Camera{{}, {}, -10} << QPoint();
        // 45, 45 and 30 degrees: a wrong axis or order moves the tips.
        QTest::newRow("turned") << QSize(400, 300) << Camera{{720, 720, 480}, {}, -10} << QPoint();
        QTest::newRow("centre moved")
            << QSize(400, 300) << Camera{{}, {0.5, -0.25}, -10} << QPoint();
        // The wheel takes the larger delta: 1 - 480 / 1200 times the distance.
        QTest::newRow("wheel sideways")
            << QSize(400, 300) << Camera{{}, {}, -6} << QPoint(-480, 120);
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
        QVERIFY(foundNear(image, {4, size.height() - 5.0}, 0, 'g'));
        QVERIFY(foundNear(image, project({}, size, camera), 2, 'w'));
        const std::pair<QVector3D, char> tips[] = {
            {{1, 0, 0}, 'r'}, {{0, 1, 0}, 'b'}, {{0, 0, 1}, 'G'}};
        for (const auto& [tip, colour] : tips) {
            QVERIFY(foundNear(image, project(0.9f * tip, size, camera), 2, colour));
            QVERIFY(!foundNear(image, project(1.1f * tip, size, camera), 1, 'x'));
        }
    }

    // The 11 x 9 slope z = 0.1 x is a white wire mesh with background inside its triangles,
    // each drop run down it a blue line through its own path; map (x, y, z) is scene
    // (x/5 - 1.1, z/5, y/5 - 0.9).
    void terrainWireframeAndDropPath()
    {
        view_->setBaseMap(makeMap(11, 9, [](int x, int) { return 0.1f * float(x); }));
        view_->filteredMap()->startDrop(8.0f, 5.4f);
        view_->filteredMap()->startDrop(9.5f, 2.6f);
        for (int step = 0; step < 300; ++step)
            view_->filteredMap()->stepDrops(0.01f);
        view_->rebuildMesh();
        turnWheel(*view_, {0, -720});
        const QImage image = frameOf(*view_);
        const auto at = [&image](float x, float y) {
            const QVector3D scene(x / 5 - 1.1f, 0.02f * x, y / 5 - 0.9f);
            return project(scene, image.size(), Camera{{}, {}, -4});
        };
        // The triangle (3, 2), (3, 3), (4, 2): its three sides, then its middle.
        for (const QPointF& side : {at(3, 2.5f), at(3.5f, 2), at(3.5f, 2.5f)})
            QVERIFY(foundNear(image, side, 1, 'w'));
        QVERIFY(foundNear(image, at(3.33f, 2.33f), 0, 'g'));
        QVERIFY(!foundNear(image, at(3.33f, 2.33f), 1, 'w'));
        for (const WaterDrop* drop : view_->filteredMap()->drops()) {
            const std::vector<MapPoint>& path = drop->path();
            QVERIFY(path.size() > 100);
            for (std::size_t k : {path.size() / 4, 3 * path.size() / 4})
                QVERIFY(foundNear(image, at(path[k].x(), path[k].y()), 2, 'b'));
        }
        // Among the coloured lines the path is drawn three pixels wide.
        const int thin = pixelsOf(image, 'b');
        view_->setColourByHeight(true);
        QVERIFY(pixelsOf(frameOf(*view_), 'b') > 2 * thin);
    }

    // Seen from below (turned half a turn about x) the mesh is as open as
    // from above: back faces are wire too.
    void theWireframeIsOpenFromBothSides()
    {
        view_->setBaseMap(makeMap(11, 9, [](int x, int) { return 0.1f * float(x); }));
        view_->rebuildMesh();
        const int above = pixelsOf(frameOf(*view_), 'w');
        view_->setXRotation(2880);
        const int below = pixelsOf(frameOf(*view_), 'w');
        QVERIFY2(std::abs(below - above) < above / 4,
                 qPrintable(QString("%1 white pixels above, %2 below").arg(above).arg(below)));
    }

    // A flat 11 x 9 world at height 1.5 puts its row y = 6 at scene (x, 0.3, 0.3), in the
    // plane of the eye and the x axis and nearer the eye: the row covers the axis drawn after
    // it. An odd height centres the axis on a pixel row.
    void nearerTerrainHidesTheAxes()
    {
        view_->resize(400, 301);
        QTRY_COMPARE(view_->size(), QSize(400, 301));
        view_->setBaseMap(makeMap(11, 9, [](int, int) { return 1.5f; }));
        view_->rebuildMesh();
        const QImage image = frameOf(*view_);
        for (float along : {0.8f, 0.85f}) {
            const QPointF at = project({along, 0, 0}, image.size(), Camera{{}, {}, -10});
            QCOMPARE(colourOf(image.pixelColor(int(at.x()), int(at.y()))), 'w');
        }
    }

    // A view's GL context starts from the starting camera, whatever was set before it.
    void firstShowStartsFromTheStartingCamera()
    {
        GLWidget view;
        view.setXRotation(160);
        view.setCenterY(2);
        turnWheel(view, {0, 120});
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        frameOf(view);
        QCOMPARE((QVector<double>{view.xRotation(), view.centerY(), view.eyeDistance()}),
                 (QVector<double>{0, 0, -10}));
    }

    // 8 sixteenths of a degree per pixel (x turns with vertical motion); 1/32 scene unit
    // of pan per pixel, x against the motion; both when both buttons are held. The middle
    // button only moves the last position. Presses, moves and the wheel redraw, releases not.
    void mouseDrivesTheCamera()
    {
        const int frames = view_->frames;
        const auto camera = [](const GLWidget& view) {
            return QVector<double>{view.xRotation(), view.yRotation(), view.zRotation(),
                                   view.centerX(),   view.centerY(),   view.eyeDistance()};
        };
        drag(*view_, Qt::RightButton, {100, 100}, {110, 104});
        QCOMPARE(camera(*view_), (QVector<double>{32, 80, 0, 0, 0, -10}));
        sendMouse(*view_, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
        sendMouse(*view_, QEvent::MouseMove, {132, 164}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(view_->cursor().shape(), Qt::ClosedHandCursor);
        sendMouse(*view_, QEvent::MouseButtonRelease, {132, 164}, Qt::RightButton, Qt::NoButton);
        QCOMPARE(view_->cursor().shape(), Qt::ArrowCursor);
        drag(*view_, Qt::MiddleButton, {140, 120}, {150, 110});
        sendMouse(*view_, QEvent::MouseMove, {152, 110}, Qt::NoButton,
                  Qt::RightButton | Qt::LeftButton);
        turnWheel(*view_, {0, 120});
        turnWheel(*view_, {0, 120});
        QCOMPARE(camera(*view_), (QVector<double>{32, 96, 0, -1.0625, 2, double(-12.1f)}));
        QCOMPARE(view_->frames, frames + 9);
    }

    // The terrain's point under a pixel is the one the camera puts there: map points
    // projected to the picture and picked back, from above and turned; off the terrain
    // nothing is found.
    void pickingFindsThePointUnderAPixel_data()
    {
        QTest::addColumn<Camera>("camera");
        QTest::newRow("from the start") << Camera{{}, {}, -6};
        QTest::newRow("turned and moved") << Camera{{320, -560, 0}, {0.4, -0.2}, -7};
    }

    void pickingFindsThePointUnderAPixel()
    {
        QFETCH(Camera, camera);
        // A ridge along x = 6 on an 11 x 9 world, so the two triangles of a cell differ.
        view_->setBaseMap(
            makeMap(11, 9, [](int x, int y) { return 2.0f - 0.3f * std::abs(x - 6) + 0.05f * y; }));
        view_->rebuildMesh();
        view_->setXRotation(camera.turns.x());
        view_->setYRotation(camera.turns.y());
        view_->setCenterX(camera.centre.x());
        view_->setCenterY(camera.centre.y());
        CameraRecord record = view_->camera();
        record.distance = camera.distance;
        view_->setCamera(record);
        const Map& map = *view_->filteredMap();
        for (const QPointF& at : {QPointF(2.25, 3.5), QPointF(6.0, 4.75), QPointF(8.6, 1.2)}) {
            const float height =
                2.0f - 0.3f * std::abs(float(at.x()) - 6.0f) + 0.05f * float(at.y());
            const QVector3D scene(float(at.x()) / 5 - 1.1f, height / 5, float(at.y()) / 5 - 0.9f);
            const QPointF pixel = project(scene, view_->size(), camera) - QPointF(0.5, 0.5);
            const std::optional<QVector3D> picked =
                TerrainPick::surfaceAt(map, view_->camera(), view_->size(), pixel);
            QVERIFY(picked.has_value());
            QVERIFY2(std::hypot(picked->x() - at.x(), picked->y() - at.y()) < 0.1,
                     qPrintable(QString("%1 %2 -> %3 %4")
                                    .arg(at.x())
                                    .arg(at.y())
                                    .arg(picked->x())
                                    .arg(picked->y())));
            QVERIFY(std::fabs(picked->z() - height) < 0.05);
        }
        QVERIFY(!TerrainPick::surfaceAt(map, view_->camera(), view_->size(), {1, 1}));
    }

private:
    std::unique_ptr<CountingView> view_;
};

QTEST_MAIN(TestView)
#include "test_view.moc"
