// The world commands driven as a user drives them: New world through its
// dialog, Update after changing the filter list, Center after moving the
// camera with the mouse on the view.
#include "commanddialogs.h"
#include "drop/waterdrop.h"
#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "generators/fullyrandommapbuilder.h"
#include "generators/peaksmountainchainmapbuilder.h"
#include "generators/simplepeaksmoutainmapbuilder.h"
#include "terrain/map.h"
#include "terrain/seed.h"
#include "view/glwidget.h"
#include "windowdriver.h"

#include <QDoubleSpinBox>
#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>
#include <ctime>
#include <memory>

using namespace WindowDriver;

namespace {

// The generator the user's choice names, made independently of the window.
std::unique_ptr<MapBuilder> builderFor(int generator)
{
    switch (generator) {
    case 0:
        return std::make_unique<FullyRandomMapBuilder>();
    case 1:
        return std::make_unique<SimplePeaksMoutainMapBuilder>();
    default:
        return std::make_unique<PeaksMountainChainMapBuilder>();
    }
}

std::unique_ptr<Map> buildDirectly(const NewWorldChoice& choice, std::unique_ptr<Seed> seed)
{
    std::unique_ptr<MapBuilder> builder = builderFor(choice.generator);
    if (seed) {
        builder->setSeed(std::move(seed));
    } else {
        builder->setSeed(choice.seedText.toLatin1());
    }
    builder->setWidth(choice.width).setLength(choice.length);
    return builder->build();
}

NewWorldChoice seeded(int generator, const QString& text, int width = 50, int length = 50)
{
    NewWorldChoice choice;
    choice.generator = generator;
    choice.randomSeed = false;
    choice.seedText = text;
    choice.width = width;
    choice.length = length;
    return choice;
}

// Two smoothing-like filters, the second along y; their coefficients as the
// spin boxes hold them (spin box number N holds coefficient N - 1) and the
// arrow presses that enter them.
FilterEntry alongXEntry()
{
    FilterEntry entry;
    entry.changeName = true;
    entry.name = QStringLiteral("along x");
    entry.arrowPresses = {{13, 2}, {14, 1}, {12, 1}};
    return entry;
}

FilterEntry alongYEntry()
{
    FilterEntry entry;
    entry.arrowPresses = {{13, 1}, {18, 3}};
    return entry;
}

std::unique_ptr<FilterMatrix> filterFrom(const FilterEntry& entry)
{
    auto filter = std::make_unique<FilterMatrix>();
    filter->setMatrix(enteredCoefficients(FilterMatrix::Coefficients{}, entry));
    return filter;
}

struct Camera
{
    double xRot;
    double yRot;
    double zRot;
    double centerX;
    double centerY;
    float distance;

    static Camera of(const GLWidget& view)
    {
        return {view.xRotation(), view.yRotation(), view.zRotation(),
                view.centerX(),   view.centerY(),   view.eyeDistance()};
    }
    bool operator==(const Camera& other) const
    {
        return xRot == other.xRot && yRot == other.yRot && zRot == other.zRot &&
               centerX == other.centerX && centerY == other.centerY && distance == other.distance;
    }
};

// The distance after one wheel notch forward, as the view stores it.
float oneNotchOut(float distance)
{
    return float((120 / 1200.0 + 1.0) * double(distance));
}

} // namespace

class TestWorldCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cancelChangesNoWorld_data();
    void cancelChangesNoWorld();
    void seededWorldIsTheGeneratorsWorld_data();
    void seededWorldIsTheGeneratorsWorld();
    void randomSeedComesFromTheClock_data();
    void randomSeedComesFromTheClock();
    void newWorldIsShownThroughTheFilterList();
    void ctrlNOpensTheDialog();

    void updateBeforeAnyWorldChangesNothing();
    void updateShowsTheEditedFilterListAndRemovesDrops();

    void rightDragTurns();
    void leftDragMovesTheCentre_data();
    void leftDragMovesTheCentre();
    void wheelZooms();
    void centerResetsAllButTheZoom_data();
    void centerResetsAllButTheZoom();

private:
    MainWindowForm& form() { return *window_->form(); }
    GLWidget& view() { return *form().widget; }
    // Runs New world with the choice; false (with a message) when the dialog
    // did not come or did not read back the choice.
    bool newWorld(const NewWorldChoice& choice, QString& why);
    bool addFilter(const FilterEntry& entry, QString& why);
    void clickFilterRow(int row);
    void moveCamera();

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

bool TestWorldCommands::newWorld(const NewWorldChoice& choice, QString& why)
{
    NewWorldReadBack readBack;
    ModalAnswer<NewWorldDialog> answer(
        [&](NewWorldDialog& dialog) { answerNewWorld(dialog, choice, readBack); });
    form().actionNewWorld->trigger();
    if (!answer.answered()) {
        why = QStringLiteral("new world dialog: ") +
              (answer.failure().isEmpty() ? QStringLiteral("never opened") : answer.failure());
        return false;
    }
    if (!readBackMatches(choice, readBack)) {
        why = QStringLiteral("the dialog was not filled as chosen");
        return false;
    }
    return true;
}

bool TestWorldCommands::addFilter(const FilterEntry& entry, QString& why)
{
    ModalAnswer<EditFilterDialog> answer(
        [&](EditFilterDialog& dialog) { answerFilterDialog(dialog, entry); });
    QTest::mouseClick(form().addFilterButton, Qt::LeftButton);
    if (!answer.answered()) {
        why = QStringLiteral("filter dialog: ") +
              (answer.failure().isEmpty() ? QStringLiteral("never opened") : answer.failure());
        return false;
    }
    return true;
}

// Brings the Filters tab to the front, as a click on its tab does, and
// selects the row.
void TestWorldCommands::clickFilterRow(int row)
{
    QTabBar* tabs = form().tabWidget->tabBar();
    const int page = form().tabWidget->indexOf(form().tabFilters);
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(page).center());
    clickRow(*form().filterListWidget, row);
}

// Turns, pans and zooms with the mouse, so that every camera value differs
// from its start.
void TestWorldCommands::moveCamera()
{
    drag(view(), Qt::RightButton, {100, 100}, {{110, 104}});
    drag(view(), Qt::LeftButton, {100, 100}, {{132, 116}});
    turnWheel(view(), 120);
}

void TestWorldCommands::cancelChangesNoWorld_data()
{
    QTest::addColumn<bool>("worldBefore");
    QTest::newRow("no world yet") << false;
    QTest::newRow("a world shown") << true;
}

void TestWorldCommands::cancelChangesNoWorld()
{
    QFETCH(bool, worldBefore);
    QString why;
    if (worldBefore) {
        QVERIFY2(newWorld(seeded(1, "before", 12, 9), why), qPrintable(why));
        view().filteredMap()->startDrop(3.0f, 4.0f);
        // Start is enabled by New world; the drops and the camera must survive.
        typeValue(*form().doubleSpinBoxGoutteX, 5.0);
        typeValue(*form().doubleSpinBoxGoutteY, 5.0);
        QTest::mouseClick(form().pushButtonGoutteLancer, Qt::LeftButton);
        moveCamera();
    }
    const Map* base = view().baseMap();
    const Map* filtered = view().filteredMap();
    const std::unique_ptr<Map> heightsBefore = base ? base->copy() : nullptr;
    const std::size_t dropsBefore = filtered ? filtered->drops().size() : 0;
    const int gridBefore = view().meshGrid().size();
    const Camera cameraBefore = Camera::of(view());
    form().actionUpdate->setEnabled(false);
    form().pushButtonGoutteLancer->setEnabled(false);

    CursorLog cursors(view());
    NewWorldChoice cancel = seeded(2, "never built", 7, 3);
    cancel.accept = false;
    QVERIFY2(newWorld(cancel, why), qPrintable(why));

    QCOMPARE(view().baseMap(), base);
    QCOMPARE(view().filteredMap(), filtered);
    if (worldBefore) {
        QVERIFY(sameHeights(*view().baseMap(), *heightsBefore));
        QCOMPARE(view().filteredMap()->drops().size(), dropsBefore);
        QCOMPARE(dropsBefore, std::size_t(2));
    }
    QCOMPARE(view().meshGrid().size(), gridBefore);
    QVERIFY(Camera::of(view()) == cameraBefore);
    QVERIFY(cursors.shapes().isEmpty());
    QVERIFY(form().actionUpdate->isEnabled());
    QVERIFY(form().pushButtonGoutteLancer->isEnabled());
}

void TestWorldCommands::seededWorldIsTheGeneratorsWorld_data()
{
    QTest::addColumn<int>("generator");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("length");

    QTest::newRow("random 50 x 50") << 0 << "terravik" << 50 << 50;
    QTest::newRow("peaks 50 x 50") << 1 << "terravik" << 50 << 50;
    QTest::newRow("chain 50 x 50") << 2 << "terravik" << 50 << 50;
    QTest::newRow("random 7 x 3") << 0 << "seven by three" << 7 << 3;
    QTest::newRow("peaks 7 x 3") << 1 << "  spaced  " << 7 << 3;
    QTest::newRow("chain 3 x 7") << 2 << "x" << 3 << 7;
    QTest::newRow("random empty text") << 0 << "" << 20 << 30;
    QTest::newRow("peaks 99 x 1") << 1 << "long" << 99 << 1;
    QTest::newRow("chain 0 x 0") << 2 << "nothing" << 0 << 0;
    QTest::newRow("peaks 0 x 5") << 1 << "zero wide" << 0 << 5;
    QTest::newRow("random 5 x 0") << 0 << "zero long" << 5 << 0;
}

void TestWorldCommands::seededWorldIsTheGeneratorsWorld()
{
    QFETCH(int, generator);
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(int, length);

    const NewWorldChoice choice = seeded(generator, text, width, length);
    CursorLog cursors(view());
    QString why;
    QVERIFY2(newWorld(choice, why), qPrintable(why));

    QVERIFY(view().hasBaseMap());
    const std::unique_ptr<Map> expected = buildDirectly(choice, nullptr);
    QCOMPARE(view().baseMap()->width(), std::uint32_t(width));
    QCOMPARE(view().baseMap()->length(), std::uint32_t(length));
    QVERIFY(sameHeights(*view().baseMap(), *expected));
    // No filters: the shown map is a copy of the new world, with no drops.
    QVERIFY(view().filteredMap() != view().baseMap());
    QVERIFY(sameHeights(*view().filteredMap(), *expected));
    QVERIFY(view().filteredMap()->drops().empty());
    QCOMPARE(view().meshGrid().size(), width * length);
    // Wait while building, then the rebuild's arrow and the command's own.
    QCOMPARE(cursors.shapes(),
             (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor, Qt::ArrowCursor}));
    QCOMPARE(view().cursor().shape(), Qt::ArrowCursor);
}

void TestWorldCommands::randomSeedComesFromTheClock_data()
{
    QTest::addColumn<int>("generator");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("length");

    QTest::newRow("random") << 0 << 50 << 50;
    QTest::newRow("peaks") << 1 << 16 << 12;
    QTest::newRow("chain") << 2 << 7 << 3;
    QTest::newRow("random 0 x 4") << 0 << 0 << 4;
}

void TestWorldCommands::randomSeedComesFromTheClock()
{
    QFETCH(int, generator);
    QFETCH(int, width);
    QFETCH(int, length);

    NewWorldChoice choice;
    choice.generator = generator;
    choice.width = width;
    choice.length = length;
    // A seed text left in the disabled field must not count.
    choice.seedText = QStringLiteral("ignored");

    // The clock seed changes every second: compare with a seed made in the
    // same second as the command's, and try again if the second turned.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::time_t before = std::time(nullptr);
        QString why;
        QVERIFY2(newWorld(choice, why), qPrintable(why));
        const std::unique_ptr<Map> expected = buildDirectly(choice, std::make_unique<Seed>());
        if (std::time(nullptr) != before) {
            continue;
        }
        QCOMPARE(view().baseMap()->width(), std::uint32_t(width));
        QCOMPARE(view().baseMap()->length(), std::uint32_t(length));
        QVERIFY(sameHeights(*view().baseMap(), *expected));
        QVERIFY(sameHeights(*view().filteredMap(), *expected));
        QCOMPARE(view().cursor().shape(), Qt::ArrowCursor);
        return;
    }
    QFAIL("the clock's second turned during every attempt");
}

void TestWorldCommands::newWorldIsShownThroughTheFilterList()
{
    QString why;
    QVERIFY2(addFilter(alongXEntry(), why), qPrintable(why));
    QVERIFY2(addFilter(alongYEntry(), why), qPrintable(why));
    QCOMPARE(view().filterCount(), 2);

    const NewWorldChoice choice = seeded(1, "filtered", 30, 20);
    QVERIFY2(newWorld(choice, why), qPrintable(why));

    const std::unique_ptr<Map> base = buildDirectly(choice, nullptr);
    QVERIFY(sameHeights(*view().baseMap(), *base));
    FilterList filters;
    filters.push_back(filterFrom(alongXEntry()));
    filters.push_back(filterFrom(alongYEntry()));
    const std::unique_ptr<Map> expected = applyFilterList(*base, filters);
    QVERIFY(sameHeights(*view().filteredMap(), *expected));
    // The filters did change the terrain, so the comparison above means something.
    QVERIFY(!sameHeights(*view().filteredMap(), *base));
    // The list survives into the next world.
    QCOMPARE(view().filterCount(), 2);
}

void TestWorldCommands::ctrlNOpensTheDialog()
{
    const NewWorldChoice choice = seeded(2, "shortcut", 9, 11);
    NewWorldReadBack readBack;
    ModalAnswer<NewWorldDialog> answer(
        [&](NewWorldDialog& dialog) { answerNewWorld(dialog, choice, readBack); });
    QTest::keyClick(window_.get(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY2(answer.answered(), qPrintable(answer.failure()));
    QVERIFY(readBackMatches(choice, readBack));
    QVERIFY(sameHeights(*view().baseMap(), *buildDirectly(choice, nullptr)));
    QVERIFY(form().actionUpdate->isEnabled());
    QVERIFY(form().pushButtonGoutteLancer->isEnabled());
}

void TestWorldCommands::updateBeforeAnyWorldChangesNothing()
{
    CursorLog cursors(view());
    NoDialogExpected noDialog;
    // F5 does nothing while Update is disabled...
    QVERIFY(!form().actionUpdate->isEnabled());
    QTest::keyClick(window_.get(), Qt::Key_F5);
    // ...and the command itself, run anyway, finds no world to update.
    QVERIFY(QMetaObject::invokeMethod(window_.get(), "on_actionUpdate_triggered"));
    form().actionUpdate->setEnabled(true);
    form().actionUpdate->trigger();

    QVERIFY(!view().hasBaseMap());
    QVERIFY(view().filteredMap() == nullptr);
    QVERIFY(view().meshGrid().isEmpty());
    QVERIFY(cursors.shapes().isEmpty());
    QCOMPARE(view().cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!noDialog.dialogOpened());
}

void TestWorldCommands::updateShowsTheEditedFilterListAndRemovesDrops()
{
    QString why;
    const NewWorldChoice choice = seeded(1, "update", 25, 18);
    QVERIFY2(newWorld(choice, why), qPrintable(why));
    const std::unique_ptr<Map> base = buildDirectly(choice, nullptr);

    // A drop that has run, so that the view draws its path.
    typeValue(*form().doubleSpinBoxGoutteX, 10.0);
    typeValue(*form().doubleSpinBoxGoutteY, 8.0);
    QTest::mouseClick(form().pushButtonGoutteLancer, Qt::LeftButton);
    QTest::mouseClick(form().pushButtonGoutteSuivant, Qt::LeftButton);
    QCOMPARE(view().filteredMap()->drops().size(), std::size_t(1));
    QCOMPARE(view().meshDropLines().size(), 1);
    moveCamera();
    const Camera camera = Camera::of(view());

    QVERIFY2(addFilter(alongYEntry(), why), qPrintable(why));
    QVERIFY2(addFilter(alongXEntry(), why), qPrintable(why));
    // Not shown before Update.
    QVERIFY(sameHeights(*view().filteredMap(), *base));

    // Without a window manager a closed dialog hands the keyboard back to no one.
    QVERIFY(showActive(*window_));
    CursorLog cursors(view());
    QTest::keyClick(window_.get(), Qt::Key_F5);
    QCOMPARE(cursors.shapes(), (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor}));

    FilterList filters;
    filters.push_back(filterFrom(alongYEntry()));
    filters.push_back(filterFrom(alongXEntry()));
    const std::unique_ptr<Map> expected = applyFilterList(*base, filters);
    QVERIFY(sameHeights(*view().baseMap(), *base));
    QVERIFY(sameHeights(*view().filteredMap(), *expected));
    QVERIFY(!sameHeights(*expected, *base));
    QVERIFY(view().filteredMap()->drops().empty());
    QVERIFY(view().meshDropLines().isEmpty());
    // The mesh shows the filtered heights: grid vertex (x, y) at index y * width + x,
    // its height a fifth of the map's.
    const Map& shown = *view().filteredMap();
    for (std::uint32_t y = 0; y < shown.length(); y += 5) {
        for (std::uint32_t x = 0; x < shown.width(); x += 4) {
            const QVector3D vertex = view().meshGrid().at(int(y * shown.width() + x));
            QVERIFY(qAbs(vertex.y() - shown.pointAt(x, y)->z() / 5.0f) < 1e-6f);
        }
    }
    QVERIFY(Camera::of(view()) == camera);

    // Swap the two filters: order matters for the filtered map.
    clickFilterRow(0);
    QCOMPARE(selectedRows(*form().filterListWidget), QList<int>{0});
    QTest::mouseClick(form().moveDownButton, Qt::LeftButton);
    QCOMPARE(view().filterName(0), QStringLiteral("along x"));
    QTest::keyClick(window_.get(), Qt::Key_F5);
    std::swap(filters[0], filters[1]);
    QVERIFY(sameHeights(*view().filteredMap(), *applyFilterList(*base, filters)));
}

void TestWorldCommands::rightDragTurns()
{
    const Camera before = Camera::of(view());
    drag(view(), Qt::RightButton, {100, 100}, {{110, 104}});
    QCOMPARE(view().yRotation(), before.yRot + 80.0);
    QCOMPARE(view().xRotation(), before.xRot + 32.0);
    QCOMPARE(view().zRotation(), before.zRot);
    QCOMPARE(view().centerX(), before.centerX);
    QCOMPARE(view().centerY(), before.centerY);
    QCOMPARE(view().cursor().shape(), Qt::ArrowCursor);
}

void TestWorldCommands::leftDragMovesTheCentre_data()
{
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<double>("centerX");
    QTest::addColumn<double>("centerY");

    QTest::newRow("32 right") << QPoint(32, 0) << -1.0 << 0.0;
    QTest::newRow("32 down") << QPoint(0, 32) << 0.0 << 1.0;
    QTest::newRow("16 left, 8 up") << QPoint(-16, -8) << 0.5 << -0.25;
}

void TestWorldCommands::leftDragMovesTheCentre()
{
    QFETCH(QPoint, offset);
    QFETCH(double, centerX);
    QFETCH(double, centerY);

    const QPoint from(150, 120);
    drag(view(), Qt::LeftButton, from, {from + offset}, false);
    QCOMPARE(view().cursor().shape(), Qt::ClosedHandCursor);
    QCOMPARE(view().centerX(), centerX);
    QCOMPARE(view().centerY(), centerY);
    QCOMPARE(view().xRotation(), 0.0);
    QCOMPARE(view().yRotation(), 0.0);
    sendMouse(view(), QEvent::MouseButtonRelease, from + offset, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(view().cursor().shape(), Qt::ArrowCursor);
}

void TestWorldCommands::wheelZooms()
{
    QCOMPARE(view().eyeDistance(), -10.0f);
    turnWheel(view(), 120);
    const float once = oneNotchOut(-10.0f);
    QCOMPARE(view().eyeDistance(), once);
    turnWheel(view(), 120);
    QCOMPARE(view().eyeDistance(), oneNotchOut(once));
    QCOMPARE(view().eyeDistance(), -12.1f);
}

void TestWorldCommands::centerResetsAllButTheZoom_data()
{
    QTest::addColumn<bool>("withWorld");
    QTest::addColumn<QString>("how");

    QTest::newRow("Space, no world") << false << "Space";
    QTest::newRow("Space, with a world") << true << "Space";
    QTest::newRow("action") << true << "action";
    QTest::newRow("tool bar") << false << "tool bar";
}

void TestWorldCommands::centerResetsAllButTheZoom()
{
    QFETCH(bool, withWorld);
    QFETCH(QString, how);

    QString why;
    if (withWorld) {
        QVERIFY2(newWorld(seeded(2, "center", 20, 20), why), qPrintable(why));
    }
    drag(view(), Qt::RightButton, {100, 100}, {{110, 104}, {130, 90}});
    drag(view(), Qt::LeftButton, {100, 100}, {{140, 108}});
    view().setZRotation(48.0);
    turnWheel(view(), 120);
    turnWheel(view(), 120);
    QVERIFY(view().xRotation() != 0.0 && view().yRotation() != 0.0);
    QVERIFY(view().centerX() != 0.0 && view().centerY() != 0.0);
    const float zoom = view().eyeDistance();
    const Map* world = view().filteredMap();

    if (how == QLatin1String("Space")) {
        QVERIFY(showActive(*window_));
        QTest::keyClick(window_.get(), Qt::Key_Space);
    } else if (how == QLatin1String("action")) {
        form().actionCenter->trigger();
    } else {
        QWidget* button = form().mainToolBar->widgetForAction(form().actionCenter);
        QVERIFY(button != nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QCOMPARE(view().xRotation(), 0.0);
    QCOMPARE(view().yRotation(), 0.0);
    QCOMPARE(view().zRotation(), 0.0);
    QCOMPARE(view().centerX(), 0.0);
    QCOMPARE(view().centerY(), 0.0);
    QCOMPARE(view().eyeDistance(), zoom);
    QCOMPARE(view().filteredMap(), world);
}

QTEST_MAIN(TestWorldCommands)
#include "test_worldcommands.moc"
