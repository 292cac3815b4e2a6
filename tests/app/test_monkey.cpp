// A random user drives the real main window for thousands of actions: no crash, no hang,
// no dialog left behind, and a resident size that stays flat after a warm-up.
#include "drop/waterdrop.h"
#include "filters/filtersettingsdialog.h"
#include "terrain/map.h"
#include "windowdriver.h"

#include <random>

using namespace WindowDriver;

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
        const auto uniform = [&](int low, int high) {
            return std::uniform_int_distribution(low, high)(random);
        };
        const auto text = [&] { return QString::number(uniform(0, 99999), 36); };
        // A button of a page (Start twice as often, after a filter row or none is selected),
        // the mouse on the view, or a menu command.
        QPushButton* const buttons[] = {
            form.pushButtonGoutteLancer, form.pushButtonGoutteLancer,  form.pushButtonGoutteSuivant,
            form.pushButtonGoutteRes,    form.pushButtonGoutteDynamic, form.pushButtonGoutteStop,
            form.addFilterButton,        form.editFilterButton,        form.removeFilterButton,
            form.moveUpButton,           form.moveDownButton};
        // The last, a filter preset or now and then an erosion filter (with few droplets).
        QAction* const menu[] = {
            form.actionNewWorld, form.actionUpdate, form.actionCenter,         form.actionFitWorld,
            form.actionUndo,     form.actionRedo,   form.actionColourByHeight, nullptr};
        const QList<QAction*> presets =
            form.presetsMenu->actions() + form.addErosionMenu->actions();
        const auto act = [&] {
            const int roll = uniform(0, 99);
            QListWidget& list = *form.filterListWidget;
            form.doubleSpinBoxGoutteX->setValue(uniform(0, 1500) / 100.0);
            form.doubleSpinBoxGoutteY->setValue(uniform(0, 1500) / 100.0);
            list.clearSelection();
            if (list.count() > 0 && uniform(0, 3) > 0)
                list.item(uniform(0, list.count() - 1))->setSelected(true);
            if (roll < 76) {
                QPushButton* button = buttons[roll * 11 / 76];
                form.tabWidget->setCurrentWidget(button->parentWidget());
                click(button);
            } else if (roll < 84) {
                drag(*form.widget, uniform(0, 1) ? Qt::LeftButton : Qt::RightButton,
                     {uniform(0, 300), uniform(0, 300)}, {uniform(0, 300), uniform(0, 300)});
                turnWheel(*form.widget, {uniform(-1, 1) * 120, uniform(-1, 1) * 120});
            } else if (QAction* action = menu[(roll - 84) / 2]
                                             ? menu[(roll - 84) / 2]
                                             : presets.at(uniform(0, int(presets.size()) - 1));
                       action->isEnabled()) {
                action->trigger();
            }
        };
        // Small worlds keep the run quick; 99 x 99 comes up now and then.
        const auto answer = [&](QDialog& dialog) {
            const int side = uniform(0, 9) == 0 ? 99 : 12;
            if (auto* world = qobject_cast<NewWorldDialog*>(&dialog))
                answerNewWorld(*world, {uniform(0, 2), uniform(0, 9) ? text() : QString(),
                                        uniform(0, side), uniform(0, side), uniform(0, 6) > 0});
            else if (auto* filter = qobject_cast<EditFilterDialog*>(&dialog))
                answerFilter(*filter, {uniform(0, 4) ? text() : QString(),
                                       {{uniform(0, 24), uniform(-100, 100)}, {12, uniform(0, 9)}},
                                       uniform(0, 3) > 0});
            else if (auto* box = qobject_cast<QMessageBox*>(&dialog))
                click(box->button(QMessageBox::Ok));
            else if (auto* settings = qobject_cast<FilterSettingsDialog*>(&dialog)) {
                for (QSpinBox* box : settings->findChildren<QSpinBox*>())
                    box->setValue(uniform(box->minimum(), std::min(box->maximum(), 2000)));
                uniform(0, 3) > 0 ? settings->accept() : settings->reject();
            }
        };
        QFile status("/proc/self/status");
        const auto residentKb = [&status] {
            status.open(QIODevice::ReadOnly);
            const QByteArray text = status.readAll();
            status.close();
            return text.mid(text.indexOf("VmRSS:") + 6).trimmed().split(' ').front().toLongLong();
        };
        const int count = TERRAVIK_SANITIZE_BUILD ? 1500 : 3000; // slower with the sanitizer
        qint64 afterWarmUp = 0;
        for (int n = 1; n <= count; ++n) {
            answerModal<QDialog>(act, answer);
            // Builds with erosion run in the background, with a progress dialog.
            QVERIFY(waitForBuilds(window));
            for (QWidget* widget : QApplication::topLevelWidgets())
                QVERIFY2(!qobject_cast<QDialog*>(widget), qPrintable(QString::number(n)));
            afterWarmUp = n == count / 5 ? residentKb() : afterWarmUp;
        }
        const qint64 growth = residentKb() - afterWarmUp;
        qInfo("%d filters, %d steps of history, resident size grew by %lld kB",
              form.filterListWidget->count(), window.history()->count(), growth);
        // The sanitizer keeps freed memory; its leak check counts there.
        QVERIFY2(TERRAVIK_SANITIZE_BUILD || growth < 8 * 1024, qPrintable(QString::number(growth)));

        // Undoing everything the history holds goes back to where it starts, an empty
        // window when it holds every step; redoing as many steps brings the same world back
        // (the monkey's last actions may have left steps to redo beyond it).
        const auto shown = [&form] {
            QByteArray bits;
            for (const Map* map : {form.widget->baseMap(), form.widget->filteredMap()})
                if (map != nullptr)
                    bits.append(reinterpret_cast<const char*>(map->points().data()),
                                int(map->points().size() * sizeof(MapPoint)));
            for (const WaterDrop* drop : form.widget->filteredMap() != nullptr
                                             ? form.widget->filteredMap()->drops()
                                             : std::vector<WaterDrop*>())
                bits.append(reinterpret_cast<const char*>(drop->path().data()),
                            int(drop->path().size() * sizeof(MapPoint)));
            return bits + rowTexts(*form.filterListWidget).join('|').toUtf8();
        };
        click(form.pushButtonGoutteStop);
        const QByteArray last = shown();
        const bool fromTheStart = window.history()->count() < window.history()->undoLimit();
        // A large terrain comes back in the background, undo waiting meanwhile.
        int undone = 0;
        for (; waitForBuilds(window) && form.actionUndo->isEnabled(); ++undone)
            form.actionUndo->trigger();
        if (fromTheStart)
            QVERIFY(!form.widget->hasBaseMap() && form.filterListWidget->count() == 0);
        for (int redone = 0; redone < undone; ++redone) {
            QVERIFY(waitForBuilds(window) && form.actionRedo->isEnabled());
            form.actionRedo->trigger();
        }
        QVERIFY(waitForBuilds(window));
        QVERIFY(shown() == last);
    }
};

QTEST_MAIN(TestMonkey)
#include "test_monkey.moc"
