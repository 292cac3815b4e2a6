// The main window's form: its widgets, their properties and texts, the form's
// own connections, the binding of the command slots by name, and the
// shortcuts.
#include "app/mainwindow.h"
#include "app/mainwindowform.h"
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
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>
#include <cstddef>
#include <functional>
#include <memory>

namespace {

// One member of the form: where it sits in the record, how to read it, and
// what it must point to.
struct FormMember
{
    const char* name;
    std::size_t offset;
    QObject* (*get)(const MainWindowForm&);
    const char* className;
    const char* parentName;
};

// clang-format off
#define FORM_MEMBER(member, className, parentName)                                                 \
    {#member, offsetof(MainWindowForm, member),                                                    \
     [](const MainWindowForm& form) -> QObject* { return form.member; }, className, parentName}
// clang-format on

// A tab page's parent is the tab widget's page stack.
const char* const pageStack = "qt_tabwidget_stackedwidget";

const FormMember expectedMembers[] = {
    FORM_MEMBER(actionExit, "QAction", "MainWindow"),
    FORM_MEMBER(actionNewWorld, "QAction", "MainWindow"),
    FORM_MEMBER(actionUpdate, "QAction", "MainWindow"),
    FORM_MEMBER(actionCenter, "QAction", "MainWindow"),
    FORM_MEMBER(centralWidget, "QWidget", "MainWindow"),
    FORM_MEMBER(horizontalLayout, "QHBoxLayout", "centralWidget"),
    FORM_MEMBER(widget, "GLWidget", "centralWidget"),
    FORM_MEMBER(tabWidget, "QTabWidget", "centralWidget"),
    FORM_MEMBER(tabGoutte, "QWidget", pageStack),
    FORM_MEMBER(verticalLayout_2, "QVBoxLayout", "tabGoutte"),
    FORM_MEMBER(horizontalLayoutGoutteX, "QHBoxLayout", "verticalLayout_2"),
    FORM_MEMBER(labelGoutteX, "QLabel", "tabGoutte"),
    FORM_MEMBER(doubleSpinBoxGoutteX, "QDoubleSpinBox", "tabGoutte"),
    FORM_MEMBER(horizontalLayoutGoutteY, "QHBoxLayout", "verticalLayout_2"),
    FORM_MEMBER(labelGoutteY, "QLabel", "tabGoutte"),
    FORM_MEMBER(doubleSpinBoxGoutteY, "QDoubleSpinBox", "tabGoutte"),
    FORM_MEMBER(pushButtonGoutteLancer, "QPushButton", "tabGoutte"),
    FORM_MEMBER(pushButtonGoutteSuivant, "QPushButton", "tabGoutte"),
    FORM_MEMBER(pushButtonGoutteRes, "QPushButton", "tabGoutte"),
    FORM_MEMBER(pushButtonGoutteDynamic, "QPushButton", "tabGoutte"),
    FORM_MEMBER(tabFilters, "QWidget", pageStack),
    FORM_MEMBER(verticalLayout, "QVBoxLayout", "tabFilters"),
    FORM_MEMBER(filterListWidget, "QListWidget", "tabFilters"),
    FORM_MEMBER(horizontalLayout_3, "QHBoxLayout", "verticalLayout"),
    FORM_MEMBER(moveUpButton, "QPushButton", "tabFilters"),
    FORM_MEMBER(moveDownButton, "QPushButton", "tabFilters"),
    FORM_MEMBER(horizontalLayout_2, "QHBoxLayout", "verticalLayout"),
    FORM_MEMBER(addFilterButton, "QPushButton", "tabFilters"),
    FORM_MEMBER(editFilterButton, "QPushButton", "tabFilters"),
    FORM_MEMBER(removeFilterButton, "QPushButton", "tabFilters"),
    FORM_MEMBER(menuBar, "QMenuBar", "MainWindow"),
    FORM_MEMBER(menuFile, "QMenu", "menuBar"),
    FORM_MEMBER(menuMap, "QMenu", "menuBar"),
    FORM_MEMBER(menuView, "QMenu", "menuBar"),
    FORM_MEMBER(mainToolBar, "QToolBar", "MainWindow"),
    FORM_MEMBER(statusBar, "QStatusBar", "MainWindow"),
};

// The window's commands: slot, sender and the sender's signal.
struct Command
{
    const char* slot;
    const char* sender;
    const char* signal;
};

const Command commands[] = {
    {"on_actionNewWorld_triggered", "actionNewWorld", "triggered(bool)"},
    {"on_pushButtonGoutteLancer_clicked", "pushButtonGoutteLancer", "clicked(bool)"},
    {"on_pushButtonGoutteSuivant_clicked", "pushButtonGoutteSuivant", "clicked(bool)"},
    {"on_pushButtonGoutteRes_clicked", "pushButtonGoutteRes", "clicked(bool)"},
    {"on_addFilterButton_clicked", "addFilterButton", "clicked(bool)"},
    {"on_editFilterButton_clicked", "editFilterButton", "clicked(bool)"},
    {"on_removeFilterButton_clicked", "removeFilterButton", "clicked(bool)"},
    {"on_moveUpButton_clicked", "moveUpButton", "clicked(bool)"},
    {"on_moveDownButton_clicked", "moveDownButton", "clicked(bool)"},
    {"on_actionUpdate_triggered", "actionUpdate", "triggered(bool)"},
    {"on_actionCenter_triggered", "actionCenter", "triggered(bool)"},
    {"on_pushButtonGoutteDynamic_clicked", "pushButtonGoutteDynamic", "clicked(bool)"},
};

// Collects the messages Qt writes while an action runs.
QStringList* capturedMessages = nullptr;

void captureMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    capturedMessages->append(message);
}

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

// The connections Qt reports for an object, through its public diagnostic
// dump: "signal -> Class::receiver slot" for outgoing ones, in the order they
// are called, and "Class::sender slot" for incoming ones. Reading them this way
// counts connections without calling any slot.
struct Connections
{
    QStringList outgoing;
    QStringList incoming;
};

Connections connectionsOf(QObject* object)
{
    const QStringList lines = messagesDuring([object] { object->dumpObjectInfo(); });
    Connections connections;
    bool outgoing = false;
    QString signal;
    for (const QString& line : lines) {
        const QString text = line.trimmed();
        if (text == QLatin1String("SIGNALS OUT")) {
            outgoing = true;
        } else if (text == QLatin1String("SIGNALS IN")) {
            outgoing = false;
        } else if (text.startsWith(QLatin1String("signal: "))) {
            signal = text.mid(8);
        } else if (outgoing && text.startsWith(QLatin1String("--> "))) {
            connections.outgoing << signal + QLatin1String(" -> ") + text.mid(4);
        } else if (!outgoing && text.startsWith(QLatin1String("<-- "))) {
            connections.incoming << text.mid(4);
        }
    }
    return connections;
}

QStringList itemNames(QLayout* layout)
{
    QStringList names;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        names << (item->widget() ? item->widget()->objectName() : item->layout()->objectName());
    }
    return names;
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

QString textOf(QObject* object)
{
    if (auto* action = qobject_cast<QAction*>(object)) {
        return action->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(object)) {
        return label->text();
    }
    if (auto* menu = qobject_cast<QMenu*>(object)) {
        return menu->title();
    }
    return QStringLiteral("<no text>");
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void membersAreDeclaredInFormOrder();
    void formMembers_data();
    void formMembers();
    void layouts_data();
    void layouts();
    void windowSettings();
    void sizePolicies_data();
    void sizePolicies();
    void onlyMoveUpSetsItsCursor();
    void tabPages();
    void spinBoxes_data();
    void spinBoxes();
    void menusAndToolBar();
    void textsAndShortcuts_data();
    void textsAndShortcuts();
    void enabledAtStart_data();
    void enabledAtStart();

    void setupFormKeepsExistingObjectName();
    void slotsAreDeclaredInOrder();
    void slotsBindByNameWithoutWarnings();
    void eachCommandIsBoundOnce_data();
    void eachCommandIsBoundOnce();
    void formConnectionsRunBeforeCommands_data();
    void formConnectionsRunBeforeCommands();
    void eventsDriveEnabledStates_data();
    void eventsDriveEnabledStates();

    void exitClosesWindow();
    void exitEndsEventLoop();
    void ctrlQClosesWindow();
    void f5TriggersUpdateOnceEnabled();
    void ctrlNTriggersNewWorld();

private:
    MainWindowForm& form() { return *window_->form(); }
    QObject* named(const QString& name) { return window_->findChild<QObject*>(name); }
    void detachCommands();
    void showActive();

    std::unique_ptr<MainWindow> window_;
};

void TestMainWindow::init()
{
    window_ = std::make_unique<MainWindow>();
}

void TestMainWindow::cleanup()
{
    window_.reset();
}

// Leaves only the form's own connections: the commands are other tests' concern
// and some of them open modal dialogs.
void TestMainWindow::detachCommands()
{
    for (const Command& command : commands) {
        QVERIFY(QObject::disconnect(named(command.sender), nullptr, window_.get(), nullptr));
    }
}

void TestMainWindow::showActive()
{
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void TestMainWindow::membersAreDeclaredInFormOrder()
{
    // Nothing but the 36 pointers, declared in this order.
    QCOMPARE(sizeof(MainWindowForm), std::size(expectedMembers) * sizeof(void*));
    for (std::size_t i = 1; i < std::size(expectedMembers); ++i) {
        QVERIFY2(expectedMembers[i - 1].offset < expectedMembers[i].offset,
                 expectedMembers[i].name);
    }
}

void TestMainWindow::formMembers_data()
{
    QTest::addColumn<int>("index");
    for (std::size_t i = 0; i < std::size(expectedMembers); ++i) {
        QTest::newRow(expectedMembers[i].name) << int(i);
    }
}

void TestMainWindow::formMembers()
{
    QFETCH(int, index);
    const FormMember& member = expectedMembers[index];
    QObject* object = member.get(form());
    QVERIFY(object != nullptr);
    QCOMPARE(object->objectName(), QString::fromLatin1(member.name));
    QCOMPARE(object->metaObject()->className(), member.className);
    QVERIFY(object->parent() != nullptr);
    QCOMPARE(object->parent()->objectName(), QString::fromLatin1(member.parentName));
    // The objects belong to this window's tree and to no other.
    QCOMPARE(named(member.name), object);
}

void TestMainWindow::layouts_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("margin");

    QTest::newRow("horizontalLayout")
        << "horizontalLayout" << QStringList{"widget", "tabWidget"} << 11;
    QTest::newRow("verticalLayout_2")
        << "verticalLayout_2" << QStringList{"horizontalLayoutGoutteX", "horizontalLayoutGoutteY",
                                             "pushButtonGoutteLancer",  "pushButtonGoutteSuivant",
                                             "pushButtonGoutteRes",     "pushButtonGoutteDynamic"}
        << 11;
    QTest::newRow("horizontalLayoutGoutteX")
        << "horizontalLayoutGoutteX" << QStringList{"labelGoutteX", "doubleSpinBoxGoutteX"} << 0;
    QTest::newRow("horizontalLayoutGoutteY")
        << "horizontalLayoutGoutteY" << QStringList{"labelGoutteY", "doubleSpinBoxGoutteY"} << 0;
    QTest::newRow("verticalLayout")
        << "verticalLayout"
        << QStringList{"filterListWidget", "horizontalLayout_3", "horizontalLayout_2"} << 11;
    QTest::newRow("horizontalLayout_3")
        << "horizontalLayout_3" << QStringList{"moveUpButton", "moveDownButton"} << 0;
    QTest::newRow("horizontalLayout_2")
        << "horizontalLayout_2"
        << QStringList{"addFilterButton", "editFilterButton", "removeFilterButton"} << 0;
}

void TestMainWindow::layouts()
{
    QFETCH(QString, layout);
    QFETCH(QStringList, items);
    QFETCH(int, margin);

    auto* box = window_->findChild<QBoxLayout*>(layout);
    QVERIFY(box != nullptr);
    QCOMPARE(itemNames(box), items);
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
    QVERIFY(qobject_cast<GLWidget*>(form().widget) != nullptr);
    QCOMPARE(form().filterListWidget->count(), 0);
}

void TestMainWindow::sizePolicies_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QSizePolicy::Policy>("horizontal");
    QTest::addColumn<QSizePolicy::Policy>("vertical");

    QTest::newRow("tabWidget") << "tabWidget" << QSizePolicy::Maximum << QSizePolicy::Minimum;
    QTest::newRow("labelGoutteX") << "labelGoutteX" << QSizePolicy::Preferred
                                  << QSizePolicy::Maximum;
    QTest::newRow("labelGoutteY") << "labelGoutteY" << QSizePolicy::Preferred
                                  << QSizePolicy::Maximum;
    QTest::newRow("pushButtonGoutteRes")
        << "pushButtonGoutteRes" << QSizePolicy::Minimum << QSizePolicy::Fixed;
}

void TestMainWindow::sizePolicies()
{
    QFETCH(QString, widget);
    QFETCH(QSizePolicy::Policy, horizontal);
    QFETCH(QSizePolicy::Policy, vertical);

    auto* object = window_->findChild<QWidget*>(widget);
    QVERIFY(object != nullptr);
    const QSizePolicy policy = object->sizePolicy();
    QCOMPARE(policy.horizontalPolicy(), horizontal);
    QCOMPARE(policy.verticalPolicy(), vertical);
    QCOMPARE(policy.horizontalStretch(), 0);
    QCOMPARE(policy.verticalStretch(), 0);
    QVERIFY(!policy.hasHeightForWidth());
}

void TestMainWindow::onlyMoveUpSetsItsCursor()
{
    QVERIFY(form().moveUpButton->testAttribute(Qt::WA_SetCursor));
    QCOMPARE(form().moveUpButton->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!form().moveDownButton->testAttribute(Qt::WA_SetCursor));
    QVERIFY(!form().widget->testAttribute(Qt::WA_SetCursor));
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
    QCOMPARE(tabs->currentWidget(), form().tabGoutte);
    QCOMPARE(form().tabGoutte->parentWidget()->parentWidget(), tabs);

    QVERIFY(tabs->isMovable());
    QVERIFY(!tabs->tabsClosable());
    QVERIFY(!tabs->tabBarAutoHide());
    QCOMPARE(tabs->focusPolicy(), Qt::TabFocus);
    QVERIFY(!tabs->autoFillBackground());
    for (int i = 0; i < 2; ++i) {
        QVERIFY(tabs->tabBar()->tabButton(i, QTabBar::LeftSide) == nullptr);
        QVERIFY(tabs->tabBar()->tabButton(i, QTabBar::RightSide) == nullptr);
    }

    // Dragging can swap the pages; the page objects stay the same.
    tabs->tabBar()->moveTab(0, 1);
    QCOMPARE(tabs->widget(0), form().tabFilters);
    QCOMPARE(tabs->widget(1), form().tabGoutte);
}

void TestMainWindow::spinBoxes_data()
{
    QTest::addColumn<QString>("spinBox");
    QTest::newRow("x") << "doubleSpinBoxGoutteX";
    QTest::newRow("y") << "doubleSpinBoxGoutteY";
}

void TestMainWindow::spinBoxes()
{
    QFETCH(QString, spinBox);
    auto* box = window_->findChild<QDoubleSpinBox*>(spinBox);
    QVERIFY(box != nullptr);
    QCOMPARE(box->value(), 20.0);
    QCOMPARE(box->text(), QStringLiteral("20.00"));
    QCOMPARE(box->minimum(), 0.0);
    QCOMPARE(box->maximum(), 99.99);
    QCOMPARE(box->decimals(), 2);
    QCOMPARE(box->singleStep(), 1.0);

    box->setValue(150.0);
    QCOMPARE(box->value(), 99.99);
    box->setValue(-3.0);
    QCOMPARE(box->value(), 0.0);
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

void TestMainWindow::textsAndShortcuts_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");

    QTest::newRow("actionExit") << "actionExit"
                                << "Exit" << QKeySequence(Qt::CTRL | Qt::Key_Q);
    QTest::newRow("actionNewWorld") << "actionNewWorld"
                                    << "New world" << QKeySequence(Qt::CTRL | Qt::Key_N);
    QTest::newRow("actionUpdate") << "actionUpdate"
                                  << "Update" << QKeySequence(Qt::Key_F5);
    QTest::newRow("actionCenter") << "actionCenter"
                                  << "Center" << QKeySequence(Qt::Key_Space);
    const QKeySequence none;
    QTest::newRow("labelGoutteX") << "labelGoutteX"
                                  << "X :" << none;
    QTest::newRow("labelGoutteY") << "labelGoutteY"
                                  << "Y :" << none;
    QTest::newRow("pushButtonGoutteLancer") << "pushButtonGoutteLancer"
                                            << "Start" << none;
    QTest::newRow("pushButtonGoutteSuivant") << "pushButtonGoutteSuivant"
                                             << "Next" << none;
    QTest::newRow("pushButtonGoutteRes") << "pushButtonGoutteRes"
                                         << "Result" << none;
    QTest::newRow("pushButtonGoutteDynamic") << "pushButtonGoutteDynamic"
                                             << "Dynamic display" << none;
    QTest::newRow("moveUpButton") << "moveUpButton"
                                  << "Move up" << none;
    QTest::newRow("moveDownButton") << "moveDownButton"
                                    << "Move down" << none;
    QTest::newRow("addFilterButton") << "addFilterButton"
                                     << "Add" << none;
    QTest::newRow("editFilterButton") << "editFilterButton"
                                      << "Edit" << none;
    QTest::newRow("removeFilterButton") << "removeFilterButton"
                                        << "Remove" << none;
    QTest::newRow("menuFile") << "menuFile"
                              << "File" << none;
    QTest::newRow("menuMap") << "menuMap"
                             << "Map" << none;
    QTest::newRow("menuView") << "menuView"
                              << "View" << none;
}

void TestMainWindow::textsAndShortcuts()
{
    QFETCH(QString, object);
    QFETCH(QString, text);
    QFETCH(QKeySequence, shortcut);

    QObject* target = named(object);
    QVERIFY(target != nullptr);
    QCOMPARE(textOf(target), text);
    if (auto* action = qobject_cast<QAction*>(target)) {
        QCOMPARE(action->shortcut(), shortcut);
    } else if (auto* button = qobject_cast<QAbstractButton*>(target)) {
        QCOMPARE(button->shortcut(), shortcut);
    }
}

void TestMainWindow::enabledAtStart_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("actionNewWorld") << "actionNewWorld" << true;
    QTest::newRow("actionExit") << "actionExit" << true;
    QTest::newRow("actionCenter") << "actionCenter" << true;
    QTest::newRow("actionUpdate") << "actionUpdate" << false;
    QTest::newRow("pushButtonGoutteLancer") << "pushButtonGoutteLancer" << false;
    QTest::newRow("pushButtonGoutteSuivant") << "pushButtonGoutteSuivant" << false;
    QTest::newRow("pushButtonGoutteRes") << "pushButtonGoutteRes" << false;
    QTest::newRow("pushButtonGoutteDynamic") << "pushButtonGoutteDynamic" << false;
    QTest::newRow("addFilterButton") << "addFilterButton" << true;
    QTest::newRow("editFilterButton") << "editFilterButton" << true;
    QTest::newRow("removeFilterButton") << "removeFilterButton" << true;
    QTest::newRow("moveUpButton") << "moveUpButton" << true;
    QTest::newRow("moveDownButton") << "moveDownButton" << true;
    QTest::newRow("doubleSpinBoxGoutteX") << "doubleSpinBoxGoutteX" << true;
    QTest::newRow("doubleSpinBoxGoutteY") << "doubleSpinBoxGoutteY" << true;
}

void TestMainWindow::enabledAtStart()
{
    QFETCH(QString, object);
    QFETCH(bool, enabled);

    QObject* target = named(object);
    QVERIFY(target != nullptr);
    if (auto* action = qobject_cast<QAction*>(target)) {
        QCOMPARE(action->isEnabled(), enabled);
    } else {
        QCOMPARE(qobject_cast<QWidget*>(target)->isEnabled(), enabled);
    }
}

void TestMainWindow::setupFormKeepsExistingObjectName()
{
    QMainWindow named;
    named.setObjectName(QStringLiteral("Custom"));
    MainWindowForm namedForm;
    namedForm.setupForm(&named);
    QCOMPARE(named.objectName(), QStringLiteral("Custom"));
    QCOMPARE(named.windowTitle(), QStringLiteral("Terravik"));

    QMainWindow unnamed;
    MainWindowForm unnamedForm;
    unnamedForm.setupForm(&unnamed);
    QCOMPARE(unnamed.objectName(), QStringLiteral("MainWindow"));
}

void TestMainWindow::slotsAreDeclaredInOrder()
{
    const QMetaObject* meta = window_->metaObject();
    QCOMPARE(meta->className(), "MainWindow");
    QCOMPARE(meta->propertyCount(), meta->propertyOffset());
    QCOMPARE(meta->methodCount() - meta->methodOffset(), int(std::size(commands)));
    for (int i = 0; i < int(std::size(commands)); ++i) {
        const QMetaMethod method = meta->method(meta->methodOffset() + i);
        QCOMPARE(method.name(), QByteArray(commands[i].slot));
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

void TestMainWindow::eachCommandIsBoundOnce_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QString>("sender");
    for (const Command& command : commands) {
        QTest::newRow(command.slot) << command.slot << command.sender;
    }
}

// A slot bound both by name and by hand would run twice per click.
void TestMainWindow::eachCommandIsBoundOnce()
{
    QFETCH(QString, slot);
    QFETCH(QString, sender);

    const QStringList incoming = connectionsOf(window_.get()).incoming;
    const QString signature = slot + QLatin1String("()");
    QStringList bindings;
    for (const QString& connection : incoming) {
        if (connection.endsWith(QLatin1Char(' ') + signature)) {
            bindings << connection;
        }
    }
    const QString senderClass = QString::fromLatin1(named(sender)->metaObject()->className());
    QCOMPARE(bindings, QStringList{senderClass + "::" + sender + ' ' + signature});
}

void TestMainWindow::formConnectionsRunBeforeCommands_data()
{
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QStringList>("connections");

    const QString clicked = QStringLiteral("clicked(bool) -> ");
    const QString triggered = QStringLiteral("triggered(bool) -> ");
    const QString start = QStringLiteral("QPushButton::pushButtonGoutteLancer ");
    const QString next = QStringLiteral("QPushButton::pushButtonGoutteSuivant ");
    const QString result = QStringLiteral("QPushButton::pushButtonGoutteRes ");
    const QString dynamic = QStringLiteral("QPushButton::pushButtonGoutteDynamic ");
    const QString window = QStringLiteral("MainWindow::MainWindow ");

    QTest::newRow("actionExit") << "actionExit" << QStringList{triggered + window + "close()"};
    QTest::newRow("actionNewWorld")
        << "actionNewWorld"
        << QStringList{triggered + start + "setDisabled(bool)",
                       triggered + "QAction::actionUpdate setDisabled(bool)",
                       triggered + window + "on_actionNewWorld_triggered()"};
    QTest::newRow("start") << "pushButtonGoutteLancer"
                           << QStringList{clicked + next + "setDisabled(bool)",
                                          clicked + result + "setDisabled(bool)",
                                          clicked + start + "setEnabled(bool)",
                                          clicked + dynamic + "setDisabled(bool)",
                                          clicked + window + "on_pushButtonGoutteLancer_clicked()"};
    QTest::newRow("next") << "pushButtonGoutteSuivant"
                          << QStringList{clicked + window + "on_pushButtonGoutteSuivant_clicked()"};
    QTest::newRow("result") << "pushButtonGoutteRes"
                            << QStringList{clicked + start + "setDisabled(bool)",
                                           clicked + result + "setEnabled(bool)",
                                           clicked + next + "setEnabled(bool)",
                                           clicked + dynamic + "setEnabled(bool)",
                                           clicked + window + "on_pushButtonGoutteRes_clicked()"};
    QTest::newRow("dynamic")
        << "pushButtonGoutteDynamic"
        << QStringList{clicked + start + "setDisabled(bool)", clicked + result + "setEnabled(bool)",
                       clicked + next + "setEnabled(bool)", clicked + dynamic + "setEnabled(bool)",
                       clicked + window + "on_pushButtonGoutteDynamic_clicked()"};
    QTest::newRow("actionUpdate") << "actionUpdate"
                                  << QStringList{triggered + window +
                                                 "on_actionUpdate_triggered()"};
    QTest::newRow("actionCenter") << "actionCenter"
                                  << QStringList{triggered + window +
                                                 "on_actionCenter_triggered()"};
}

// Connections of one signal run in the order they were made: the form's own
// come first, the command bound by name last.
void TestMainWindow::formConnectionsRunBeforeCommands()
{
    QFETCH(QString, sender);
    QFETCH(QStringList, connections);

    QStringList observed;
    for (const QString& connection : connectionsOf(named(sender)).outgoing) {
        // Menus and tool buttons follow their actions through Qt's private _q_ slots.
        const bool internal = connection.contains(QLatin1String(" _q_"));
        if (!internal && (connection.startsWith(QLatin1String("clicked(bool)")) ||
                          connection.startsWith(QLatin1String("triggered(bool)")))) {
            observed << connection;
        }
    }
    QCOMPARE(observed.join(" | "), connections.join(" | "));
}

void TestMainWindow::eventsDriveEnabledStates_data()
{
    QTest::addColumn<QStringList>("events");
    // Enabled states of Start, Next, Result, Dynamic display, Update.
    QTest::addColumn<QVector<bool>>("enabled");

    using States = QVector<bool>;
    QTest::newRow("nothing") << QStringList() << States{false, false, false, false, false};
    QTest::newRow("new world") << QStringList{"new world"}
                               << States{true, false, false, false, true};
    QTest::newRow("start before world")
        << QStringList{"start"} << States{false, false, false, false, false};
    QTest::newRow("start") << QStringList{"new world", "start"}
                           << States{false, true, true, true, true};
    QTest::newRow("next changes nothing")
        << QStringList{"new world", "start", "next"} << States{false, true, true, true, true};
    QTest::newRow("result") << QStringList{"new world", "start", "result"}
                            << States{true, false, false, false, true};
    QTest::newRow("dynamic") << QStringList{"new world", "start", "dynamic"}
                             << States{true, false, false, false, true};
    QTest::newRow("start again") << QStringList{"new world", "start", "result", "start"}
                                 << States{false, true, true, true, true};
    QTest::newRow("new world while running")
        << QStringList{"new world", "start", "new world"} << States{true, true, true, true, true};
    QTest::newRow("result before start")
        << QStringList{"new world", "result"} << States{true, false, false, false, true};
    QTest::newRow("new world twice")
        << QStringList{"new world", "new world"} << States{true, false, false, false, true};
}

void TestMainWindow::eventsDriveEnabledStates()
{
    QFETCH(QStringList, events);
    QFETCH(QVector<bool>, enabled);
    detachCommands();

    const QHash<QString, QAbstractButton*> buttons{{"start", form().pushButtonGoutteLancer},
                                                   {"next", form().pushButtonGoutteSuivant},
                                                   {"result", form().pushButtonGoutteRes},
                                                   {"dynamic", form().pushButtonGoutteDynamic}};
    for (const QString& event : events) {
        if (event == QLatin1String("new world")) {
            form().actionNewWorld->trigger();
        } else {
            // A disabled button ignores the click, as it ignores the user.
            buttons.value(event)->click();
        }
    }
    QCOMPARE(form().pushButtonGoutteLancer->isEnabled(), enabled.at(0));
    QCOMPARE(form().pushButtonGoutteSuivant->isEnabled(), enabled.at(1));
    QCOMPARE(form().pushButtonGoutteRes->isEnabled(), enabled.at(2));
    QCOMPARE(form().pushButtonGoutteDynamic->isEnabled(), enabled.at(3));
    QCOMPARE(form().actionUpdate->isEnabled(), enabled.at(4));
}

void TestMainWindow::exitClosesWindow()
{
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    form().actionExit->trigger();
    QVERIFY(!window_->isVisible());
}

void TestMainWindow::exitEndsEventLoop()
{
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTimer::singleShot(0, form().actionExit, &QAction::trigger);
    // Fails the test rather than hanging if closing does not end the loop.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(10000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!window_->isVisible());
}

void TestMainWindow::ctrlQClosesWindow()
{
    showActive();
    QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!window_->isVisible());
}

void TestMainWindow::f5TriggersUpdateOnceEnabled()
{
    detachCommands();
    showActive();
    QSignalSpy updates(form().actionUpdate, &QAction::triggered);
    QTest::keyClick(window_.get(), Qt::Key_F5);
    QCOMPARE(updates.count(), 0);

    form().actionNewWorld->trigger();
    QTest::keyClick(window_.get(), Qt::Key_F5);
    QCOMPARE(updates.count(), 1);
}

void TestMainWindow::ctrlNTriggersNewWorld()
{
    detachCommands();
    showActive();
    QSignalSpy newWorlds(form().actionNewWorld, &QAction::triggered);
    QTest::keyClick(window_.get(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(newWorlds.count(), 1);
    QVERIFY(form().pushButtonGoutteLancer->isEnabled());
    QVERIFY(form().actionUpdate->isEnabled());
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
