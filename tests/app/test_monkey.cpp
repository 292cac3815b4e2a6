// A random user drives the real main window for thousands of actions, and
// after every one the window is checked against a model of what the user has
// done: enabled states, filter rows and filters, world size and contents, the
// drops, the camera and the absence of open dialogs.
//
// The run is reproducible: TERRAVIK_MONKEY_SEED picks the random sequence and
// TERRAVIK_MONKEY_ACTIONS the number of actions; a failure names both the seed
// and the action number.
#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "filters/filtermatrix.h"
#include "generators/fullyrandommapbuilder.h"
#include "generators/peaksmountainchainmapbuilder.h"
#include "generators/simplepeaksmoutainmapbuilder.h"
#include "terrain/map.h"
#include "userdriver.h"
#include "view/glwidget.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <vector>

#ifndef TERRAVIK_SANITIZE_BUILD
#define TERRAVIK_SANITIZE_BUILD 0
#endif

namespace {

constexpr std::uint32_t kDefaultSeed = 20240611u;
// The sanitizer build runs the same actions about one and a half times slower
// and halves the count to stay as quick.
constexpr int kDefaultActions = TERRAVIK_SANITIZE_BUILD ? 1500 : 3000;
constexpr int kMaxFilters = 6;

long environmentNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    return std::strtol(text, nullptr, 10);
}

// What the user believes a filter holds: the name shown and the coefficients.
struct ModelFilter
{
    QString name;
    FilterMatrix::Coefficients coefficients{};
};

// The window as the user's actions should have left it.
struct Model
{
    bool start = false;
    bool next = false;
    bool result = false;
    bool dynamic = false;
    bool update = false;
    bool hasWorld = false;
    std::uint32_t width = 0;
    std::uint32_t length = 0;
    std::size_t drops = 0;
    std::vector<ModelFilter> filters;
    double xRot = 0.0;
    double yRot = 0.0;
    double centerX = 0.0;
    double centerY = 0.0;
    float distance = -10.0f;

    // The form's connections, which run before the command of the same click.
    void newWorldTriggered()
    {
        start = true;
        update = true;
    }
    void startClicked()
    {
        start = false;
        next = result = dynamic = true;
    }
    void runToEndClicked()
    {
        start = true;
        next = result = dynamic = false;
    }
};

std::unique_ptr<MapBuilder> builderFor(int generatorIndex)
{
    switch (generatorIndex) {
    case 0:
        return std::make_unique<FullyRandomMapBuilder>();
    case 2:
        return std::make_unique<PeaksMountainChainMapBuilder>();
    default:
        return std::make_unique<SimplePeaksMoutainMapBuilder>();
    }
}

bool sameHeight(float a, float b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

// Empty when both maps have the same size and heights.
QString compareMaps(const Map& actual, const Map& expected)
{
    if (actual.width() != expected.width() || actual.length() != expected.length()) {
        return QStringLiteral("size %1 x %2, expected %3 x %4")
            .arg(actual.width())
            .arg(actual.length())
            .arg(expected.width())
            .arg(expected.length());
    }
    for (std::size_t i = 0; i < actual.points().size(); ++i) {
        const MapPoint& a = actual.points()[i];
        const MapPoint& e = expected.points()[i];
        if (a.x() != e.x() || a.y() != e.y() || !sameHeight(a.z(), e.z())) {
            return QStringLiteral("point %1 is (%2, %3, %4), expected (%5, %6, %7)")
                .arg(i)
                .arg(double(a.x()))
                .arg(double(a.y()))
                .arg(double(a.z()))
                .arg(double(e.x()))
                .arg(double(e.y()))
                .arg(double(e.z()));
        }
    }
    return QString();
}

// Heights small enough that a drop's interpolated height cannot overflow.
bool hasTameHeights(const Map& map)
{
    return std::all_of(map.points().begin(), map.points().end(), [](const MapPoint& point) {
        return std::isfinite(point.z()) && std::fabs(point.z()) < 1e30f;
    });
}

struct DropSnapshot
{
    std::size_t points;
    bool stopped;
};

std::vector<DropSnapshot> snapshotDrops(const Map* map)
{
    std::vector<DropSnapshot> snapshot;
    if (map != nullptr) {
        for (const WaterDrop* drop : map->drops()) {
            snapshot.push_back({drop->path().size(), drop->isStopped()});
        }
    }
    return snapshot;
}

// What a run has really done, so that a run that never reached the
// interesting states cannot pass unnoticed.
struct Coverage
{
    int worldsMade = 0;
    int clockSeededWorlds = 0;
    int fullSizeWorlds = 0;
    int dropsStarted = 0;
    int startsRefused = 0;
    int dropsRunToEnd = 0;
    int disabledClicks = 0;
    int filtersEdited = 0;
    std::size_t longestPath = 0;
};

class Monkey
{
public:
    Monkey(MainWindow& window, std::uint32_t seed) : window_(window), random_(seed) {}

    // Performs one random action and checks the window afterwards. Returns
    // false with failure() set when something is wrong.
    bool act();

    const QString& failure() const { return failure_; }
    const QString& lastAction() const { return action_; }
    // Wall time of the slowest action so far, and what it was.
    qint64 slowestMs() const { return slowestMs_; }
    const QString& slowestAction() const { return slowest_; }
    const std::map<QString, int>& counts() const { return counts_; }
    const std::map<QString, qint64>& milliseconds() const { return milliseconds_; }
    const Coverage& coverage() const { return coverage_; }

private:
    MainWindowForm& form() { return *window_.form(); }
    GLWidget* view() { return form().widget; }

    int uniform(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

    bool fail(const QString& message)
    {
        if (failure_.isEmpty()) {
            failure_ = message;
        }
        return false;
    }
    bool expect(bool condition, const QString& message) { return condition || fail(message); }

    void name(const QString& action) { action_ = action; }

    // Actions.
    bool newWorld();
    bool update();
    bool center();
    bool drag();
    bool wheel();
    bool addFilter();
    bool editFilter();
    bool listCommand(QPushButton* button, const char* label);
    bool setDropPosition();
    bool start();
    bool next();
    bool runToEnd(QPushButton* button, const char* label, bool enabled);

    // Helpers.
    int randomSide();
    QString randomSeedText();
    QString randomFilterName();
    FilterMatrix::Coefficients randomCoefficients();
    UserDriver::Ending randomEnding(double acceptance);
    int chooseSelection();
    void showPage(QWidget* page) { form().tabWidget->setCurrentWidget(page); }
    bool ensureActive();
    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void sendMouse(QEvent::Type type, QPoint position, Qt::MouseButton button,
                   Qt::MouseButtons held);
    bool checkWorldContents(const std::unique_ptr<MapBuilder>& expectedBuilder);
    bool checkMeshShowsWorld();
    bool checkDropsRanToEnd(const std::vector<DropSnapshot>& before);

    // Invariants, checked after every action.
    bool checkAll();
    bool checkEnabledStates();
    bool checkFilters();
    bool checkWorld();
    bool checkDropPaths();
    bool checkCamera();
    bool checkNoDialogs();

    MainWindow& window_;
    std::mt19937 random_;
    Model model_;
    QString failure_;
    QString action_;
    bool listRebuilt_ = false;
    qint64 slowestMs_ = 0;
    QString slowest_;
    std::map<QString, int> counts_;
    std::map<QString, qint64> milliseconds_;
    Coverage coverage_;
};

bool Monkey::act()
{
    listRebuilt_ = false;
    QElapsedTimer clock;
    clock.start();
    bool ok = false;
    // Weighted choice of the user's next move.
    const int roll = uniform(0, 99);
    if (roll < 9) {
        ok = newWorld();
    } else if (roll < 17) {
        ok = update();
    } else if (roll < 20) {
        ok = center();
    } else if (roll < 26) {
        ok = drag();
    } else if (roll < 29) {
        ok = wheel();
    } else if (roll < 37) {
        ok = model_.filters.size() >= std::size_t(kMaxFilters)
                 ? listCommand(form().removeFilterButton, "Remove")
                 : addFilter();
    } else if (roll < 43) {
        ok = editFilter();
    } else if (roll < 48) {
        ok = listCommand(form().removeFilterButton, "Remove");
    } else if (roll < 52) {
        ok = listCommand(form().moveUpButton, "Move up");
    } else if (roll < 56) {
        ok = listCommand(form().moveDownButton, "Move down");
    } else if (roll < 66) {
        ok = setDropPosition();
    } else if (roll < 78) {
        ok = start();
    } else if (roll < 87) {
        ok = next();
    } else if (roll < 94) {
        ok = runToEnd(form().pushButtonGoutteRes, "Result", model_.result);
    } else {
        ok = runToEnd(form().pushButtonGoutteDynamic, "Dynamic display", model_.dynamic);
    }
    const qint64 elapsed = clock.elapsed();
    if (elapsed > slowestMs_) {
        slowestMs_ = elapsed;
        slowest_ = action_;
    }
    const QString kind = action_.section(QStringLiteral(" ("), 0, 0);
    ++counts_[kind];
    milliseconds_[kind] += elapsed;
    return ok && checkAll();
}

// Accepts with the given probability, by a click on OK or by Enter; rejects
// by Cancel, Escape or the close box.
UserDriver::Ending Monkey::randomEnding(double acceptance)
{
    using UserDriver::Ending;
    if (chance(acceptance)) {
        return chance(0.8) ? Ending::ClickOk : Ending::PressEnter;
    }
    const int roll = uniform(0, 9);
    return roll < 6 ? Ending::ClickCancel : roll < 8 ? Ending::PressEscape : Ending::CloseWindow;
}

const char* endingName(UserDriver::Ending ending)
{
    switch (ending) {
    case UserDriver::Ending::ClickOk:
        return "OK";
    case UserDriver::Ending::ClickCancel:
        return "Cancel";
    case UserDriver::Ending::PressEnter:
        return "Enter";
    case UserDriver::Ending::PressEscape:
        return "Escape";
    case UserDriver::Ending::CloseWindow:
        return "close box";
    }
    return "?";
}

int Monkey::randomSide()
{
    const int roll = uniform(0, 99);
    if (roll < 55) {
        return uniform(2, 12);
    }
    if (roll < 70) {
        return uniform(0, 3);
    }
    return uniform(0, 99);
}

QString Monkey::randomSeedText()
{
    static const QString samples[] = {QString(),
                                      QStringLiteral("a"),
                                      QStringLiteral("Terravik"),
                                      QStringLiteral("  "),
                                      QStringLiteral("seed 42"),
                                      QStringLiteral("\u00e9t\u00e9")};
    if (chance(0.4)) {
        return samples[uniform(0, int(std::size(samples)) - 1)];
    }
    QString text;
    const int length = uniform(1, 20);
    for (int i = 0; i < length; ++i) {
        text.append(QChar(uniform(32, 126)));
    }
    return text;
}

QString Monkey::randomFilterName()
{
    const int roll = uniform(0, 9);
    if (roll < 2) {
        return QString();
    }
    if (roll < 3) {
        return QStringLiteral("   ");
    }
    if (roll < 5) {
        return QStringLiteral("Blur");
    }
    QString text;
    const int length = uniform(1, 12);
    for (int i = 0; i < length; ++i) {
        text.append(QChar(uniform(33, 126)));
    }
    return text;
}

FilterMatrix::Coefficients Monkey::randomCoefficients()
{
    FilterMatrix::Coefficients coefficients{};
    const int kind = uniform(0, 9);
    for (std::int32_t& c : coefficients) {
        if (kind < 4) {
            c = uniform(0, 10); // a smoothing filter
        } else if (kind < 8) {
            c = uniform(-100, 100);
        } else {
            c = chance(0.2) ? uniform(-100, 100) : 0; // sparse
        }
    }
    return coefficients;
}

// Selects a random row of the filter list, or none, as the user would: by
// clicking the row or by clearing the selection. Returns the selected row or -1.
int Monkey::chooseSelection()
{
    QListWidget* list = form().filterListWidget;
    showPage(form().tabFilters);
    if (list->count() == 0 || chance(0.25)) {
        list->clearSelection();
        return -1;
    }
    const int row = uniform(0, list->count() - 1);
    QListWidgetItem* item = list->item(row);
    if (chance(0.5)) {
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(item).center());
    } else {
        list->setCurrentRow(row);
    }
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    if (selected.size() != 1 || selected.front().row() != row) {
        fail(QStringLiteral("selecting row %1 did not select it").arg(row));
        return -2;
    }
    return row;
}

bool Monkey::ensureActive()
{
    if (QApplication::activeWindow() == &window_) {
        return true;
    }
    window_.activateWindow();
    return QTest::qWaitForWindowActive(&window_, 2000);
}

void Monkey::sendMouse(QEvent::Type type, QPoint position, Qt::MouseButton button,
                       Qt::MouseButtons held)
{
    QMouseEvent event(type, position, view()->mapToGlobal(position), button, held, Qt::NoModifier);
    QApplication::sendEvent(view(), &event);
}

bool Monkey::newWorld()
{
    UserDriver::NewWorldAnswer answer;
    answer.generatorIndex = uniform(0, 2);
    // A clock-seeded world differs from run to run, so it is kept small and
    // rare: the rest of the run then reproduces from the monkey's seed alone.
    answer.randomSeed = chance(0.1);
    answer.seedText = randomSeedText();
    if (answer.randomSeed) {
        answer.width = uniform(0, 12);
        answer.length = uniform(0, 12);
    } else if (chance(0.08)) {
        answer.width = answer.length = 99;
    } else {
        answer.width = randomSide();
        answer.length = randomSide();
    }
    answer.ending = randomEnding(0.85);
    const bool accepted = UserDriver::accepts(answer.ending);
    const int how = uniform(0, 9);
    name(QStringLiteral("New world (generator %1, %2, \"%3\", %4 x %5, %6, via %7)")
             .arg(answer.generatorIndex)
             .arg(answer.randomSeed ? "random seed" : "seed text")
             .arg(answer.seedText)
             .arg(answer.width)
             .arg(answer.length)
             .arg(endingName(answer.ending))
             .arg(how < 7   ? "menu"
                  : how < 9 ? "tool bar"
                            : "Ctrl+N"));

    bool wrongDialog = false;
    {
        UserDriver::ModalAnswer pending([&answer, &wrongDialog](QWidget* modal) {
            wrongDialog = !UserDriver::answerNewWorld(modal, answer);
        });
        if (how < 7) {
            form().actionNewWorld->trigger();
        } else if (how < 9) {
            click(qobject_cast<QAbstractButton*>(
                form().mainToolBar->widgetForAction(form().actionNewWorld)));
        } else {
            if (!ensureActive()) {
                return fail(QStringLiteral("the main window cannot be activated"));
            }
            QTest::keyClick(&window_, Qt::Key_N, Qt::ControlModifier);
        }
        if (!pending.answered()) {
            return fail(QStringLiteral("the new world dialog did not open"));
        }
    }
    if (wrongDialog) {
        return fail(QStringLiteral("New world opened another modal than its dialog"));
    }
    model_.newWorldTriggered();
    if (!accepted) {
        return true;
    }
    ++coverage_.worldsMade;
    coverage_.clockSeededWorlds += answer.randomSeed;
    coverage_.fullSizeWorlds += answer.width == 99 && answer.length == 99;
    model_.hasWorld = true;
    model_.width = std::uint32_t(answer.width);
    model_.length = std::uint32_t(answer.length);
    model_.drops = 0;
    std::unique_ptr<MapBuilder> expected;
    if (!answer.randomSeed) {
        expected = builderFor(answer.generatorIndex);
        expected->setSeed(answer.seedText.toLocal8Bit())
            .setWidth(answer.width)
            .setLength(answer.length);
    }
    return checkWorldContents(expected);
}

// The base map equals the generator's map for the user's answers (when they
// fix it), and the filtered map equals the base map through the user's filters
// in the user's order.
bool Monkey::checkWorldContents(const std::unique_ptr<MapBuilder>& expectedBuilder)
{
    const Map* base = view()->baseMap();
    const Map* filtered = view()->filteredMap();
    if (base == nullptr || filtered == nullptr) {
        return fail(QStringLiteral("no world after an accepted dialog"));
    }
    if (expectedBuilder) {
        const QString difference = compareMaps(*base, *expectedBuilder->build());
        if (!difference.isEmpty()) {
            return fail(QStringLiteral("base map differs from the generator's: ") + difference);
        }
    }
    std::unique_ptr<Map> expected = base->copy();
    for (const ModelFilter& filter : model_.filters) {
        FilterMatrix matrix(filter.name);
        matrix.setMatrix(filter.coefficients);
        expected = matrix.apply(*expected);
    }
    const QString difference = compareMaps(*filtered, *expected);
    if (!difference.isEmpty()) {
        return fail(QStringLiteral("filtered map differs from the filters' output: ") + difference);
    }
    return checkMeshShowsWorld();
}

bool closeTo(float actual, float expected)
{
    return sameHeight(actual, expected) ||
           std::fabs(actual - expected) <= 1e-5f * std::max(1.0f, std::fabs(expected));
}

// The view was rebuilt from the filtered map: grid vertex i * width + j is map
// point (j, i) scaled by 1/5 with the height up and the map's centre at the
// origin.
bool Monkey::checkMeshShowsWorld()
{
    const Map& map = *view()->filteredMap();
    const QVector<QVector3D>& grid = view()->meshGrid();
    const float halfWidth = float(map.width()) / 5.0f * 0.5f;
    const float halfLength = float(map.length()) / 5.0f * 0.5f;
    for (std::uint32_t i = 0; i < map.length(); ++i) {
        for (std::uint32_t j = 0; j < map.width(); ++j) {
            const MapPoint& point = *map.pointAt(j, i);
            const int index = int(i * map.width() + j);
            if (index >= grid.size()) {
                return fail(QStringLiteral("the mesh has %1 grid vertices").arg(grid.size()));
            }
            const QVector3D& vertex = grid[index];
            if (!closeTo(vertex.x(), point.x() / 5.0f - halfWidth) ||
                !closeTo(vertex.y(), point.z() / 5.0f) ||
                !closeTo(vertex.z(), point.y() / 5.0f - halfLength)) {
                return fail(QStringLiteral("grid vertex %1 is (%2, %3, %4) for map point "
                                           "(%5, %6, %7)")
                                .arg(index)
                                .arg(double(vertex.x()))
                                .arg(double(vertex.y()))
                                .arg(double(vertex.z()))
                                .arg(double(point.x()))
                                .arg(double(point.y()))
                                .arg(double(point.z())));
            }
        }
    }
    return true;
}

bool Monkey::update()
{
    const int how = uniform(0, 9);
    const bool wasEnabled = model_.update;
    QSignalSpy triggered(form().actionUpdate, &QAction::triggered);
    if (how < 5) {
        if (!wasEnabled) {
            // A disabled menu entry cannot be chosen; the tool bar button is
            // there to be clicked in vain.
            name(QStringLiteral("Update (disabled tool bar button)"));
            click(qobject_cast<QAbstractButton*>(
                form().mainToolBar->widgetForAction(form().actionUpdate)));
        } else {
            name(QStringLiteral("Update (menu)"));
            form().actionUpdate->trigger();
        }
    } else if (how < 7) {
        name(QStringLiteral("Update (tool bar)"));
        click(qobject_cast<QAbstractButton*>(
            form().mainToolBar->widgetForAction(form().actionUpdate)));
    } else {
        name(QStringLiteral("Update (F5)"));
        if (!ensureActive()) {
            return fail(QStringLiteral("the main window cannot be activated"));
        }
        QTest::keyClick(&window_, Qt::Key_F5);
    }
    if (!expect(triggered.count() == (wasEnabled ? 1 : 0),
                QStringLiteral("Update triggered %1 times while %2")
                    .arg(triggered.count())
                    .arg(wasEnabled ? "enabled" : "disabled"))) {
        return false;
    }
    if (!wasEnabled || !model_.hasWorld) {
        return true;
    }
    model_.drops = 0;
    return checkWorldContents(nullptr);
}

bool Monkey::center()
{
    name(QStringLiteral("Center"));
    if (chance(0.5)) {
        form().actionCenter->trigger();
    } else {
        click(qobject_cast<QAbstractButton*>(
            form().mainToolBar->widgetForAction(form().actionCenter)));
    }
    model_.xRot = model_.yRot = 0.0;
    model_.centerX = model_.centerY = 0.0;
    return true;
}

bool Monkey::drag()
{
    const int kind = uniform(0, 4);
    const Qt::MouseButton button = kind < 2 ? Qt::LeftButton : Qt::RightButton;
    const Qt::MouseButtons held =
        kind == 4 ? Qt::MouseButtons(Qt::LeftButton | Qt::RightButton) : Qt::MouseButtons(button);
    const int moves = uniform(1, 6);
    name(QStringLiteral("Drag (%1, %2 moves)")
             .arg(kind == 4                  ? "both buttons"
                  : button == Qt::LeftButton ? "left"
                                             : "right")
             .arg(moves));
    const QSize size = view()->size();
    QPoint position(uniform(0, size.width() - 1), uniform(0, size.height() - 1));
    sendMouse(QEvent::MouseButtonPress, position, button, button);
    for (int i = 0; i < moves; ++i) {
        const QPoint to(uniform(-50, size.width() + 50), uniform(-50, size.height() + 50));
        const int dx = to.x() - position.x();
        const int dy = to.y() - position.y();
        sendMouse(QEvent::MouseMove, to, Qt::NoButton, held);
        if (held & Qt::RightButton) {
            model_.xRot += double(8 * dy);
            model_.yRot += double(8 * dx);
        }
        if (held & Qt::LeftButton) {
            model_.centerX -= double(float(dx) * 0.03125f);
            model_.centerY += double(float(dy) * 0.03125f);
            if (view()->cursor().shape() != Qt::ClosedHandCursor) {
                return fail(QStringLiteral("no closed hand while dragging with the left button"));
            }
        }
        position = to;
    }
    sendMouse(QEvent::MouseButtonRelease, position, button, Qt::NoButton);
    return true;
}

bool Monkey::wheel()
{
    const int notches = chance(0.5) ? 1 : -1;
    name(QStringLiteral("Wheel (%1)").arg(notches > 0 ? "forward" : "back"));
    // Keep the eye at a sensible distance: turn back when far or near.
    int delta = 120 * notches;
    if (std::fabs(model_.distance) > 200.0f) {
        delta = -120;
    } else if (std::fabs(model_.distance) < 0.5f) {
        delta = 120;
    }
    const QPoint position(view()->width() / 2, view()->height() / 2);
    QWheelEvent event(position, view()->mapToGlobal(position), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view(), &event);
    model_.distance = float((double(delta) / 1200.0 + 1.0) * double(model_.distance));
    return true;
}

bool Monkey::addFilter()
{
    UserDriver::FilterAnswer answer;
    answer.name = randomFilterName();
    answer.coefficients = randomCoefficients();
    answer.ending = randomEnding(0.8);
    name(QStringLiteral("Add (\"%1\", %2)").arg(answer.name).arg(endingName(answer.ending)));
    showPage(form().tabFilters);
    const QModelIndexList selectedBefore =
        form().filterListWidget->selectionModel()->selectedIndexes();
    bool openedEmpty = false;
    bool wrongDialog = false;
    {
        UserDriver::ModalAnswer pending([&](QWidget* modal) {
            if (auto* dialog = qobject_cast<EditFilterDialog*>(modal)) {
                openedEmpty = dialog->customName().isEmpty() &&
                              dialog->matrix() == FilterMatrix::Coefficients{};
            }
            wrongDialog = !UserDriver::answerFilter(modal, answer);
        });
        click(form().addFilterButton);
        if (!pending.answered()) {
            return fail(QStringLiteral("Add opened no dialog"));
        }
    }
    if (wrongDialog || !openedEmpty) {
        return fail(QStringLiteral("Add did not open an empty filter dialog"));
    }
    if (!UserDriver::accepts(answer.ending)) {
        return expect(form().filterListWidget->selectionModel()->selectedIndexes() ==
                          selectedBefore,
                      QStringLiteral("a cancelled Add changed the selection"));
    }
    model_.filters.push_back(
        {answer.name.isEmpty() ? QStringLiteral("Matrix") : answer.name, answer.coefficients});
    listRebuilt_ = true;
    return true;
}

bool Monkey::editFilter()
{
    const int row = chooseSelection();
    if (row == -2) {
        return false;
    }
    UserDriver::FilterAnswer answer;
    answer.keepName = chance(0.3);
    answer.name = randomFilterName();
    answer.keepCoefficients = chance(0.3);
    answer.coefficients = randomCoefficients();
    answer.ending = randomEnding(0.6);
    name(QStringLiteral("Edit (row %1, name %2, coefficients %3, %4)")
             .arg(row)
             .arg(answer.keepName ? QStringLiteral("kept") : QLatin1Char('"') + answer.name + '"')
             .arg(answer.keepCoefficients ? "kept" : "changed")
             .arg(endingName(answer.ending)));
    bool openedWithFilter = false;
    bool wrongDialog = false;
    bool opened = false;
    {
        UserDriver::ModalAnswer pending([&](QWidget* modal) {
            if (auto* dialog = qobject_cast<EditFilterDialog*>(modal); dialog && row >= 0) {
                const ModelFilter& filter = model_.filters[std::size_t(row)];
                openedWithFilter =
                    dialog->customName() == filter.name && dialog->matrix() == filter.coefficients;
            }
            wrongDialog = !UserDriver::answerFilter(modal, answer);
        });
        click(form().editFilterButton);
        opened = pending.answered();
    }
    listRebuilt_ = true;
    if (row < 0) {
        return expect(!opened, QStringLiteral("Edit without a selection opened a dialog"));
    }
    if (!opened || wrongDialog || !openedWithFilter) {
        return fail(QStringLiteral("Edit did not open the dialog filled with row %1").arg(row));
    }
    ++coverage_.filtersEdited;
    // The dialog's contents are taken whichever way it closed.
    ModelFilter& filter = model_.filters[std::size_t(row)];
    if (!answer.keepName) {
        filter.name = answer.name;
    }
    if (!answer.keepCoefficients) {
        filter.coefficients = answer.coefficients;
    }
    return true;
}

bool Monkey::listCommand(QPushButton* button, const char* label)
{
    const int row = chooseSelection();
    if (row == -2) {
        return false;
    }
    name(QStringLiteral("%1 (row %2)").arg(QLatin1String(label)).arg(row));
    click(button);
    listRebuilt_ = true;
    std::vector<ModelFilter>& filters = model_.filters;
    if (row < 0) {
        return true;
    }
    const auto at = filters.begin() + row;
    if (button == form().removeFilterButton) {
        filters.erase(at);
    } else if (button == form().moveUpButton) {
        if (row > 0) {
            std::iter_swap(at, at - 1);
        }
    } else if (row + 1 < int(filters.size())) {
        std::iter_swap(at, at + 1);
    }
    return true;
}

bool Monkey::setDropPosition()
{
    auto coordinate = [this](std::uint32_t side) {
        const int roll = uniform(0, 9);
        if (model_.hasWorld && side > 0 && roll < 6) {
            return uniform(0, int(side) * 100 - 1) / 100.0; // on the map
        }
        if (model_.hasWorld && roll < 8) {
            return (int(side) - 1) * 1.0 + uniform(-2, 2) * 0.01; // around the last column
        }
        return uniform(0, 9999) / 100.0; // anywhere
    };
    showPage(form().tabGoutte);
    form().doubleSpinBoxGoutteX->setValue(coordinate(model_.width));
    form().doubleSpinBoxGoutteY->setValue(coordinate(model_.length));
    name(QStringLiteral("Drop position (%1, %2)")
             .arg(form().doubleSpinBoxGoutteX->value())
             .arg(form().doubleSpinBoxGoutteY->value()));
    return true;
}

bool Monkey::start()
{
    showPage(form().tabGoutte);
    const double x = form().doubleSpinBoxGoutteX->value();
    const double y = form().doubleSpinBoxGoutteY->value();
    const bool enabled = model_.start;
    name(QStringLiteral("Start (%1, %2%3)").arg(x).arg(y).arg(enabled ? "" : ", disabled"));
    QString title;
    QString text;
    bool wrongDialog = false;
    bool warned = false;
    {
        UserDriver::ModalAnswer pending([&](QWidget* modal) {
            wrongDialog = !UserDriver::acknowledgeMessage(modal, &title, &text);
        });
        click(form().pushButtonGoutteLancer);
        warned = pending.answered();
    }
    if (!enabled) {
        ++coverage_.disabledClicks;
        return expect(!warned, QStringLiteral("a disabled Start showed a message"));
    }
    model_.startClicked();
    if (wrongDialog) {
        return fail(QStringLiteral("Start opened a modal that is not a message box"));
    }
    const double w = model_.width;
    const double l = model_.length;
    // Off the map the warning must come; well inside it must not. Between the
    // last grid line and the map's edge either is right.
    const bool outside = !model_.hasWorld || x >= w || y >= l;
    const bool inside = model_.hasWorld && w >= 2 && l >= 2 && x < w - 1 && y < l - 1;
    if (outside && !warned) {
        return fail(QStringLiteral("no warning for a start off the map"));
    }
    if (inside && warned) {
        return fail(QStringLiteral("a warning for a start on the map"));
    }
    if (warned) {
        ++coverage_.startsRefused;
        return expect(title == QLatin1String("Warning !") &&
                          text == QLatin1String("The entered coordinates are not within the map"),
                      QStringLiteral("warning \"%1\" / \"%2\"").arg(title, text));
    }
    ++model_.drops;
    ++coverage_.dropsStarted;
    const auto drops = view()->filteredMap()->drops();
    if (!expect(!drops.empty(), QStringLiteral("no drop after an accepted Start"))) {
        return false;
    }
    const MapPoint& first = drops.back()->path().front();
    return expect(drops.back()->path().size() == 1 && first.x() == float(x) &&
                      first.y() == float(y),
                  QStringLiteral("the new drop starts at (%1, %2)")
                      .arg(double(first.x()))
                      .arg(double(first.y())));
}

bool Monkey::next()
{
    showPage(form().tabGoutte);
    const bool enabled = model_.next;
    name(QStringLiteral("Next%1").arg(enabled ? "" : " (disabled)"));
    const std::vector<DropSnapshot> before = snapshotDrops(view()->filteredMap());
    click(form().pushButtonGoutteSuivant);
    const std::vector<DropSnapshot> after = snapshotDrops(view()->filteredMap());
    if (after.size() != before.size()) {
        return fail(QStringLiteral("Next changed the number of drops"));
    }
    for (std::size_t i = 0; i < after.size(); ++i) {
        const std::size_t grown = after[i].points - before[i].points;
        const bool ran = enabled && !before[i].stopped;
        const bool right = !ran               ? grown == 0 && after[i].stopped == before[i].stopped
                           : after[i].stopped ? after[i].points >= before[i].points &&
                                                    grown <= std::size_t(DropRun::StepsPerNext)
                                              : grown == std::size_t(DropRun::StepsPerNext);
        if (!right) {
            return fail(QStringLiteral("drop %1 went from %2 to %3 points (%4)")
                            .arg(i)
                            .arg(before[i].points)
                            .arg(after[i].points)
                            .arg(after[i].stopped ? "stopped" : "running"));
        }
    }
    if (!enabled || view()->filteredMap() == nullptr) {
        return true;
    }
    // The view shows every drop as it is now.
    const auto& lines = view()->meshDropLines();
    if (!expect(std::size_t(lines.size()) == after.size(),
                QStringLiteral("%1 drop line lists for %2 drops")
                    .arg(lines.size())
                    .arg(after.size()))) {
        return false;
    }
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (std::size_t(lines[int(i)].size()) != 2 * (after[i].points - 1)) {
            return fail(QStringLiteral("drop %1 of %2 points drawn with %3 vertices")
                            .arg(i)
                            .arg(after[i].points)
                            .arg(lines[int(i)].size()));
        }
    }
    return true;
}

bool Monkey::runToEnd(QPushButton* button, const char* label, bool enabled)
{
    showPage(form().tabGoutte);
    name(QStringLiteral("%1%2").arg(QLatin1String(label)).arg(enabled ? "" : " (disabled)"));
    const std::vector<DropSnapshot> before = snapshotDrops(view()->filteredMap());
    click(button);
    if (!enabled) {
        ++coverage_.disabledClicks;
        const std::vector<DropSnapshot> after = snapshotDrops(view()->filteredMap());
        return expect(after.size() == before.size() &&
                          std::equal(after.begin(), after.end(), before.begin(),
                                     [](const DropSnapshot& a, const DropSnapshot& b) {
                                         return a.points == b.points && a.stopped == b.stopped;
                                     }),
                      QStringLiteral("a disabled %1 moved the drops").arg(QLatin1String(label)));
    }
    model_.runToEndClicked();
    ++coverage_.dropsRunToEnd;
    return checkDropsRanToEnd(before);
}

// Every drop has stopped, unless it ran for the whole step bound.
bool Monkey::checkDropsRanToEnd(const std::vector<DropSnapshot>& before)
{
    const std::vector<DropSnapshot> after = snapshotDrops(view()->filteredMap());
    if (after.size() != before.size()) {
        return fail(QStringLiteral("running the drops changed their number"));
    }
    for (std::size_t i = 0; i < after.size(); ++i) {
        coverage_.longestPath = std::max(coverage_.longestPath, after[i].points);
        const bool boundReached =
            after[i].points - before[i].points == std::size_t(DropRun::DefaultStepLimit);
        if (!after[i].stopped && !boundReached) {
            return fail(QStringLiteral("drop %1 still runs after %2 more points")
                            .arg(i)
                            .arg(after[i].points - before[i].points));
        }
    }
    return true;
}

bool Monkey::checkAll()
{
    return checkNoDialogs() && checkEnabledStates() && checkFilters() && checkWorld() &&
           checkDropPaths() && checkCamera();
}

bool Monkey::checkEnabledStates()
{
    struct State
    {
        const char* name;
        bool actual;
        bool expected;
    };
    const State states[] = {
        {"Start", form().pushButtonGoutteLancer->isEnabled(), model_.start},
        {"Next", form().pushButtonGoutteSuivant->isEnabled(), model_.next},
        {"Result", form().pushButtonGoutteRes->isEnabled(), model_.result},
        {"Dynamic display", form().pushButtonGoutteDynamic->isEnabled(), model_.dynamic},
        {"Update", form().actionUpdate->isEnabled(), model_.update},
        {"New world", form().actionNewWorld->isEnabled(), true},
        {"Center", form().actionCenter->isEnabled(), true},
        {"Add", form().addFilterButton->isEnabled(), true},
        {"Edit", form().editFilterButton->isEnabled(), true},
        {"Remove", form().removeFilterButton->isEnabled(), true},
        {"Move up", form().moveUpButton->isEnabled(), true},
        {"Move down", form().moveDownButton->isEnabled(), true},
    };
    for (const State& state : states) {
        if (state.actual != state.expected) {
            return fail(QStringLiteral("%1 is %2, expected %3")
                            .arg(QLatin1String(state.name))
                            .arg(state.actual ? "enabled" : "disabled")
                            .arg(state.expected ? "enabled" : "disabled"));
        }
    }
    return true;
}

bool Monkey::checkFilters()
{
    QListWidget* list = form().filterListWidget;
    const int count = view()->filterCount();
    if (count != int(model_.filters.size()) || list->count() != count) {
        return fail(QStringLiteral("%1 rows and %2 filters in the view, %3 expected")
                        .arg(list->count())
                        .arg(count)
                        .arg(model_.filters.size()));
    }
    for (int i = 0; i < count; ++i) {
        const ModelFilter& expected = model_.filters[std::size_t(i)];
        const QString row = QString::number(i) + QStringLiteral(". ") + expected.name;
        if (list->item(i)->text() != row || view()->filterName(i) != expected.name) {
            return fail(QStringLiteral("row %1 reads \"%2\" (filter \"%3\"), expected \"%4\"")
                            .arg(i)
                            .arg(list->item(i)->text(), view()->filterName(i), row));
        }
        const auto* filter = dynamic_cast<const FilterMatrix*>(view()->filterAt(i));
        if (filter == nullptr || filter->getMatrix() != expected.coefficients) {
            return fail(QStringLiteral("filter %1 has other coefficients than entered").arg(i));
        }
    }
    if (listRebuilt_ && !list->selectionModel()->selectedIndexes().isEmpty()) {
        return fail(QStringLiteral("a row stays selected after the rows were rebuilt"));
    }
    return true;
}

bool Monkey::checkWorld()
{
    const Map* base = view()->baseMap();
    const Map* filtered = view()->filteredMap();
    if (!model_.hasWorld) {
        return expect(base == nullptr && filtered == nullptr,
                      QStringLiteral("a world exists before any was made"));
    }
    if (base == nullptr || filtered == nullptr) {
        return fail(QStringLiteral("the world is gone"));
    }
    if (base->width() != model_.width || base->length() != model_.length ||
        filtered->width() != model_.width || filtered->length() != model_.length) {
        return fail(QStringLiteral("base %1 x %2, filtered %3 x %4, expected %5 x %6")
                        .arg(base->width())
                        .arg(base->length())
                        .arg(filtered->width())
                        .arg(filtered->length())
                        .arg(model_.width)
                        .arg(model_.length));
    }
    if (filtered->drops().size() != model_.drops) {
        return fail(QStringLiteral("%1 drops, expected %2")
                        .arg(filtered->drops().size())
                        .arg(model_.drops));
    }
    // The mesh of the last rebuild has the filtered map's size.
    const std::size_t points = std::size_t(model_.width) * model_.length;
    const std::size_t cells = model_.width == 0 || model_.length == 0
                                  ? 0
                                  : std::size_t(model_.width - 1) * std::size_t(model_.length - 1);
    return expect(std::size_t(view()->meshGrid().size()) == points &&
                      std::size_t(view()->meshTriangles().size()) == 6 * cells,
                  QStringLiteral("mesh of %1 grid and %2 triangle vertices")
                      .arg(view()->meshGrid().size())
                      .arg(view()->meshTriangles().size()));
}

bool Monkey::checkDropPaths()
{
    const Map* map = view()->filteredMap();
    if (map == nullptr) {
        return true;
    }
    const float lastX = float(map->width()) - 1.0f;
    const float lastY = float(map->length()) - 1.0f;
    const bool tame = hasTameHeights(*map);
    const auto drops = map->drops();
    for (std::size_t d = 0; d < drops.size(); ++d) {
        const auto& path = drops[d]->path();
        for (std::size_t i = 0; i < path.size(); ++i) {
            const MapPoint& p = path[i];
            const bool inside = std::isfinite(p.x()) && std::isfinite(p.y()) && p.x() >= 0.0f &&
                                p.y() >= 0.0f && p.x() <= lastX && p.y() <= lastY;
            if (!inside || (tame && !std::isfinite(p.z()))) {
                return fail(QStringLiteral("drop %1 point %2 is (%3, %4, %5) on a %6 x %7 map")
                                .arg(d)
                                .arg(i)
                                .arg(double(p.x()))
                                .arg(double(p.y()))
                                .arg(double(p.z()))
                                .arg(map->width())
                                .arg(map->length()));
            }
        }
    }
    return true;
}

bool Monkey::checkCamera()
{
    const bool same = view()->xRotation() == model_.xRot && view()->yRotation() == model_.yRot &&
                      view()->zRotation() == 0.0 && view()->centerX() == model_.centerX &&
                      view()->centerY() == model_.centerY &&
                      view()->eyeDistance() == model_.distance;
    if (!same) {
        return fail(QStringLiteral("camera at angles (%1, %2, %3), centre (%4, %5), distance %6; "
                                   "expected (%7, %8, 0), (%9, %10), %11")
                        .arg(view()->xRotation())
                        .arg(view()->yRotation())
                        .arg(view()->zRotation())
                        .arg(view()->centerX())
                        .arg(view()->centerY())
                        .arg(double(view()->eyeDistance()))
                        .arg(model_.xRot)
                        .arg(model_.yRot)
                        .arg(model_.centerX)
                        .arg(model_.centerY)
                        .arg(double(model_.distance)));
    }
    return expect(view()->cursor().shape() == Qt::ArrowCursor,
                  QStringLiteral("the view's cursor is %1 after the action")
                      .arg(int(view()->cursor().shape())));
}

bool Monkey::checkNoDialogs()
{
    // The main window is application modal; any other modal is a dialog left open.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != &window_) {
        return fail(QStringLiteral("the active modal widget is %1")
                        .arg(modal ? modal->metaObject()->className() : "none"));
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(widget) != nullptr) {
            return fail(
                QStringLiteral("a %1 outlives its command").arg(widget->metaObject()->className()));
        }
    }
    return true;
}

} // namespace

class TestMonkey : public QObject
{
    Q_OBJECT

private slots:
    void randomUserActions();
};

void TestMonkey::randomUserActions()
{
    const auto seed = std::uint32_t(environmentNumber("TERRAVIK_MONKEY_SEED", kDefaultSeed));
    const long actions = environmentNumber("TERRAVIK_MONKEY_ACTIONS", kDefaultActions);
    qInfo("monkey: seed %u, %ld actions (TERRAVIK_MONKEY_SEED, TERRAVIK_MONKEY_ACTIONS)", seed,
          actions);

    MainWindow window;
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    Monkey monkey(window, seed);
    QElapsedTimer clock;
    clock.start();
    for (long n = 1; n <= actions; ++n) {
        if (!monkey.act()) {
            // Clock-seeded worlds are the one part a rerun with the same seed
            // does not repeat.
            QFAIL(qPrintable(QStringLiteral("seed %1, action %2 (%3): %4 [%5 clock-seeded worlds "
                                            "before]")
                                 .arg(seed)
                                 .arg(n)
                                 .arg(monkey.lastAction(), monkey.failure())
                                 .arg(monkey.coverage().clockSeededWorlds)));
        }
    }
    QString tally;
    for (const auto& [action, count] : monkey.counts()) {
        tally += QStringLiteral(" %1=%2 (%3 ms)")
                     .arg(action)
                     .arg(count)
                     .arg(monkey.milliseconds().at(action));
    }
    qInfo("monkey: %ld actions in %lld ms; slowest %lld ms: %s", actions,
          static_cast<long long>(clock.elapsed()), static_cast<long long>(monkey.slowestMs()),
          qPrintable(monkey.slowestAction()));
    qInfo("monkey: by kind:%s", qPrintable(tally));
    const Coverage& done = monkey.coverage();
    qInfo("monkey: %d worlds made (%d of 99 x 99, %d clock-seeded), %d drops started, %d starts "
          "refused, %d runs "
          "to the end (longest path %zu points), %d filters edited, %d clicks on disabled buttons",
          done.worldsMade, done.fullSizeWorlds, done.clockSeededWorlds, done.dropsStarted,
          done.startsRefused, done.dropsRunToEnd, done.longestPath, done.filtersEdited,
          done.disabledClicks);
    if (actions >= 500) {
        // Any run this long reaches every kind of state; if not, the user's
        // moves no longer work as intended.
        QVERIFY(done.worldsMade > 0 && done.fullSizeWorlds > 0);
        QVERIFY(done.dropsStarted > 0 && done.startsRefused > 0 && done.dropsRunToEnd > 0);
        QVERIFY(done.filtersEdited > 0 && done.disabledClicks > 0);
    }
}

QTEST_MAIN(TestMonkey)
#include "test_monkey.moc"
