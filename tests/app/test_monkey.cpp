// A random user drives the real main window for thousands of actions: no crash,
// no hang, no dialog left behind, filter rows that show the view's filters, a
// filtered map of the base map's size with every drop path on it, and a
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
constexpr int kWarmUp = 500;

// VmRSS of this process in kB.
qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    const QByteArray text = status.readAll();
    return text.mid(text.indexOf("VmRSS:") + 6).trimmed().split(' ').front().toLongLong();
}

class Monkey
{
public:
    explicit Monkey(MainWindow& window) : form_(*window.form()) {}

    // One random action, its modal dialogs answered; the action's name.
    QString act()
    {
        struct Action
        {
            const char* name;
            int weight;
            std::function<void()> run;
        };
        const Action actions[] = {
            {"New world", 9, [this] { form_.actionNewWorld->trigger(); }},
            {"Update", 8,
             [this] { click(form_.mainToolBar->widgetForAction(form_.actionUpdate)); }},
            {"Center", 3, [this] { form_.actionCenter->trigger(); }},
            {"Drag", 6,
             [this] {
                 drag(*form_.widget, pick({Qt::LeftButton, Qt::RightButton}), point(), point());
             }},
            {"Wheel", 3,
             [this] {
                 turnWheel(*form_.widget, {pick({0, 120}), pick({120, -120})});
             }},
            {"Add", 8, [this] { clickOnTab(form_.tabFilters, form_.addFilterButton); }},
            {"Edit", 6, [this] { clickOnTab(form_.tabFilters, form_.editFilterButton); }},
            {"Remove", 5, [this] { clickOnTab(form_.tabFilters, form_.removeFilterButton); }},
            {"Move up", 4, [this] { clickOnTab(form_.tabFilters, form_.moveUpButton); }},
            {"Move down", 4, [this] { clickOnTab(form_.tabFilters, form_.moveDownButton); }},
            {"Start", 22, [this] { start(); }},
            {"Next", 9, [this] { clickOnTab(form_.tabGoutte, form_.pushButtonGoutteSuivant); }},
            {"Result", 7, [this] { clickOnTab(form_.tabGoutte, form_.pushButtonGoutteRes); }},
            {"Dynamic display", 6,
             [this] { clickOnTab(form_.tabGoutte, form_.pushButtonGoutteDynamic); }},
        };
        int roll = uniform(0, 99);
        const Action* action = actions;
        while (roll >= action->weight) {
            roll -= (action++)->weight;
        }
        answerModal<QDialog>(action->run, [this](QDialog& dialog) { answer(dialog); });
        return action->name;
    }

    // Empty when the window holds its invariants, else what breaks them.
    QString broken() const
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<QDialog*>(widget) != nullptr) {
                return "a dialog outlives its command";
            }
        }
        const GLWidget& view = *form_.widget;
        QStringList rows;
        for (int i = 0; i < view.filterCount(); ++i) {
            rows << QString::number(i) + ". " + view.filterName(i);
        }
        if (rowTexts(*form_.filterListWidget) != rows) {
            return "the rows do not show the filters";
        }
        const Map* map = view.filteredMap();
        if (map == nullptr) {
            return view.baseMap() == nullptr ? QString() : "a base map without a filtered map";
        }
        if (map->width() != view.baseMap()->width() || map->length() != view.baseMap()->length()) {
            return "the filtered map's size is not the base map's";
        }
        for (const WaterDrop* drop : map->drops()) {
            for (const MapPoint& p : drop->path()) {
                if (!(p.x() >= 0 && p.y() >= 0 && p.x() <= map->width() - 1.0f &&
                      p.y() <= map->length() - 1.0f)) {
                    return QString::asprintf("a drop at (%g, %g)", double(p.x()), double(p.y()));
                }
            }
        }
        return {};
    }

    int worlds = 0;
    int drops = 0;

private:
    int uniform(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }
    template <typename T> T pick(std::initializer_list<T> choices)
    {
        return choices.begin()[uniform(0, int(choices.size()) - 1)];
    }
    QPoint point() { return {uniform(-50, 350), uniform(-50, 350)}; }
    QString text(int longest)
    {
        QString text;
        for (int i = uniform(0, longest); i > 0; --i) {
            text += QChar(uniform(33, 126));
        }
        return text;
    }

    // A click on the page's button, after a random row, or none, is selected.
    void clickOnTab(QWidget* page, QPushButton* button)
    {
        form_.tabWidget->setCurrentWidget(page);
        QListWidget& list = *form_.filterListWidget;
        list.clearSelection();
        if (page == form_.tabFilters && list.count() > 0 && uniform(0, 3) > 0) {
            clickRow(list, uniform(0, list.count() - 1));
        }
        click(button);
    }

    void start()
    {
        form_.doubleSpinBoxGoutteX->setValue(uniform(0, 1500) / 100.0);
        form_.doubleSpinBoxGoutteY->setValue(uniform(0, 1500) / 100.0);
        const Map* map = form_.widget->filteredMap();
        const std::size_t before = map != nullptr ? map->drops().size() : 0;
        clickOnTab(form_.tabGoutte, form_.pushButtonGoutteLancer);
        drops += map != nullptr && map->drops().size() > before;
    }

    // Mostly small worlds keep the run quick; 99 x 99 comes up now and then.
    void answer(QDialog& dialog)
    {
        if (auto* world = qobject_cast<NewWorldDialog*>(&dialog)) {
            const int side = pick({2, 12, 12, 12, 99});
            const NewWorldChoice choice{uniform(0, 2), uniform(0, 9) > 0 ? text(12) : QString(),
                                        uniform(0, side), uniform(0, side), uniform(0, 6) > 0};
            worlds += choice.ok;
            answerNewWorld(*world, choice);
        } else if (auto* filter = qobject_cast<EditFilterDialog*>(&dialog)) {
            FilterEntry entry{uniform(0, 4) > 0 ? text(8) : QString(), {}, uniform(0, 3) > 0};
            for (int k = uniform(0, 5); k > 0; --k) {
                entry.values[uniform(0, 24)] = uniform(-100, 100);
            }
            answerFilter(*filter, entry);
        } else if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            click(box->button(QMessageBox::Ok));
        }
    }

    MainWindowForm& form_;
    std::mt19937 random_{20240611u};
};

} // namespace

class TestMonkey : public QObject
{
    Q_OBJECT

private slots:
    void randomUserActions()
    {
        MainWindow window;
        QVERIFY(showActive(window));
        Monkey monkey(window);
        qint64 afterWarmUp = 0;
        for (int n = 1; n <= kActions; ++n) {
            const QString action = monkey.act();
            const QString broken = monkey.broken();
            QVERIFY2(broken.isEmpty(),
                     qPrintable(QString("action %1 (%2): %3").arg(n).arg(action, broken)));
            afterWarmUp = n == kWarmUp ? residentKb() : afterWarmUp;
        }
        QVERIFY(monkey.worlds > 10 && monkey.drops > 10);
        const qint64 growth = residentKb() - afterWarmUp;
        qInfo("%d worlds, %d drops; resident size grew by %lld kB after the warm-up", monkey.worlds,
              monkey.drops, growth);
#if !TERRAVIK_SANITIZE_BUILD // the sanitizer keeps freed memory; its leak check counts there
        QVERIFY2(growth < 8 * 1024, qPrintable(QString("grew by %1 kB").arg(growth)));
#endif
    }
};

QTEST_MAIN(TestMonkey)
#include "test_monkey.moc"
