// The Filters tab driven with the mouse: Add and Edit through the filter
// dialog, Remove, Move up and Move down on the selected row, and the rows the
// list shows afterwards.
#include "commanddialogs.h"
#include "filters/filtermatrix.h"
#include "terrain/map.h"
#include "view/glwidget.h"
#include "windowdriver.h"

#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(FilterEntry)

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

FilterEntry named(const QString& name, FilterEntry::Ending ending = FilterEntry::Ending::Ok)
{
    FilterEntry entry;
    entry.changeName = !name.isNull();
    entry.name = name;
    entry.ending = ending;
    return entry;
}

} // namespace

class TestFilterPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void add_data();
    void add();
    void editTakesTheDialogHoweverItEnds_data();
    void editTakesTheDialogHoweverItEnds();
    void rowButtons_data();
    void rowButtons();
    void addAndEditLeaveTheViewAlone();

private:
    MainWindowForm& form() { return *window_->form(); }
    GLWidget& view() { return *form().widget; }
    QListWidget& list() { return *form().filterListWidget; }
    bool addAll(const QStringList& names, QString& why)
    {
        for (const QString& name : names) {
            if (!runAddFilter(*window_, named(name), why)) {
                return false;
            }
        }
        return true;
    }
    void select(int row)
    {
        clickRow(list(), row);
        QCOMPARE(selectedRows(list()), QList<int>{row});
    }
    FilterMatrix& filterAt(int position)
    {
        return dynamic_cast<FilterMatrix&>(*view().filterAt(position));
    }
    void clickEdit() { QTest::mouseClick(form().editFilterButton, Qt::LeftButton); }

    std::unique_ptr<MainWindow> window_;
};

void TestFilterPanel::init()
{
    window_ = std::make_unique<MainWindow>();
    QVERIFY(showActive(*window_));
    // A click on the Filters tab brings the list to the front.
    QTabBar* tabs = form().tabWidget->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier,
                      tabs->tabRect(form().tabWidget->indexOf(form().tabFilters)).center());
    QCOMPARE(form().tabWidget->currentWidget(), form().tabFilters);
}

void TestFilterPanel::cleanup()
{
    window_.reset();
}

void TestFilterPanel::add_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<FilterEntry>("entry");
    QTest::addColumn<QStringList>("after");

    const FilterEntry::Ending cancel = FilterEntry::Ending::Cancel;
    const FilterEntry::Ending closeBox = FilterEntry::Ending::CloseBox;
    const QStringList ab{"A", "B"};
    QTest::newRow("no name, first") << QStringList() << named({}) << QStringList{"Matrix"};
    QTest::newRow("no name, fourth")
        << QStringList{"A", "B", "C"} << named({}) << QStringList{"A", "B", "C", "Matrix"};
    QTest::newRow("two words") << ab << named("edge finder")
                               << QStringList{"A", "B", "edge finder"};
    QTest::newRow("spaces kept") << ab << named("  blur  ") << QStringList{"A", "B", "  blur  "};
    QTest::newRow("only a space") << QStringList() << named(" ") << QStringList{" "};
    QTest::newRow("Cancel") << ab << named("never added", cancel) << ab;
    QTest::newRow("close box") << ab << named({}, closeBox) << ab;
}

void TestFilterPanel::add()
{
    QFETCH(QStringList, before);
    QFETCH(FilterEntry, entry);
    QFETCH(QStringList, after);

    QString why;
    QVERIFY2(addAll(before, why), qPrintable(why));
    if (!before.isEmpty()) {
        select(before.size() - 1);
    }
    // Centre 3, the next point in x -2, the corner 100 (the spin box stops there).
    entry.arrowPresses = {{13, 3}, {14, -2}, {25, 120}};
    QVERIFY2(runAddFilter(*window_, entry, why), qPrintable(why));

    QCOMPARE(rowTexts(list()), rowsFor(after));
    QCOMPARE(view().filterCount(), after.size());
    if (after.size() == before.size()) {
        // A cancelled Add leaves the rows and the selection as they were.
        QCOMPARE(selectedRows(list()), QList<int>{before.size() - 1});
        return;
    }
    FilterMatrix::Coefficients expected{};
    expected[12] = 3;
    expected[13] = -2;
    expected[24] = 100;
    QCOMPARE(filterAt(before.size()).getMatrix(), expected);
    QVERIFY(list().selectedItems().isEmpty());
}

void TestFilterPanel::editTakesTheDialogHoweverItEnds_data()
{
    QTest::addColumn<FilterEntry>("edit");
    QTest::addColumn<QString>("row");

    QTest::newRow("OK") << named("  renamed ") << "1.   renamed ";
    QTest::newRow("Cancel") << named("  renamed ", FilterEntry::Ending::Cancel) << "1.   renamed ";
    QTest::newRow("close box") << named("x", FilterEntry::Ending::CloseBox) << "1. x";
    // No default name on Edit.
    QTest::newRow("emptied name") << named("") << "1. ";
}

void TestFilterPanel::editTakesTheDialogHoweverItEnds()
{
    QFETCH(FilterEntry, edit);
    QFETCH(QString, row);

    QString why;
    FilterEntry first = named("first");
    first.arrowPresses = {{13, 4}, {1, -2}};
    QVERIFY2(runAddFilter(*window_, first, why), qPrintable(why));
    FilterEntry second = named("second");
    second.arrowPresses = {{7, 1}, {13, 2}};
    QVERIFY2(runAddFilter(*window_, second, why), qPrintable(why));
    select(1);

    edit.arrowPresses = {{7, -3}, {25, 9}};
    QString openedWithName;
    FilterMatrix::Coefficients openedWith{};
    QVERIFY2(openAndAnswer<EditFilterDialog>([this] { clickEdit(); },
                                             [&](EditFilterDialog& dialog) {
                                                 openedWithName = dialog.customName();
                                                 openedWith = dialog.matrix();
                                                 answerFilterDialog(dialog, edit);
                                             },
                                             why),
             qPrintable(why));

    // The dialog showed the selected filter, which took what the dialog held at the end.
    FilterMatrix::Coefficients secondBefore{};
    secondBefore[6] = 1;
    secondBefore[12] = 2;
    QCOMPARE(openedWithName, QStringLiteral("second"));
    QCOMPARE(openedWith, secondBefore);
    FilterMatrix::Coefficients secondAfter{};
    secondAfter[6] = -2;
    secondAfter[12] = 2;
    secondAfter[24] = 9;
    QCOMPARE(filterAt(1).getMatrix(), secondAfter);
    QCOMPARE(filterAt(1).name(), edit.name);
    QCOMPARE(filterAt(0).name(), QStringLiteral("first"));
    QCOMPARE(filterAt(0).getMatrix(), enteredCoefficients({}, first));
    QCOMPARE(rowTexts(list()), (QStringList{"0. first", row}));
    QVERIFY(list().selectedItems().isEmpty());
}

void TestFilterPanel::rowButtons_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("row"); // -1: none selected
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("after");

    const QStringList abc{"A", "B", "C"};
    QTest::newRow("up row 2") << abc << 2 << "moveUpButton" << QStringList{"A", "C", "B"};
    QTest::newRow("up row 0 ignored") << abc << 0 << "moveUpButton" << abc;
    QTest::newRow("down row 0") << abc << 0 << "moveDownButton" << QStringList{"B", "A", "C"};
    QTest::newRow("down last ignored") << abc << 2 << "moveDownButton" << abc;
    QTest::newRow("remove row 0 of two")
        << QStringList{"A", "B"} << 0 << "removeFilterButton" << QStringList{"B"};
    QTest::newRow("remove middle") << abc << 1 << "removeFilterButton" << QStringList{"A", "C"};
    QTest::newRow("remove the only one")
        << QStringList{"A"} << 0 << "removeFilterButton" << QStringList();
    QTest::newRow("same names, up")
        << QStringList{"X", "X", "Y"} << 2 << "moveUpButton" << QStringList{"X", "Y", "X"};
    for (const char* button :
         {"editFilterButton", "removeFilterButton", "moveUpButton", "moveDownButton"}) {
        QTest::addRow("%s, empty list", button) << QStringList() << -1 << button << QStringList();
        QTest::addRow("%s, none selected", button) << abc << -1 << button << abc;
    }
}

void TestFilterPanel::rowButtons()
{
    QFETCH(QStringList, names);
    QFETCH(int, row);
    QFETCH(QString, button);
    QFETCH(QStringList, after);

    QString why;
    QVERIFY2(addAll(names, why), qPrintable(why));
    if (row >= 0) {
        select(row);
    }
    auto* pushButton = window_->findChild<QPushButton*>(button);
    NoDialogExpected noDialog;
    QTest::mouseClick(pushButton, Qt::LeftButton);
    QCOMPARE(rowTexts(list()), rowsFor(after));
    QCOMPARE(view().filterCount(), after.size());
    QVERIFY(list().selectedItems().isEmpty());
    // A moved filter has to be selected again before it moves further.
    QTest::mouseClick(pushButton, Qt::LeftButton);
    QCOMPARE(rowTexts(list()), rowsFor(after));
    QVERIFY(!noDialog.dialogOpened());
}

void TestFilterPanel::addAndEditLeaveTheViewAlone()
{
    // A world with uneven heights, which any non-trivial filter changes.
    auto map = std::make_unique<Map>(9, 7);
    for (MapPoint& point : map->points()) {
        point.setZ(point.x() * point.x() * 0.25f - point.y() * 1.5f);
    }
    const std::unique_ptr<Map> base = map->copy();
    view().setBaseMap(std::move(map));
    view().rebuildMesh();
    const Map* shown = view().filteredMap();
    const QVector<QVector3D> grid = view().meshGrid();

    QString why;
    FilterEntry smooth = named("smooth");
    smooth.arrowPresses = {{13, 2}, {12, 1}, {14, 1}, {8, 1}, {18, 1}};
    QVERIFY2(runAddFilter(*window_, smooth, why), qPrintable(why));
    select(0);
    FilterEntry sharper;
    sharper.arrowPresses = {{13, 6}, {12, -1}};
    QVERIFY2(openAndAnswer<EditFilterDialog>(
                 [this] { clickEdit(); },
                 [&](EditFilterDialog& dialog) { answerFilterDialog(dialog, sharper); }, why),
             qPrintable(why));

    QCOMPARE(view().filteredMap(), shown);
    QVERIFY(sameHeights(*shown, *base));
    QCOMPARE(view().meshGrid(), grid);
    // The filter does change this world once applied.
    view().applyFilters();
    QVERIFY(!sameHeights(*view().filteredMap(), *base));
}

QTEST_MAIN(TestFilterPanel)
#include "test_filterpanel.moc"
