// The GL view as holder of the world: maps, filter list, mesh rebuild and the
// camera driven by setters and the mouse.
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

    void startsWithoutWorld()
    {
        QCOMPARE(view_->sizeHint(), QSize(800, 600));
        QCOMPARE(view_->minimumSizeHint(), QSize(200, 200));
        // Without a base map, applying and rebuilding must not touch a null map.
        view_->applyFilters();
        view_->rebuildMesh();
        QVERIFY(!view_->hasBaseMap() && view_->filteredMap() == nullptr);
        QVERIFY(view_->meshTriangles().isEmpty());
    }

    void worldFollowsFilterList()
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

    void filterListOperations_data()
    {
        QTest::addColumn<QStringList>("initial");
        QTest::addColumn<QStringList>("operations");
        QTest::addColumn<QStringList>("expected");

        const QStringList abc{"A", "B", "C"};
        QTest::newRow("edges ignored") << abc << QStringList{"up 0", "down 2"} << abc;
        QTest::newRow("up 2") << abc << QStringList{"up 2"} << QStringList{"A", "C", "B"};
        QTest::newRow("down 0") << abc << QStringList{"down 0"} << QStringList{"B", "A", "C"};
        QTest::newRow("remove then move")
            << abc << QStringList{"remove 0", "down 0"} << QStringList{"C", "B"};
    }

    void filterListOperations()
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
        }
    }

    void rebuildFollowsFilteredMapAndDrops()
    {
        showView();
        view_->addFilter(std::make_unique<LinearFilter>(1.0f, 5.0f));
        view_->setBaseMap(rampMap(3, 2));
        view_->setCursor(Qt::WaitCursor);
        const int frames = view_->frames;
        view_->rebuildMesh();
        QCOMPARE(view_->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(view_->frames, frames + 1);

        QCOMPARE(view_->meshGrid().size(), 6);
        QCOMPARE(view_->meshTriangles().size(), 12);
        // The filter ran: map (2, 1) at height 12 + 5 is scene height 3.4.
        QVERIFY(qAbs(view_->meshGrid().at(5).y() - 3.4f) < 1e-6f);

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
        // Setters store without a redraw.
        const int frames = view_->frames;
        view_->setCenterY(-8.0);
        QCOMPARE(view_->centerY(), -8.0);
        QCOMPARE(view_->frames, frames);
    }

    void drags_data()
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
        QTest::newRow("left 32 right 64 down")
            << left << QVector<QPoint>{{120, 100}, {152, 164}} << Qt::ClosedHandCursor
            << QVector<double>{-10, 0, 0, 0, -1, 2};
        QTest::newRow("both buttons")
            << (left | right) << QVector<QPoint>{{100, 100}, {132, 68}} << Qt::ClosedHandCursor
            << QVector<double>{-10, -256, 256, 0, -1, -1};
    }

    void drags()
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

    // The middle button only moves the last position, from which the next
    // motion counts; every move and the wheel redraw, a release does not.
    void redrawsAndLastPosition()
    {
        showView();
        int frames = view_->frames;
        sendMouse(*view_, QEvent::MouseButtonPress, QPoint(100, 100), Qt::MiddleButton,
                  Qt::MiddleButton);
        move(*view_, QPoint(140, 120), Qt::MiddleButton);
        QCOMPARE(camera(*view_), (QVector<double>{-10, 0, 0, 0, 0, 0}));
        move(*view_, QPoint(142, 120), Qt::RightButton);
        QCOMPARE(view_->yRotation(), 16.0);
        QCOMPARE(view_->frames, frames += 3);
        sendMouse(*view_, QEvent::MouseButtonRelease, QPoint(142, 120), Qt::MiddleButton,
                  Qt::NoButton);
        QCOMPARE(view_->frames, frames);
        // Each turn scales by 1 + delta / 1200.
        turnWheel(*view_, -120);
        QCOMPARE(view_->frames, frames + 1);
        QCOMPARE(view_->eyeDistance(), -9.0f);
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
