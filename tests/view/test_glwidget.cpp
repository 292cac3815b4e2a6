#include "filters/filtermatrix.h"
#include "terrain/map.h"
#include "view/glwidget.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <QtTest>
#include <memory>

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

// Shifts the map by one along x: height x + 1 (clamped) + 10 y on the ramp.
std::unique_ptr<Filter> shiftAlongX()
{
    auto filter = std::make_unique<FilterMatrix>();
    FilterMatrix::Coefficients coefficients{};
    coefficients[13] = 1;
    filter->setMatrix(coefficients);
    return filter;
}

// Height x + 10 y at (x, y).
std::unique_ptr<Map> rampMap(std::uint32_t width, std::uint32_t length)
{
    auto map = std::make_unique<Map>(width, length);
    for (MapPoint& point : map->points()) {
        point.setZ(point.x() + 10.0f * point.y());
    }
    return map;
}

// distance, xRot, yRot, zRot, centerX, centerY
QVector<double> camera(const GLWidget& view)
{
    return {double(view.eyeDistance()), view.xRotation(), view.yRotation(),
            view.zRotation(),           view.centerX(),   view.centerY()};
}

void sendMouse(QWidget& widget, QEvent::Type type, QPoint position, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, position, widget.mapToGlobal(position), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

void turnWheel(QWidget& widget, int delta)
{
    QWheelEvent event(QPointF(50, 50), QPointF(widget.mapToGlobal(QPoint(50, 50))), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&widget, &event);
}

} // namespace

class TestGLWidget : public QObject
{
    Q_OBJECT

private slots:
    void init() { view_ = std::make_unique<CountingView>(); }
    void cleanup() { view_.reset(); }

    void startsWithoutWorld()
    {
        QCOMPARE(view_->sizeHint(), QSize(800, 600));
        QCOMPARE(view_->minimumSizeHint(), QSize(200, 200));
        // Without a base map, applying and rebuilding must not touch a null map.
        view_->applyFilters();
        view_->rebuildMesh();
        QVERIFY(!view_->hasBaseMap() && view_->meshTriangles().isEmpty());
    }

    void worldFollowsFilterList()
    {
        view_->setBaseMap(rampMap(3, 2));
        Map* const unfiltered = view_->filteredMap();
        QVERIFY(unfiltered != nullptr && unfiltered != view_->baseMap());
        QCOMPARE(unfiltered->pointAt(1, 1)->z(), 11.0f);
        // A new filter waits for the next apply; each apply starts again from
        // the base map, so applying twice shifts by one, not two.
        view_->addFilter(shiftAlongX());
        QCOMPARE(view_->filteredMap(), unfiltered);
        view_->applyFilters();
        view_->applyFilters();
        QCOMPARE(view_->filteredMap()->pointAt(0, 1)->z(), 11.0f);
        QCOMPARE(view_->baseMap()->pointAt(0, 1)->z(), 10.0f);
        // A new world is filtered at once.
        view_->setBaseMap(rampMap(2, 2));
        QCOMPARE(view_->filteredMap()->pointAt(0, 0)->z(), 1.0f);
    }

    // Moves past either end are ignored; positions follow a removal.
    void filterListOperations()
    {
        for (const char* name : {"A", "B", "C"}) {
            view_->addFilter(std::make_unique<FilterMatrix>(name));
        }
        const auto names = [this] {
            QStringList list;
            for (int i = 0; i < view_->filterCount(); ++i) {
                list << view_->filterName(i);
            }
            return list;
        };
        view_->moveFilterUp(0);
        view_->moveFilterDown(2);
        view_->moveFilterUp(2);
        QCOMPARE(names(), (QStringList{"A", "C", "B"}));
        view_->moveFilterDown(0);
        QCOMPARE(names(), (QStringList{"C", "A", "B"}));
        view_->removeFilter(0);
        view_->moveFilterDown(0);
        QCOMPARE(names(), (QStringList{"B", "A"}));
    }

    void rebuildFollowsFilteredMapAndDrops()
    {
        showView();
        view_->addFilter(shiftAlongX());
        view_->setBaseMap(rampMap(3, 2));
        const int frames = view_->frames;
        view_->rebuildMesh();
        QCOMPARE(view_->frames, frames + 1);

        // Drawn from the filtered map: (0, 0) at height 1, scene height 0.2.
        QCOMPARE(view_->meshGrid().at(0).y(), 0.2f);

        // A new world replaces every array.
        view_->setBaseMap(rampMap(10, 10));
        view_->filteredMap()->startDrop(4.0f, 4.0f);
        view_->filteredMap()->stepDrops(0.01f);
        view_->rebuildMesh();
        QCOMPARE(view_->meshGrid().size(), 100);
        QCOMPARE(view_->meshDropLines().size(), 1);
        QCOMPARE(view_->meshDropLines().at(0).size(), 2);

        // Re-deriving the filtered map removes the drops.
        view_->applyFilters();
        view_->rebuildMesh();
        QVERIFY(view_->meshDropLines().isEmpty());
    }

    void settersStoreAndInitializeGLResets()
    {
        view_->setXRotation(10.0);
        view_->setYRotation(20.0);
        view_->setZRotation(4000.0);
        view_->setCenterX(1.5);
        view_->setCenterY(-2.5);
        turnWheel(*view_, 120);
        QCOMPARE(camera(*view_),
                 (QVector<double>{double(float(1.1 * -10.0)), 10, 20, 4000, 1.5, -2.5}));

        // The first GL set-up resets the camera, zoom included.
        showView();
        QCOMPARE(camera(*view_), (QVector<double>{-10, 0, 0, 0, 0, 0}));
    }

    // 8 sixteenths of a degree per pixel (x turns with vertical motion);
    // 1/32 scene unit of pan per pixel, x against the motion, y with it. The
    // middle button only moves the last position. Presses, moves and the
    // wheel redraw; releases do not.
    void mouseDrivesCamera()
    {
        showView();
        const int frames = view_->frames;
        const auto drag = [this](Qt::MouseButton button, QPoint to, Qt::MouseButtons held) {
            sendMouse(*view_, QEvent::MouseButtonPress, QPoint(100, 100), button, button);
            sendMouse(*view_, QEvent::MouseMove, to, Qt::NoButton, held);
        };
        const auto release = [this](Qt::MouseButton button) {
            sendMouse(*view_, QEvent::MouseButtonRelease, QPoint(), button, Qt::NoButton);
            QCOMPARE(view_->cursor().shape(), Qt::ArrowCursor);
        };
        drag(Qt::RightButton, QPoint(110, 104), Qt::RightButton);
        QCOMPARE(camera(*view_), (QVector<double>{-10, 32, 80, 0, 0, 0}));
        release(Qt::RightButton);
        drag(Qt::LeftButton, QPoint(132, 164), Qt::LeftButton);
        QCOMPARE(view_->cursor().shape(), Qt::ClosedHandCursor);
        release(Qt::LeftButton);
        drag(Qt::MiddleButton, QPoint(140, 120), Qt::MiddleButton);
        sendMouse(*view_, QEvent::MouseMove, QPoint(142, 120), Qt::NoButton, Qt::RightButton);
        QCOMPARE(camera(*view_), (QVector<double>{-10, 32, 96, 0, -1, 2}));
        QCOMPARE(view_->frames, frames + 7);
        // Each wheel turn scales by 1 + delta / 1200.
        turnWheel(*view_, -120);
        QCOMPARE(view_->eyeDistance(), -9.0f);
        QCOMPARE(view_->frames, frames + 8);
    }

private:
    void showView()
    {
        view_->resize(320, 240);
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
        QVERIFY(view_->isValid());
    }

    std::unique_ptr<CountingView> view_;
};

QTEST_MAIN(TestGLWidget)
#include "test_glwidget.moc"
