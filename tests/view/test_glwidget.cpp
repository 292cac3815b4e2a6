// The GL view as holder of the world: maps, filter list, mesh rebuild, camera
// setters and the mouse handlers.
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

// Test filters whose results tell the order in which they ran.
class AddFilter : public Filter
{
public:
    explicit AddFilter(float amount) : Filter(QStringLiteral("add")), amount_(amount) {}

    std::unique_ptr<Map> apply(const Map& input) const override
    {
        auto output = input.copy();
        for (MapPoint& point : output->points()) {
            point.setZ(point.z() + amount_);
        }
        return output;
    }

private:
    float amount_;
};

class ScaleFilter : public Filter
{
public:
    explicit ScaleFilter(float factor) : Filter(QStringLiteral("scale")), factor_(factor) {}

    std::unique_ptr<Map> apply(const Map& input) const override
    {
        auto output = input.copy();
        for (MapPoint& point : output->points()) {
            point.setZ(point.z() * factor_);
        }
        return output;
    }

private:
    float factor_;
};

// A map whose height at (x, y) is x + 10 y.
std::unique_ptr<Map> rampMap(std::uint32_t width, std::uint32_t length)
{
    auto map = std::make_unique<Map>(width, length);
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < length; ++y) {
            map->pointAt(x, y)->setZ(float(x) + 10.0f * float(y));
        }
    }
    return map;
}

QStringList filterNames(const GLWidget& view)
{
    QStringList names;
    for (int i = 0; i < view.filterCount(); ++i) {
        names << view.filterName(i);
    }
    return names;
}

void sendMouse(QWidget& widget, QEvent::Type type, QPoint position, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, position, widget.mapToGlobal(position), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

void press(QWidget& widget, QPoint position, Qt::MouseButton button)
{
    sendMouse(widget, QEvent::MouseButtonPress, position, button, button);
}

void move(QWidget& widget, QPoint position, Qt::MouseButtons held)
{
    sendMouse(widget, QEvent::MouseMove, position, Qt::NoButton, held);
}

void release(QWidget& widget, QPoint position, Qt::MouseButton button)
{
    sendMouse(widget, QEvent::MouseButtonRelease, position, button, Qt::NoButton);
}

void turnWheel(QWidget& widget, int delta)
{
    const QPoint position(50, 50);
    QWheelEvent event(QPointF(position), QPointF(widget.mapToGlobal(position)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&widget, &event);
}

} // namespace

class TestGLWidget : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sizeHintsDoNotDependOnState();
    void startsWithoutWorld();
    void withoutBaseMapApplyAndRebuildDoNothing();

    void setBaseMapDerivesDistinctFilteredCopy();
    void applyFiltersMakesFreshMapEachRun();
    void filtersRunInListOrderOnBaseMap();
    void addingFilterLeavesFilteredMapUntilApply();

    void filterListOperations_data();
    void filterListOperations();
    void filterAtReturnsTheAddedObjects();

    void rebuildBuildsArraysFromFilteredMap();
    void rebuildGivesOneLineListPerDrop();
    void rebuildRestoresArrowAndRedraws();

    void cameraStartsAtItsStartingValues();
    void initializeGLResetsCamera();
    void cameraSettersStoreOwnValueOnly();

    void rightDragTurns_data();
    void rightDragTurns();
    void leftDragPansWithClosedHand_data();
    void leftDragPansWithClosedHand();
    void bothButtonsTurnAndPan();
    void middleDragOnlyMovesLastPosition();
    void moveWithoutMotionChangesNothingButRedraws();
    void pressRedrawsReleaseDoesNot();
    void wheelZooms_data();
    void wheelZooms();

private:
    void showView();

    std::unique_ptr<CountingView> view_;
};

void TestGLWidget::init()
{
    view_ = std::make_unique<CountingView>();
}

void TestGLWidget::cleanup()
{
    view_.reset();
}

void TestGLWidget::showView()
{
    view_->resize(320, 240);
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    QVERIFY(view_->isValid());
}

void TestGLWidget::sizeHintsDoNotDependOnState()
{
    QCOMPARE(view_->sizeHint(), QSize(800, 600));
    QCOMPARE(view_->minimumSizeHint(), QSize(200, 200));
    view_->setBaseMap(rampMap(4, 3));
    view_->addFilter(std::make_unique<FilterMatrix>());
    QCOMPARE(view_->sizeHint(), QSize(800, 600));
    QCOMPARE(view_->minimumSizeHint(), QSize(200, 200));
}

void TestGLWidget::startsWithoutWorld()
{
    QVERIFY(!view_->hasBaseMap());
    QVERIFY(view_->baseMap() == nullptr);
    QVERIFY(view_->filteredMap() == nullptr);
    QCOMPARE(view_->filterCount(), 0);
    QVERIFY(view_->meshTriangles().isEmpty());
    QVERIFY(view_->meshGrid().isEmpty());
    QVERIFY(view_->meshDropLines().isEmpty());
}

void TestGLWidget::withoutBaseMapApplyAndRebuildDoNothing()
{
    showView();
    const int frames = view_->frames;
    view_->applyFilters();
    QVERIFY(view_->filteredMap() == nullptr);
    view_->rebuildMesh();
    QCOMPARE(view_->frames, frames);
    QVERIFY(!view_->testAttribute(Qt::WA_SetCursor));
    QVERIFY(view_->meshGrid().isEmpty());
}

void TestGLWidget::setBaseMapDerivesDistinctFilteredCopy()
{
    auto base = rampMap(5, 4);
    Map* const basePointer = base.get();
    view_->setBaseMap(std::move(base));

    QVERIFY(view_->hasBaseMap());
    QCOMPARE(view_->baseMap(), basePointer);
    Map* filtered = view_->filteredMap();
    QVERIFY(filtered != nullptr);
    QVERIFY(filtered != basePointer);
    QCOMPARE(filtered->width(), 5u);
    QCOMPARE(filtered->length(), 4u);
    for (std::uint32_t x = 0; x < 5; ++x) {
        for (std::uint32_t y = 0; y < 4; ++y) {
            QCOMPARE(filtered->pointAt(x, y)->z(), float(x) + 10.0f * float(y));
        }
    }
}

void TestGLWidget::applyFiltersMakesFreshMapEachRun()
{
    view_->setBaseMap(rampMap(3, 3));
    Map* first = view_->filteredMap();
    view_->applyFilters();
    Map* second = view_->filteredMap();
    QVERIFY(second != first);
    QVERIFY(second != view_->baseMap());
    QCOMPARE(second->pointAt(2, 2)->z(), 22.0f);
}

void TestGLWidget::filtersRunInListOrderOnBaseMap()
{
    // Added before the world exists: a new world applies them.
    view_->addFilter(std::make_unique<AddFilter>(1.0f));
    view_->addFilter(std::make_unique<ScaleFilter>(2.0f));
    view_->setBaseMap(rampMap(3, 2));

    // (z + 1) * 2, not z * 2 + 1 (wrong order) nor z * 2 (last filter only).
    const Map* filtered = view_->filteredMap();
    QCOMPARE(filtered->pointAt(0, 0)->z(), 2.0f);
    QCOMPARE(filtered->pointAt(2, 1)->z(), 26.0f);
    // The base map itself is never filtered, and a second run starts again from it.
    QCOMPARE(view_->baseMap()->pointAt(2, 1)->z(), 12.0f);
    view_->applyFilters();
    QCOMPARE(view_->filteredMap()->pointAt(2, 1)->z(), 26.0f);
}

void TestGLWidget::addingFilterLeavesFilteredMapUntilApply()
{
    view_->setBaseMap(rampMap(2, 2));
    Map* before = view_->filteredMap();
    view_->addFilter(std::make_unique<AddFilter>(5.0f));
    QCOMPARE(view_->filteredMap(), before);
    QCOMPARE(before->pointAt(1, 1)->z(), 11.0f);
    view_->applyFilters();
    QCOMPARE(view_->filteredMap()->pointAt(1, 1)->z(), 16.0f);
}

void TestGLWidget::filterListOperations_data()
{
    QTest::addColumn<QStringList>("initial");
    QTest::addColumn<QStringList>("operations");
    QTest::addColumn<QStringList>("expected");

    const QStringList abc{"A", "B", "C"};
    QTest::newRow("add keeps order") << abc << QStringList() << abc;
    QTest::newRow("up at 0 ignored") << abc << QStringList{"up 0"} << abc;
    QTest::newRow("up 1") << abc << QStringList{"up 1"} << QStringList{"B", "A", "C"};
    QTest::newRow("up 2") << abc << QStringList{"up 2"} << QStringList{"A", "C", "B"};
    QTest::newRow("down last ignored") << abc << QStringList{"down 2"} << abc;
    QTest::newRow("down 0") << abc << QStringList{"down 0"} << QStringList{"B", "A", "C"};
    QTest::newRow("down 1") << abc << QStringList{"down 1"} << QStringList{"A", "C", "B"};
    QTest::newRow("down then up") << abc << QStringList{"down 0", "up 1"} << abc;
    QTest::newRow("up twice to top")
        << abc << QStringList{"up 2", "up 1"} << QStringList{"C", "A", "B"};
    QTest::newRow("remove 0 shifts") << abc << QStringList{"remove 0"} << QStringList{"B", "C"};
    QTest::newRow("remove 1") << abc << QStringList{"remove 1"} << QStringList{"A", "C"};
    QTest::newRow("remove last") << abc << QStringList{"remove 2"} << QStringList{"A", "B"};
    QTest::newRow("remove all") << abc << QStringList{"remove 0", "remove 0", "remove 0"}
                                << QStringList();
    QTest::newRow("single up ignored")
        << QStringList{"A"} << QStringList{"up 0"} << QStringList{"A"};
    QTest::newRow("single down ignored")
        << QStringList{"A"} << QStringList{"down 0"} << QStringList{"A"};
    QTest::newRow("same names allowed")
        << QStringList{"A", "A"} << QStringList{"down 0"} << QStringList{"A", "A"};
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
        const QStringList parts = operation.split(' ');
        const int position = parts.at(1).toInt();
        if (parts.at(0) == "up") {
            view_->moveFilterUp(position);
        } else if (parts.at(0) == "down") {
            view_->moveFilterDown(position);
        } else {
            view_->removeFilter(position);
        }
    }
    QCOMPARE(view_->filterCount(), expected.size());
    QCOMPARE(filterNames(*view_), expected);
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(view_->filterAt(i)->name(), expected.at(i));
    }
}

void TestGLWidget::filterAtReturnsTheAddedObjects()
{
    auto first = std::make_unique<FilterMatrix>();
    auto second = std::make_unique<FilterMatrix>(QStringLiteral("second"));
    Filter* const firstPointer = first.get();
    Filter* const secondPointer = second.get();
    view_->addFilter(std::move(first));
    view_->addFilter(std::move(second));

    QCOMPARE(view_->filterAt(0), firstPointer);
    QCOMPARE(view_->filterAt(1), secondPointer);
    QCOMPARE(view_->filterName(0), QStringLiteral("Matrix"));
    view_->moveFilterDown(0);
    QCOMPARE(view_->filterAt(0), secondPointer);
    QCOMPARE(view_->filterAt(1), firstPointer);

    // The name is a copy: renaming the filter later does not change it.
    const QString name = view_->filterName(0);
    view_->filterAt(0)->setName(QStringLiteral("renamed"));
    QCOMPARE(name, QStringLiteral("second"));
    QCOMPARE(view_->filterName(0), QStringLiteral("renamed"));
}

void TestGLWidget::rebuildBuildsArraysFromFilteredMap()
{
    showView();
    view_->addFilter(std::make_unique<AddFilter>(5.0f));
    view_->setBaseMap(rampMap(3, 2));
    view_->rebuildMesh();

    // Width 3, length 2: six grid vertices, two cells of two triangles.
    const QVector<QVector3D>& grid = view_->meshGrid();
    QCOMPARE(grid.size(), 6);
    // Map (j, i) sits at index i * 3 + j; scene x = j/5 - 0.3, z = i/5 - 0.2 and
    // the height comes from the filtered map: (j + 10 i + 5) / 5.
    // The last bit of the float arithmetic is the mesh builder's concern.
    QVERIFY((grid.at(0) - QVector3D(-0.3f, 1.0f, -0.2f)).length() < 1e-6f);
    QVERIFY((grid.at(5) - QVector3D(0.1f, 3.4f, 0.0f)).length() < 1e-6f);

    const int expectedIndices[] = {0, 3, 1, 1, 3, 4, 1, 4, 2, 2, 4, 5};
    const QVector<QVector3D>& triangles = view_->meshTriangles();
    QCOMPARE(triangles.size(), 12);
    for (int k = 0; k < 12; ++k) {
        QCOMPARE(triangles.at(k), grid.at(expectedIndices[k]));
    }
    QVERIFY(view_->meshDropLines().isEmpty());

    // A later rebuild replaces everything with the new world's arrays.
    view_->setBaseMap(rampMap(1, 1));
    view_->rebuildMesh();
    QCOMPARE(view_->meshGrid().size(), 1);
    QVERIFY(view_->meshTriangles().isEmpty());
}

void TestGLWidget::rebuildGivesOneLineListPerDrop()
{
    showView();
    view_->setBaseMap(rampMap(10, 10));
    view_->filteredMap()->startDrop(4.0f, 4.0f);
    view_->filteredMap()->startDrop(6.0f, 2.0f);
    view_->rebuildMesh();

    // A just started drop has a one-point path and so no segment yet.
    QCOMPARE(view_->meshDropLines().size(), 2);
    QVERIFY(view_->meshDropLines().at(0).isEmpty());
    QVERIFY(view_->meshDropLines().at(1).isEmpty());

    // n path points give the n - 1 segments (k, k + 1) as pairs of vertices.
    for (int step = 0; step < 5; ++step) {
        view_->filteredMap()->stepDrops(0.01f);
    }
    view_->rebuildMesh();
    const std::vector<WaterDrop*> drops = view_->filteredMap()->drops();
    QCOMPARE(view_->meshDropLines().size(), 2);
    for (int d = 0; d < 2; ++d) {
        const QVector<QVector3D>& lines = view_->meshDropLines().at(d);
        const int points = int(drops.at(std::size_t(d))->path().size());
        QVERIFY(points > 1);
        QCOMPARE(lines.size(), 2 * (points - 1));
        // On a 10 x 10 map the scene point is (x/5 - 1, z/5, y/5 - 1).
        const MapPoint& first = drops.at(std::size_t(d))->path().front();
        const QVector3D firstScene(first.x() / 5 - 1, first.z() / 5, first.y() / 5 - 1);
        QVERIFY((lines.at(0) - firstScene).length() < 1e-5f);
        for (int k = 1; k + 1 < lines.size(); k += 2) {
            QCOMPARE(lines.at(k), lines.at(k + 1));
        }
    }

    // Re-deriving the filtered map drops the drops.
    view_->applyFilters();
    view_->rebuildMesh();
    QVERIFY(view_->meshDropLines().isEmpty());
}

void TestGLWidget::rebuildRestoresArrowAndRedraws()
{
    showView();
    view_->setBaseMap(rampMap(2, 2));
    view_->setCursor(Qt::WaitCursor);
    const int frames = view_->frames;
    view_->rebuildMesh();
    QCOMPARE(view_->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(view_->frames, frames + 1);
}

void TestGLWidget::cameraStartsAtItsStartingValues()
{
    QCOMPARE(view_->eyeDistance(), -10.0f);
    QCOMPARE(view_->xRotation(), 0.0);
    QCOMPARE(view_->yRotation(), 0.0);
    QCOMPARE(view_->zRotation(), 0.0);
    QCOMPARE(view_->centerX(), 0.0);
    QCOMPARE(view_->centerY(), 0.0);
}

void TestGLWidget::initializeGLResetsCamera()
{
    view_->setXRotation(10.0);
    view_->setYRotation(20.0);
    view_->setZRotation(30.0);
    view_->setCenterX(1.5);
    view_->setCenterY(-2.5);
    turnWheel(*view_, 120);
    QVERIFY(view_->eyeDistance() != -10.0f);

    showView();
    QCOMPARE(view_->eyeDistance(), -10.0f);
    QCOMPARE(view_->xRotation(), 0.0);
    QCOMPARE(view_->yRotation(), 0.0);
    QCOMPARE(view_->zRotation(), 0.0);
    QCOMPARE(view_->centerX(), 0.0);
    QCOMPARE(view_->centerY(), 0.0);
}

void TestGLWidget::cameraSettersStoreOwnValueOnly()
{
    showView();
    turnWheel(*view_, -120);
    const float zoomed = view_->eyeDistance();
    const int frames = view_->frames;

    view_->setXRotation(1.25);
    view_->setYRotation(-2.5);
    view_->setZRotation(4000.0);
    view_->setCenterX(0.75);
    view_->setCenterY(-8.0);
    QCOMPARE(view_->xRotation(), 1.25);
    QCOMPARE(view_->yRotation(), -2.5);
    QCOMPARE(view_->zRotation(), 4000.0);
    QCOMPARE(view_->centerX(), 0.75);
    QCOMPARE(view_->centerY(), -8.0);
    QCOMPARE(view_->eyeDistance(), zoomed);
    QCOMPARE(view_->frames, frames);
}

void TestGLWidget::rightDragTurns_data()
{
    QTest::addColumn<QVector<QPoint>>("path");
    QTest::addColumn<double>("xRot");
    QTest::addColumn<double>("yRot");

    // Eight sixteenths of a degree per pixel: x turns with vertical motion.
    QTest::newRow("10 right, 4 down") << QVector<QPoint>{{100, 100}, {110, 104}} << 32.0 << 80.0;
    QTest::newRow("same in two moves")
        << QVector<QPoint>{{100, 100}, {103, 101}, {110, 104}} << 32.0 << 80.0;
    QTest::newRow("left and up") << QVector<QPoint>{{100, 100}, {95, 97}} << -24.0 << -40.0;
    QTest::newRow("there and back")
        << QVector<QPoint>{{100, 100}, {150, 60}, {100, 100}} << 0.0 << 0.0;
}

void TestGLWidget::rightDragTurns()
{
    QFETCH(QVector<QPoint>, path);
    QFETCH(double, xRot);
    QFETCH(double, yRot);
    showView();

    press(*view_, path.first(), Qt::RightButton);
    for (int i = 1; i < path.size(); ++i) {
        move(*view_, path.at(i), Qt::RightButton);
    }
    release(*view_, path.last(), Qt::RightButton);

    QCOMPARE(view_->xRotation(), xRot);
    QCOMPARE(view_->yRotation(), yRot);
    QCOMPARE(view_->zRotation(), 0.0);
    QCOMPARE(view_->centerX(), 0.0);
    QCOMPARE(view_->centerY(), 0.0);
}

void TestGLWidget::leftDragPansWithClosedHand_data()
{
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<double>("centerX");
    QTest::addColumn<double>("centerY");

    // 1/32 scene unit per pixel; x against the motion, y with it.
    QTest::newRow("32 right") << QPoint(32, 0) << -1.0 << 0.0;
    QTest::newRow("32 down") << QPoint(0, 32) << 0.0 << 1.0;
    QTest::newRow("8 left, 16 up") << QPoint(-8, -16) << 0.25 << -0.5;
}

void TestGLWidget::leftDragPansWithClosedHand()
{
    QFETCH(QPoint, offset);
    QFETCH(double, centerX);
    QFETCH(double, centerY);
    showView();
    const QPoint start(120, 100);

    press(*view_, start, Qt::LeftButton);
    move(*view_, start + offset, Qt::LeftButton);
    QCOMPARE(view_->cursor().shape(), Qt::ClosedHandCursor);
    release(*view_, start + offset, Qt::LeftButton);
    QCOMPARE(view_->cursor().shape(), Qt::ArrowCursor);

    QCOMPARE(view_->centerX(), centerX);
    QCOMPARE(view_->centerY(), centerY);
    QCOMPARE(view_->xRotation(), 0.0);
    QCOMPARE(view_->yRotation(), 0.0);
}

void TestGLWidget::bothButtonsTurnAndPan()
{
    showView();
    press(*view_, QPoint(100, 100), Qt::LeftButton);
    move(*view_, QPoint(132, 68), Qt::LeftButton | Qt::RightButton);
    QCOMPARE(view_->yRotation(), 256.0);
    QCOMPARE(view_->xRotation(), -256.0);
    QCOMPARE(view_->centerX(), -1.0);
    QCOMPARE(view_->centerY(), -1.0);
}

void TestGLWidget::middleDragOnlyMovesLastPosition()
{
    showView();
    press(*view_, QPoint(100, 100), Qt::MiddleButton);
    move(*view_, QPoint(140, 120), Qt::MiddleButton);
    QCOMPARE(view_->xRotation(), 0.0);
    QCOMPARE(view_->yRotation(), 0.0);
    QCOMPARE(view_->centerX(), 0.0);
    QCOMPARE(view_->centerY(), 0.0);
    QVERIFY(!view_->testAttribute(Qt::WA_SetCursor));

    // The next motion is measured from where the middle drag ended.
    move(*view_, QPoint(142, 120), Qt::RightButton);
    QCOMPARE(view_->yRotation(), 16.0);
    QCOMPARE(view_->xRotation(), 0.0);
}

void TestGLWidget::moveWithoutMotionChangesNothingButRedraws()
{
    showView();
    press(*view_, QPoint(60, 70), Qt::RightButton);
    const int frames = view_->frames;
    move(*view_, QPoint(60, 70), Qt::LeftButton | Qt::RightButton);
    QCOMPARE(view_->frames, frames + 1);
    QCOMPARE(view_->xRotation(), 0.0);
    QCOMPARE(view_->yRotation(), 0.0);
    QCOMPARE(view_->centerX(), 0.0);
    QCOMPARE(view_->centerY(), 0.0);
    QCOMPARE(view_->eyeDistance(), -10.0f);
}

void TestGLWidget::pressRedrawsReleaseDoesNot()
{
    showView();
    int frames = view_->frames;
    press(*view_, QPoint(10, 10), Qt::LeftButton);
    QCOMPARE(view_->frames, ++frames);
    release(*view_, QPoint(10, 10), Qt::LeftButton);
    QCOMPARE(view_->frames, frames);
    turnWheel(*view_, 120);
    QCOMPARE(view_->frames, ++frames);
}

void TestGLWidget::wheelZooms_data()
{
    QTest::addColumn<QVector<int>>("deltas");
    QTest::addColumn<float>("distance");

    // 120 per notch; each notch scales by 1 + delta / 1200 and rounds to float.
    QTest::newRow("one notch forward") << QVector<int>{120} << float(1.1 * -10.0);
    QTest::newRow("two notches forward")
        << QVector<int>{120, 120} << float(1.1 * double(float(1.1 * -10.0)));
    QTest::newRow("one notch back") << QVector<int>{-120} << -9.0f;
    QTest::newRow("half notch") << QVector<int>{60} << -10.5f;
    QTest::newRow("zero delta") << QVector<int>{0} << -10.0f;
}

void TestGLWidget::wheelZooms()
{
    QFETCH(QVector<int>, deltas);
    QFETCH(float, distance);
    showView();
    for (int delta : deltas) {
        turnWheel(*view_, delta);
    }
    QCOMPARE(view_->eyeDistance(), distance);
    QCOMPARE(view_->xRotation(), 0.0);
    QCOMPARE(view_->centerX(), 0.0);
}

QTEST_MAIN(TestGLWidget)
#include "test_glwidget.moc"
