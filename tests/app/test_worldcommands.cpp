// New world, Update and Center driven as a user drives them, and the camera
// moved with the mouse through the window.
#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "generators/fullyrandommapbuilder.h"
#include "generators/peaksmountainchainmapbuilder.h"
#include "generators/simplepeaksmoutainmapbuilder.h"
#include "terrain/seed.h"
#include "windowdriver.h"

#include <ctime>
#include <memory>

using namespace WindowDriver;

namespace {

// The world the choice names, built without the window; a random seed comes
// from the clock now.
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
    if (choice.seedText.isEmpty()) {
        builder->setSeed(std::make_unique<Seed>());
    } else {
        builder->setSeed(choice.seedText.toLatin1());
    }
    builder->setWidth(choice.width).setLength(choice.length);
    return builder->build();
}

// Two filters, as arrow presses per coefficient index.
const FilterEntry alongX{"along x", {{12, 2}, {13, 1}, {11, 1}}};
const FilterEntry alongY{{}, {{12, 1}, {17, 3}}};

std::unique_ptr<Map> filtered(const Map& base, std::initializer_list<FilterEntry> entries)
{
    FilterList filters;
    for (const FilterEntry& entry : entries) {
        FilterMatrix::Coefficients coefficients{};
        for (const auto& [index, presses] : entry.presses) {
            coefficients.at(std::size_t(index)) = presses;
        }
        auto filter = std::make_unique<FilterMatrix>();
        filter->setMatrix(coefficients);
        filters.push_back(std::move(filter));
    }
    return applyFilterList(base, filters);
}

} // namespace

class TestWorldCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        window_ = std::make_unique<MainWindow>();
        QVERIFY(showActive(*window_));
    }
    void cleanup() { window_.reset(); }

    void cancelChangesNothingButEnablesTheCommands();
    void newWorldIsTheGeneratorsWorld_data();
    void newWorldIsTheGeneratorsWorld();
    void updateBeforeAnyWorldChangesNothing();
    void newWorldAndUpdateShowTheFilterList();
    void mouseMovesTheCameraAndCenterResetsIt();

private:
    MainWindowForm& form() { return *window_->form(); }
    GLWidget& view() { return *form().widget; }
    void startAndRunDrop()
    {
        typeValue(*form().doubleSpinBoxGoutteX, 5.0);
        typeValue(*form().doubleSpinBoxGoutteY, 5.0);
        click(form().pushButtonGoutteLancer);
        click(form().pushButtonGoutteSuivant);
    }

    std::unique_ptr<MainWindow> window_;
};

void TestWorldCommands::cancelChangesNothingButEnablesTheCommands()
{
    QVERIFY(runNewWorld(*window_, {1, "before", 12, 9}));
    startAndRunDrop();
    view().setXRotation(64.0);
    const Map* shown = view().filteredMap();
    const std::unique_ptr<Map> heights = view().baseMap()->copy();
    form().actionUpdate->setEnabled(false);
    form().pushButtonGoutteLancer->setEnabled(false);

    QVERIFY(runNewWorld(*window_, {2, "never built", 7, 3, false}));
    QCOMPARE(view().filteredMap(), shown);
    QVERIFY(sameHeights(*view().baseMap(), *heights));
    QCOMPARE(shown->drops().size(), std::size_t(1));
    QCOMPARE(view().xRotation(), 64.0);
    QVERIFY(form().actionUpdate->isEnabled());
    QVERIFY(form().pushButtonGoutteLancer->isEnabled());
}

void TestWorldCommands::newWorldIsTheGeneratorsWorld_data()
{
    QTest::addColumn<NewWorldChoice>("choice");
    for (int generator = 0; generator < 3; ++generator) {
        QTest::addRow("generator %d, seed text", generator)
            << NewWorldChoice{generator, " seed text ", 7 + generator, 3};
        QTest::addRow("generator %d, random seed", generator)
            << NewWorldChoice{generator, {}, 16, 12 - generator};
    }
}

void TestWorldCommands::newWorldIsTheGeneratorsWorld()
{
    QFETCH(NewWorldChoice, choice);
    // A clock seed changes every second: try again if the second turned.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::time_t before = std::time(nullptr);
        CursorLog cursors(view());
        QVERIFY(runNewWorld(*window_, choice));
        const std::unique_ptr<Map> expected = buildDirectly(choice);
        if (choice.seedText.isEmpty() && std::time(nullptr) != before) {
            continue;
        }
        QVERIFY(sameHeights(*view().baseMap(), *expected));
        QVERIFY(sameHeights(*view().filteredMap(), *expected));
        // Wait while building, then the rebuild's arrow and the command's own.
        QCOMPARE(cursors.shapes,
                 (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor, Qt::ArrowCursor}));
        return;
    }
    QFAIL("the clock's second turned during every attempt");
}

void TestWorldCommands::updateBeforeAnyWorldChangesNothing()
{
    CursorLog cursors(view());
    form().actionUpdate->setEnabled(true);
    QVERIFY(!answerModal<QDialog>([this] { QTest::keyClick(window_.get(), Qt::Key_F5); },
                                  [](QDialog& dialog) { dialog.reject(); }));
    QVERIFY(view().filteredMap() == nullptr);
    QVERIFY(cursors.shapes.isEmpty());
}

void TestWorldCommands::newWorldAndUpdateShowTheFilterList()
{
    QVERIFY(runAddFilter(*window_, alongY));
    QVERIFY(runAddFilter(*window_, alongX));
    const NewWorldChoice choice{1, "filtered", 25, 18};
    QVERIFY(runNewWorld(*window_, choice));
    const std::unique_ptr<Map> base = buildDirectly(choice);
    QVERIFY(sameHeights(*view().filteredMap(), *filtered(*base, {alongY, alongX})));

    startAndRunDrop();
    QTabBar& tabs = *form().tabWidget->tabBar();
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(1).center());
    clickRow(*form().filterListWidget, 0);
    click(form().moveDownButton);
    // A closed dialog hands the keyboard back to no one without a window manager.
    QVERIFY(showActive(*window_));
    QTest::keyClick(window_.get(), Qt::Key_F5);

    const std::unique_ptr<Map> xThenY = filtered(*base, {alongX, alongY});
    QVERIFY(!sameHeights(*xThenY, *filtered(*base, {alongY, alongX})));
    QVERIFY(sameHeights(*view().filteredMap(), *xThenY));
    QVERIFY(view().filteredMap()->drops().empty());
    QVERIFY(view().meshDropLines().isEmpty());
}

void TestWorldCommands::mouseMovesTheCameraAndCenterResetsIt()
{
    GLWidget& glView = view();
    // 8 sixteenths of a degree per pixel: a move along x turns yRot, along y xRot.
    sendMouse(glView, QEvent::MouseButtonPress, {100, 100}, Qt::RightButton, Qt::RightButton);
    sendMouse(glView, QEvent::MouseMove, {110, 104}, Qt::NoButton, Qt::RightButton);
    sendMouse(glView, QEvent::MouseButtonRelease, {110, 104}, Qt::RightButton, Qt::NoButton);
    QCOMPARE(glView.yRotation(), 80.0);
    QCOMPARE(glView.xRotation(), 32.0);

    // 1/32 unit per pixel, against the drag.
    sendMouse(glView, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(glView, QEvent::MouseMove, {132, 100}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(glView.centerX(), -1.0);
    QCOMPARE(glView.cursor().shape(), Qt::ClosedHandCursor);
    sendMouse(glView, QEvent::MouseButtonRelease, {132, 100}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(glView.cursor().shape(), Qt::ArrowCursor);

    // -10 x 1.1 x 1.1, rounded to float at each notch.
    turnWheel(glView, 120);
    turnWheel(glView, 120);
    QCOMPARE(glView.eyeDistance(), -12.1f);

    glView.setZRotation(48.0);
    glView.setCenterY(2.0);
    QTest::keyClick(window_.get(), Qt::Key_Space);
    const QVector<double> camera{glView.xRotation(), glView.yRotation(), glView.zRotation(),
                                 glView.centerX(), glView.centerY()};
    QCOMPARE(camera, QVector<double>(5, 0.0));
    QCOMPARE(glView.eyeDistance(), -12.1f);
}

QTEST_MAIN(TestWorldCommands)
#include "test_worldcommands.moc"
