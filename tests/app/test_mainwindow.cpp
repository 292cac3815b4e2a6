// The main window's form: its widgets, their properties and texts, the form's
// own connections, the binding of the command slots by name, and the
// shortcuts.
#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "formmembers.h"
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
#include <cstddef>
#include <functional>
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

// The window's slots in declaration order.
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

QStringList* capturedMessages = nullptr;

void captureMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    capturedMessages->append(message);
}

// The messages Qt writes while `action` runs.
QStringList messagesDuring(const std::function<void()>& action)
{
    QStringList messages;
    capturedMessages = &messages;
    const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
    action();
    qInstallMessageHandler(previous);
    capturedMessages = nullptr;
    return messages;
}

// A signal's connections, in call order, as Qt's diagnostic dump reports them
// ("Class::receiver slot(arguments)"), which lists them without calling any slot.
QStringList connectionsOf(QObject* sender, const QString& signal)
{
    QStringList connections;
    bool inSignal = false;
    for (const QString& line : messagesDuring([sender] { sender->dumpObjectInfo(); })) {
        QString text = line.trimmed();
        if (text.startsWith(QLatin1String("signal: ")) || text == QLatin1String("SIGNALS IN")) {
            inSignal = text.mid(8) == signal;
        } else if (inSignal) {
            // Connections to functors show as a bare "<functor or function pointer>".
            connections << text.remove(QRegularExpression("^--> "));
        }
    }
    return connections;
}

// Object names of a menu's or tool bar's actions, "-" for a separator.
QStringList actionNames(const QWidget* widget)
{
    QStringList names;
    for (const QAction* action : widget->actions()) {
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    }
    return names;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { window_ = std::make_unique<MainWindow>(); }
    void cleanup() { window_.reset(); }

    void formMembers_data();
    void formMembers();
    void layouts_data();
    void layouts();
    void windowSettings();
    void setupFormKeepsExistingObjectName();
    void sizePolicies();
    void tabPages();
    void menusAndToolBar();
    void textsShortcutsAndEnabledStates_data();
    void textsShortcutsAndEnabledStates();

    void slotsAreDeclaredInOrder();
    void slotsBindByNameWithoutWarnings();
    void formConnectionsRunBeforeCommands_data();
    void formConnectionsRunBeforeCommands();
    void eventsDriveEnabledStates_data();
    void eventsDriveEnabledStates();

    void exitEndsEventLoop();
    void shortcutsFireOnActiveWindow();

private:
    MainWindowForm& form() { return *window_->form(); }
    QObject* named(const QString& name) { return window_->findChild<QObject*>(name); }
    void detachCommands();

    std::unique_ptr<MainWindow> window_;
};

// Leaves only the form's own connections: some commands open modal dialogs.
void TestMainWindow::detachCommands()
{
    for (const char* slot : commandSlots) {
        QVERIFY(QObject::disconnect(named(senderOf(slot)), nullptr, window_.get(), nullptr));
    }
}

void TestMainWindow::formMembers_data()
{
    addFormMemberRows(expectedMembers);
}

void TestMainWindow::formMembers()
{
    QFETCH(int, index);
    // Nothing but the 36 pointers, declared in this order.
    checkFormMember(form(), expectedMembers, index);
    if (QTest::currentTestFailed())
        return;
    // The one object of its name in the window.
    const FormMember<MainWindowForm>& member = expectedMembers[index];
    QCOMPARE(named(member.name), member.get(form()));
}

void TestMainWindow::layouts_data()
{
    QTest::addColumn<QString>("items");
    QTest::addColumn<int>("margin");

    const auto row = [](const char* layout, const char* items, int margin) {
        QTest::newRow(layout) << items << margin;
    };
    row("horizontalLayout", "widget tabWidget", 11);
    row("verticalLayout_2",
        "horizontalLayoutGoutteX horizontalLayoutGoutteY pushButtonGoutteLancer "
        "pushButtonGoutteSuivant pushButtonGoutteRes pushButtonGoutteDynamic",
        11);
    row("horizontalLayoutGoutteX", "labelGoutteX doubleSpinBoxGoutteX", 0);
    row("horizontalLayoutGoutteY", "labelGoutteY doubleSpinBoxGoutteY", 0);
    row("verticalLayout", "filterListWidget horizontalLayout_3 horizontalLayout_2", 11);
    row("horizontalLayout_3", "moveUpButton moveDownButton", 0);
    row("horizontalLayout_2", "addFilterButton editFilterButton removeFilterButton", 0);
}

void TestMainWindow::layouts()
{
    QFETCH(QString, items);
    QFETCH(int, margin);

    auto* box = window_->findChild<QBoxLayout*>(QTest::currentDataTag());
    QVERIFY(box != nullptr);
    QCOMPARE(itemNames(box).join(' '), items);
    QCOMPARE(box->spacing(), 6);
    QCOMPARE(box->contentsMargins(), QMargins(margin, margin, margin, margin));
    for (int i = 0; i < box->count(); ++i) {
        QCOMPARE(box->stretch(i), 0);
        QCOMPARE(int(box->itemAt(i)->alignment()), 0);
    }
}

void TestMainWindow::windowSettings()
{
    QCOMPARE(window_->objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Terravik"));
    QCOMPARE(window_->windowModality(), Qt::ApplicationModal);
    QCOMPARE(window_->size(), QSize(688, 462));
    QCOMPARE(window_->contextMenuPolicy(), Qt::DefaultContextMenu);
    QCOMPARE(form().menuBar->geometry(), QRect(0, 0, 688, 21));

    QCOMPARE(window_->centralWidget(), form().centralWidget);
    QCOMPARE(window_->menuBar(), form().menuBar);
    QCOMPARE(window_->statusBar(), form().statusBar);
    QCOMPARE(window_->toolBarArea(form().mainToolBar), Qt::TopToolBarArea);
    QVERIFY(form().statusBar->currentMessage().isEmpty());
    QCOMPARE(form().filterListWidget->count(), 0);

    // Only Move up sets a cursor of its own.
    QVERIFY(form().moveUpButton->testAttribute(Qt::WA_SetCursor));
    QCOMPARE(form().moveUpButton->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!form().moveDownButton->testAttribute(Qt::WA_SetCursor));

    // The coordinate boxes keep the toolkit's range and step.
    for (const QDoubleSpinBox* box : {form().doubleSpinBoxGoutteX, form().doubleSpinBoxGoutteY}) {
        QCOMPARE(box->minimum(), 0.0);
        QCOMPARE(box->maximum(), 99.99);
        QCOMPARE(box->singleStep(), 1.0);
    }
}

void TestMainWindow::setupFormKeepsExistingObjectName()
{
    QMainWindow window;
    window.setObjectName(QStringLiteral("Custom"));
    MainWindowForm form;
    form.setupForm(&window);
    QCOMPARE(window.objectName(), QStringLiteral("Custom"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Terravik"));
}

void TestMainWindow::sizePolicies()
{
    const struct
    {
        QWidget* widget;
        QSizePolicy::Policy horizontal, vertical;
    } expected[] = {
        {form().tabWidget, QSizePolicy::Maximum, QSizePolicy::Minimum},
        {form().labelGoutteX, QSizePolicy::Preferred, QSizePolicy::Maximum},
        {form().labelGoutteY, QSizePolicy::Preferred, QSizePolicy::Maximum},
        {form().pushButtonGoutteRes, QSizePolicy::Minimum, QSizePolicy::Fixed},
    };
    for (const auto& row : expected) {
        const QSizePolicy policy = row.widget->sizePolicy();
        QCOMPARE(policy.horizontalPolicy(), row.horizontal);
        QCOMPARE(policy.verticalPolicy(), row.vertical);
        QCOMPARE(policy.horizontalStretch(), 0);
        QCOMPARE(policy.verticalStretch(), 0);
        QVERIFY(!policy.hasHeightForWidth());
    }
}

void TestMainWindow::tabPages()
{
    QTabWidget* tabs = form().tabWidget;
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->widget(0), form().tabGoutte);
    QCOMPARE(tabs->widget(1), form().tabFilters);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Water drop"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Filters"));
    QCOMPARE(tabs->currentIndex(), 0);

    QVERIFY(tabs->isMovable());
    QVERIFY(!tabs->tabsClosable());
    QVERIFY(!tabs->tabBarAutoHide());
    QCOMPARE(tabs->focusPolicy(), Qt::TabFocus);
    QVERIFY(!tabs->autoFillBackground());
}

void TestMainWindow::menusAndToolBar()
{
    const QList<QAction*> menus{form().menuFile->menuAction(), form().menuMap->menuAction(),
                                form().menuView->menuAction()};
    QCOMPARE(form().menuBar->actions(), menus);
    QCOMPARE(actionNames(form().menuFile), (QStringList{"actionNewWorld", "-", "actionExit"}));
    QCOMPARE(actionNames(form().menuMap), QStringList{"actionUpdate"});
    QCOMPARE(actionNames(form().menuView), QStringList{"actionCenter"});
    QCOMPARE(actionNames(form().mainToolBar),
             (QStringList{"actionNewWorld", "-", "actionCenter", "-", "actionUpdate"}));
}

void TestMainWindow::textsShortcutsAndEnabledStates_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("enabled");

    const auto row = [](const char* object, const char* text, bool enabled,
                        const QKeySequence& shortcut = QKeySequence()) {
        QTest::newRow(object) << object << text << shortcut << enabled;
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
    QFETCH(QString, object);
    QFETCH(QString, text);
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, enabled);

    QObject* target = named(object);
    QVERIFY(target != nullptr);
    // Actions, buttons, labels and spin boxes show "text", menus "title".
    const char* textProperty = qobject_cast<QMenu*>(target) ? "title" : "text";
    QCOMPARE(target->property(textProperty).toString(), text);
    QCOMPARE(target->property("shortcut").value<QKeySequence>(), shortcut);
    QCOMPARE(target->property("enabled").toBool(), enabled);
}

void TestMainWindow::slotsAreDeclaredInOrder()
{
    const QMetaObject* meta = window_->metaObject();
    QCOMPARE(meta->className(), "MainWindow");
    QCOMPARE(meta->propertyCount(), meta->propertyOffset());
    QCOMPARE(meta->methodCount() - meta->methodOffset(), int(std::size(commandSlots)));
    for (int i = 0; i < int(std::size(commandSlots)); ++i) {
        const QMetaMethod method = meta->method(meta->methodOffset() + i);
        QCOMPARE(method.name(), QByteArray(commandSlots[i]));
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
        QCOMPARE(method.parameterCount(), 0);
        QCOMPARE(method.returnType(), int(QMetaType::Void));
    }
}

void TestMainWindow::slotsBindByNameWithoutWarnings()
{
    std::unique_ptr<MainWindow> another;
    const QStringList messages =
        messagesDuring([&another] { another = std::make_unique<MainWindow>(); });
    for (const QString& message : messages) {
        QVERIFY2(!message.contains(QLatin1String("connectSlotsByName")) &&
                     !message.contains(QLatin1String("QObject::connect")),
                 qPrintable(message));
    }
}

void TestMainWindow::formConnectionsRunBeforeCommands_data()
{
    // Receivers and slots of the sender's clicked(bool) or triggered(bool), in call order.
    QTest::addColumn<QString>("connections");

    const auto row = [](const char* sender, const QString& connections) {
        QTest::newRow(sender) << connections;
    };
    const QString stopped =
        "pushButtonGoutteLancer setDisabled, pushButtonGoutteRes setEnabled, "
        "pushButtonGoutteSuivant setEnabled, pushButtonGoutteDynamic setEnabled";
    row("actionExit", "MainWindow close");
    row("actionNewWorld", "pushButtonGoutteLancer setDisabled, actionUpdate setDisabled, "
                          "MainWindow on_actionNewWorld_triggered");
    row("pushButtonGoutteLancer",
        "pushButtonGoutteSuivant setDisabled, pushButtonGoutteRes setDisabled, "
        "pushButtonGoutteLancer setEnabled, pushButtonGoutteDynamic setDisabled, "
        "MainWindow on_pushButtonGoutteLancer_clicked");
    row("pushButtonGoutteSuivant", "MainWindow on_pushButtonGoutteSuivant_clicked");
    row("pushButtonGoutteRes", stopped + ", MainWindow on_pushButtonGoutteRes_clicked");
    row("pushButtonGoutteDynamic", stopped + ", MainWindow on_pushButtonGoutteDynamic_clicked");
    // The remaining commands have only their slot: bound twice, it would run twice.
    for (const char* sender : {"actionUpdate", "actionCenter", "moveUpButton", "moveDownButton",
                               "addFilterButton", "editFilterButton", "removeFilterButton"}) {
        const bool action = QByteArray(sender).startsWith("action");
        row(sender,
            QStringLiteral("MainWindow on_%1_%2").arg(sender, action ? "triggered" : "clicked"));
    }
}

// Connections of one signal run in the order they were made: the form's own
// come first, the command bound by name last.
void TestMainWindow::formConnectionsRunBeforeCommands()
{
    QFETCH(QString, connections);
    QObject* sender = named(QTest::currentDataTag());
    const bool action = qobject_cast<QAction*>(sender) != nullptr;

    QStringList observed;
    for (QString connection : connectionsOf(sender, action ? "triggered(bool)" : "clicked(bool)")) {
        // Menus and tool buttons follow their actions through Qt's private _q_ slots.
        if (!connection.contains(QLatin1String(" _q_"))) {
            observed << connection.remove(QRegularExpression("^\\w+::|\\(.*\\)$"));
        }
    }
    QCOMPARE(observed.join(QLatin1String(", ")), connections);
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
    row("new world, start, result, start", "Next Result Dynamic Update");
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
        if (event == QLatin1String("new world")) {
            form().actionNewWorld->trigger();
        } else {
            buttons.value(event)->click();
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
}

void TestMainWindow::exitEndsEventLoop()
{
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTimer::singleShot(0, form().actionExit, &QAction::trigger);
    // Fails the test rather than hanging if closing does not end the loop.
    const QObject watchdog;
    QTimer::singleShot(10000, &watchdog, [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!window_->isVisible());
}

// Without a window manager only an activated window receives shortcuts.
void TestMainWindow::shortcutsFireOnActiveWindow()
{
    detachCommands();
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QSignalSpy newWorlds(form().actionNewWorld, &QAction::triggered);
    QSignalSpy updates(form().actionUpdate, &QAction::triggered);

    QTest::keyClick(window_.get(), Qt::Key_F5);
    QCOMPARE(updates.count(), 0);

    QTest::keyClick(window_.get(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(newWorlds.count(), 1);
    QVERIFY(form().pushButtonGoutteLancer->isEnabled());
    QTest::keyClick(window_.get(), Qt::Key_F5);
    QCOMPARE(updates.count(), 1);

    QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!window_->isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
