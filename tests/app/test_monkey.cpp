// A random user drives the real main window for thousands of actions: no
// crash, no hang, no dialog left behind, every drop path on the map, and a
// resident size that stays flat once every kind of world has been made.
#include "drop/waterdrop.h"
#include "terrain/map.h"
#include "windowdriver.h"

#include <random>

using namespace WindowDriver;

namespace {

#if TERRAVIK_SANITIZE_BUILD
constexpr int kActions = 1500; // the same actions run slower here
#else
constexpr int kActions = 3000;
#endif

qint64 residentKb()
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    const QByteArray text = status.readAll();
    return text.mid(text.indexOf("VmRSS:") + 6).trimmed().split(' ').front().toLongLong();
}

} // namespace

class TestMonkey : public QObject
{
    Q_OBJECT

private slots:
    void randomUserActions()
    {
        MainWindow window;
        QVERIFY(showActive(window));
        MainWindowForm& form = *window.form();
        std::mt19937 random(20240611u);
        const auto uniform = [&random](int low, int high) {
            return std::uniform_int_distribution(low, high)(random);
        };
        const auto text = [&uniform] {
            QString text;
            for (int i = uniform(0, 9); i > 0; --i) {
                text += QChar(uniform(33, 126));
            }
            return text;
        };
        // Each action with its weight in a hundred; buttons are clicked on
        // their own page, after a row of the filter list, or none, is chosen.
        const std::pair<int, std::function<void()>> actions[] = {
            {8, [&] { form.actionNewWorld->trigger(); }},
            {8, [&] { click(form.mainToolBar->widgetForAction(form.actionUpdate)); }},
            {3, [&] { form.actionCenter->trigger(); }},
            {6,
             [&] {
                 drag(*form.widget, uniform(0, 1) ? Qt::LeftButton : Qt::RightButton,
                      {uniform(0, 300), uniform(0, 300)}, {uniform(0, 300), uniform(0, 300)});
             }},
            {3,
             [&] {
                 turnWheel(*form.widget, {uniform(-1, 1) * 120, uniform(-1, 1) * 120});
             }},
            {25,
             [&] {
                 QPushButton* buttons[] = {form.addFilterButton, form.editFilterButton,
                                           form.removeFilterButton, form.moveUpButton,
                                           form.moveDownButton};
                 form.tabWidget->setCurrentWidget(form.tabFilters);
                 form.filterListWidget->clearSelection();
                 if (form.filterListWidget->count() > 0 && uniform(0, 3) > 0) {
                     clickRow(*form.filterListWidget,
                              uniform(0, form.filterListWidget->count() - 1));
                 }
                 click(buttons[uniform(0, 4)]);
             }},
            {47,
             [&] {
                 QPushButton* buttons[] = {form.pushButtonGoutteLancer, form.pushButtonGoutteLancer,
                                           form.pushButtonGoutteSuivant, form.pushButtonGoutteRes,
                                           form.pushButtonGoutteDynamic};
                 form.tabWidget->setCurrentWidget(form.tabGoutte);
                 form.doubleSpinBoxGoutteX->setValue(uniform(0, 1500) / 100.0);
                 form.doubleSpinBoxGoutteY->setValue(uniform(0, 1500) / 100.0);
                 click(buttons[uniform(0, 4)]);
             }},
        };
        // Small worlds keep the run quick; 99 x 99 comes up now and then.
        const auto answer = [&](QDialog& dialog) {
            if (auto* world = qobject_cast<NewWorldDialog*>(&dialog)) {
                const int side = uniform(0, 9) == 0 ? 99 : 12;
                answerNewWorld(*world, {uniform(0, 2), uniform(0, 9) ? text() : QString(),
                                        uniform(0, side), uniform(0, side), uniform(0, 6) > 0});
            } else if (auto* filter = qobject_cast<EditFilterDialog*>(&dialog)) {
                answerFilter(*filter, {uniform(0, 4) ? text() : QString(),
                                       {{uniform(0, 24), uniform(-100, 100)}, {12, uniform(0, 9)}},
                                       uniform(0, 3) > 0});
            } else if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                click(box->button(QMessageBox::Ok));
            }
        };
        qint64 afterWarmUp = 0;
        int drops = 0;
        for (int n = 1; n <= kActions; ++n) {
            int roll = uniform(0, 99);
            auto action = std::begin(actions);
            for (; roll >= action->first; ++action) {
                roll -= action->first;
            }
            answerModal<QDialog>(action->second, answer);
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                QVERIFY2(!qobject_cast<QDialog*>(widget), qPrintable(QString("action %1: a "
                                                                             "dialog stays")
                                                                         .arg(n)));
            }
            const Map* map = form.widget->filteredMap();
            for (const WaterDrop* drop : map ? map->drops() : std::vector<WaterDrop*>()) {
                const MapPoint& p = drop->path().back();
                QVERIFY2(p.x() >= 0 && p.y() >= 0 && p.x() <= map->width() - 1.0f &&
                             p.y() <= map->length() - 1.0f,
                         qPrintable(QString("action %1: a drop off the map").arg(n)));
            }
            drops = std::max(drops, map ? int(map->drops().size()) : 0);
            afterWarmUp = n == kActions / 5 ? residentKb() : afterWarmUp;
        }
        const qint64 growth = residentKb() - afterWarmUp;
        qInfo("up to %d drops on a map; resident size grew by %lld kB", drops, growth);
        QVERIFY(drops > 2);
#if !TERRAVIK_SANITIZE_BUILD // the sanitizer keeps freed memory; its leak check counts there
        QVERIFY2(growth < 8 * 1024, qPrintable(QString("grew by %1 kB").arg(growth)));
#endif
    }
};

QTEST_MAIN(TestMonkey)
#include "test_monkey.moc"
