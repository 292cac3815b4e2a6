// The main window driven as a user drives it: every command through its
// action, shortcut or button, with the modal dialogs answered.
#include "drop/waterdrop.h"
#include "filters/filterpipeline.h"
#include "generators/generatorchoice.h"
#include "maps.h"
#include "windowdriver.h"

#include <QTextCodec>
#include <ctime>

using namespace WindowDriver;

namespace {

// The world the choice names, built without the window.
std::unique_ptr<Map> buildDirectly(const NewWorldChoice& choice)
{
    std::unique_ptr<MapBuilder> builder = makeMapBuilder(choice.generator);
    if (choice.seedText.isEmpty()) {
        builder->setSeed(std::make_unique<Seed>());
    } else {
        builder->setSeed(choice.seedText.toLatin1());
    }
    return builder->setWidth(choice.width).setLength(choice.length).build();
}

std::unique_ptr<Map> filtered(const Map& base, const QVector<FilterEntry>& entries)
{
    FilterList filters;
    for (const FilterEntry& entry : entries) {
        FilterMatrix::Coefficients coefficients{};
        for (const auto& [index, value] : entry.values) {
            coefficients.at(std::size_t(index)) = value;
        }
        filters.push_back(std::make_unique<FilterMatrix>());
        static_cast<FilterMatrix&>(*filters.back()).setMatrix(coefficients);
    }
    return applyFilterList(base, filters);
}

const QList<Qt::CursorShape> kWaitThenRebuild{Qt::WaitCursor, Qt::ArrowCursor, Qt::ArrowCursor};

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        window_ = std::make_unique<MainWindow>();
        QVERIFY(showActive(*window_));
        form().tabWidget->setCurrentIndex(1); // the filters; Start turns to the drops
    }

    // The tag lists the events, each a command run to its end; the row names
    // what is enabled afterwards. "new world" is cancelled, so the drop
    // commands find no world: Start warns, the others do nothing.
    void enabledStates_data()
    {
        QTest::addColumn<QString>("enabled");
        QTest::newRow("") << "";
        QTest::newRow("new world") << "Start Update";
        QTest::newRow("new world, start") << "Next Result Dynamic Update";
        QTest::newRow("new world, start, next") << "Next Result Dynamic Update";
        QTest::newRow("new world, start, result") << "Start Update";
        QTest::newRow("new world, start, dynamic") << "Start Update";
        QTest::newRow("new world, start, new world") << "Start Next Result Dynamic Update";
    }

    void enabledStates()
    {
        QFETCH(QString, enabled);
        const QHash<QString, QPushButton*> buttons{{"next", form().pushButtonGoutteSuivant},
                                                   {"result", form().pushButtonGoutteRes},
                                                   {"dynamic", form().pushButtonGoutteDynamic}};
        for (const QString& event : QString(QTest::currentDataTag()).split(", ")) {
            if (event == "new world") {
                QVERIFY(runNewWorld(*window_, {0, {}, 50, 50, false}));
            } else if (event == "start") {
                QVERIFY(startWarns(1, 1));
            } else if (!event.isEmpty()) {
                click(buttons[event]);
            }
        }
        QStringList observed;
        const std::pair<const char*, bool> states[] = {
            {"Start", form().pushButtonGoutteLancer->isEnabled()},
            {"Next", form().pushButtonGoutteSuivant->isEnabled()},
            {"Result", form().pushButtonGoutteRes->isEnabled()},
            {"Dynamic", form().pushButtonGoutteDynamic->isEnabled()},
            {"Update", form().actionUpdate->isEnabled()}};
        for (const auto& [name, isEnabled] : states) {
            if (isEnabled) {
                observed << name;
            }
        }
        QCOMPARE(observed.join(' '), enabled);
        QVERIFY(view().filteredMap() == nullptr);
    }

    // Update does nothing before the first world; Space centres the camera
    // but keeps the zoom; Ctrl+N opens New world; Ctrl+Q closes the window.
    void shortcuts()
    {
        CursorLog cursors(view());
        QSignalSpy updates(form().actionUpdate, &QAction::triggered);
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QCOMPARE(updates.count(), 0);
        QVERIFY(answerModal<NewWorldDialog>(
            [this] { QTest::keyClick(window_.get(), Qt::Key_N, Qt::ControlModifier); },
            [](NewWorldDialog& dialog) { dialog.reject(); }));
        QVERIFY(showActive(*window_));
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QCOMPARE(updates.count(), 1);
        QVERIFY(cursors.shapes.isEmpty() && view().filteredMap() == nullptr);

        drag(view(), Qt::RightButton, {10, 10}, {20, 30});
        drag(view(), Qt::LeftButton, {10, 10}, {20, 30});
        view().setZRotation(48.0);
        turnWheel(view(), {0, 120});
        QTest::keyClick(window_.get(), Qt::Key_Space);
        QCOMPARE((QVector<double>{view().xRotation(), view().yRotation(), view().zRotation(),
                                  view().centerX(), view().centerY()}),
                 QVector<double>(5, 0.0));
        QCOMPARE(view().eyeDistance(), -11.0f);
        QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!window_->isVisible());
    }

    void newWorldIsTheGeneratorsWorld_data()
    {
        QTest::addColumn<NewWorldChoice>("choice");
        QTest::newRow("random, 99 x 3") << NewWorldChoice{0, " seed text ", 99, 3};
        QTest::newRow("peaks, clock seed") << NewWorldChoice{1, {}, 16, 11};
        QTest::newRow("chain, 0 x 7") << NewWorldChoice{2, "chain", 0, 7};
        QTest::newRow("chain, 30 x 20") << NewWorldChoice{2, "chain", 30, 20};
    }

    void newWorldIsTheGeneratorsWorld()
    {
        QFETCH(NewWorldChoice, choice);
        // A clock seed changes every second: try again if the second turned.
        for (int attempt = 0; attempt < 3; ++attempt) {
            const std::time_t before = std::time(nullptr);
            CursorLog cursors(view());
            QVERIFY(runNewWorld(*window_, choice));
            const std::unique_ptr<Map> expected = buildDirectly(choice);
            if (std::time(nullptr) == before) {
                QVERIFY(sameHeights(*view().baseMap(), *expected));
                QVERIFY(sameHeights(*view().filteredMap(), *expected));
                QCOMPARE(cursors.shapes, kWaitThenRebuild);
                return;
            }
        }
        QFAIL("the clock's second turned during every attempt");
    }

    // A cancelled New world keeps the world, its drops and the camera.
    void cancelledNewWorldKeepsTheWorld()
    {
        QVERIFY(runNewWorld(*window_, {1, "kept", 12, 9}));
        QVERIFY(!startWarns(5, 5));
        click(form().pushButtonGoutteSuivant);
        view().setXRotation(64.0);
        const Map* shown = view().filteredMap();
        const std::unique_ptr<Map> heights = shown->copy();
        QVERIFY(runNewWorld(*window_, {2, "never built", 7, 3, false}));
        QCOMPARE(view().filteredMap(), shown);
        QVERIFY(sameHeights(*shown, *heights));
        QCOMPARE(shown->drops().size(), std::size_t(1));
        QCOMPARE(view().xRotation(), 64.0);
    }

    // New world shows the filters in list order; Update after Move down
    // swaps them and washes the drops away.
    void filtersApplyOnNewWorldAndUpdate()
    {
        const FilterEntry alongX{"along x", {{11, 1}, {12, 2}, {13, 1}}};
        const FilterEntry alongY{{}, {{12, 1}, {17, 3}}};
        QVERIFY(runFilterDialog(form().addFilterButton, alongY));
        QVERIFY(runFilterDialog(form().addFilterButton, alongX));
        const NewWorldChoice choice{1, "filtered", 25, 18};
        QVERIFY(runNewWorld(*window_, choice));
        const std::unique_ptr<Map> base = buildDirectly(choice);
        QVERIFY(sameHeights(*view().filteredMap(), *filtered(*base, {alongY, alongX})));

        QVERIFY(!startWarns(5, 5));
        form().tabWidget->setCurrentIndex(1);
        clickRow(*form().filterListWidget, 0);
        click(form().moveDownButton);
        CursorLog cursors(view());
        QVERIFY(showActive(*window_));
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QVERIFY(sameHeights(*view().filteredMap(), *filtered(*base, {alongX, alongY})));
        QVERIFY(!sameHeights(*view().filteredMap(), *filtered(*base, {alongY, alongX})));
        QVERIFY(view().filteredMap()->drops().empty());
        QCOMPARE(cursors.shapes, (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor}));
    }

    void addFilter_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<FilterEntry>("entry");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("no name, first")
            << QStringList() << FilterEntry() << QStringList{"0. Matrix"};
        QTest::newRow("no name, fourth") << QStringList{"A", "B", "C"} << FilterEntry()
                                         << QStringList{"0. A", "1. B", "2. C", "3. Matrix"};
        QTest::newRow("spaces, Cancel")
            << QStringList{"A"} << FilterEntry{"  ", {}, false} << QStringList{"0. A"};
        QTest::newRow("spaces kept")
            << QStringList{"A"} << FilterEntry{"  "} << QStringList{"0. A", "1.   "};
    }

    void addFilter()
    {
        QFETCH(QStringList, before);
        QFETCH(FilterEntry, entry);
        QFETCH(QStringList, after);
        addFilters(before);
        entry.values = {{12, 3}, {24, -2}};
        QVERIFY(runFilterDialog(form().addFilterButton, entry));
        QCOMPARE(rowTexts(*form().filterListWidget), after);
        if (after.size() > before.size()) {
            FilterMatrix::Coefficients expected{};
            expected[12] = 3;
            expected[24] = -2;
            QCOMPARE(filterAt(before.size()).getMatrix(), expected);
        }
    }

    // Edit opens with the filter's name and coefficients and takes the dialog
    // however it ends, an emptied name too.
    void editFilter_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("name");
        QTest::newRow("OK") << true << " renamed";
        QTest::newRow("Cancel") << false << " renamed";
        QTest::newRow("emptied name") << true << "";
    }

    void editFilter()
    {
        QFETCH(bool, ok);
        QFETCH(QString, name);
        addFilters({"first"});
        QVERIFY(runFilterDialog(form().addFilterButton, {"second", {{6, 1}, {12, 2}}}));
        clickRow(*form().filterListWidget, 1);
        QString openedWith;
        QVERIFY(answerModal<EditFilterDialog>([this] { click(form().editFilterButton); },
                                              [&](EditFilterDialog& dialog) {
                                                  openedWith = dialog.customName() + " " +
                                                               QString::number(dialog.matrix()[12]);
                                                  answerFilter(dialog, {name, {{6, -2}}, ok});
                                              }));
        QCOMPARE(openedWith, QStringLiteral("second 2"));
        FilterMatrix::Coefficients expected{};
        expected[6] = -2;
        expected[12] = 2;
        QCOMPARE(filterAt(1).getMatrix(), expected);
        QCOMPARE(rowTexts(*form().filterListWidget), (QStringList{"0. first", "1. " + name}));
    }

    // The rows are rebuilt and none stays selected; without a selected row
    // the buttons change no filter and Edit opens no dialog.
    void rowButtons_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("after");
        const QStringList rows{"0. A", "1. B", "2. C"};
        QTest::newRow("up row 2") << 2 << "moveUpButton" << QStringList{"0. A", "1. C", "2. B"};
        QTest::newRow("up row 0") << 0 << "moveUpButton" << rows;
        QTest::newRow("down row 0") << 0 << "moveDownButton" << QStringList{"0. B", "1. A", "2. C"};
        QTest::newRow("down last row") << 2 << "moveDownButton" << rows;
        QTest::newRow("remove row 0") << 0 << "removeFilterButton" << QStringList{"0. B", "1. C"};
        QTest::newRow("remove none") << -1 << "removeFilterButton" << rows;
        QTest::newRow("edit none") << -1 << "editFilterButton" << rows;
    }

    void rowButtons()
    {
        QFETCH(int, row);
        QFETCH(QString, button);
        QFETCH(QStringList, after);
        addFilters({"A", "B", "C"});
        if (row >= 0) {
            clickRow(*form().filterListWidget, row);
        }
        QVERIFY(!answerModal<QDialog>([&] { click(window_->findChild<QPushButton*>(button)); },
                                      [](QDialog& dialog) { dialog.reject(); }));
        QCOMPARE(rowTexts(*form().filterListWidget), after);
        QVERIFY(form().filterListWidget->selectedItems().isEmpty());
    }

    void startChecksTheSurface_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("x 50 on 50 wide") << QSize(50, 20) << QPointF(50, 10) << false;
        QTest::newRow("x 49.5 on 50 wide") << QSize(50, 20) << QPointF(49.5, 10) << false;
        QTest::newRow("x 49 and y 19 on 50 x 20") << QSize(50, 20) << QPointF(49, 19) << true;
        QTest::newRow("y 19.5 on 20 long") << QSize(50, 20) << QPointF(10, 19.5) << false;
        QTest::newRow("one column") << QSize(1, 20) << QPointF(0, 5) << false;
    }

    void startChecksTheSurface()
    {
        QFETCH(QSize, size);
        QFETCH(QPointF, at);
        QFETCH(bool, accepted);
        QVERIFY(runNewWorld(*window_, {1, "drops", size.width(), size.height()}));
        QString text;
        QCOMPARE(startWarns(at.x(), at.y(), &text), !accepted);
        QCOMPARE(view().filteredMap()->drops().size(), std::size_t(accepted ? 1 : 0));
        if (accepted) {
            const MapPoint& start = *view().filteredMap()->drops().front()->currentPoint();
            QCOMPARE(QPointF(start.x(), start.y()), at);
        } else {
            QCOMPARE(text,
                     QStringLiteral("Warning !|The entered coordinates are not within the map"));
        }
    }

    // On the plane z = x a drop heads for x = 0, 0.01 / sqrt(2) per step.
    // Next makes 51 steps; Result runs until a step finds every drop stopped:
    // from x = 3, 424.26 steps fit, so 425 points. With only stopped drops it
    // makes one step that adds nothing, and rebuilds.
    void nextAndResult()
    {
        showWorld(20);
        QVERIFY(!startWarns(3.0, 10.0));
        CursorLog next(view(), [this] { return pathSize(); });
        click(form().pushButtonGoutteSuivant);
        QCOMPARE(next.shapes, kWaitThenRebuild);
        QCOMPARE(next.notes, (QList<int>{1, 52, 52}));
        CursorLog result(view(), [this] { return pathSize(); });
        click(form().pushButtonGoutteRes);
        QCOMPARE(result.shapes, kWaitThenRebuild);
        QCOMPARE(result.notes, (QList<int>{52, 425, 425}));
        QVERIFY(view().filteredMap()->drops().front()->isStopped());
        QVERIFY(startWarns(20.0, 1.0));
        CursorLog again(view());
        click(form().pushButtonGoutteRes);
        QCOMPARE(again.shapes, kWaitThenRebuild);
        QCOMPARE(pathSize(), 425);
    }

    // A drop 119.5 steps from x = 0 leaves the map during its 120th step and
    // the 121st finds it stopped; the view is rebuilt before steps 1, 51 and
    // 101, and not after the last.
    void dynamicDisplay()
    {
        showWorld(3);
        view().filteredMap()->startDrop(119.5f * 0.01f / std::sqrt(2.0f), 0.5f);
        QVERIFY(startWarns(3.0, 0.5));
        CursorLog cursors(view(), [this] { return pathSize(); });
        click(form().pushButtonGoutteDynamic);
        QCOMPARE(cursors.shapes,
                 (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor, Qt::ArrowCursor,
                                         Qt::ArrowCursor, Qt::ArrowCursor}));
        QCOMPARE(cursors.notes, (QList<int>{1, 1, 51, 101, 120}));
        QVERIFY(view().filteredMap()->drops().front()->isStopped());
    }

    // The seed text in the local 8-bit encoding, up to its first NUL.
    void newWorldDialog_data()
    {
        QTest::addColumn<QByteArray>("codec");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        const QString fjord = QString("Fj") + QChar(0x00F6) + "r" + QChar(0x00F0);
        QTest::newRow("UTF-8") << QByteArray("UTF-8") << fjord << QByteArray("Fj\xC3\xB6r\xC3\xB0");
        QTest::newRow("Latin-1") << QByteArray("ISO-8859-1") << fjord << QByteArray("Fj\xF6r\xF0");
        QTest::newRow("NUL inside")
            << QByteArray("UTF-8") << QString("ab") + QChar(0) + "cd" << QByteArray("ab");
    }

    void newWorldDialog()
    {
        QFETCH(QByteArray, codec);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QTextCodec* const original = QTextCodec::codecForLocale();
        QTextCodec::setCodecForLocale(QTextCodec::codecForName(codec));
        NewWorldDialog dialog;
        NewWorldDialogForm& form = *dialog.form();
        QVERIFY(dialog.isRandomSeed() && !form.seed->isEnabled());
        QCOMPARE(QVector<int>({dialog.generatorIndex(), dialog.mapWidth(), dialog.mapLength()}),
                 QVector<int>({0, 50, 50}));
        form.checkBox->click();
        QVERIFY(!dialog.isRandomSeed() && form.seed->isEnabled());
        form.seed->setText(text);
        QCOMPARE(dialog.seedText(), bytes);
        QTextCodec::setCodecForLocale(original);
    }

private:
    MainWindowForm& form() { return *window_->form(); }
    GLWidget& view() { return *form().widget; }
    int pathSize() { return int(view().filteredMap()->drops().front()->path().size()); }
    FilterMatrix& filterAt(int position)
    {
        return dynamic_cast<FilterMatrix&>(*view().filterAt(position));
    }
    void addFilters(const QStringList& names)
    {
        for (const QString& name : names) {
            QVERIFY(runFilterDialog(form().addFilterButton, {name}));
        }
    }
    // A size x size plane z = x; a cancelled New world enables Start.
    void showWorld(int size)
    {
        view().setBaseMap(makeMap(size, size, [](int x, int) { return float(x); }));
        view().rebuildMesh();
        QVERIFY(runNewWorld(*window_, {0, {}, 50, 50, false}));
    }
    // Types the coordinates and clicks Start; true when the warning came and
    // was clicked away.
    bool startWarns(double x, double y, QString* text = nullptr)
    {
        form().tabWidget->setCurrentIndex(0);
        typeInto(form().doubleSpinBoxGoutteX, window_->locale().toString(x, 'f', 2));
        typeInto(form().doubleSpinBoxGoutteY, window_->locale().toString(y, 'f', 2));
        return answerModal<QMessageBox>([this] { click(form().pushButtonGoutteLancer); },
                                        [&](QMessageBox& box) {
                                            if (text != nullptr) {
                                                *text = box.windowTitle() + "|" + box.text();
                                            }
                                            click(box.button(QMessageBox::Ok));
                                        });
    }

    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
