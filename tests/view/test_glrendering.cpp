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
    const QColor expected(Qt::darkGray);
    const int tolerance = 2;
    return qAbs(qRed(pixel) - expected.red()) <= tolerance &&
           qAbs(qGreen(pixel) - expected.green()) <= tolerance &&
           qAbs(qBlue(pixel) - expected.blue()) <= tolerance;
}

bool isNearlyWhite(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) > 200;
}

// Near an axis tip the line is almost the tip colour: one channel high, two low.
PixelTest dominatedBy(int channel)
{
    return [channel](QRgb pixel) {
        const int values[] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
        for (int c = 0; c < 3; ++c) {
            if ((c == channel) != (values[c] > 180) || (c != channel && values[c] > 100)) {
                return false;
            }
        }
        return true;
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

class TestGLRendering : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstFrameHasDarkGrayBackground();
    void axesAppearWhereTheCameraPutsThem_data();
    void axesAppearWhereTheCameraPutsThem();
    void originIsAtTheCentre();
    void viewportFollowsResize();
    void terrainIsDrawnWhite();
    void dropPathIsDrawnBlue();
    void cameraMovesTheScene_data();
    void cameraMovesTheScene();

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

void TestGLRendering::cleanup()
{
    view_.reset();
}

// The frame as drawn now. Buffer swapping is held back so that the read-back
// sees the frame just painted rather than whatever the back buffer holds after
// a swap.
QImage TestGLRendering::frame()
{
    view_->setAutoBufferSwap(false);
    view_->updateGL();
    QImage image = view_->grabFrameBuffer();
    view_->setAutoBufferSwap(true);
    return image;
}

void TestGLRendering::firstFrameHasDarkGrayBackground()
{
    const QImage image = frame();
    QCOMPARE(image.size(), QSize(400, 300));
    // Corners and edge middles lie far from the three short axes at the centre.
    const QPoint samples[] = {{5, 5},     {394, 5}, {5, 294},   {394, 294}, {200, 5},
                              {200, 294}, {5, 150}, {394, 150}, {100, 100}, {300, 220}};
    for (const QPoint& p : samples) {
        QVERIFY2(isDarkGray(image.pixel(p)), qPrintable(QStringLiteral("pixel (%1, %2) is %3")
                                                            .arg(p.x())
                                                            .arg(p.y())
                                                            .arg(QColor(image.pixel(p)).name())));
    }
}

void TestGLRendering::axesAppearWhereTheCameraPutsThem_data()
{
    QTest::addColumn<QVector3D>("tip");
    QTest::addColumn<int>("channel");

    QTest::newRow("x axis red") << QVector3D(1, 0, 0) << 0;
    QTest::newRow("y axis blue") << QVector3D(0, 1, 0) << 2;
    QTest::newRow("z axis green") << QVector3D(0, 0, 1) << 1;
}

void TestGLRendering::axesAppearWhereTheCameraPutsThem()
{
    QFETCH(QVector3D, tip);
    QFETCH(int, channel);
    const QImage image = frame();

    // Nine tenths of the way out the colour is 90 % the tip's.
    const QPointF nearTip = project(0.9f * tip, image.size());
    QVERIFY(foundNear(image, nearTip, 2, dominatedBy(channel)));
    // The other axes' colours are not there.
    for (int other = 0; other < 3; ++other) {
        if (other != channel) {
            QVERIFY(!foundNear(image, nearTip, 2, dominatedBy(other)));
        }
    }
    // Beyond the tip there is only background.
    const QPointF beyond = project(1.3f * tip, image.size());
    QVERIFY(foundNear(image, beyond, 0, isDarkGray));
}

void TestGLRendering::originIsAtTheCentre()
{
    const QImage image = frame();
    // The three axes start white at the origin.
    QVERIFY(foundNear(image, QPointF(200, 150), 2, isNearlyWhite));
}

void TestGLRendering::viewportFollowsResize()
{
    view_->resize(240, 360);
    QTRY_COMPARE(view_->size(), QSize(240, 360));
    const QImage image = frame();
    QCOMPARE(image.size(), QSize(240, 360));

    const QPoint corners[] = {{3, 3}, {236, 3}, {3, 356}, {236, 356}};
    for (const QPoint& p : corners) {
        QVERIFY(isDarkGray(image.pixel(p)));
    }
    QVERIFY(foundNear(image, QPointF(120, 180), 2, isNearlyWhite));
    // The aspect ratio is the new one: with the old 4:3 the x axis would end
    // about halfway to where it ends now.
    const QPointF nearTip = project(QVector3D(0.9f, 0, 0), image.size());
    QVERIFY(foundNear(image, nearTip, 2, dominatedBy(0)));
    const QPointF beyond = project(QVector3D(1.3f, 0, 0), image.size());
    QVERIFY(foundNear(image, beyond, 0, isDarkGray));
}

void TestGLRendering::terrainIsDrawnWhite()
{
    // A flat 11 x 11 map spans scene x and z from -1.1 to 0.9 at height 0.
    view_->setBaseMap(std::make_unique<Map>(11, 11));
    view_->rebuildMesh();
    const QImage image = frame();

    const QVector3D corners[] = {
        {-1.1f, 0, -1.1f}, {0.9f, 0, -1.1f}, {-1.1f, 0, 0.9f}, {0.9f, 0, 0.9f}};
    for (const QVector3D& corner : corners) {
        QVERIFY(foundNear(image, project(corner, image.size()), 2, isNearlyWhite));
    }
    // Well outside the terrain the background is untouched.
    const QPointF outside = project(QVector3D(-2.5f, 0, 0), image.size());
    QVERIFY(foundNear(image, outside, 0, isDarkGray));
}

void TestGLRendering::dropPathIsDrawnBlue()
{
    // A gentle slope down towards x = 0: the drop runs a few map units to -x.
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

    const std::vector<WaterDrop*> drops = view_->filteredMap()->drops();
    QCOMPARE(drops.size(), std::size_t(1));
    const std::vector<MapPoint>& path = drops.front()->path();
    QVERIFY(path.size() > 100);
    const PixelTest isBlue = dominatedBy(2);
    for (std::size_t k : {path.size() / 4, path.size() / 2, 3 * path.size() / 4}) {
        // Scene point of a path point on an 11 x 11 map.
        const MapPoint& p = path.at(k);
        const QVector3D scene(p.x() / 5 - 1.1f, p.z() / 5, p.y() / 5 - 1.1f);
        QVERIFY(foundNear(image, project(scene, image.size()), 2, isBlue));
    }
}

void TestGLRendering::cameraMovesTheScene_data()
{
    QTest::addColumn<double>("xRot");
    QTest::addColumn<double>("yRot");
    QTest::addColumn<double>("zRot");
    QTest::addColumn<double>("centerX");
    QTest::addColumn<double>("centerY");
    QTest::addColumn<int>("wheelNotches");

    QTest::newRow("starting camera") << 0.0 << 0.0 << 0.0 << 0.0 << 0.0 << 0;
    QTest::newRow("45 degrees about y") << 0.0 << 720.0 << 0.0 << 0.0 << 0.0 << 0;
    QTest::newRow("20 degrees about x") << 320.0 << 0.0 << 0.0 << 0.0 << 0.0 << 0;
    QTest::newRow("30 degrees about z") << 0.0 << 0.0 << 480.0 << 0.0 << 0.0 << 0;
    QTest::newRow("all three") << -200.0 << 300.0 << 400.0 << 0.0 << 0.0 << 0;
    QTest::newRow("panned") << 0.0 << 0.0 << 0.0 << 0.5 << -0.25 << 0;
    QTest::newRow("zoomed out") << 0.0 << 0.0 << 0.0 << 0.0 << 0.0 << 2;
    QTest::newRow("zoomed in") << 0.0 << 0.0 << 0.0 << 0.0 << 0.0 << -3;
}

void TestGLRendering::cameraMovesTheScene()
{
    QFETCH(double, xRot);
    QFETCH(double, yRot);
    QFETCH(double, zRot);
    QFETCH(double, centerX);
    QFETCH(double, centerY);
    QFETCH(int, wheelNotches);

    view_->setXRotation(xRot);
    view_->setYRotation(yRot);
    view_->setZRotation(zRot);
    view_->setCenterX(centerX);
    view_->setCenterY(centerY);
    Camera camera;
    for (int notch = 0; notch < qAbs(wheelNotches); ++notch) {
        const int delta = wheelNotches > 0 ? 120 : -120;
        const QPoint position(10, 10);
        QWheelEvent event(QPointF(position), QPointF(view_->mapToGlobal(position)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view_.get(), &event);
        camera.distance = float((delta > 0 ? 1.1 : 0.9) * double(camera.distance));
    }
    camera.xRot = xRot;
    camera.yRot = yRot;
    camera.zRot = zRot;
    camera.centerX = centerX;
    camera.centerY = centerY;
    const QImage image = frame();

    QVERIFY(foundNear(image, project(QVector3D(0, 0, 0), image.size(), camera), 2, isNearlyWhite));
    const QVector3D tips[] = {{0.9f, 0, 0}, {0, 0, 0.9f}, {0, 0.9f, 0}};
    for (int channel = 0; channel < 3; ++channel) {
        QVERIFY2(
            foundNear(image, project(tips[channel], image.size(), camera), 2, dominatedBy(channel)),
            qPrintable(QStringLiteral("axis colour %1 missing").arg(channel)));
    }
}

QTEST_MAIN(TestGLRendering)
#include "test_glrendering.moc"
