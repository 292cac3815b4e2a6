// Frames drawn by the GL view, read back from its frame buffer and checked
// against an independent projection of the scene with QMatrix4x4.
#include "drop/waterdrop.h"
#include "terrain/map.h"
#include "view/glwidget.h"

#include <QImage>
#include <QMatrix4x4>
#include <QWheelEvent>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

using PixelTest = std::function<bool(QRgb)>;

// Lets the test hold buffer swapping back while it reads a frame.
class InspectedView : public GLWidget
{
public:
    using GLWidget::setAutoBufferSwap;
};

bool isDarkGray(QRgb pixel)
{
    const QColor grey(Qt::darkGray);
    return qAbs(qRed(pixel) - grey.red()) <= 2 && qAbs(qGreen(pixel) - grey.green()) <= 2 &&
           qAbs(qBlue(pixel) - grey.blue()) <= 2;
}

bool isDrawn(QRgb pixel)
{
    return !isDarkGray(pixel);
}

bool isNearlyWhite(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) > 200;
}

// Near an axis tip the line is almost the tip colour: channel 0 red, 1 green
// or 2 blue high, the other two low.
PixelTest dominatedBy(int channel)
{
    return [channel](QRgb pixel) {
        const int values[] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
        return values[channel] > 180 && values[(channel + 1) % 3] <= 100 &&
               values[(channel + 2) % 3] <= 100;
    };
}

struct Camera
{
    float distance = -10.0f;
    double xRot = 0.0;
    double yRot = 0.0;
    double zRot = 0.0;
    double centerX = 0.0;
    double centerY = 0.0;
};

// Where a camera puts a scene point in an image of the given size: eye at
// (0, -distance, -distance) looking at (centerX, centerY, 0) with up (0, 1, 0),
// then the scene turned about x, y and z by the angles in sixteenths of a
// degree; 30 degrees vertical field of view. Image rows run top down.
QPointF project(const QVector3D& point, QSize size, const Camera& camera = Camera())
{
    QMatrix4x4 projection;
    projection.perspective(30.0f, float(size.width()) / float(size.height()), 0.1f, 100.0f);
    QMatrix4x4 modelView;
    modelView.lookAt(QVector3D(0, -camera.distance, -camera.distance),
                     QVector3D(float(camera.centerX), float(camera.centerY), 0),
                     QVector3D(0, 1, 0));
    modelView.rotate(float(camera.xRot / 16.0), 1, 0, 0);
    modelView.rotate(float(camera.yRot / 16.0), 0, 1, 0);
    modelView.rotate(float(camera.zRot / 16.0), 0, 0, 1);
    const QVector3D ndc = (projection * modelView).map(point);
    return QPointF((ndc.x() + 1.0) * 0.5 * size.width(), (1.0 - ndc.y()) * 0.5 * size.height());
}

// True when a pixel within radius of centre passes the test.
bool foundNear(const QImage& image, QPointF centre, int radius, const PixelTest& test)
{
    const QPoint middle = centre.toPoint();
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p = middle + QPoint(dx, dy);
            if (image.valid(p) && test(image.pixel(p))) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Camera)

class TestGLRendering : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { view_.reset(); }

    void axesFollowSizeAndCamera_data();
    void axesFollowSizeAndCamera();
    void terrainWhiteAndDropPathBlue();

private:
    QImage frame();

    std::unique_ptr<InspectedView> view_;
};

void TestGLRendering::init()
{
    view_ = std::make_unique<InspectedView>();
    view_->resize(400, 300);
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    QVERIFY(view_->isValid());
}

// The frame as drawn now; buffer swapping is held back so that the read-back
// sees this frame rather than the back buffer after a swap.
QImage TestGLRendering::frame()
{
    view_->setAutoBufferSwap(false);
    view_->updateGL();
    QImage image = view_->grabFrameBuffer();
    view_->setAutoBufferSwap(true);
    return image;
}

void TestGLRendering::axesFollowSizeAndCamera_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Camera>("camera");
    QTest::addColumn<int>("wheelNotches");

    QTest::newRow("first frame") << QSize(400, 300) << Camera{} << 0;
    // With the old 4:3 aspect the x axis would end about halfway to where it
    // ends now.
    QTest::newRow("resized") << QSize(240, 360) << Camera{} << 0;
    // 45, 45 and 30 degrees: large enough that a wrong axis or order of
    // the turns moves the tips by several pixels.
    QTest::newRow("all three turned")
        << QSize(400, 300) << Camera{-10.0f, 720.0, 720.0, 480.0, 0.0, 0.0} << 0;
    QTest::newRow("panned") << QSize(400, 300) << Camera{-10.0f, 0.0, 0.0, 0.0, 0.5, -0.25} << 0;
    QTest::newRow("zoomed out") << QSize(400, 300) << Camera{} << 2;
}

void TestGLRendering::axesFollowSizeAndCamera()
{
    QFETCH(QSize, size);
    QFETCH(Camera, camera);
    QFETCH(int, wheelNotches);
    view_->resize(size);
    QTRY_COMPARE(view_->size(), size);
    view_->setXRotation(camera.xRot);
    view_->setYRotation(camera.yRot);
    view_->setZRotation(camera.zRot);
    view_->setCenterX(camera.centerX);
    view_->setCenterY(camera.centerY);
    for (int notch = 0; notch < wheelNotches; ++notch) {
        QWheelEvent event(QPointF(10, 10), QPointF(view_->mapToGlobal(QPoint(10, 10))), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view_.get(), &event);
        camera.distance = float(1.1 * double(camera.distance));
    }
    const QImage image = frame();
    QCOMPARE(image.size(), size);

    // The corners lie far from the short axes.
    for (int x : {4, size.width() - 5}) {
        for (int y : {4, size.height() - 5}) {
            QVERIFY2(isDarkGray(image.pixel(x, y)), qPrintable(QColor(image.pixel(x, y)).name()));
        }
    }
    // The axes start white at the origin; red x, blue y, green z: nine tenths
    // out the colour is 90 % the tip's, and a tenth beyond the tip there is
    // only background.
    QVERIFY(foundNear(image, project(QVector3D(0, 0, 0), size, camera), 2, isNearlyWhite));
    const QVector3D tips[] = {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
    for (int channel = 0; channel < 3; ++channel) {
        const QVector3D& tip = tips[channel];
        QVERIFY2(foundNear(image, project(0.9f * tip, size, camera), 2, dominatedBy(channel)),
                 qPrintable(QStringLiteral("axis colour %1 missing").arg(channel)));
        QVERIFY(!foundNear(image, project(1.1f * tip, size, camera), 1, isDrawn));
    }
}

void TestGLRendering::terrainWhiteAndDropPathBlue()
{
    // An 11 x 11 map spans scene x and z from -1.1 to 0.9; it slopes gently
    // down towards x = 0, so the drop runs a few map units to -x.
    auto map = std::make_unique<Map>(11, 11);
    for (MapPoint& point : map->points()) {
        point.setZ(0.1f * point.x());
    }
    view_->setBaseMap(std::move(map));
    view_->filteredMap()->startDrop(8.0f, 5.0f);
    for (int step = 0; step < 300; ++step) {
        view_->filteredMap()->stepDrops(0.01f);
    }
    view_->rebuildMesh();
    const QImage image = frame();

    // Corners at heights 0 (x = 0) and 1 (x = 10), scene y 0 and 0.2.
    const QVector3D corners[] = {
        {-1.1f, 0, -1.1f}, {0.9f, 0.2f, -1.1f}, {-1.1f, 0, 0.9f}, {0.9f, 0.2f, 0.9f}};
    for (const QVector3D& corner : corners) {
        QVERIFY(foundNear(image, project(corner, image.size()), 2, isNearlyWhite));
    }
    QVERIFY(!foundNear(image, project(QVector3D(-2.5f, 0, 0), image.size()), 1, isDrawn));

    const std::vector<MapPoint>& path = view_->filteredMap()->drops().front()->path();
    QVERIFY(path.size() > 100);
    for (std::size_t k : {path.size() / 4, path.size() / 2, 3 * path.size() / 4}) {
        const MapPoint& p = path.at(k);
        const QVector3D scene(p.x() / 5 - 1.1f, p.z() / 5, p.y() / 5 - 1.1f);
        QVERIFY(foundNear(image, project(scene, image.size()), 2, dominatedBy(2)));
    }
}

QTEST_MAIN(TestGLRendering)
#include "test_glrendering.moc"
