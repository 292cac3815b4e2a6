// The world commands driven as a user drives them: New world through its
// dialog, Update after changing the filter list, Center after moving the
// camera with the mouse.
#include "commanddialogs.h"
#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "generators/fullyrandommapbuilder.h"
#include "generators/peaksmountainchainmapbuilder.h"
#include "generators/simplepeaksmoutainmapbuilder.h"
#include "terrain/map.h"
#include "terrain/seed.h"
#include "view/glwidget.h"
#include "windowdriver.h"

#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>
#include <ctime>
#include <memory>

using namespace WindowDriver;

namespace {

// The world the choice names, built without the window; a random seed is
// taken from the clock now.
std::unique_ptr<Map> buildDirectly(const NewWorldChoice& choice)
{
    std::unique_ptr<MapBuilder> builder;
    if (choice.generator == 0) {
        builder = std::make_unique<FullyRandomMapBuilder>();
    } else if (choice.generator == 1) {
        builder = std::make_unique<SimplePeaksMoutainMapBuilder>();
    } else {
        builder = std::make_unique<PeaksMountainChainMapBuilder>();
    }
    if (choice.randomSeed) {
        builder->setSeed(std::make_unique<Seed>());
    } else {
        builder->setSeed(choice.seedText.toLatin1());
    }
    builder->setWidth(choice.width).setLength(choice.length);
    return builder->build();
}

NewWorldChoice seeded(int generator, const QString& text, int width, int length)
{
    return {generator, false, text, width, length, true};
}

// Two filters, the second along y, as arrow presses per spin box (spin box N
// holds coefficient N - 1).
const FilterEntry alongX{true, "along x", {{13, 2}, {14, 1}, {12, 1}}, FilterEntry::Ending::Ok};
const FilterEntry alongY{false, {}, {{13, 1}, {18, 3}}, FilterEntry::Ending::Ok};

std::unique_ptr<Map> filtered(const Map& base, std::initializer_list<FilterEntry> entries)
{
    FilterList filters;
    for (const FilterEntry& entry : entries) {
        auto filter = std::make_unique<FilterMatrix>();
        filter->setMatrix(enteredCoefficients(FilterMatrix::Coefficients{}, entry));
        filters.push_back(std::move(filter));
    }
    return applyFilterList(base, filters);
}

// xRot, yRot, zRot, centerX, centerY and the eye distance (a float, exact in double).
QVector<double> cameraOf(const GLWidget& view)
{
    return {view.xRotation(), view.yRotation(), view.zRotation(),
            view.centerX(),   view.centerY(),   double(view.eyeDistance())};
}

} // namespace

Q_DECLARE_METATYPE(NewWorldChoice)

class TestWorldCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cancelChangesNoWorld();
    void newWorldIsTheGeneratorsWorld_data();
    void newWorldIsTheGeneratorsWorld();
    void updateBeforeAnyWorldChangesNothing();
    void newWorldAndUpdateShowTheFilterList();
    void dragMovesTheCamera_data();
    void dragMovesTheCamera();
    void wheelZooms();
    void centerResetsAllButTheZoom_data();
    void centerResetsAllButTheZoom();

private:
    MainWindowForm& form() { return *window_->form(); }
    GLWidget& view() { return *form().widget; }
    // Turns, pans and zooms, so that every camera value but zRot leaves its start.
    void moveCamera()
    {
        drag(view(), Qt::RightButton, {100, 100}, {{110, 104}});
        drag(view(), Qt::LeftButton, {100, 100}, {{132, 116}});
        turnWheel(view(), 120);
    }
    void startAndRunDrop(double x, double y)
    {
        typeValue(*form().doubleSpinBoxGoutteX, x);
        typeValue(*form().doubleSpinBoxGoutteY, y);
        QTest::mouseClick(form().pushButtonGoutteLancer, Qt::LeftButton);
        QTest::mouseClick(form().pushButtonGoutteSuivant, Qt::LeftButton);
    }

    std::unique_ptr<MainWindow> window_;
};

void TestWorldCommands::init()
{
    window_ = std::make_unique<MainWindow>();
    QVERIFY(showActive(*window_));
}

void TestWorldCommands::cleanup()
{
    window_.reset();
}

void TestWorldCommands::cancelChangesNoWorld()
{
    QString why;
    QVERIFY2(runNewWorld(*window_, seeded(1, "before", 12, 9), why), qPrintable(why));
    startAndRunDrop(5.0, 5.0);
    moveCamera();
    const Map* base = view().baseMap();
    const Map* shown = view().filteredMap();
    const std::unique_ptr<Map> heightsBefore = base->copy();
    const QVector<QVector3D> gridBefore = view().meshGrid();
    const QVector<double> cameraBefore = cameraOf(view());
    form().actionUpdate->setEnabled(false);
    form().pushButtonGoutteLancer->setEnabled(false);

    CursorLog cursors(view());
    NewWorldChoice cancel = seeded(2, "never built", 7, 3);
    cancel.accept = false;
    QVERIFY2(runNewWorld(*window_, cancel, why), qPrintable(why));

    QCOMPARE(view().baseMap(), base);
    QCOMPARE(view().filteredMap(), shown);
    QVERIFY(sameHeights(*base, *heightsBefore));
    QCOMPARE(shown->drops().size(), std::size_t(1));
    QCOMPARE(view().meshGrid(), gridBefore);
    QCOMPARE(view().meshDropLines().size(), 1);
    QCOMPARE(cameraOf(view()), cameraBefore);
    QVERIFY(cursors.shapes().isEmpty());
    QVERIFY(form().actionUpdate->isEnabled());
    QVERIFY(form().pushButtonGoutteLancer->isEnabled());
}

void TestWorldCommands::newWorldIsTheGeneratorsWorld_data()
{
    QTest::addColumn<NewWorldChoice>("choice");
    QTest::addColumn<bool>("byShortcut");

    QTest::newRow("random 50 x 50") << seeded(0, "terravik", 50, 50) << false;
    QTest::newRow("peaks 7 x 3, spaced text") << seeded(1, "  spaced  ", 7, 3) << false;
    QTest::newRow("chain 3 x 7, Ctrl+N") << seeded(2, "x", 3, 7) << true;
    QTest::newRow("random, empty text") << seeded(0, "", 20, 30) << false;
    QTest::newRow("peaks 0 x 5") << seeded(1, "zero wide", 0, 5) << false;
    QTest::newRow("clock seed, random") << NewWorldChoice() << false;
    QTest::newRow("clock seed, peaks 16 x 12") << NewWorldChoice{1, true, {}, 16, 12, true} << true;
    QTest::newRow("clock seed, chain 7 x 3") << NewWorldChoice{2, true, {}, 7, 3, true} << false;
}

void TestWorldCommands::newWorldIsTheGeneratorsWorld()
{
    QFETCH(NewWorldChoice, choice);
    QFETCH(bool, byShortcut);

    // A clock seed changes every second: compare with a seed made in the same
    // second as the command's, and try again if the second turned.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::time_t before = std::time(nullptr);
        CursorLog cursors(view());
        QString why;
        QVERIFY(showActive(*window_));
        const auto ctrlN = [this] {
            QTest::keyClick(window_.get(), Qt::Key_N, Qt::ControlModifier);
        };
        QVERIFY2(runNewWorld(*window_, choice, why, byShortcut ? ctrlN : std::function<void()>()),
                 qPrintable(why));
        const std::unique_ptr<Map> expected = buildDirectly(choice);
        if (choice.randomSeed && std::time(nullptr) != before) {
            continue;
        }
        QCOMPARE(view().baseMap()->width(), std::uint32_t(choice.width));
        QCOMPARE(view().baseMap()->length(), std::uint32_t(choice.length));
        QVERIFY(sameHeights(*view().baseMap(), *expected));
        // No filters: the shown map is a distinct copy, with no drops.
        QVERIFY(view().filteredMap() != view().baseMap());
        QVERIFY(sameHeights(*view().filteredMap(), *expected));
        QVERIFY(view().filteredMap()->drops().empty());
        QCOMPARE(view().meshGrid().size(), choice.width * choice.length);
        // Wait while building, then the rebuild's arrow and the command's own.
        QCOMPARE(cursors.shapes(),
                 (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor, Qt::ArrowCursor}));
        QVERIFY(form().actionUpdate->isEnabled());
        QVERIFY(form().pushButtonGoutteLancer->isEnabled());
        return;
    }
    QFAIL("the clock's second turned during every attempt");
}

void TestWorldCommands::updateBeforeAnyWorldChangesNothing()
{
    CursorLog cursors(view());
    NoDialogExpected noDialog;
    QVERIFY(!form().actionUpdate->isEnabled());
    QTest::keyClick(window_.get(), Qt::Key_F5);
    // The command itself, enabled anyway, finds no world to update.
    form().actionUpdate->setEnabled(true);
    QTest::keyClick(window_.get(), Qt::Key_F5);

    QVERIFY(!view().hasBaseMap());
    QVERIFY(view().filteredMap() == nullptr);
    QVERIFY(view().meshGrid().isEmpty());
    QVERIFY(cursors.shapes().isEmpty());
    QCOMPARE(view().cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!noDialog.dialogOpened());
}

void TestWorldCommands::newWorldAndUpdateShowTheFilterList()
{
    QString why;
    QVERIFY2(runAddFilter(*window_, alongY, why), qPrintable(why));
    QVERIFY2(runAddFilter(*window_, alongX, why), qPrintable(why));
    const NewWorldChoice choice = seeded(1, "filtered", 25, 18);
    QVERIFY2(runNewWorld(*window_, choice, why), qPrintable(why));
    const std::unique_ptr<Map> base = buildDirectly(choice);
    const std::unique_ptr<Map> yThenX = filtered(*base, {alongY, alongX});
    QVERIFY(sameHeights(*view().baseMap(), *base));
    QVERIFY(sameHeights(*view().filteredMap(), *yThenX));
    QVERIFY(!sameHeights(*yThenX, *base));

    startAndRunDrop(10.0, 8.0);
    QCOMPARE(view().meshDropLines().size(), 1);
    moveCamera();
    const QVector<double> camera = cameraOf(view());
    // Move down on the first row swaps the filters.
    QTest::mouseClick(form().tabWidget->tabBar(), Qt::LeftButton, Qt::NoModifier,
                      form().tabWidget->tabBar()->tabRect(1).center());
    clickRow(*form().filterListWidget, 0);
    QTest::mouseClick(form().moveDownButton, Qt::LeftButton);
    QCOMPARE(view().filterName(0), QStringLiteral("along x"));
    QVERIFY(sameHeights(*view().filteredMap(), *yThenX));

    // Without a window manager a closed dialog hands the keyboard back to no one.
    QVERIFY(showActive(*window_));
    CursorLog cursors(view());
    QTest::keyClick(window_.get(), Qt::Key_F5);
    QCOMPARE(cursors.shapes(), (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor}));
    const std::unique_ptr<Map> xThenY = filtered(*base, {alongX, alongY});
    QVERIFY(!sameHeights(*xThenY, *yThenX));
    const Map& shown = *view().filteredMap();
    QVERIFY(sameHeights(shown, *xThenY));
    QVERIFY(sameHeights(*view().baseMap(), *base));
    QVERIFY(shown.drops().empty());
    QVERIFY(view().meshDropLines().isEmpty());
    // Rebuilt after filtering: vertex y * width + x is a fifth as high as point (x, y).
    for (const MapPoint& point : shown.points()) {
        const int vertex = int(point.y()) * int(shown.width()) + int(point.x());
        QVERIFY(qAbs(view().meshGrid().at(vertex).y() - point.z() / 5.0f) < 1e-6f);
    }
    QCOMPARE(cameraOf(view()), camera);
}

void TestWorldCommands::dragMovesTheCamera_data()
{
    QTest::addColumn<bool>("left");
    QTest::addColumn<QPoint>("offset");
    // xRot, yRot, centerX, centerY: 8 sixteenths of a degree, 1/32 unit per pixel.
    QTest::addColumn<QVector<double>>("camera");

    QTest::newRow("right 10, 4") << false << QPoint(10, 4) << QVector<double>{32, 80, 0, 0};
    QTest::newRow("left 32 right") << true << QPoint(32, 0) << QVector<double>{0, 0, -1, 0};
    QTest::newRow("left 32 down") << true << QPoint(0, 32) << QVector<double>{0, 0, 0, 1};
    QTest::newRow("left 16, 8 up") << true << QPoint(-16, -8) << QVector<double>{0, 0, 0.5, -0.25};
}

void TestWorldCommands::dragMovesTheCamera()
{
    QFETCH(bool, left);
    QFETCH(QPoint, offset);
    QFETCH(QVector<double>, camera);

    const Qt::MouseButton button = left ? Qt::LeftButton : Qt::RightButton;
    const QPoint from(150, 120);
    drag(view(), button, from, {from + offset}, false);
    QCOMPARE(view().cursor().shape(), left ? Qt::ClosedHandCursor : Qt::ArrowCursor);
    QCOMPARE(cameraOf(view()),
             (QVector<double>{camera[0], camera[1], 0, camera[2], camera[3], -10}));
    sendMouse(view(), QEvent::MouseButtonRelease, from + offset, button, Qt::NoButton);
    QCOMPARE(view().cursor().shape(), Qt::ArrowCursor);
}

void TestWorldCommands::wheelZooms()
{
    // -10 x 1.1 = -11 exactly in float; -11 x 1.1 rounds to the float nearest -12.1.
    turnWheel(view(), 120);
    QCOMPARE(view().eyeDistance(), -11.0f);
    turnWheel(view(), 120);
    QCOMPARE(view().eyeDistance(), -12.1f);
}

void TestWorldCommands::centerResetsAllButTheZoom_data()
{
    QTest::addColumn<bool>("withWorld");
    QTest::addColumn<QString>("how");

    QTest::newRow("Space, with a world") << true << "Space";
    QTest::newRow("tool bar, no world") << false << "tool bar";
}

void TestWorldCommands::centerResetsAllButTheZoom()
{
    QFETCH(bool, withWorld);
    QFETCH(QString, how);

    QString why;
    if (withWorld) {
        QVERIFY2(runNewWorld(*window_, seeded(2, "center", 20, 20), why), qPrintable(why));
    }
    moveCamera();
    view().setZRotation(48.0);
    const float zoom = view().eyeDistance();
    const Map* world = view().filteredMap();

    if (how == QLatin1String("Space")) {
        QVERIFY(showActive(*window_));
        QTest::keyClick(window_.get(), Qt::Key_Space);
    } else {
        QTest::mouseClick(form().mainToolBar->widgetForAction(form().actionCenter), Qt::LeftButton);
    }

    QCOMPARE(cameraOf(view()), (QVector<double>{0, 0, 0, 0, 0, double(zoom)}));
    QCOMPARE(view().filteredMap(), world);
}

QTEST_MAIN(TestWorldCommands)
#include "test_worldcommands.moc"
