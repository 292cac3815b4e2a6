// The Water drop tab driven as a user drives it: coordinates typed, Start,
// Next, Result and Dynamic display clicked, the warning box answered.
#include "drop/waterdrop.h"
#include "windowdriver.h"

#include <cmath>
#include <memory>

using namespace WindowDriver;

namespace {

// A plane z = x: a drop heads straight for x = 0, 0.01 / sqrt(2) per step.
std::unique_ptr<Map> slope(std::uint32_t width, std::uint32_t length)
{
    auto map = std::make_unique<Map>(width, length);
    for (MapPoint& point : map->points()) {
        point.setZ(point.x());
    }
    return map;
}

// QGLWidget's protected buffer-swap switch, reached through a member pointer.
struct SwapSwitch : GLWidget
{
    static void set(GLWidget& view, bool on) { (view.*(&SwapSwitch::setAutoBufferSwap))(on); }
};

// The frame the view draws now, read back before a buffer swap can change it.
QImage frameOf(GLWidget& view)
{
    SwapSwitch::set(view, false);
    view.updateGL();
    QImage image = view.grabFrameBuffer();
    SwapSwitch::set(view, true);
    return image;
}

// Drop-path blue; the terrain is white and the background dark grey.
bool isBlue(QRgb pixel)
{
    return qBlue(pixel) > 200 && qRed(pixel) < 60 && qGreen(pixel) < 60;
}

const QList<Qt::CursorShape> waitThenRebuild{Qt::WaitCursor, Qt::ArrowCursor, Qt::ArrowCursor};

} // namespace

class TestDropCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        window_ = std::make_unique<MainWindow>();
        QVERIFY(showActive(*window_));
    }
    void cleanup() { window_.reset(); }

    void startWithoutWorldWarns();
    void startAcceptsOnlyTheSurface_data();
    void startAcceptsOnlyTheSurface();
    void nextThenResultRunTheDrop();
    void dynamicDisplayRedrawsEveryFiftySteps();
    void pathsStayDrawnForTheNextDrop();

private:
    MainWindowForm& form() { return *window_->form(); }
    GLWidget& view() { return *form().widget; }
    // Shows a hand-made world; a cancelled New world enables Start.
    bool showWorld(std::unique_ptr<Map> map)
    {
        view().setBaseMap(std::move(map));
        view().rebuildMesh();
        return runNewWorld(*window_, {0, {}, 50, 50, false});
    }
    // Types the coordinates and clicks Start; true when the warning came and was clicked away.
    bool startWarns(double x, double y, QString* text = nullptr)
    {
        typeValue(*form().doubleSpinBoxGoutteX, x);
        typeValue(*form().doubleSpinBoxGoutteY, y);
        return answerModal<QMessageBox>([this] { click(form().pushButtonGoutteLancer); },
                                        [&](QMessageBox& box) {
                                            if (text != nullptr) {
                                                *text = box.windowTitle() + "|" + box.text();
                                            }
                                            click(box.button(QMessageBox::Ok));
                                        });
    }

    std::unique_ptr<MainWindow> window_;
};

void TestDropCommands::startWithoutWorldWarns()
{
    QVERIFY(runNewWorld(*window_, {0, {}, 50, 50, false}));
    QString text;
    QVERIFY(startWarns(1.0, 1.0, &text));
    QCOMPARE(text, QStringLiteral("Warning !|The entered coordinates are not within the map"));
}

void TestDropCommands::startAcceptsOnlyTheSurface_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<double>("x");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("x 50 on 50 wide") << 50 << 50.0 << false;
    // Between the last column and the width: off the surface.
    QTest::newRow("x 49.5 on 50 wide") << 50 << 49.5 << false;
    QTest::newRow("x 49 on 50 wide") << 50 << 49.0 << true;
    // A single column has no triangle.
    QTest::newRow("origin on 1 wide") << 1 << 0.0 << false;
}

void TestDropCommands::startAcceptsOnlyTheSurface()
{
    QFETCH(int, width);
    QFETCH(double, x);
    QFETCH(bool, accepted);

    QVERIFY(runNewWorld(*window_, {1, "drops", width, 50}));
    QCOMPARE(startWarns(x, 10.0), !accepted);
    QCOMPARE(view().filteredMap()->drops().size(), std::size_t(accepted ? 1 : 0));
}

void TestDropCommands::nextThenResultRunTheDrop()
{
    QVERIFY(showWorld(slope(20, 20)));
    QVERIFY(!startWarns(3.0, 10.0));
    const WaterDrop* drop = view().filteredMap()->drops().at(0);
    CursorLog next(view());
    click(form().pushButtonGoutteSuivant);
    // 51 steps of 0.0071 each add a point to the start.
    QCOMPARE(int(drop->path().size()), 52);
    QCOMPARE(next.shapes, waitThenRebuild);

    click(form().pushButtonGoutteRes);
    // To x = 0: 3 * sqrt(2) / 0.01 = 424.26 steps fit, so 425 points.
    QVERIFY(drop->isStopped());
    QCOMPARE(int(drop->path().size()), 425);

    // Only stopped drops (a refused Start is the user's way there): one more
    // step, which adds nothing, and a rebuild.
    QVERIFY(startWarns(20.0, 1.0));
    CursorLog result(view());
    click(form().pushButtonGoutteRes);
    QCOMPARE(int(drop->path().size()), 425);
    QCOMPARE(result.shapes, waitThenRebuild);
}

void TestDropCommands::dynamicDisplayRedrawsEveryFiftySteps()
{
    // A start 119.5 steps from x = 0: the drop leaves the map during its 120th
    // step, keeping 120 points, and the 121st finds it stopped. The spin box
    // cannot hold that start, so the drop is put down directly.
    QVERIFY(showWorld(slope(3, 3)));
    view().filteredMap()->startDrop(119.5f * 0.01f / std::sqrt(2.0f), 0.5f);
    QVERIFY(startWarns(3.0, 0.5));
    const WaterDrop* drop = view().filteredMap()->drops().at(0);

    CursorLog cursors(view());
    click(form().pushButtonGoutteDynamic);
    QVERIFY(drop->isStopped());
    QCOMPARE(int(drop->path().size()), 120);
    // The wait cursor, rebuilds before steps 1, 51 and 101, the command's arrow.
    QCOMPARE(cursors.shapes,
             (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor, Qt::ArrowCursor,
                                     Qt::ArrowCursor, Qt::ArrowCursor}));
}

void TestDropCommands::pathsStayDrawnForTheNextDrop()
{
    QVERIFY(runNewWorld(*window_, {1, "drops", 50, 50}));
    const QImage world = frameOf(view());
    QVERIFY(!startWarns(20.0, 20.0));
    click(form().pushButtonGoutteRes);
    const QImage afterFirst = frameOf(view());

    QVERIFY(!startWarns(35.0, 12.0));
    click(form().pushButtonGoutteDynamic);
    QCOMPARE(view().filteredMap()->drops().size(), std::size_t(2));
    const QImage afterSecond = frameOf(view());
    // The first path is still drawn where it was: the camera did not move.
    int firstPath = 0;
    int stillBlue = 0;
    for (int y = 0; y < world.height(); ++y) {
        for (int x = 0; x < world.width(); ++x) {
            if (isBlue(afterFirst.pixel(x, y)) && !isBlue(world.pixel(x, y))) {
                ++firstPath;
                stillBlue += isBlue(afterSecond.pixel(x, y)) ? 1 : 0;
            }
        }
    }
    QVERIFY2(firstPath > 40 && stillBlue * 10 >= firstPath * 9,
             qPrintable(QStringLiteral("%1 of %2").arg(stillBlue).arg(firstPath)));
}

QTEST_MAIN(TestDropCommands)
#include "test_dropcommands.moc"
