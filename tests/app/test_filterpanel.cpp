// The Filters tab driven with the mouse: Add and Edit through the filter
// dialog, Remove, Move up and Move down on the selected row, and the rows the
// list shows afterwards.
#include "commanddialogs.h"
#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "terrain/map.h"
#include "view/glwidget.h"
#include "windowdriver.h"

#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <algorithm>
#include <memory>

Q_DECLARE_METATYPE(FilterEntry::Ending)

using namespace WindowDriver;

namespace {

// Row texts for filters with these names, numbered from 0.
QStringList rowsFor(const QStringList& names)
{
    QStringList rows;
    for (int i = 0; i < names.size(); ++i) {
        rows << QString::number(i) + ". " + names.at(i);
    }
    return rows;
}

FilterEntry named(const QString& name)
{
    FilterEntry entry;
    entry.changeName = true;
    entry.name = name;
    return entry;
}

// Distinct heights, so that any filter with a non-trivial matrix changes them.
std::unique_ptr<Map> unevenMap()
{
    auto map = std::make_unique<Map>(9, 7);
    for (MapPoint& point : map->points()) {
        point.setZ(point.x() * point.x() * 0.25f - point.y() * 1.5f + float(int(point.x()) % 3));
    }
    return map;
}

} // namespace

class TestFilterPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addWithoutNameGivesMatrix_data();
    void addWithoutNameGivesMatrix();
    void addKeepsTheNameAsTyped_data();
    void addKeepsTheNameAsTyped();
    void cancelledAddChangesNothing_data();
    void cancelledAddChangesNothing();
    void editTakesTheDialogHoweverItEnds_data();
    void editTakesTheDialogHoweverItEnds();
    void editToAnEmptyName();
    void rowButtons_data();
    void rowButtons();
    void withoutSelectionNothingChanges_data();
    void withoutSelectionNothingChanges();
    void filtersReachTheViewOnlyOnUpdate();

private:
    MainWindowForm& form() { return *window_->form(); }
    GLWidget& view() { return *form().widget; }
    QListWidget& list() { return *form().filterListWidget; }
    bool add(const FilterEntry& entry, QString& why);
    bool addAll(const QStringList& names, QString& why);
    void select(int row);
    QPushButton* button(const QString& name);

    std::unique_ptr<MainWindow> window_;
};

void TestFilterPanel::init()
{
    window_ = std::make_unique<MainWindow>();
    QVERIFY(showActive(*window_));
    // A click on the Filters tab brings the list to the front.
    QTabBar* tabs = form().tabWidget->tabBar();
    const int page = form().tabWidget->indexOf(form().tabFilters);
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(page).center());
    QCOMPARE(form().tabWidget->currentWidget(), form().tabFilters);
}

void TestFilterPanel::cleanup()
{
    window_.reset();
}

bool TestFilterPanel::add(const FilterEntry& entry, QString& why)
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

bool TestFilterPanel::addAll(const QStringList& names, QString& why)
{
    for (const QString& name : names) {
        if (!add(named(name), why)) {
            return false;
        }
    }
    return true;
}

void TestFilterPanel::select(int row)
{
    clickRow(list(), row);
    QCOMPARE(selectedRows(list()), QList<int>{row});
}

QPushButton* TestFilterPanel::button(const QString& name)
{
    return window_->findChild<QPushButton*>(name);
}

void TestFilterPanel::addWithoutNameGivesMatrix_data()
{
    QTest::addColumn<int>("before");
    QTest::newRow("first") << 0;
    QTest::newRow("second") << 1;
    QTest::newRow("fourth") << 3;
}

void TestFilterPanel::addWithoutNameGivesMatrix()
{
    QFETCH(int, before);
    QString why;
    QStringList names;
    for (int i = 0; i < before; ++i) {
        names << QStringLiteral("F%1").arg(i);
    }
    QVERIFY2(addAll(names, why), qPrintable(why));
    if (before > 0) {
        select(0);
    }

    // Centre 3, the point beyond it in x -2, the corner 100 (arrow presses stop there).
    FilterEntry entry;
    entry.arrowPresses = {{13, 3}, {14, -2}, {25, 120}};
    QVERIFY2(add(entry, why), qPrintable(why));

    QCOMPARE(view().filterCount(), before + 1);
    QCOMPARE(list().count(), before + 1);
    QCOMPARE(list().item(before)->text(), QString::number(before) + ". Matrix");
    QCOMPARE(rowTexts(list()), rowsFor(names << "Matrix"));
    FilterMatrix::Coefficients expected{};
    expected[12] = 3;
    expected[13] = -2;
    expected[24] = 100;
    auto* filter = dynamic_cast<FilterMatrix*>(view().filterAt(before));
    QVERIFY(filter != nullptr);
    QCOMPARE(filter->getMatrix(), expected);
    // Rebuilding the rows leaves none selected.
    QVERIFY(list().selectedItems().isEmpty());
}

void TestFilterPanel::addKeepsTheNameAsTyped_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("word") << "Smooth";
    QTest::newRow("two words") << "edge finder";
    QTest::newRow("spaces around") << "  blur  ";
    QTest::newRow("only a space") << " ";
    QTest::newRow("digits and dots") << "3. x";
}

void TestFilterPanel::addKeepsTheNameAsTyped()
{
    QFETCH(QString, name);
    QString why;
    QVERIFY2(add(named("first"), why), qPrintable(why));
    QVERIFY2(add(named(name), why), qPrintable(why));
    QCOMPARE(view().filterName(1), name);
    QCOMPARE(rowTexts(list()), rowsFor({"first", name}));
    // A named filter starts with the coefficients the dialog opened with: all 0.
    auto* filter = dynamic_cast<FilterMatrix*>(view().filterAt(1));
    QVERIFY(filter != nullptr);
    QCOMPARE(filter->getMatrix(), FilterMatrix::Coefficients{});
}

void TestFilterPanel::cancelledAddChangesNothing_data()
{
    QTest::addColumn<FilterEntry::Ending>("ending");
    QTest::newRow("Cancel") << FilterEntry::Ending::Cancel;
    QTest::newRow("close box") << FilterEntry::Ending::CloseBox;
}

void TestFilterPanel::cancelledAddChangesNothing()
{
    QFETCH(FilterEntry::Ending, ending);
    QString why;
    QVERIFY2(addAll({"A", "B"}, why), qPrintable(why));
    select(1);

    FilterEntry entry = named("never added");
    entry.arrowPresses = {{1, 5}};
    entry.ending = ending;
    QVERIFY2(add(entry, why), qPrintable(why));

    QCOMPARE(view().filterCount(), 2);
    QCOMPARE(rowTexts(list()), rowsFor({"A", "B"}));
    QCOMPARE(selectedRows(list()), QList<int>{1});
}

void TestFilterPanel::editTakesTheDialogHoweverItEnds_data()
{
    QTest::addColumn<FilterEntry::Ending>("ending");
    QTest::newRow("OK") << FilterEntry::Ending::Ok;
    QTest::newRow("Cancel") << FilterEntry::Ending::Cancel;
    QTest::newRow("close box") << FilterEntry::Ending::CloseBox;
}

void TestFilterPanel::editTakesTheDialogHoweverItEnds()
{
    QFETCH(FilterEntry::Ending, ending);
    QString why;
    FilterEntry first = named("first");
    first.arrowPresses = {{13, 4}, {1, -2}};
    QVERIFY2(add(first, why), qPrintable(why));
    FilterEntry second = named("second");
    second.arrowPresses = {{7, 1}, {13, 2}};
    QVERIFY2(add(second, why), qPrintable(why));
    const FilterMatrix::Coefficients secondBefore =
        enteredCoefficients(FilterMatrix::Coefficients{}, second);
    select(1);

    FilterEntry edit = named("  renamed ");
    edit.arrowPresses = {{7, -3}, {25, 9}};
    edit.ending = ending;
    QString openedWithName;
    FilterMatrix::Coefficients openedWith{};
    ModalAnswer<EditFilterDialog> answer([&](EditFilterDialog& dialog) {
        openedWithName = dialog.customName();
        openedWith = dialog.matrix();
        answerFilterDialog(dialog, edit);
    });
    QTest::mouseClick(form().editFilterButton, Qt::LeftButton);
    QVERIFY2(answer.answered(), qPrintable(answer.failure()));

    // The dialog showed the selected filter...
    QCOMPARE(openedWithName, QStringLiteral("second"));
    QCOMPARE(openedWith, secondBefore);
    // ...and the filter took what the dialog held when it closed.
    auto* filter = dynamic_cast<FilterMatrix*>(view().filterAt(1));
    QVERIFY(filter != nullptr);
    QCOMPARE(filter->name(), QStringLiteral("  renamed "));
    QCOMPARE(filter->getMatrix(), enteredCoefficients(secondBefore, edit));
    // The other filter is untouched.
    auto* other = dynamic_cast<FilterMatrix*>(view().filterAt(0));
    QCOMPARE(other->name(), QStringLiteral("first"));
    QCOMPARE(other->getMatrix(), enteredCoefficients(FilterMatrix::Coefficients{}, first));
    QCOMPARE(rowTexts(list()), rowsFor({"first", "  renamed "}));
    QVERIFY(list().selectedItems().isEmpty());
}

void TestFilterPanel::editToAnEmptyName()
{
    QString why;
    QVERIFY2(addAll({"A", "B", "C"}, why), qPrintable(why));
    select(2);
    ModalAnswer<EditFilterDialog> answer(
        [&](EditFilterDialog& dialog) { answerFilterDialog(dialog, named(QString())); });
    QTest::mouseClick(form().editFilterButton, Qt::LeftButton);
    QVERIFY2(answer.answered(), qPrintable(answer.failure()));

    // No default name on Edit.
    QCOMPARE(view().filterName(2), QString());
    QCOMPARE(list().item(2)->text(), QStringLiteral("2. "));
    QCOMPARE(rowTexts(list()), (QStringList{"0. A", "1. B", "2. "}));
}

void TestFilterPanel::rowButtons_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("after");

    const QStringList abc{"A", "B", "C"};
    QTest::newRow("up row 2") << abc << 2 << "moveUpButton" << QStringList{"A", "C", "B"};
    QTest::newRow("up row 1") << abc << 1 << "moveUpButton" << QStringList{"B", "A", "C"};
    QTest::newRow("up row 0 ignored") << abc << 0 << "moveUpButton" << abc;
    QTest::newRow("down row 0") << abc << 0 << "moveDownButton" << QStringList{"B", "A", "C"};
    QTest::newRow("down row 1") << abc << 1 << "moveDownButton" << QStringList{"A", "C", "B"};
    QTest::newRow("down last ignored") << abc << 2 << "moveDownButton" << abc;
    QTest::newRow("remove row 0 of two")
        << QStringList{"A", "B"} << 0 << "removeFilterButton" << QStringList{"B"};
    QTest::newRow("remove middle") << abc << 1 << "removeFilterButton" << QStringList{"A", "C"};
    QTest::newRow("remove last") << abc << 2 << "removeFilterButton" << QStringList{"A", "B"};
    QTest::newRow("remove the only one")
        << QStringList{"A"} << 0 << "removeFilterButton" << QStringList();
    QTest::newRow("same names, up")
        << QStringList{"X", "X", "Y"} << 2 << "moveUpButton" << QStringList{"X", "Y", "X"};
}

void TestFilterPanel::rowButtons()
{
    QFETCH(QStringList, names);
    QFETCH(int, row);
    QFETCH(QString, button);
    QFETCH(QStringList, after);

    QString why;
    QVERIFY2(addAll(names, why), qPrintable(why));
    // The filter objects themselves move, not only their names.
    QHash<QString, Filter*> filters;
    for (int i = 0; i < names.size(); ++i) {
        filters.insert(names.at(i) + QString::number(i), view().filterAt(i));
    }
    select(row);

    NoDialogExpected noDialog;
    QTest::mouseClick(this->button(button), Qt::LeftButton);
    QVERIFY(!noDialog.dialogOpened());

    QCOMPARE(rowTexts(list()), rowsFor(after));
    QCOMPARE(view().filterCount(), after.size());
    QVERIFY(list().selectedItems().isEmpty());
    if (button != QLatin1String("removeFilterButton")) {
        QList<Filter*> before = filters.values();
        QList<Filter*> now;
        for (int i = 0; i < view().filterCount(); ++i) {
            now << view().filterAt(i);
        }
        std::sort(before.begin(), before.end());
        std::sort(now.begin(), now.end());
        QCOMPARE(now, before);
    }
    // A moved filter has to be selected again before it moves further.
    QTest::mouseClick(this->button(button), Qt::LeftButton);
    QCOMPARE(rowTexts(list()), rowsFor(after));
}

void TestFilterPanel::withoutSelectionNothingChanges_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("button");

    const char* const buttons[] = {"editFilterButton", "removeFilterButton", "moveUpButton",
                                   "moveDownButton"};
    for (const char* button : buttons) {
        QTest::addRow("%s, empty list", button) << QStringList() << button;
        QTest::addRow("%s, rows A B C", button) << QStringList{"A", "B", "C"} << button;
    }
}

void TestFilterPanel::withoutSelectionNothingChanges()
{
    QFETCH(QStringList, names);
    QFETCH(QString, button);

    QString why;
    QVERIFY2(addAll(names, why), qPrintable(why));
    QVERIFY(list().selectedItems().isEmpty());
    QList<Filter*> before;
    for (int i = 0; i < view().filterCount(); ++i) {
        before << view().filterAt(i);
    }

    NoDialogExpected noDialog;
    QTest::mouseClick(this->button(button), Qt::LeftButton);
    QVERIFY(!noDialog.dialogOpened());

    QCOMPARE(rowTexts(list()), rowsFor(names));
    QList<Filter*> now;
    for (int i = 0; i < view().filterCount(); ++i) {
        now << view().filterAt(i);
        QCOMPARE(view().filterName(i), names.at(i));
    }
    QCOMPARE(now, before);
}

void TestFilterPanel::filtersReachTheViewOnlyOnUpdate()
{
    // A world shown before the filters exist.
    view().setBaseMap(unevenMap());
    view().rebuildMesh();
    const std::unique_ptr<Map> base = unevenMap();
    const QVector<QVector3D> gridBefore = view().meshGrid();
    const Map* shown = view().filteredMap();
    QVERIFY(sameHeights(*shown, *base));

    QString why;
    FilterEntry smooth = named("smooth");
    smooth.arrowPresses = {{13, 2}, {12, 1}, {14, 1}, {8, 1}, {18, 1}};
    QVERIFY2(add(smooth, why), qPrintable(why));
    QCOMPARE(view().filteredMap(), shown);
    QVERIFY(sameHeights(*view().filteredMap(), *base));
    QCOMPARE(view().meshGrid(), gridBefore);

    select(0);
    FilterEntry sharper;
    sharper.arrowPresses = {{13, 6}, {12, -1}};
    {
        ModalAnswer<EditFilterDialog> answer(
            [&](EditFilterDialog& dialog) { answerFilterDialog(dialog, sharper); });
        QTest::mouseClick(form().editFilterButton, Qt::LeftButton);
        QVERIFY2(answer.answered(), qPrintable(answer.failure()));
    }
    QCOMPARE(view().filteredMap(), shown);
    QVERIFY(sameHeights(*view().filteredMap(), *base));
    QCOMPARE(view().meshGrid(), gridBefore);

    // Update (enabled by New world, here cancelled) shows the edited filter.
    NewWorldChoice cancel;
    cancel.accept = false;
    NewWorldReadBack readBack;
    ModalAnswer<NewWorldDialog> cancelled(
        [&](NewWorldDialog& dialog) { answerNewWorld(dialog, cancel, readBack); });
    form().actionNewWorld->trigger();
    QVERIFY2(cancelled.answered(), qPrintable(cancelled.failure()));
    QVERIFY(showActive(*window_));
    QTest::keyClick(window_.get(), Qt::Key_F5);

    FilterList filters;
    auto expectedFilter = std::make_unique<FilterMatrix>();
    expectedFilter->setMatrix(
        enteredCoefficients(enteredCoefficients(FilterMatrix::Coefficients{}, smooth), sharper));
    filters.push_back(std::move(expectedFilter));
    const std::unique_ptr<Map> expected = applyFilterList(*base, filters);
    QVERIFY(sameHeights(*view().filteredMap(), *expected));
    QVERIFY(!sameHeights(*expected, *base));
    QVERIFY(view().meshGrid() != gridBefore);
}

QTEST_MAIN(TestFilterPanel)
#include "test_filterpanel.moc"
