#include "drop/waterdrop.h"
#include "terrain/map.h"
#include "view/glwidget.h"

#include <QMatrix4x4>
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

// Qt::darkGray is 128, 128, 128.
bool isDarkGray(QRgb pixel)
{
    return qAbs(qRed(pixel) - 128) + qAbs(qGreen(pixel) - 128) + qAbs(qBlue(pixel) - 128) <= 4;
}

bool isNearlyWhite(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) > 200;
}

// Channel 0 red, 1 green or 2 blue high, the other two low.
PixelTest dominatedBy(int channel)
{
    return [channel](QRgb pixel) {
        const int values[] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
        return values[channel] > 180 && values[(channel + 1) % 3] <= 100 &&
               values[(channel + 2) % 3] <= 100;
    };
}

// Angles in sixteenths of a degree about x, y and z.
using Turns = QVector3D;

// Where the camera puts a scene point: eye at (0, 10, 10) looking at the
// origin with up (0, 1, 0), the scene turned about x, y and z; 30 degrees
// vertical field of view. Image rows run top down.
QPointF project(const QVector3D& point, QSize size, Turns turns = Turns())
{
    QMatrix4x4 projection;
    projection.perspective(30.0f, float(size.width()) / float(size.height()), 0.1f, 100.0f);
    QMatrix4x4 modelView;
    modelView.lookAt(QVector3D(0, 10, 10), QVector3D(0, 0, 0), QVector3D(0, 1, 0));
    modelView.rotate(turns.x() / 16.0f, 1, 0, 0);
    modelView.rotate(turns.y() / 16.0f, 0, 1, 0);
    modelView.rotate(turns.z() / 16.0f, 0, 0, 1);
    const QVector3D ndc = (projection * modelView).map(point);
    return QPointF((ndc.x() + 1.0) * 0.5 * size.width(), (1.0 - ndc.y()) * 0.5 * size.height());
}

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
    void init()
    {
        view_ = std::make_unique<InspectedView>();
        view_->resize(400, 300);
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    }

    void axesFollowSizeAndCamera_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<Turns>("turns");
        QTest::newRow("first frame") << QSize(400, 300) << Turns();
        // With the old 4:3 aspect the x axis would end about halfway.
        QTest::newRow("resized") << QSize(240, 360) << Turns();
        // 45, 45 and 30 degrees: a wrong axis or order moves the tips.
        QTest::newRow("all three turned") << QSize(400, 300) << Turns(720, 720, 480);
    }

    void axesFollowSizeAndCamera()
    {
        QFETCH(QSize, size);
        QFETCH(Turns, turns);
        view_->resize(size);
        QTRY_COMPARE(view_->size(), size);
        view_->setXRotation(double(turns.x()));
        view_->setYRotation(double(turns.y()));
        view_->setZRotation(double(turns.z()));
        const QImage image = frame();
        QCOMPARE(image.size(), size);
        QVERIFY(isDarkGray(image.pixel(4, size.height() - 5)));
        // White at the origin; red x, blue y, green z, nine tenths out nearly
        // the tip's colour, a tenth beyond the tip only background.
        QVERIFY(foundNear(image, project(QVector3D(), size, turns), 2, isNearlyWhite));
        const QVector3D tips[] = {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
        for (int channel = 0; channel < 3; ++channel) {
            QVERIFY(foundNear(image, project(0.9f * tips[channel], size, turns), 2,
                              dominatedBy(channel)));
            QVERIFY(!foundNear(image, project(1.1f * tips[channel], size, turns), 1,
                               [](QRgb pixel) { return !isDarkGray(pixel); }));
        }
    }

    // An 11 x 11 map spans scene x and z from -1.1 to 0.9 and slopes down
    // toward x = 0, so the drop runs a few map units toward -x.
    void terrainWhiteAndDropPathBlue()
    {
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
        for (const QVector3D& corner : {QVector3D(-1.1f, 0, 0.9f), QVector3D(0.9f, 0.2f, -1.1f)}) {
            QVERIFY(foundNear(image, project(corner, image.size()), 2, isNearlyWhite));
        }
        const std::vector<MapPoint>& path = view_->filteredMap()->drops().front()->path();
        QVERIFY(path.size() > 100);
        for (std::size_t k : {path.size() / 4, 3 * path.size() / 4}) {
            const MapPoint& p = path.at(k);
            const QVector3D scene(p.x() / 5 - 1.1f, p.z() / 5, p.y() / 5 - 1.1f);
            QVERIFY(foundNear(image, project(scene, image.size()), 2, dominatedBy(2)));
        }
    }

private:
    // Swapping is held back so that the read-back sees this frame.
    QImage frame()
    {
        view_->setAutoBufferSwap(false);
        view_->updateGL();
        QImage image = view_->grabFrameBuffer();
        view_->setAutoBufferSwap(true);
        return image;
    }

    std::unique_ptr<InspectedView> view_;
};

QTEST_MAIN(TestGLRendering)
#include "test_glrendering.moc"
