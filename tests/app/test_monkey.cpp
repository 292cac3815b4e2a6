// A random user drives the real main window for thousands of actions; after every one the
// window must hold its invariants: enabled states as the form's connections set them, filter
// rows that show the view's filters, a filtered map of the base map's size, drop paths on the
// map, and no dialog left behind. TERRAVIK_MONKEY_SEED and TERRAVIK_MONKEY_ACTIONS reproduce
// a run; a failure names both the seed and the action number.
#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "drop/waterdrop.h"
#include "terrain/map.h"
#include "userdriver.h"
#include "view/glwidget.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

namespace {

constexpr std::uint32_t kDefaultSeed = 20240611u;
#if TERRAVIK_SANITIZE_BUILD
constexpr long kDefaultActions = 1500; // the same actions run slower here
#else
constexpr long kDefaultActions = 3000;
#endif
constexpr int kMaxFilters = 6;

long environmentNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    return text == nullptr || *text == '\0' ? fallback : std::strtol(text, nullptr, 10);
}

// The enabled states the form's connections must have left, worked out from the clicks.
struct ExpectedStates
{
    bool start = false, next = false, result = false, dynamic = false, update = false;
};

// What the run went through, so that a run that never reached a state cannot pass unnoticed.
struct Coverage
{
    int worlds = 0, fullSizeWorlds = 0, dropsStarted = 0, startsRefused = 0, runsToEnd = 0;
};

class Monkey
{
public:
    Monkey(MainWindow& window, std::uint32_t seed) : window_(window), random_(seed) {}

    // One random action, then the invariants; false with `failure` set when one breaks.
    bool act();
    QString action, failure;
    Coverage coverage;

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
        failure = message;
        return false;
    }
    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    bool newWorld();
    bool filterDialog(QPushButton* button, const char* label);
    void listCommand(QPushButton* button, const char* label);
    bool start();
    void runDrops(QPushButton* button, const char* label);
    void drag();
    void wheel();
    QString randomText(int maxLength);
    int chooseRow();

    bool checkEnabledStates();
    bool checkFilterRows();
    bool checkMaps();
    bool checkNoDialogs();

    MainWindow& window_;
    std::mt19937 random_;
    ExpectedStates expected_;
};

bool Monkey::act()
{
    const int roll = uniform(0, 99);
    bool ok = true;
    if (roll < 9) {
        ok = newWorld();
    } else if (roll < 17) {
        action = QStringLiteral("Update");
        // The tool bar button, as a disabled one ignores the click.
        click(qobject_cast<QToolButton*>(form().mainToolBar->widgetForAction(form().actionUpdate)));
    } else if (roll < 20) {
        action = QStringLiteral("Center");
        form().actionCenter->trigger();
    } else if (roll < 26) {
        drag();
    } else if (roll < 29) {
        wheel();
    } else if (roll < 37 && view()->filterCount() < kMaxFilters) {
        ok = filterDialog(form().addFilterButton, "Add");
    } else if (roll >= 37 && roll < 43) {
        ok = filterDialog(form().editFilterButton, "Edit");
    } else if (roll < 48) { // also Add's share once the list is full
        listCommand(form().removeFilterButton, "Remove");
    } else if (roll < 52) {
        listCommand(form().moveUpButton, "Move up");
    } else if (roll < 56) {
        listCommand(form().moveDownButton, "Move down");
    } else if (roll < 78) {
        ok = start();
    } else if (roll < 87) {
        action = QStringLiteral("Next");
        click(form().pushButtonGoutteSuivant);
    } else if (roll < 94) {
        runDrops(form().pushButtonGoutteRes, "Result");
    } else {
        runDrops(form().pushButtonGoutteDynamic, "Dynamic display");
    }
    return ok && checkNoDialogs() && checkEnabledStates() && checkFilterRows() && checkMaps();
}

QString Monkey::randomText(int maxLength)
{
    QString text;
    for (int i = uniform(0, maxLength); i > 0; --i) {
        text.append(QChar(uniform(32, 126)));
    }
    return text;
}

bool Monkey::newWorld()
{
    // Mostly small worlds keep the run quick; the full range and 99 x 99 still come up.
    const int size = uniform(0, 19);
    auto side = [this, size] { return size == 0 ? 99 : uniform(0, size < 5 ? 99 : 12); };
    // Clock seeds are rare so that a rerun with the same seed mostly repeats the run. A braced
    // list is evaluated in order, so the draws are too.
    const UserDriver::NewWorldAnswer answer{uniform(0, 2), chance(0.1), randomText(20),
                                            side(),        side(),      chance(0.85)};
    action = QStringLiteral("New world (generator %1, %2 x %3, %4, %5) seed text: ")
                 .arg(answer.generatorIndex)
                 .arg(answer.width)
                 .arg(answer.length)
                 .arg(answer.randomSeed ? "clock seed" : "text seed")
                 .arg(answer.accept ? "OK" : "Cancel") +
             answer.seedText;
    UserDriver::ModalAnswer dialog(
        [&answer](QWidget* modal) { UserDriver::answerNewWorld(modal, answer); });
    form().actionNewWorld->trigger();
    expected_.start = expected_.update = true;
    coverage.worlds += answer.accept;
    coverage.fullSizeWorlds += answer.accept && answer.width == 99 && answer.length == 99;
    return dialog.answered() || fail(QStringLiteral("no New world dialog"));
}

// Selects a random row as the user would, by a click or the keyboard's current row, or
// clears the selection. Returns the row, or -1 for none.
int Monkey::chooseRow()
{
    QListWidget* list = form().filterListWidget;
    form().tabWidget->setCurrentWidget(form().tabFilters);
    if (list->count() == 0 || chance(0.25)) {
        list->clearSelection();
        return -1;
    }
    const int row = uniform(0, list->count() - 1);
    if (chance(0.5)) {
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(list->item(row)).center());
    } else {
        list->setCurrentRow(row);
    }
    return row;
}

// Add, or Edit of a random row: a random name (often empty) and coefficients, then OK or
// Cancel. Edit without a selection opens no dialog.
bool Monkey::filterDialog(QPushButton* button, const char* label)
{
    const int row = button == form().addFilterButton ? -1 : chooseRow();
    UserDriver::FilterAnswer answer{chance(0.2) ? QString() : randomText(12), {}, chance(0.7)};
    const int spread = chance(0.5) ? 10 : 100;
    for (std::int32_t& coefficient : answer.coefficients) {
        coefficient = chance(0.3) ? 0 : uniform(spread == 10 ? 0 : -100, spread);
    }
    action = QStringLiteral("%1 (row %2, %3) name: ")
                 .arg(QLatin1String(label))
                 .arg(row)
                 .arg(answer.accept ? "OK" : "Cancel") +
             answer.name;
    UserDriver::ModalAnswer dialog(
        [&answer](QWidget* modal) { UserDriver::answerFilter(modal, answer); });
    click(button);
    const bool wanted = button == form().addFilterButton || row >= 0;
    return dialog.answered() == wanted ||
           fail(QStringLiteral("the filter dialog %1").arg(wanted ? "did not open" : "opened"));
}

void Monkey::listCommand(QPushButton* button, const char* label)
{
    const int row = chooseRow();
    action = QStringLiteral("%1 (row %2)").arg(QLatin1String(label)).arg(row);
    click(button);
}

// Start at a random position, on the map more often than not; the warning box is answered.
bool Monkey::start()
{
    const Map* map = view()->baseMap();
    auto coordinate = [this, map](std::uint32_t side) {
        return map != nullptr && side > 0 && chance(0.7) ? uniform(0, int(side) * 100 - 1) / 100.0
                                                         : uniform(0, 9999) / 100.0;
    };
    form().tabWidget->setCurrentWidget(form().tabGoutte);
    form().doubleSpinBoxGoutteX->setValue(coordinate(map ? map->width() : 0));
    form().doubleSpinBoxGoutteY->setValue(coordinate(map ? map->length() : 0));
    const double x = form().doubleSpinBoxGoutteX->value();
    const double y = form().doubleSpinBoxGoutteY->value();
    action = QStringLiteral("Start (%1, %2)").arg(x).arg(y);
    const std::size_t dropsBefore = map ? view()->filteredMap()->drops().size() : 0;
    bool otherModal = false;
    UserDriver::ModalAnswer warning(
        [&otherModal](QWidget* modal) { otherModal = !UserDriver::acknowledgeMessage(modal); });
    click(form().pushButtonGoutteLancer);
    if (expected_.start) {
        expected_.start = false;
        expected_.next = expected_.result = expected_.dynamic = true;
        const bool started = map && view()->filteredMap()->drops().size() == dropsBefore + 1;
        coverage.dropsStarted += started;
        coverage.startsRefused += warning.answered();
        if (started == warning.answered()) {
            return fail(QStringLiteral("Start neither started a drop nor warned, or both"));
        }
    }
    return !otherModal || fail(QStringLiteral("Start opened another modal than its warning"));
}

void Monkey::runDrops(QPushButton* button, const char* label)
{
    action = QLatin1String(label);
    form().tabWidget->setCurrentWidget(form().tabGoutte);
    click(button);
    if (expected_.result) { // Result and Dynamic display are enabled together
        expected_.start = true;
        expected_.next = expected_.result = expected_.dynamic = false;
        ++coverage.runsToEnd;
    }
}

void Monkey::drag()
{
    const Qt::MouseButton button = chance(0.5) ? Qt::LeftButton : Qt::RightButton;
    action = QStringLiteral("Drag (%1)").arg(button == Qt::LeftButton ? "left" : "right");
    auto send = [this](QEvent::Type type, QPoint at, Qt::MouseButton which, Qt::MouseButtons held) {
        QMouseEvent event(type, at, view()->mapToGlobal(at), which, held, Qt::NoModifier);
        QApplication::sendEvent(view(), &event);
    };
    const QSize size = view()->size();
    QPoint at(uniform(0, size.width() - 1), uniform(0, size.height() - 1));
    send(QEvent::MouseButtonPress, at, button, button);
    for (int moves = uniform(1, 6); moves > 0; --moves) {
        at = QPoint(uniform(-50, size.width() + 50), uniform(-50, size.height() + 50));
        send(QEvent::MouseMove, at, Qt::NoButton, button);
    }
    send(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

void Monkey::wheel()
{
    // Turn back when the eye is far off or close in, so that the view stays usable.
    const float distance = std::fabs(view()->eyeDistance());
    const int delta = distance > 200.0f ? -120 : distance < 0.5f ? 120 : (chance(0.5) ? 120 : -120);
    action = QStringLiteral("Wheel (%1)").arg(delta);
    const QPoint at(view()->width() / 2, view()->height() / 2);
    QWheelEvent event(at, view()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view(), &event);
}

bool Monkey::checkEnabledStates()
{
    const std::pair<QObject*, bool> states[] = {
        {form().pushButtonGoutteLancer, expected_.start},
        {form().pushButtonGoutteSuivant, expected_.next},
        {form().pushButtonGoutteRes, expected_.result},
        {form().pushButtonGoutteDynamic, expected_.dynamic},
        {form().actionUpdate, expected_.update},
        {form().actionNewWorld, true},
        {form().actionCenter, true},
        {form().addFilterButton, true},
        {form().editFilterButton, true},
        {form().removeFilterButton, true},
        {form().moveUpButton, true},
        {form().moveDownButton, true},
    };
    for (const auto& [object, enabled] : states) {
        if (object->property("enabled").toBool() != enabled) {
            return fail(object->objectName() + (enabled ? " is disabled" : " is enabled"));
        }
    }
    return true;
}

bool Monkey::checkFilterRows()
{
    QListWidget* list = form().filterListWidget;
    if (list->count() != view()->filterCount()) {
        return fail(
            QStringLiteral("%1 rows for %2 filters").arg(list->count()).arg(view()->filterCount()));
    }
    for (int i = 0; i < list->count(); ++i) {
        const QString expected = QStringLiteral("%1. %2").arg(i).arg(view()->filterName(i));
        if (list->item(i)->text() != expected) {
            return fail(QStringLiteral("row %1 reads \"%2\", expected \"%3\"")
                            .arg(i)
                            .arg(list->item(i)->text(), expected));
        }
    }
    return true;
}

bool Monkey::checkMaps()
{
    const Map* base = view()->baseMap();
    const Map* map = view()->filteredMap();
    if ((base == nullptr) != (map == nullptr)) {
        return fail(QStringLiteral("a base map without a filtered map, or the reverse"));
    }
    if (map == nullptr) {
        return true;
    }
    if (map->width() != base->width() || map->length() != base->length()) {
        return fail(QStringLiteral("the filtered map's size is not the base map's"));
    }
    // Filters with huge gains may overflow the heights; then only the position must hold.
    const bool finiteHeights =
        std::all_of(map->points().begin(), map->points().end(),
                    [](const MapPoint& p) { return std::fabs(p.z()) < 1e30f; });
    const float lastX = float(map->width()) - 1.0f;
    const float lastY = float(map->length()) - 1.0f;
    for (const WaterDrop* drop : map->drops()) {
        for (const MapPoint& p : drop->path()) {
            const bool inside = std::isfinite(p.x()) && std::isfinite(p.y()) && p.x() >= 0.0f &&
                                p.y() >= 0.0f && p.x() <= lastX && p.y() <= lastY;
            if (!inside || (finiteHeights && !std::isfinite(p.z()))) {
                return fail(QString::asprintf("drop path point (%g, %g, %g) on a %u x %u map",
                                              double(p.x()), double(p.y()), double(p.z()),
                                              map->width(), map->length()));
            }
        }
    }
    return true;
}

// Every dialog is destroyed when its command ends.
bool Monkey::checkNoDialogs()
{
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
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Monkey monkey(window, seed);
    QElapsedTimer clock;
    clock.start();
    for (long n = 1; n <= actions; ++n) {
        if (!monkey.act()) {
            QFAIL(qPrintable(QStringLiteral("seed %1, action %2 (%3): %4")
                                 .arg(seed)
                                 .arg(n)
                                 .arg(monkey.action, monkey.failure)));
        }
    }
    const Coverage& done = monkey.coverage;
    qInfo("monkey: seed %u, %ld actions in %lld ms; %d worlds (%d of 99 x 99), %d drops started, "
          "%d starts refused, %d runs to the end",
          seed, actions, static_cast<long long>(clock.elapsed()), done.worlds, done.fullSizeWorlds,
          done.dropsStarted, done.startsRefused, done.runsToEnd);
    if (actions >= 500) {
        QVERIFY(done.worlds > 0 && done.fullSizeWorlds > 0 && done.runsToEnd > 0);
        QVERIFY(done.dropsStarted > 0 && done.startsRefused > 0);
    }
}

QTEST_MAIN(TestMonkey)
#include "test_monkey.moc"
