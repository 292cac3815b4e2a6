// The main window driven as a user drives it: every command through its
// action, shortcut or button, with the modal dialogs answered.
#include "drop/waterdrop.h"
#include "generators/generatorchoice.h"
#include "maps.h"
#include "windowdriver.h"

#include <QTextCodec>

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

    // The tag lists the commands, each run to its end; the row what is enabled
    // afterwards. New world is cancelled, so the drop commands find no world:
    // Start warns, the others do nothing.
    void enabledStates_data()
    {
        QTest::addColumn<QString>("enabled");
        QTest::newRow("") << "";
        QTest::newRow("New world") << "Start, Update";
        QTest::newRow("New world, Start") << "Next, Result, Dynamic display, Update";
        QTest::newRow("New world, Start, Next") << "Next, Result, Dynamic display, Update";
        QTest::newRow("New world, Start, Result") << "Start, Update";
        QTest::newRow("New world, Start, Dynamic display") << "Start, Update";
        QTest::newRow("New world, Start, New world")
            << "Start, Next, Result, Dynamic display, Update";
    }

    void enabledStates()
    {
        QFETCH(QString, enabled);
        for (const QString& command : QString(QTest::currentDataTag()).split(", ")) {
            if (command == "New world") {
                QVERIFY(runNewWorld(*window_, {0, {}, 50, 50, false}));
            } else if (command == "Start") {
                QVERIFY(startWarns(1, 1));
            } else if (!command.isEmpty()) {
                click(button(command));
            }
        }
        QStringList on;
        for (const QObject* object : std::initializer_list<QObject*>{
                 form().pushButtonGoutteLancer, form().pushButtonGoutteSuivant,
                 form().pushButtonGoutteRes, form().pushButtonGoutteDynamic, form().actionUpdate}) {
            if (object->property("enabled").toBool()) {
                on << object->property("text").toString();
            }
        }
        QCOMPARE(on.join(", "), enabled);
        QVERIFY(view().filteredMap() == nullptr);
    }

    // F5 does nothing before Update is enabled, nor before the first world;
    // Space centres the camera but keeps the zoom; Ctrl+Q closes the window.
    void shortcuts()
    {
        CursorLog cursors(view());
        QSignalSpy updates(form().actionUpdate, &QAction::triggered);
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QVERIFY(answerModal<NewWorldDialog>(
            [this] { QTest::keyClick(window_.get(), Qt::Key_N, Qt::ControlModifier); },
            [](NewWorldDialog& dialog) { dialog.reject(); }));
        QVERIFY(showActive(*window_));
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QCOMPARE(updates.count(), 1);
        QCOMPARE(cursors.log(), QString());

        drag(view(), Qt::RightButton, {10, 10}, {20, 30});
        drag(view(), Qt::LeftButton, {10, 10}, {20, 30});
        view().setZRotation(48.0);
        turnWheel(view(), {0, 120});
        QTest::keyClick(window_.get(), Qt::Key_Space);
        QCOMPARE((QVector<double>{view().xRotation(), view().yRotation(), view().zRotation(),
                                  view().centerX(), view().centerY(), view().eyeDistance()}),
                 (QVector<double>{0, 0, 0, 0, 0, -11}));
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

    // The wait cursor while it builds, then the rebuild's arrow and its own.
    void newWorldIsTheGeneratorsWorld()
    {
        QFETCH(NewWorldChoice, choice);
        for (int attempt = 0; attempt < 3; ++attempt) { // until the clock's second stays
            const std::time_t before = std::time(nullptr);
            CursorLog cursors(view());
            QVERIFY(runNewWorld(*window_, choice));
            const std::unique_ptr<Map> expected = buildDirectly(choice);
            if (std::time(nullptr) == before) {
                QVERIFY(sameHeights(*view().baseMap(), *expected));
                QVERIFY(sameHeights(*view().filteredMap(), *expected));
                QCOMPARE(cursors.log(), QString("wait, arrow, arrow"));
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
        view().setXRotation(64.0);
        const Map* shown = view().filteredMap();
        const std::unique_ptr<Map> heights = shown->copy();
        QVERIFY(runNewWorld(*window_, {2, "never built", 7, 3, false}));
        QVERIFY(view().filteredMap() == shown && sameHeights(*shown, *heights));
        QCOMPARE(shown->drops().size(), std::size_t(1));
        QCOMPARE(view().xRotation(), 64.0);
    }

    // New world shows the filters in list order; Update after Move down shows
    // them swapped, under the wait cursor, and washes the drops away.
    void filtersApplyOnNewWorldAndUpdate()
    {
        QVERIFY(runFilterDialog(form().addFilterButton, {"along y", {{12, 1}, {17, 3}}}));
        QVERIFY(runFilterDialog(form().addFilterButton, {"along x", {{11, 1}, {12, 2}, {13, 1}}}));
        const NewWorldChoice choice{1, "filtered", 25, 18};
        QVERIFY(runNewWorld(*window_, choice));
        const std::unique_ptr<Map> base = buildDirectly(choice);
        const auto through = [&](int first, int second) {
            return view().filterAt(second)->apply(*view().filterAt(first)->apply(*base));
        };
        QVERIFY(sameHeights(*view().filteredMap(), *through(0, 1)));
        QVERIFY(!startWarns(5, 5));
        form().tabWidget->setCurrentIndex(1);
        clickRow(*form().filterListWidget, 0);
        click(form().moveDownButton);
        CursorLog cursors(view());
        QVERIFY(showActive(*window_));
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QCOMPARE(view().filterName(0), QString("along x"));
        QVERIFY(sameHeights(*view().filteredMap(), *through(0, 1)));
        QVERIFY(!sameHeights(*view().filteredMap(), *through(1, 0)));
        QVERIFY(view().filteredMap()->drops().empty());
        QCOMPARE(cursors.log(), QString("wait, arrow"));
    }

    // Filters A, B and C, B's coefficient 12 at 2; then the row selected (-1:
    // none), the button clicked, the dialog's answer if one opens, and the
    // rows and coefficients 12 after. Edit opens with the filter's values and
    // takes the dialog however it ends; no row stays selected.
    void filterPanel_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("button");
        QTest::addColumn<FilterEntry>("entry");
        QTest::addColumn<QString>("rows");
        const auto row = [](const char* tag, int row, const char* button, const FilterEntry& entry,
                            const char* rows) {
            QTest::newRow(tag) << row << button << entry << rows;
        };
        row("add, no name", -1, "Add", {{}, {{12, 3}}}, "0. A, 1. B, 2. C, 3. Matrix: 0 2 0 3");
        row("add, spaces", 0, "Add", {"  "}, "0. A, 1. B, 2. C, 3.   : 0 2 0 0");
        row("add, Cancel", -1, "Add", {"X", {}, false}, "0. A, 1. B, 2. C: 0 2 0");
        row("edit, OK", 1, "Edit", {" b", {{12, -7}}}, "0. A, 1.  b, 2. C: 0 -7 0");
        row("edit, Cancel", 1, "Edit", {{}, {{12, -7}}, false}, "0. A, 1. B, 2. C: 0 -7 0");
        row("edit, emptied name", 1, "Edit", {""}, "0. A, 1. , 2. C: 0 2 0");
        row("edit none", -1, "Edit", {}, "0. A, 1. B, 2. C: 0 2 0");
        row("up row 2", 2, "Move up", {}, "0. A, 1. C, 2. B: 0 0 2");
        row("up row 0", 0, "Move up", {}, "0. A, 1. B, 2. C: 0 2 0");
        row("down row 0", 0, "Move down", {}, "0. B, 1. A, 2. C: 2 0 0");
        row("down last row", 2, "Move down", {}, "0. A, 1. B, 2. C: 0 2 0");
        row("remove row 0", 0, "Remove", {}, "0. B, 1. C: 2 0");
        row("remove none", -1, "Remove", {}, "0. A, 1. B, 2. C: 0 2 0");
    }

    void filterPanel()
    {
        QFETCH(int, row);
        QFETCH(QString, button);
        QFETCH(FilterEntry, entry);
        QFETCH(QString, rows);
        for (const FilterEntry& filter : {FilterEntry{"A"}, {"B", {{12, 2}}}, {"C"}}) {
            QVERIFY(runFilterDialog(form().addFilterButton, filter));
        }
        if (row >= 0) {
            clickRow(*form().filterListWidget, row);
        }
        const bool opens = button == "Add" || (button == "Edit" && row >= 0);
        QCOMPARE(runFilterDialog(this->button(button), entry), opens);
        QString seen = rowTexts(*form().filterListWidget).join(", ") + ":";
        for (int i = 0; i < view().filterCount(); ++i) {
            seen += " " + QString::number(
                              dynamic_cast<FilterMatrix&>(*view().filterAt(i)).getMatrix()[12]);
        }
        QCOMPARE(seen, rows);
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
        QCOMPARE(text, accepted ? "" : "Warning !|The entered coordinates are not within the map");
        const std::vector<WaterDrop*> drops = view().filteredMap()->drops();
        QCOMPARE(drops.size(), std::size_t(accepted ? 1 : 0));
        QVERIFY(!accepted ||
                QPointF(drops[0]->currentPoint()->x(), drops[0]->currentPoint()->y()) == at);
    }

    // On the plane z = x a drop heads for x = 0, 0.01 / sqrt(2) per step.
    // Next makes 51 steps; Result runs until a step finds every drop stopped:
    // from x = 3, 424.26 steps fit, so 425 points. With only stopped drops it
    // makes one step that adds nothing, and rebuilds.
    void nextAndResult()
    {
        showWorld(20);
        QVERIFY(!startWarns(3.0, 10.0));
        CursorLog cursors(view(), [this] { return QString::number(pathSize()); });
        click(form().pushButtonGoutteSuivant);
        click(form().pushButtonGoutteRes);
        QVERIFY(view().filteredMap()->drops().front()->isStopped());
        QVERIFY(startWarns(20.0, 1.0));
        click(form().pushButtonGoutteRes);
        QCOMPARE(cursors.log(),
                 QString("wait 1, arrow 52, arrow 52, wait 52, arrow 425, arrow 425, "
                         "wait 425, arrow 425, arrow 425"));
    }

    // A drop 119.5 steps from x = 0 leaves the map during its 120th step and
    // the 121st finds it stopped; the view is rebuilt before steps 1, 51 and
    // 101, and not after the last.
    void dynamicDisplay()
    {
        showWorld(3);
        view().filteredMap()->startDrop(119.5f * 0.01f / std::sqrt(2.0f), 0.5f);
        QVERIFY(startWarns(3.0, 0.5));
        CursorLog cursors(view(), [this] { return QString::number(pathSize()); });
        click(form().pushButtonGoutteDynamic);
        QCOMPARE(cursors.log(), QString("wait 1, arrow 1, arrow 51, arrow 101, arrow 120"));
        QVERIFY(view().filteredMap()->drops().front()->isStopped());
    }

    // The dialog opens on "Random", a clock seed and 50 x 50; its seed text is
    // in the local 8-bit encoding, up to its first NUL.
    void newWorldDialog()
    {
        QTextCodec* const original = QTextCodec::codecForLocale();
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
        NewWorldDialog dialog;
        QVERIFY(dialog.isRandomSeed() && !dialog.form()->seed->isEnabled());
        QCOMPARE(QVector<int>({dialog.generatorIndex(), dialog.mapWidth(), dialog.mapLength()}),
                 QVector<int>({0, 50, 50}));
        dialog.form()->checkBox->click();
        QVERIFY(!dialog.isRandomSeed() && dialog.form()->seed->isEnabled());
        dialog.form()->seed->setText(QString("Fj") + QChar(0xF6) + "r" + QChar(0) + "d");
        QCOMPARE(dialog.seedText(), QByteArray("Fj\xF6r"));
        QTextCodec::setCodecForLocale(original);
    }

private:
    MainWindowForm& form() { return *window_->form(); }
    QPushButton* button(const QString& text)
    {
        for (QPushButton* button : window_->findChildren<QPushButton*>()) {
            if (button->text() == text) {
                return button;
            }
        }
        return nullptr;
    }
    GLWidget& view() { return *form().widget; }
    int pathSize() { return int(view().filteredMap()->drops().front()->path().size()); }
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
