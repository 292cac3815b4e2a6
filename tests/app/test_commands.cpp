// The main window driven as a user drives it: every command through its
// action, shortcut or button, with the modal dialogs answered.
#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "generators/generatorchoice.h"
#include "maps.h"
#include "windowdriver.h"

#include <QTextCodec>

using namespace WindowDriver;

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

    // Each row runs its tag's commands in turn on a new window, and logs per command the
    // cursor shapes set on the view, with the newest drop's path length, and Start's
    // warning ("no world" when there is none); then the commands enabled. "cancel" is a cancelled
    // New world, "world W L" a Mountain peaks world of W x L, "start X Y" types X and Y and clicks
    // Start, "update" triggers Update, a button's text clicks it. Without a command, "plane N"
    // shows the N x N map z = x, down which drops head for x = 0 by 0.01 / sqrt(2) per step.
    void commandTable_data()
    {
        QTest::addColumn<QString>("log");
        const auto row = [](const char* commands, const char* log) {
            QTest::newRow(commands) << QString(log);
        };
        const char* const running = "enabled: Next, Result, Dynamic display, Update";
        const QByteArray world = "world 50 20: wait, arrow, arrow; ";
        row("", "enabled: ");
        // Without a world Start says to make one, and leaves the buttons as they were.
        row("cancel, start 1 1, Next", "start 1 1: no world; enabled: Start, Update");
        // Start refuses the coordinates off the terrain's surface, and says where they may be.
        const QByteArray ranges = "warning: X runs from 0 to 49 and Y from 0 to 19 on this world.";
        row("world 50 20, start 50 10",
            world + "start 50 10: " + ranges + "; enabled: Start, Update");
        row("world 50 20, start 49.5 10",
            world + "start 49.5 10: " + ranges + "; enabled: Start, Update");
        row("world 50 20, start 10 19.5",
            world + "start 10 19.5: " + ranges + "; enabled: Start, Update");
        row("world 1 20, start 0 5",
            "world 1 20: wait, arrow, arrow; start 0 5: warning: This world of 1 x 20 points has "
            "no surface for drops to run on.; enabled: Start, Update");
        row("world 50 20, start 49 19, update",
            world + "start 49 19: at 49 19; update: wait 1, arrow; " + running);
        // Next makes 51 steps; Result runs until a step finds every drop
        // stopped: from x = 3, 424.26 steps fit, so 425 points.
        row("plane 20, cancel, start 3 10, Next, Result, start 20 1",
            "start 3 10: at 3 10; Next: wait 1, arrow 52, arrow 52; Result: wait 52, arrow 425, "
            "arrow 425; start 20 1: warning: X runs from 0 to 19 and Y from 0 to 19 on this "
            "world.; enabled: Start, Update");
        // From x = 0.01 the drop leaves the map during Next: Result then makes one step that
        // finds it stopped, and rebuilds.
        row("plane 20, cancel, start 0.01 10, Next, Result",
            "start 0.01 10: at 0.01 10; Next: wait 1, arrow 2, arrow 2; Result: wait 2, arrow 2, "
            "arrow 2; enabled: Start, Update");
        // 118.8 steps from x = 0.84 the drop stops during its 119th step; Dynamic
        // display rebuilds before steps 1, 51 and 101, and not after the last.
        row("plane 3, cancel, start 0.84 0.5, Dynamic display",
            "start 0.84 0.5: at 0.84 0.5; Dynamic display: wait 1, arrow 1, arrow 51, arrow 101, "
            "arrow 119; enabled: Start, Update");
    }

    void commandTable()
    {
        QFETCH(QString, log);
        const auto drops = [this] {
            const Map* map = view().filteredMap();
            return map != nullptr ? map->drops() : std::vector<WaterDrop*>();
        };
        QStringList seen;
        for (const QString& command :
             QString(QTest::currentDataTag()).split(", ", Qt::SkipEmptyParts)) {
            const QStringList word = command.split(' ');
            CursorLog cursors(view(), [&] {
                return drops().empty() ? QString() : QString::number(drops().back()->path().size());
            });
            QStringList result;
            if (word[0] == "cancel" || word[0] == "world") {
                QVERIFY(runNewWorld(*window_, {1, "drops", word.value(1).toInt(),
                                               word.value(2).toInt(), word[0] == "world"}));
            } else if (word[0] == "plane") {
                view().setBaseMap(
                    makeMap(word[1].toInt(), word[1].toInt(), [](int x, int) { return float(x); }));
            } else if (word[0] == "start") {
                const QString text = startWarns(word[1].toDouble(), word[2].toDouble());
                const MapPoint* at = drops().empty() ? nullptr : drops().back()->currentPoint();
                result << (!text.isEmpty() ? text : QString("at %1 %2").arg(at->x()).arg(at->y()));
            } else if (word[0] == "update") {
                form().actionUpdate->trigger();
            } else {
                click(button(command));
                // Dynamic display runs on from the event loop until its end.
                QTRY_VERIFY(!form().pushButtonGoutteStop->isEnabled());
            }
            result.prepend(cursors.log());
            result.removeAll("");
            if (!result.isEmpty())
                seen << command + ": " + result.join(", ");
        }
        QStringList on;
        for (QObject* object : {form().pushButtonGoutteLancer, form().pushButtonGoutteSuivant,
                                form().pushButtonGoutteRes, form().pushButtonGoutteDynamic})
            on << (object->property("enabled").toBool() ? object->property("text").toString() : "");
        on << (form().actionUpdate->isEnabled() ? "Update" : "");
        on.removeAll("");
        QCOMPARE(seen.join("; ") + (seen.isEmpty() ? "" : "; ") + "enabled: " + on.join(", "), log);
    }

    // Ctrl+N opens New world; F5 does nothing before the first world; Space
    // centres the camera but keeps the zoom; Ctrl+Q closes the window.
    void shortcuts()
    {
        CursorLog cursors(view());
        QSignalSpy updates(form().actionUpdate, &QAction::triggered);
        QVERIFY(answerModal<NewWorldDialog>(
            [this] { QTest::keyClick(window_.get(), Qt::Key_N, Qt::ControlModifier); },
            [](NewWorldDialog& dialog) { dialog.reject(); }));
        QVERIFY(showActive(*window_));
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QCOMPARE(updates.count(), 1);
        QCOMPARE(cursors.log(), QString());
        for (auto set : {&GLWidget::setXRotation, &GLWidget::setYRotation, &GLWidget::setZRotation,
                         &GLWidget::setCenterX, &GLWidget::setCenterY})
            (view().*set)(48.0);
        turnWheel(view(), {0, 120});
        QTest::keyClick(window_.get(), Qt::Key_Space);
        QCOMPARE((QVector<double>{view().xRotation(), view().yRotation(), view().zRotation(),
                                  view().centerX(), view().centerY(), view().eyeDistance()}),
                 (QVector<double>{0, 0, 0, 0, 0, -11}));
        QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!window_->isVisible());
    }

    void newWorld_data()
    {
        QTest::addColumn<NewWorldChoice>("choice");
        QTest::newRow("random, 99 x 3") << NewWorldChoice{0, " seed text ", 99, 3};
        QTest::newRow("peaks, clock seed") << NewWorldChoice{1, {}, 16, 11};
        QTest::newRow("chain, 0 x 7") << NewWorldChoice{2, "chain", 0, 7};
    }

    // The generator's world, with the wait cursor while it is made, then the
    // rebuild's arrow and the command's own.
    void newWorld()
    {
        QFETCH(NewWorldChoice, choice);
        for (int attempt = 0; attempt < 3; ++attempt) { // until the clock's second stays
            const std::time_t before = std::time(nullptr);
            CursorLog cursors(view());
            QVERIFY(runNewWorld(*window_, choice));
            const std::unique_ptr<Map> expected = buildDirectly(choice);
            if (std::time(nullptr) != before)
                continue;
            QVERIFY(sameHeights(*view().baseMap(), *expected));
            QVERIFY(sameHeights(*view().filteredMap(), *expected));
            QCOMPARE(cursors.log(), QString("wait, arrow, arrow"));
            return;
        }
        QFAIL("the clock's second turned during every attempt");
    }

    // New world shows the filters in list order; Update shows them anew from
    // the base map, here swapped by Move down.
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
        clickRow(*form().filterListWidget, 0);
        click(form().moveDownButton);
        form().actionUpdate->trigger();
        QCOMPARE(view().filterName(0), QString("along x"));
        QVERIFY(sameHeights(*view().filteredMap(), *through(0, 1)));
        QVERIFY(!sameHeights(*view().filteredMap(), *through(1, 0)));
    }

    // Filters A, B and C, B's coefficient 12 at 2; the row selected (-1: none), the button,
    // the dialog's answer if one opens, and the rows and coefficients 12 after. Edit opens
    // with the filter's values and takes the dialog however it ends; no row stays selected.
    void filterPanel_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("button");
        QTest::addColumn<FilterEntry>("entry");
        QTest::addColumn<QString>("after");
        const auto row = [](const char* tag, int row, const char* button, const FilterEntry& entry,
                            const QByteArray& after) {
            QTest::newRow(tag) << row << button << entry << QString(after);
        };
        const char* none = " | none: Add";
        row("add, no name", -1, "Add", {{}, {{12, 3}}},
            "0. A, 1. B, 2. C, 3. Matrix: 0 2 0 3 | none: Add");
        row("add, spaces", 0, "Add", {"  "}, "0. A, 1. B, 2. C, 3.   : 0 2 0 0 | none: Add");
        row("add, Cancel", -1, "Add", {"X", {}, false}, "0. A, 1. B, 2. C: 0 2 0 | none: Add");
        row("edit, OK", 1, "Edit", {" b", {{12, -7}}},
            "0. A, 1.  b, 2. C: 0 -7 0 | 1: Move up, Move down, Add, Edit, Remove");
        row("edit, Cancel", 1, "Edit", {" b", {{12, -7}}, false},
            "0. A, 1.  b, 2. C: 0 -7 0 | 1: Move up, Move down, Add, Edit, Remove");
        row("edit, nothing typed", 1, "Edit", {},
            "0. A, 1. B, 2. C: 0 2 0 | 1: Move up, Move down, Add, Edit, Remove");
        row("edit, emptied name", 1, "Edit", {""},
            "0. A, 1. , 2. C: 0 2 0 | 1: Move up, Move down, Add, Edit, Remove");
        row("edit, nothing selected", -1, "Edit", {}, QByteArray("0. A, 1. B, 2. C: 0 2 0") + none);
        // The moved filter stays selected; a move it cannot make is not offered.
        row("up row 1", 1, "Move up", {},
            "0. B, 1. A, 2. C: 2 0 0 | 0: Move down, Add, Edit, Remove");
        row("up row 0", 0, "Move up", {},
            "0. A, 1. B, 2. C: 0 2 0 | 0: Move down, Add, Edit, Remove");
        row("down row 1", 1, "Move down", {},
            "0. A, 1. C, 2. B: 0 0 2 | 2: Move up, Add, Edit, Remove");
        row("down last row", 2, "Move down", {},
            "0. A, 1. B, 2. C: 0 2 0 | 2: Move up, Add, Edit, Remove");
        row("remove row 0", 0, "Remove", {}, QByteArray("0. B, 1. C: 2 0") + none);
        // A double-click edits its row, Delete removes the selected one.
        row("double-click row 2", 2, "double-click", {"c"},
            "0. A, 1. B, 2. c: 0 2 0 | 2: Move up, Add, Edit, Remove");
        row("Delete row 1", 1, "Delete", {}, QByteArray("0. A, 1. C: 0 0") + none);
    }

    void filterPanel()
    {
        QFETCH(int, row);
        QFETCH(QString, button);
        QFETCH(FilterEntry, entry);
        QFETCH(QString, after);
        for (const FilterEntry& filter : {FilterEntry{"A"}, {"B", {{12, 2}}}, {"C"}})
            QVERIFY(runFilterDialog(form().addFilterButton, filter));
        if (row >= 0)
            clickRow(*form().filterListWidget, row);
        const bool opens =
            button == "Add" || (button == "Edit" && row >= 0) || button == "double-click";
        QListWidget& list = *form().filterListWidget;
        if (button == "Delete") {
            QTest::keyClick(&list, Qt::Key_Delete);
        } else if (button == "double-click") {
            QVERIFY(answerModal<EditFilterDialog>(
                [&] {
                    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                                       list.visualItemRect(list.item(row)).center());
                },
                [&](EditFilterDialog& dialog) { answerFilter(dialog, entry); }));
        } else {
            QCOMPARE(runFilterDialog(this->button(button), entry), opens);
        }
        QString seen = rowTexts(*form().filterListWidget).join(", ") + ":";
        for (int i = 0; i < view().filterCount(); ++i)
            seen += " " + QString::number(
                              static_cast<FilterMatrix*>(view().filterAt(i))->getMatrix()[12]);
        const QList<QListWidgetItem*> selected = form().filterListWidget->selectedItems();
        seen +=
            " | " + (selected.isEmpty()
                         ? QString("none")
                         : QString::number(form().filterListWidget->row(selected.constFirst())));
        QStringList enabled;
        for (QPushButton* button :
             {form().moveUpButton, form().moveDownButton, form().addFilterButton,
              form().editFilterButton, form().removeFilterButton})
            if (button->isEnabled())
                enabled << button->text();
        QCOMPARE(seen + ": " + enabled.join(", "), after);
    }

    // Dynamic display runs from the event loop: the window answers meanwhile, the commands
    // that change the world wait, and Stop (or Esc) ends it where it is, with the drop
    // running on under Next and Result to the same end as a run never stopped.
    void stopEndsDynamicDisplayWhereItIs_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Stop") << false;
        QTest::newRow("Esc") << true;
    }

    void stopEndsDynamicDisplayWhereItIs()
    {
        QFETCH(bool, escape);
        // Down the 200 x 3 plane z = x a drop from x = 190 runs some 26,870 steps.
        const auto plane = [] { return makeMap(200, 3, [](int x, int) { return float(x); }); };
        view().setBaseMap(plane());
        view().filteredMap()->startDrop(190.0f, 0.5f);
        form().tabWidget->setCurrentIndex(0);
        form().pushButtonGoutteDynamic->setEnabled(true);
        click(form().pushButtonGoutteDynamic);
        const WaterDrop& drop = *view().filteredMap()->drops().front();
        QTRY_VERIFY(drop.path().size() > 500);
        for (QWidget* command : {static_cast<QWidget*>(form().pushButtonGoutteLancer),
                                 static_cast<QWidget*>(form().addFilterButton)})
            QVERIFY(!command->isEnabled());
        QVERIFY(!form().actionNewWorld->isEnabled() && !form().actionUpdate->isEnabled());
        if (escape)
            QTest::keyClick(window_.get(), Qt::Key_Escape);
        else
            click(form().pushButtonGoutteStop);
        const std::size_t stoppedAt = drop.path().size();
        QTest::qWait(100);
        QCOMPARE(drop.path().size(), stoppedAt);
        QVERIFY(!drop.isStopped() && stoppedAt < 20000);
        QVERIFY(form().pushButtonGoutteSuivant->isEnabled() &&
                form().pushButtonGoutteRes->isEnabled() && form().actionNewWorld->isEnabled());
        QVERIFY(form().statusBar->currentMessage().startsWith(
            QString("Dynamic display: %1 steps.").arg(stoppedAt - 1)));
        click(form().pushButtonGoutteRes);
        const auto whole = plane();
        whole->startDrop(190.0f, 0.5f);
        DropRun::runToEnd(*whole);
        const std::vector<MapPoint>& path = whole->drops().front()->path();
        QVERIFY(drop.isStopped() && path.size() > 20000);
        QVERIFY(std::memcmp(drop.path().data(), path.data(), path.size() * sizeof(MapPoint)) == 0);
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
        dialog.form()->seed->setText(QChar(0) + QString("d"));
        QCOMPARE(dialog.seedText(), QByteArray());
        QTextCodec::setCodecForLocale(original);
    }

private:
    MainWindowForm& form() { return *window_->form(); }
    GLWidget& view() { return *form().widget; }
    QPushButton* button(const QString& text)
    {
        for (QPushButton* button : window_->findChildren<QPushButton*>())
            if (button->text() == text)
                return button;
        return nullptr;
    }
    // The world the choice names, built without the window.
    static std::unique_ptr<Map> buildDirectly(const NewWorldChoice& choice)
    {
        std::unique_ptr<MapBuilder> builder = makeMapBuilder(choice.generator);
        if (choice.seedText.isEmpty())
            builder->setSeed(std::make_unique<Seed>());
        else
            builder->setSeed(choice.seedText.toLatin1());
        return builder->setWidth(choice.width).setLength(choice.length).build();
    }
    // Types the coordinates and clicks Start: "warning" when the warning box
    // came, was as it should be and was clicked away, else what it said.
    QString startWarns(double x, double y)
    {
        form().tabWidget->setCurrentIndex(0);
        typeInto(form().doubleSpinBoxGoutteX, window_->locale().toString(x, 'f', 2));
        typeInto(form().doubleSpinBoxGoutteY, window_->locale().toString(y, 'f', 2));
        QString text;
        answerModal<QMessageBox>([this] { click(form().pushButtonGoutteLancer); },
                                 [&text](QMessageBox& box) {
                                     text = box.windowTitle() + "|" + box.text();
                                     click(box.button(QMessageBox::Ok));
                                 });
        const QString refused = "Warning !|The entered coordinates are not within the map\n";
        return text.startsWith(refused) ? "warning: " + text.mid(refused.size())
               : text == "Warning !|There is no world yet: make one with File > New world."
                   ? "no world"
                   : text;
    }

    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
