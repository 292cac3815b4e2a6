// The Filters tab driven with the mouse: Add and Edit through the filter
// dialog, Remove, Move up and Move down on the selected row.
#include "filters/filtermatrix.h"
#include "windowdriver.h"

#include <memory>

using namespace WindowDriver;

class TestFilterPanel : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        window_ = std::make_unique<MainWindow>();
        QVERIFY(showActive(*window_));
        QTabBar& tabs = *form().tabWidget->tabBar();
        QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(1).center());
    }
    void cleanup() { window_.reset(); }

    void add_data();
    void add();
    void editTakesTheDialogHoweverItEnds_data();
    void editTakesTheDialogHoweverItEnds();
    void rowButtons_data();
    void rowButtons();

private:
    MainWindowForm& form() { return *window_->form(); }
    QListWidget& list() { return *form().filterListWidget; }
    bool addAll(const QStringList& names)
    {
        for (const QString& name : names) {
            if (!runAddFilter(*window_, {name})) {
                return false;
            }
        }
        return true;
    }
    FilterMatrix& filterAt(int position)
    {
        return dynamic_cast<FilterMatrix&>(*form().widget->filterAt(position));
    }

    std::unique_ptr<MainWindow> window_;
};

void TestFilterPanel::add_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<FilterEntry>("entry");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("no name, first") << QStringList() << FilterEntry() << QStringList{"0. Matrix"};
    QTest::newRow("no name, fourth") << QStringList{"A", "B", "C"} << FilterEntry()
                                     << QStringList{"0. A", "1. B", "2. C", "3. Matrix"};
    QTest::newRow("Cancel") << QStringList{"A"} << FilterEntry{"never", {}, false}
                            << QStringList{"0. A"};
}

void TestFilterPanel::add()
{
    QFETCH(QStringList, before);
    QFETCH(FilterEntry, entry);
    QFETCH(QStringList, after);

    QVERIFY(addAll(before));
    entry.presses = {{12, 3}, {24, -2}};
    QVERIFY(runAddFilter(*window_, entry));
    QCOMPARE(rowTexts(list()), after);
    if (after.size() > before.size()) {
        FilterMatrix::Coefficients expected{};
        expected[12] = 3;
        expected[24] = -2;
        QCOMPARE(filterAt(before.size()).getMatrix(), expected);
    }
}

void TestFilterPanel::editTakesTheDialogHoweverItEnds_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("row");

    QTest::newRow("OK") << true << " renamed"
                        << "1.  renamed";
    QTest::newRow("Cancel") << false << " renamed"
                            << "1.  renamed";
    // No default name on Edit.
    QTest::newRow("emptied name") << true << ""
                                  << "1. ";
}

void TestFilterPanel::editTakesTheDialogHoweverItEnds()
{
    QFETCH(bool, ok);
    QFETCH(QString, name);
    QFETCH(QString, row);

    QVERIFY(runAddFilter(*window_, {"first"}));
    QVERIFY(runAddFilter(*window_, {"second", {{6, 1}, {12, 2}}}));
    clickRow(list(), 1);

    QString openedWith;
    QVERIFY(answerModal<EditFilterDialog>([this] { click(form().editFilterButton); },
                                          [&](EditFilterDialog& dialog) {
                                              openedWith = dialog.customName();
                                              answerFilter(dialog, {name, {{6, -3}}, ok});
                                          }));
    QCOMPARE(openedWith, QStringLiteral("second"));
    FilterMatrix::Coefficients expected{};
    expected[6] = -2;
    expected[12] = 2;
    QCOMPARE(filterAt(1).getMatrix(), expected);
    QCOMPARE(rowTexts(list()), (QStringList{"0. first", row}));
}

void TestFilterPanel::rowButtons_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("after");

    const QStringList abc{"A", "B", "C"};
    const QStringList rows{"0. A", "1. B", "2. C"};
    QTest::newRow("up row 2") << abc << 2 << "moveUpButton" << QStringList{"0. A", "1. C", "2. B"};
    QTest::newRow("up row 0") << abc << 0 << "moveUpButton" << rows;
    QTest::newRow("down last row") << abc << 2 << "moveDownButton" << rows;
    QTest::newRow("remove row 0 of two")
        << QStringList{"A", "B"} << 0 << "removeFilterButton" << QStringList{"0. B"};
}

void TestFilterPanel::rowButtons()
{
    QFETCH(QStringList, names);
    QFETCH(int, row);
    QFETCH(QString, button);
    QFETCH(QStringList, after);

    QVERIFY(addAll(names));
    clickRow(list(), row);
    QCOMPARE(list().currentRow(), row);
    click(window_->findChild<QPushButton*>(button));
    QCOMPARE(rowTexts(list()), after);
    QVERIFY(list().selectedItems().isEmpty());
}

QTEST_MAIN(TestFilterPanel)
#include "test_filterpanel.moc"
