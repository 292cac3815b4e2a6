// The main window's form: its members, texts, shortcuts and starting states,
// the form's own connections, the binding of the command slots by name, and
// the shortcuts.
#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "formchecks.h"
#include "view/glwidget.h"

#include <QAction>
#include <QBoxLayout>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>
#include <memory>

namespace {

// A tab page's parent is the tab widget's page stack.
const char* const pageStack = "qt_tabwidget_stackedwidget";

const FormMember<MainWindowForm> expectedMembers[] = {
    FORM_MEMBER(MainWindowForm, actionExit, "QAction", "MainWindow"),
    FORM_MEMBER(MainWindowForm, actionNewWorld, "QAction", "MainWindow"),
    FORM_MEMBER(MainWindowForm, actionUpdate, "QAction", "MainWindow"),
    FORM_MEMBER(MainWindowForm, actionCenter, "QAction", "MainWindow"),
    FORM_MEMBER(MainWindowForm, centralWidget, "QWidget", "MainWindow"),
    FORM_MEMBER(MainWindowForm, horizontalLayout, "QHBoxLayout", "centralWidget"),
    FORM_MEMBER(MainWindowForm, widget, "GLWidget", "centralWidget"),
    FORM_MEMBER(MainWindowForm, tabWidget, "QTabWidget", "centralWidget"),
    FORM_MEMBER(MainWindowForm, tabGoutte, "QWidget", pageStack),
    FORM_MEMBER(MainWindowForm, verticalLayout_2, "QVBoxLayout", "tabGoutte"),
    FORM_MEMBER(MainWindowForm, horizontalLayoutGoutteX, "QHBoxLayout", "verticalLayout_2"),
    FORM_MEMBER(MainWindowForm, labelGoutteX, "QLabel", "tabGoutte"),
    FORM_MEMBER(MainWindowForm, doubleSpinBoxGoutteX, "QDoubleSpinBox", "tabGoutte"),
    FORM_MEMBER(MainWindowForm, horizontalLayoutGoutteY, "QHBoxLayout", "verticalLayout_2"),
    FORM_MEMBER(MainWindowForm, labelGoutteY, "QLabel", "tabGoutte"),
    FORM_MEMBER(MainWindowForm, doubleSpinBoxGoutteY, "QDoubleSpinBox", "tabGoutte"),
    FORM_MEMBER(MainWindowForm, pushButtonGoutteLancer, "QPushButton", "tabGoutte"),
    FORM_MEMBER(MainWindowForm, pushButtonGoutteSuivant, "QPushButton", "tabGoutte"),
    FORM_MEMBER(MainWindowForm, pushButtonGoutteRes, "QPushButton", "tabGoutte"),
    FORM_MEMBER(MainWindowForm, pushButtonGoutteDynamic, "QPushButton", "tabGoutte"),
    FORM_MEMBER(MainWindowForm, tabFilters, "QWidget", pageStack),
    FORM_MEMBER(MainWindowForm, verticalLayout, "QVBoxLayout", "tabFilters"),
    FORM_MEMBER(MainWindowForm, filterListWidget, "QListWidget", "tabFilters"),
    FORM_MEMBER(MainWindowForm, horizontalLayout_3, "QHBoxLayout", "verticalLayout"),
    FORM_MEMBER(MainWindowForm, moveUpButton, "QPushButton", "tabFilters"),
    FORM_MEMBER(MainWindowForm, moveDownButton, "QPushButton", "tabFilters"),
    FORM_MEMBER(MainWindowForm, horizontalLayout_2, "QHBoxLayout", "verticalLayout"),
    FORM_MEMBER(MainWindowForm, addFilterButton, "QPushButton", "tabFilters"),
    FORM_MEMBER(MainWindowForm, editFilterButton, "QPushButton", "tabFilters"),
    FORM_MEMBER(MainWindowForm, removeFilterButton, "QPushButton", "tabFilters"),
    FORM_MEMBER(MainWindowForm, menuBar, "QMenuBar", "MainWindow"),
    FORM_MEMBER(MainWindowForm, menuFile, "QMenu", "menuBar"),
    FORM_MEMBER(MainWindowForm, menuMap, "QMenu", "menuBar"),
    FORM_MEMBER(MainWindowForm, menuView, "QMenu", "menuBar"),
    FORM_MEMBER(MainWindowForm, mainToolBar, "QToolBar", "MainWindow"),
    FORM_MEMBER(MainWindowForm, statusBar, "QStatusBar", "MainWindow"),
};

const char* const commandSlots[] = {
    "on_actionNewWorld_triggered",        "on_pushButtonGoutteLancer_clicked",
    "on_pushButtonGoutteSuivant_clicked", "on_pushButtonGoutteRes_clicked",
    "on_addFilterButton_clicked",         "on_editFilterButton_clicked",
    "on_removeFilterButton_clicked",      "on_moveUpButton_clicked",
    "on_moveDownButton_clicked",          "on_actionUpdate_triggered",
    "on_actionCenter_triggered",          "on_pushButtonGoutteDynamic_clicked",
};

// on_<sender>_<signal>: the object whose signal a slot is bound to.
QString senderOf(const QString& slot)
{
    return slot.mid(3, slot.lastIndexOf(QLatin1Char('_')) - 3);
}

// Connections from the object's signals, however they were made (by name, by
// hand, to a functor); a cloned signal shares its original's connections.
int outgoingConnections(const QObject* sender)
{
    struct Peek : QObject
    {
        using QObject::receivers;
    };
    const auto receivers = &Peek::receivers;
    const QMetaObject* meta = sender->metaObject();
    int count = 0;
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal &&
            !(method.attributes() & QMetaMethod::Cloned))
            count += (sender->*receivers)("2" + method.methodSignature());
    }
    return count;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { window_ = std::make_unique<MainWindow>(); }
    void cleanup() { window_.reset(); }

    void formMembers_data() { addFormMemberRows(expectedMembers); }
    void formMembers();
    void textsShortcutsAndEnabledStates_data();
    void textsShortcutsAndEnabledStates();
    void titleTabsAndCoordinateRange();
    void eachSlotBoundOnce_data();
    void eachSlotBoundOnce();
    void eventsDriveEnabledStates_data();
    void eventsDriveEnabledStates();
    void shortcutsFireOnActiveWindowAndExitCloses();

private:
    MainWindowForm& form() { return *window_->form(); }
    QObject* named(const QString& name) { return window_->findChild<QObject*>(name); }
    void detachCommands();

    std::unique_ptr<MainWindow> window_;
};

// Leaves only the form's own connections: some commands open modal dialogs.
void TestMainWindow::detachCommands()
{
    for (const char* slot : commandSlots)
        QVERIFY(QObject::disconnect(named(senderOf(slot)), nullptr, window_.get(), nullptr));
}

void TestMainWindow::formMembers()
{
    QFETCH(int, index);
    checkFormMember(form(), expectedMembers, index);
}

void TestMainWindow::textsShortcutsAndEnabledStates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("enabled");

    const auto row = [](const char* object, const char* text, bool enabled,
                        const QKeySequence& shortcut = QKeySequence()) {
        QTest::newRow(object) << text << shortcut << enabled;
    };
    row("actionExit", "Exit", true, QKeySequence(Qt::CTRL | Qt::Key_Q));
    row("actionNewWorld", "New world", true, QKeySequence(Qt::CTRL | Qt::Key_N));
    row("actionUpdate", "Update", false, QKeySequence(Qt::Key_F5));
    row("actionCenter", "Center", true, QKeySequence(Qt::Key_Space));
    row("labelGoutteX", "X :", true);
    row("doubleSpinBoxGoutteX", "20.00", true);
    row("labelGoutteY", "Y :", true);
    row("doubleSpinBoxGoutteY", "20.00", true);
    row("pushButtonGoutteLancer", "Start", false);
    row("pushButtonGoutteSuivant", "Next", false);
    row("pushButtonGoutteRes", "Result", false);
    row("pushButtonGoutteDynamic", "Dynamic display", false);
    row("moveUpButton", "Move up", true);
    row("moveDownButton", "Move down", true);
    row("addFilterButton", "Add", true);
    row("editFilterButton", "Edit", true);
    row("removeFilterButton", "Remove", true);
    row("menuFile", "File", true);
    row("menuMap", "Map", true);
    row("menuView", "View", true);
}

void TestMainWindow::textsShortcutsAndEnabledStates()
{
    QFETCH(QString, text);
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, enabled);

    QObject* target = named(QTest::currentDataTag());
    QVERIFY(target != nullptr);
    // Actions, buttons, labels and spin boxes show "text", menus "title".
    const char* textProperty = qobject_cast<QMenu*>(target) ? "title" : "text";
    QCOMPARE(target->property(textProperty).toString(), text);
    QCOMPARE(target->property("shortcut").value<QKeySequence>(), shortcut);
    QCOMPARE(target->property("enabled").toBool(), enabled);
}

void TestMainWindow::titleTabsAndCoordinateRange()
{
    QCOMPARE(window_->windowTitle(), QStringLiteral("Terravik"));

    QTabWidget* tabs = form().tabWidget;
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->widget(0), form().tabGoutte);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Water drop"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Filters"));
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(tabs->isMovable());
    QVERIFY(!tabs->tabsClosable());
    QVERIFY(!tabs->tabBarAutoHide());

    for (const QDoubleSpinBox* box : {form().doubleSpinBoxGoutteX, form().doubleSpinBoxGoutteY}) {
        QCOMPARE(box->minimum(), 0.0);
        QCOMPARE(box->maximum(), 99.99);
    }
}

void TestMainWindow::eachSlotBoundOnce_data()
{
    QTest::addColumn<QString>("slot");
    for (const char* slot : commandSlots)
        QTest::newRow(slot) << slot;
}

// Each command sender has exactly one connection to the window, its slot bound
// by name: bound by hand as well, the command would run twice per click.
void TestMainWindow::eachSlotBoundOnce()
{
    QFETCH(QString, slot);
    QObject* sender = named(senderOf(slot));
    QVERIFY(sender != nullptr);
    const int withWindow = outgoingConnections(sender);
    QObject::disconnect(sender, nullptr, window_.get(), nullptr);
    QCOMPARE(withWindow - outgoingConnections(sender), 1);
}

void TestMainWindow::eventsDriveEnabledStates_data()
{
    // The tag lists the events; the row names what is enabled afterwards.
    QTest::addColumn<QString>("enabled");
    const auto row = [](const char* events, const char* enabled) {
        QTest::newRow(events) << enabled;
    };
    row("new world", "Start Update");
    row("new world, start", "Next Result Dynamic Update");
    row("new world, start, next", "Next Result Dynamic Update");
    row("new world, start, result", "Start Update");
    row("new world, start, dynamic", "Start Update");
    row("new world, start, new world", "Start Next Result Dynamic Update");
}

void TestMainWindow::eventsDriveEnabledStates()
{
    QFETCH(QString, enabled);
    detachCommands();

    const QHash<QString, QAbstractButton*> buttons{{"start", form().pushButtonGoutteLancer},
                                                   {"next", form().pushButtonGoutteSuivant},
                                                   {"result", form().pushButtonGoutteRes},
                                                   {"dynamic", form().pushButtonGoutteDynamic}};
    for (const QString& event : QString(QTest::currentDataTag()).split(QLatin1String(", "))) {
        if (event == QLatin1String("new world"))
            form().actionNewWorld->trigger();
        else
            buttons.value(event)->click();
    }
    QStringList observed;
    const std::pair<const char*, bool> states[] = {
        {"Start", form().pushButtonGoutteLancer->isEnabled()},
        {"Next", form().pushButtonGoutteSuivant->isEnabled()},
        {"Result", form().pushButtonGoutteRes->isEnabled()},
        {"Dynamic", form().pushButtonGoutteDynamic->isEnabled()},
        {"Update", form().actionUpdate->isEnabled()}};
    for (const auto& [name, isEnabled] : states)
        if (isEnabled)
            observed << name;
    QCOMPARE(observed.join(' '), enabled);
}

// Without a window manager only an activated window receives shortcuts.
void TestMainWindow::shortcutsFireOnActiveWindowAndExitCloses()
{
    detachCommands();
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QSignalSpy newWorlds(form().actionNewWorld, &QAction::triggered);
    QSignalSpy updates(form().actionUpdate, &QAction::triggered);

    QTest::keyClick(window_.get(), Qt::Key_F5);
    QCOMPARE(updates.count(), 0); // Update starts disabled

    QTest::keyClick(window_.get(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(newWorlds.count(), 1);
    QTest::keyClick(window_.get(), Qt::Key_F5);
    QCOMPARE(updates.count(), 1);

    QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!window_->isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
