// The GL view as holder of the world: maps, filter list, mesh rebuild and the
// camera driven by setters and the mouse.
#include "drop/waterdrop.h"
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

// z * factor + offset: two of them tell the order in which they ran.
class LinearFilter : public Filter
{
public:
    LinearFilter(float factor, float offset) : factor_(factor), offset_(offset) {}

    std::unique_ptr<Map> apply(const Map& input) const override
    {
        auto output = input.copy();
        for (MapPoint& point : output->points()) {
            point.setZ(point.z() * factor_ + offset_);
        }
        return output;
    }

private:
    float factor_;
    float offset_;
};

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

void move(QWidget& widget, QPoint position, Qt::MouseButtons held)
{
    sendMouse(widget, QEvent::MouseMove, position, Qt::NoButton, held);
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

    void startsWithoutWorld();
    void worldFollowsFilterList();
    void filterListOperations_data();
    void filterListOperations();

    void rebuildFollowsFilteredMapAndDrops();

    void settersStoreAndInitializeGLResets();
    void drags_data();
    void drags();
    void redrawsAndLastPosition();
    void wheelZooms_data();
    void wheelZooms();

private:
    void showView();

    std::unique_ptr<CountingView> view_;
};

void TestGLWidget::showView()
{
    view_->resize(320, 240);
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    QVERIFY(view_->isValid());
}

void TestGLWidget::startsWithoutWorld()
{
    QCOMPARE(view_->sizeHint(), QSize(800, 600));
    QCOMPARE(view_->minimumSizeHint(), QSize(200, 200));
    // Without a base map, applying and rebuilding must not touch a null map.
    view_->applyFilters();
    view_->rebuildMesh();
    QVERIFY(!view_->hasBaseMap());
    QVERIFY(view_->baseMap() == nullptr);
    QVERIFY(view_->filteredMap() == nullptr);
    QCOMPARE(view_->filterCount(), 0);
    QVERIFY(view_->meshTriangles().isEmpty());
    QVERIFY(view_->meshGrid().isEmpty());
    QVERIFY(view_->meshDropLines().isEmpty());
}

void TestGLWidget::worldFollowsFilterList()
{
    auto base = rampMap(3, 2);
    Map* const basePointer = base.get();
    view_->setBaseMap(std::move(base));
    QVERIFY(view_->hasBaseMap());
    QCOMPARE(view_->baseMap(), basePointer);
    Map* const unfiltered = view_->filteredMap();
    QVERIFY(unfiltered != nullptr && unfiltered != basePointer);
    QCOMPARE(unfiltered->pointAt(2, 1)->z(), 12.0f);

    // New filters wait for the next apply.
    view_->addFilter(std::make_unique<LinearFilter>(1.0f, 1.0f));
    view_->addFilter(std::make_unique<LinearFilter>(2.0f, 0.0f));
    QCOMPARE(view_->filteredMap(), unfiltered);
    // Each apply starts again from the base map: (z + 1) * 2, not z * 2 + 1
    // (wrong order) nor (26 + 1) * 2 (filtering the filtered map).
    view_->applyFilters();
    QVERIFY(view_->filteredMap() != unfiltered);
    view_->applyFilters();
    QCOMPARE(view_->filteredMap()->pointAt(0, 0)->z(), 2.0f);
    QCOMPARE(view_->filteredMap()->pointAt(2, 1)->z(), 26.0f);
    QCOMPARE(view_->baseMap()->pointAt(2, 1)->z(), 12.0f);
    // A new world is filtered at once.
    view_->setBaseMap(rampMap(2, 2));
    QCOMPARE(view_->filteredMap()->pointAt(1, 1)->z(), 24.0f);
}

void TestGLWidget::filterListOperations_data()
{
    QTest::addColumn<QStringList>("initial");
    QTest::addColumn<QStringList>("operations");
    QTest::addColumn<QStringList>("expected");

    const QStringList abc{"A", "B", "C"};
    QTest::newRow("add keeps order") << abc << QStringList() << abc;
    QTest::newRow("up at 0 ignored") << abc << QStringList{"up 0"} << abc;
    QTest::newRow("up 2") << abc << QStringList{"up 2"} << QStringList{"A", "C", "B"};
    QTest::newRow("down last ignored") << abc << QStringList{"down 2"} << abc;
    QTest::newRow("down 0") << abc << QStringList{"down 0"} << QStringList{"B", "A", "C"};
    QTest::newRow("remove 0 shifts") << abc << QStringList{"remove 0"} << QStringList{"B", "C"};
    QTest::newRow("remove last") << abc << QStringList{"remove 2"} << QStringList{"A", "B"};
    QTest::newRow("single down ignored")
        << QStringList{"A"} << QStringList{"down 0"} << QStringList{"A"};
    QTest::newRow("remove then move")
        << abc << QStringList{"remove 0", "down 0"} << QStringList{"C", "B"};
}

void TestGLWidget::filterListOperations()
{
    QFETCH(QStringList, initial);
    QFETCH(QStringList, operations);
    QFETCH(QStringList, expected);

    for (const QString& name : initial) {
        view_->addFilter(std::make_unique<FilterMatrix>(name));
    }
    for (const QString& operation : operations) {
        const int position = operation.section(' ', 1).toInt();
        if (operation.startsWith("up")) {
            view_->moveFilterUp(position);
        } else if (operation.startsWith("down")) {
            view_->moveFilterDown(position);
        } else {
            view_->removeFilter(position);
        }
    }
    QCOMPARE(view_->filterCount(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(view_->filterName(i), expected.at(i));
        QCOMPARE(view_->filterAt(i)->name(), expected.at(i));
    }
}

void TestGLWidget::rebuildFollowsFilteredMapAndDrops()
{
    showView();
    view_->addFilter(std::make_unique<LinearFilter>(1.0f, 5.0f));
    view_->setBaseMap(rampMap(3, 2));
    view_->setCursor(Qt::WaitCursor);
    const int frames = view_->frames;
    view_->rebuildMesh();
    QCOMPARE(view_->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(view_->frames, frames + 1);

    // Width 3, length 2: map (j, i) at index 3 i + j, scene (j/5 - 0.3,
    // (j + 10 i + 5)/5, i/5 - 0.2); two cells of six vertices.
    const QVector<QVector3D>& grid = view_->meshGrid();
    QCOMPARE(grid.size(), 6);
    QVERIFY((grid.at(0) - QVector3D(-0.3f, 1.0f, -0.2f)).length() < 1e-6f);
    QVERIFY((grid.at(5) - QVector3D(0.1f, 3.4f, 0.0f)).length() < 1e-6f);
    QCOMPARE(view_->meshTriangles().size(), 12);
    QVERIFY(view_->meshDropLines().isEmpty());

    // A new world replaces every array; just started drops have one-point
    // paths and so empty line lists.
    view_->setBaseMap(rampMap(10, 10));
    view_->filteredMap()->startDrop(4.0f, 4.0f);
    view_->filteredMap()->startDrop(6.0f, 2.0f);
    view_->rebuildMesh();
    QCOMPARE(view_->meshGrid().size(), 100);
    QCOMPARE(view_->meshTriangles().size(), 6 * 9 * 9);
    QCOMPARE(view_->meshDropLines(), (QVector<QVector<QVector3D>>(2)));

    for (int step = 0; step < 5; ++step) {
        view_->filteredMap()->stepDrops(0.01f);
    }
    view_->rebuildMesh();
    const std::vector<WaterDrop*> drops = view_->filteredMap()->drops();
    QCOMPARE(view_->meshDropLines().size(), 2);
    for (int d = 0; d < 2; ++d) {
        const std::vector<MapPoint>& path = drops.at(std::size_t(d))->path();
        const QVector<QVector3D>& lines = view_->meshDropLines().at(d);
        QVERIFY(path.size() > 1);
        QCOMPARE(lines.size(), 2 * (int(path.size()) - 1));
        // On a 10 x 10 map the scene point is (x/5 - 1, z/5, y/5 - 1).
        const MapPoint& p = path.front();
        QVERIFY((lines.at(0) - QVector3D(p.x() / 5 - 1, p.z() / 5, p.y() / 5 - 1)).length() <
                1e-5f);
    }

    // Re-deriving the filtered map removes the drops.
    view_->applyFilters();
    view_->rebuildMesh();
    QVERIFY(view_->meshDropLines().isEmpty());
}

void TestGLWidget::settersStoreAndInitializeGLResets()
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
    // Setters store without a redraw.
    const int frames = view_->frames;
    view_->setCenterY(-8.0);
    QCOMPARE(view_->centerY(), -8.0);
    QCOMPARE(view_->frames, frames);
}

void TestGLWidget::drags_data()
{
    QTest::addColumn<int>("held");
    QTest::addColumn<QVector<QPoint>>("path");
    QTest::addColumn<Qt::CursorShape>("cursor");
    QTest::addColumn<QVector<double>>("expected");

    // 8 sixteenths of a degree per pixel (x turns with vertical motion); 1/32
    // scene unit of pan per pixel, x against the motion and y with it.
    const int right = Qt::RightButton;
    const int left = Qt::LeftButton;
    QTest::newRow("right 10 right 4 down")
        << right << QVector<QPoint>{{100, 100}, {110, 104}} << Qt::ArrowCursor
        << QVector<double>{-10, 32, 80, 0, 0, 0};
    QTest::newRow("left 32 right") << left << QVector<QPoint>{{120, 100}, {152, 100}}
                                   << Qt::ClosedHandCursor << QVector<double>{-10, 0, 0, 0, -1, 0};
    QTest::newRow("left 32 down") << left << QVector<QPoint>{{120, 100}, {120, 132}}
                                  << Qt::ClosedHandCursor << QVector<double>{-10, 0, 0, 0, 0, 1};
    QTest::newRow("both buttons") << (left | right) << QVector<QPoint>{{100, 100}, {132, 68}}
                                  << Qt::ClosedHandCursor
                                  << QVector<double>{-10, -256, 256, 0, -1, -1};
}

void TestGLWidget::drags()
{
    QFETCH(int, held);
    QFETCH(QVector<QPoint>, path);
    QFETCH(Qt::CursorShape, cursor);
    QFETCH(QVector<double>, expected);
    const Qt::MouseButtons buttons(held);
    const Qt::MouseButton pressed = (held & Qt::LeftButton) ? Qt::LeftButton : Qt::RightButton;
    showView();

    sendMouse(*view_, QEvent::MouseButtonPress, path.first(), pressed, pressed);
    for (int i = 1; i < path.size(); ++i) {
        move(*view_, path.at(i), buttons);
    }
    QCOMPARE(view_->cursor().shape(), cursor);
    sendMouse(*view_, QEvent::MouseButtonRelease, path.last(), pressed, Qt::NoButton);
    QCOMPARE(view_->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(camera(*view_), expected);
}

void TestGLWidget::redrawsAndLastPosition()
{
    showView();
    const QVector<double> start = camera(*view_);
    int frames = view_->frames;
    sendMouse(*view_, QEvent::MouseButtonPress, QPoint(100, 100), Qt::MiddleButton,
              Qt::MiddleButton);
    QCOMPARE(view_->frames, ++frames);

    // A move without motion only redraws; the middle button only moves the
    // last position, from which the next motion counts.
    move(*view_, QPoint(100, 100), Qt::LeftButton | Qt::RightButton);
    QCOMPARE(view_->frames, ++frames);
    move(*view_, QPoint(140, 120), Qt::MiddleButton);
    QCOMPARE(view_->frames, ++frames);
    QCOMPARE(camera(*view_), start);
    move(*view_, QPoint(142, 120), Qt::RightButton);
    QCOMPARE(view_->frames, ++frames);
    QCOMPARE(view_->yRotation(), 16.0);
    QCOMPARE(view_->xRotation(), 0.0);

    sendMouse(*view_, QEvent::MouseButtonRelease, QPoint(142, 120), Qt::MiddleButton, Qt::NoButton);
    QCOMPARE(view_->frames, frames); // release does not redraw
    turnWheel(*view_, 120);
    QCOMPARE(view_->frames, frames + 1);
}

void TestGLWidget::wheelZooms_data()
{
    QTest::addColumn<QVector<int>>("deltas");
    QTest::addColumn<float>("distance");

    // Each turn scales by 1 + delta / 1200 and is stored as a float.
    QTest::newRow("two notches forward") << QVector<int>{120, 120} << -12.1f;
    QTest::newRow("one notch back") << QVector<int>{-120} << -9.0f;
    // -10 * 1201 / 1200 rounded once; working in float lands one step further.
    QTest::newRow("smallest step") << QVector<int>{1} << -10.008333f;
}

void TestGLWidget::wheelZooms()
{
    QFETCH(QVector<int>, deltas);
    QFETCH(float, distance);
    showView();
    for (int delta : deltas) {
        turnWheel(*view_, delta);
    }
    QCOMPARE(camera(*view_), (QVector<double>{double(distance), 0, 0, 0, 0, 0}));
}

QTEST_MAIN(TestGLWidget)
#include "test_glwidget.moc"
