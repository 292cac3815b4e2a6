#include "app/mainwindowform.h"

#include "app/elidingstatusbar.h"
#include "filters/filterdialogs.h"
#include "filters/filterpresets.h"
#include "forms/formbuilding.h"
#include "view/glwidget.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSizePolicy>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int kLayoutSpacing = 6;
constexpr int kLayoutMargin = 11;

void setSpacingAndMargins(QLayout* layout)
{
    layout->setSpacing(kLayoutSpacing);
    layout->setContentsMargins(kLayoutMargin, kLayoutMargin, kLayoutMargin, kLayoutMargin);
}

// Replaces the widget's size policy, keeping its height-for-width flag.
void setSizePolicy(QWidget* widget, QSizePolicy::Policy horizontal, QSizePolicy::Policy vertical)
{
    QSizePolicy policy(horizontal, vertical);
    policy.setHorizontalStretch(0);
    policy.setVerticalStretch(0);
    policy.setHeightForWidth(widget->sizePolicy().hasHeightForWidth());
    widget->setSizePolicy(policy);
}

QString translated(const char* text)
{
    return ::translated("MainWindow", text);
}

QKeySequence shortcut(const char* text)
{
    return QKeySequence(translated(text), QKeySequence::NativeText);
}

} // namespace

void MainWindowForm::setupForm(QMainWindow* window)
{
    if (window->objectName().isEmpty()) {
        window->setObjectName(QStringLiteral("MainWindow"));
    }
    window->setWindowModality(Qt::ApplicationModal);
    window->resize(688, 462);
    window->setContextMenuPolicy(Qt::DefaultContextMenu);

    createActions(window);
    createCentralArea(window);
    createBars(window);
    fillMenusAndToolBar();
    retranslateForm(window);
    connectEnabledStates(window);
    tabWidget->setCurrentIndex(0);
    createAdditions(window);
    createDocumentActions(window);
    createErosionButton();
    createStopButton(window);
    createNewcomerAdditions(window);

    // Last, so that for one click the connections above run before the command.
    QMetaObject::connectSlotsByName(window);
}

void MainWindowForm::createActions(QMainWindow* window)
{
    actionExit = createNamed<QAction>(window, "actionExit");
    actionNewWorld = createNamed<QAction>(window, "actionNewWorld");
    actionUpdate = createNamed<QAction>(window, "actionUpdate");
    actionUpdate->setEnabled(false);
    actionCenter = createNamed<QAction>(window, "actionCenter");
}

void MainWindowForm::createCentralArea(QMainWindow* window)
{
    centralWidget = createNamed<QWidget>(window, "centralWidget");
    horizontalLayout = createNamed<QHBoxLayout>(centralWidget, "horizontalLayout");
    setSpacingAndMargins(horizontalLayout);

    widget = createNamed<GLWidget>(centralWidget, "widget");
    horizontalLayout->addWidget(widget);

    tabWidget = createNamed<QTabWidget>(centralWidget, "tabWidget");
    setSizePolicy(tabWidget, QSizePolicy::Maximum, QSizePolicy::Minimum);
    tabWidget->setFocusPolicy(Qt::TabFocus);
    tabWidget->setAutoFillBackground(false);
    tabWidget->setTabsClosable(false);
    tabWidget->setMovable(true);
    tabWidget->setTabBarAutoHide(false);

    createWaterDropPage();
    createFiltersPage();

    horizontalLayout->addWidget(tabWidget);
    window->setCentralWidget(centralWidget);
}

void MainWindowForm::createWaterDropPage()
{
    tabGoutte = createNamed<QWidget>(nullptr, "tabGoutte");
    verticalLayout_2 = createNamed<QVBoxLayout>(tabGoutte, "verticalLayout_2");
    setSpacingAndMargins(verticalLayout_2);

    horizontalLayoutGoutteX = createNamed<QHBoxLayout>(nullptr, "horizontalLayoutGoutteX");
    horizontalLayoutGoutteX->setSpacing(kLayoutSpacing);
    labelGoutteX = createNamed<QLabel>(tabGoutte, "labelGoutteX");
    setSizePolicy(labelGoutteX, QSizePolicy::Preferred, QSizePolicy::Maximum);
    horizontalLayoutGoutteX->addWidget(labelGoutteX);
    // The coordinates keep the spin box's own range, step and precision.
    doubleSpinBoxGoutteX = createNamed<QDoubleSpinBox>(tabGoutte, "doubleSpinBoxGoutteX");
    doubleSpinBoxGoutteX->setValue(20.0);
    horizontalLayoutGoutteX->addWidget(doubleSpinBoxGoutteX);
    verticalLayout_2->addLayout(horizontalLayoutGoutteX);

    horizontalLayoutGoutteY = createNamed<QHBoxLayout>(nullptr, "horizontalLayoutGoutteY");
    horizontalLayoutGoutteY->setSpacing(kLayoutSpacing);
    labelGoutteY = createNamed<QLabel>(tabGoutte, "labelGoutteY");
    setSizePolicy(labelGoutteY, QSizePolicy::Preferred, QSizePolicy::Maximum);
    horizontalLayoutGoutteY->addWidget(labelGoutteY);
    doubleSpinBoxGoutteY = createNamed<QDoubleSpinBox>(tabGoutte, "doubleSpinBoxGoutteY");
    doubleSpinBoxGoutteY->setValue(20.0);
    horizontalLayoutGoutteY->addWidget(doubleSpinBoxGoutteY);
    verticalLayout_2->addLayout(horizontalLayoutGoutteY);

    // The drop buttons wait for a world: New world enables Start.
    pushButtonGoutteLancer = createNamed<QPushButton>(tabGoutte, "pushButtonGoutteLancer");
    pushButtonGoutteLancer->setEnabled(false);
    verticalLayout_2->addWidget(pushButtonGoutteLancer);
    pushButtonGoutteSuivant = createNamed<QPushButton>(tabGoutte, "pushButtonGoutteSuivant");
    pushButtonGoutteSuivant->setEnabled(false);
    verticalLayout_2->addWidget(pushButtonGoutteSuivant);
    pushButtonGoutteRes = createNamed<QPushButton>(tabGoutte, "pushButtonGoutteRes");
    pushButtonGoutteRes->setEnabled(false);
    setSizePolicy(pushButtonGoutteRes, QSizePolicy::Minimum, QSizePolicy::Fixed);
    verticalLayout_2->addWidget(pushButtonGoutteRes);
    pushButtonGoutteDynamic = createNamed<QPushButton>(tabGoutte, "pushButtonGoutteDynamic");
    pushButtonGoutteDynamic->setEnabled(false);
    verticalLayout_2->addWidget(pushButtonGoutteDynamic);

    tabWidget->addTab(tabGoutte, QString());
}

void MainWindowForm::createFiltersPage()
{
    tabFilters = createNamed<QWidget>(nullptr, "tabFilters");
    verticalLayout = createNamed<QVBoxLayout>(tabFilters, "verticalLayout");
    setSpacingAndMargins(verticalLayout);

    filterListWidget = createNamed<QListWidget>(tabFilters, "filterListWidget");
    verticalLayout->addWidget(filterListWidget);

    horizontalLayout_3 = createNamed<QHBoxLayout>(nullptr, "horizontalLayout_3");
    horizontalLayout_3->setSpacing(kLayoutSpacing);
    moveUpButton = createNamed<QPushButton>(tabFilters, "moveUpButton");
    moveUpButton->setCursor(QCursor(Qt::ArrowCursor));
    horizontalLayout_3->addWidget(moveUpButton);
    moveDownButton = createNamed<QPushButton>(tabFilters, "moveDownButton");
    horizontalLayout_3->addWidget(moveDownButton);
    verticalLayout->addLayout(horizontalLayout_3);

    horizontalLayout_2 = createNamed<QHBoxLayout>(nullptr, "horizontalLayout_2");
    horizontalLayout_2->setSpacing(kLayoutSpacing);
    addFilterButton = createNamed<QPushButton>(tabFilters, "addFilterButton");
    horizontalLayout_2->addWidget(addFilterButton);
    editFilterButton = createNamed<QPushButton>(tabFilters, "editFilterButton");
    horizontalLayout_2->addWidget(editFilterButton);
    removeFilterButton = createNamed<QPushButton>(tabFilters, "removeFilterButton");
    horizontalLayout_2->addWidget(removeFilterButton);
    verticalLayout->addLayout(horizontalLayout_2);

    tabWidget->addTab(tabFilters, QString());
}

void MainWindowForm::createBars(QMainWindow* window)
{
    menuBar = createNamed<QMenuBar>(window, "menuBar");
    menuBar->setGeometry(QRect(0, 0, 688, 21));
    menuFile = createNamed<QMenu>(menuBar, "menuFile");
    menuMap = createNamed<QMenu>(menuBar, "menuMap");
    menuView = createNamed<QMenu>(menuBar, "menuView");
    window->setMenuBar(menuBar);

    mainToolBar = createNamed<QToolBar>(window, "mainToolBar");
    window->addToolBar(Qt::TopToolBarArea, mainToolBar);
    statusBar = createNamed<ElidingStatusBar>(window, "statusBar");
    window->setStatusBar(statusBar);
}

void MainWindowForm::fillMenusAndToolBar()
{
    menuBar->addAction(menuFile->menuAction());
    menuBar->addAction(menuMap->menuAction());
    menuBar->addAction(menuView->menuAction());

    menuFile->addAction(actionNewWorld);
    menuFile->addSeparator();
    menuFile->addAction(actionExit);
    menuMap->addAction(actionUpdate);
    menuView->addAction(actionCenter);

    mainToolBar->addAction(actionNewWorld);
    mainToolBar->addSeparator();
    mainToolBar->addAction(actionCenter);
    mainToolBar->addSeparator();
    mainToolBar->addAction(actionUpdate);
}

void MainWindowForm::retranslateForm(QMainWindow* window)
{
    window->setWindowTitle(translated("Terravik"));
    actionExit->setText(translated("Exit"));
    actionExit->setShortcut(shortcut("Ctrl+Q"));
    actionNewWorld->setText(translated("New world"));
    actionNewWorld->setShortcut(shortcut("Ctrl+N"));
    actionUpdate->setText(translated("Update"));
    actionUpdate->setShortcut(shortcut("F5"));
    actionCenter->setText(translated("Center"));
    actionCenter->setShortcut(shortcut("Space"));
    labelGoutteX->setText(translated("X :"));
    labelGoutteY->setText(translated("Y :"));
    pushButtonGoutteLancer->setText(translated("Start"));
    pushButtonGoutteSuivant->setText(translated("Next"));
    pushButtonGoutteRes->setText(translated("Result"));
    pushButtonGoutteDynamic->setText(translated("Dynamic display"));
    tabWidget->setTabText(tabWidget->indexOf(tabGoutte), translated("Water drop"));
    moveUpButton->setText(translated("Move up"));
    moveDownButton->setText(translated("Move down"));
    addFilterButton->setText(translated("Add"));
    editFilterButton->setText(translated("Edit"));
    removeFilterButton->setText(translated("Remove"));
    tabWidget->setTabText(tabWidget->indexOf(tabFilters), translated("Filters"));
    menuFile->setTitle(translated("File"));
    menuMap->setTitle(translated("Map"));
    menuView->setTitle(translated("View"));
    if (actionOpenWorld != nullptr) {
        retranslateAdditions();
    }
    if (actionUndo != nullptr) {
        retranslateDocumentActions();
    }
    if (addErosionButton != nullptr) {
        retranslateErosionButton();
    }
    if (pushButtonGoutteStop != nullptr) {
        retranslateStopButton();
    }
    if (actionFitNewWorlds != nullptr) {
        retranslateNewcomerAdditions();
    }
}

void MainWindowForm::createAdditions(QMainWindow* window)
{
    actionOpenWorld = createNamed<QAction>(window, "actionOpenWorld");
    actionSaveWorld = createNamed<QAction>(window, "actionSaveWorld");
    actionExport = createNamed<QAction>(window, "actionExport");
    actionFitWorld = createNamed<QAction>(window, "actionFitWorld");

    // File: New world, the file actions, then Exit after its separator.
    QAction* beforeExit = menuFile->actions().at(menuFile->actions().indexOf(actionExit) - 1);
    menuFile->insertActions(beforeExit, {actionOpenWorld, actionSaveWorld, actionExport});
    menuView->addAction(actionFitWorld);
    mainToolBar->addAction(actionFitWorld);

    worldSummaryLabel = createNamed<ElidedLabel>(statusBar, "worldSummaryLabel");
    statusBar->addPermanentWidget(worldSummaryLabel);
    actionColourByHeight = createNamed<QAction>(window, "actionColourByHeight");
    actionColourByHeight->setCheckable(true);
    menuView->addAction(actionColourByHeight);

    presetsButton = createNamed<QPushButton>(tabFilters, "presetsButton");
    presetsMenu = createNamed<QMenu>(presetsButton, "presetsMenu");
    for (std::size_t i = 0; i < filterPresets().size(); ++i) {
        presetsMenu->addAction(translated(filterPresets()[i].name))->setData(int(i));
    }
    presetsButton->setMenu(presetsMenu);
    verticalLayout->addWidget(presetsButton);

    menuHelp = createNamed<QMenu>(menuBar, "menuHelp");
    menuBar->addAction(menuHelp->menuAction());
    actionAbout = createNamed<QAction>(window, "actionAbout");
    actionKeyboardAndMouse = createNamed<QAction>(window, "actionKeyboardAndMouse");
    menuHelp->addAction(actionKeyboardAndMouse);
    menuHelp->addAction(actionAbout);
    retranslateAdditions();
}

void MainWindowForm::retranslateAdditions()
{
    actionOpenWorld->setText(translated("Open world\u2026"));
    actionOpenWorld->setShortcut(shortcut("Ctrl+O"));
    actionSaveWorld->setText(translated("Save world"));
    actionSaveWorld->setShortcut(shortcut("Ctrl+S"));
    actionExport->setText(translated("Export\u2026"));
    actionExport->setShortcut(shortcut("Ctrl+E"));
    actionFitWorld->setText(translated("Fit world"));
    actionFitWorld->setShortcut(shortcut("F"));
    actionColourByHeight->setText(translated("Colour by height"));
    presetsButton->setText(translated("Presets"));
    menuHelp->setTitle(translated("Help"));
    actionAbout->setText(translated("About Terravik"));
    actionKeyboardAndMouse->setText(translated("Keyboard and mouse"));
}

void MainWindowForm::createDocumentActions(QMainWindow* window)
{
    // Edit stands after File, as in every editor.
    menuEdit = createNamed<QMenu>(menuBar, "menuEdit");
    menuBar->insertAction(menuMap->menuAction(), menuEdit->menuAction());
    actionUndo = createNamed<QAction>(window, "actionUndo");
    actionRedo = createNamed<QAction>(window, "actionRedo");
    actionUndo->setEnabled(false);
    actionRedo->setEnabled(false);
    menuEdit->addAction(actionUndo);
    menuEdit->addAction(actionRedo);

    // File: Save world as… after Save world…, Open recent after Open world….
    actionSaveWorldAs = createNamed<QAction>(window, "actionSaveWorldAs");
    menuFile->insertAction(actionExport, actionSaveWorldAs);
    menuRecentFiles = createNamed<QMenu>(menuFile, "menuRecentFiles");
    menuFile->insertMenu(actionSaveWorld, menuRecentFiles);
    actionClearRecentFiles = createNamed<QAction>(window, "actionClearRecentFiles");
    retranslateDocumentActions();
}

void MainWindowForm::retranslateDocumentActions()
{
    menuEdit->setTitle(translated("Edit"));
    actionUndo->setText(translated("Undo"));
    actionUndo->setShortcut(shortcut("Ctrl+Z"));
    actionRedo->setText(translated("Redo"));
    actionRedo->setShortcuts({shortcut("Ctrl+Shift+Z"), shortcut("Ctrl+Y")});
    actionSaveWorldAs->setText(translated("Save world as\u2026"));
    actionSaveWorldAs->setShortcut(shortcut("Ctrl+Shift+S"));
    menuRecentFiles->setTitle(translated("Open recent"));
    actionClearRecentFiles->setText(translated("Clear"));
}

void MainWindowForm::createErosionButton()
{
    // After Presets, a menu of the erosion kinds.
    addErosionButton = createNamed<QPushButton>(tabFilters, "addErosionButton");
    addErosionMenu = createNamed<QMenu>(addErosionButton, "addErosionMenu");
    for (std::size_t i = 0; i < erosionChoices().size(); ++i) {
        addErosionMenu->addAction(QString())->setData(int(i));
    }
    addErosionButton->setMenu(addErosionMenu);
    verticalLayout->insertWidget(verticalLayout->indexOf(presetsButton) + 1, addErosionButton);
    retranslateErosionButton();
}

void MainWindowForm::createStopButton(QMainWindow* window)
{
    pushButtonGoutteStop = createNamed<QPushButton>(tabGoutte, "pushButtonGoutteStop");
    pushButtonGoutteStop->setEnabled(false);
    verticalLayout_2->insertWidget(verticalLayout_2->indexOf(pushButtonGoutteDynamic) + 1,
                                   pushButtonGoutteStop);
    // An action of the window: a button's own shortcut clicks it only after
    // showing it pressed for a while.
    actionStop = createNamed<QAction>(window, "actionStop");
    window->addAction(actionStop);
    QObject::connect(actionStop, &QAction::triggered, pushButtonGoutteStop, &QPushButton::click);
    retranslateStopButton();
}

void MainWindowForm::createNewcomerAdditions(QMainWindow* window)
{
    actionFitNewWorlds = createNamed<QAction>(window, "actionFitNewWorlds");
    actionFitNewWorlds->setCheckable(true);
    menuView->addAction(actionFitNewWorlds);
    // Before the world's summary, which it leaves in its place.
    cursorPlaceLabel = createNamed<QLabel>(statusBar, "cursorPlaceLabel");
    statusBar->insertPermanentWidget(0, cursorPlaceLabel);
    retranslateNewcomerAdditions();
}

// Alt and a letter open each menu.
void MainWindowForm::retranslateNewcomerAdditions()
{
    actionFitNewWorlds->setText(translated("Fit new worlds"));
    menuFile->setTitle(translated("&File"));
    menuEdit->setTitle(translated("&Edit"));
    menuMap->setTitle(translated("&Map"));
    menuView->setTitle(translated("&View"));
    menuHelp->setTitle(translated("&Help"));
}

void MainWindowForm::retranslateStopButton()
{
    pushButtonGoutteStop->setText(translated("Stop"));
    actionStop->setText(translated("Stop"));
    actionStop->setShortcut(shortcut("Esc"));
}

void MainWindowForm::retranslateErosionButton()
{
    addErosionButton->setText(translated("Add erosion"));
    const QList<QAction*> kinds = addErosionMenu->actions();
    for (int i = 0; i < kinds.size(); ++i) {
        kinds[i]->setText(QCoreApplication::translate("FilterSettingsDialog",
                                                      erosionChoices()[std::size_t(i)].title));
    }
}

// None of these senders is checkable, so the bool they carry is always false:
// a setDisabled receiver gets enabled and a setEnabled receiver disabled.
void MainWindowForm::connectEnabledStates(QMainWindow* window)
{
    QObject::connect(actionExit, SIGNAL(triggered()), window, SLOT(close()));
    QObject::connect(pushButtonGoutteLancer, SIGNAL(clicked(bool)), pushButtonGoutteSuivant,
                     SLOT(setDisabled(bool)));
    QObject::connect(pushButtonGoutteLancer, SIGNAL(clicked(bool)), pushButtonGoutteRes,
                     SLOT(setDisabled(bool)));
    QObject::connect(pushButtonGoutteLancer, SIGNAL(clicked(bool)), pushButtonGoutteLancer,
                     SLOT(setEnabled(bool)));
    QObject::connect(pushButtonGoutteRes, SIGNAL(clicked(bool)), pushButtonGoutteLancer,
                     SLOT(setDisabled(bool)));
    QObject::connect(pushButtonGoutteRes, SIGNAL(clicked(bool)), pushButtonGoutteRes,
                     SLOT(setEnabled(bool)));
    QObject::connect(pushButtonGoutteRes, SIGNAL(clicked(bool)), pushButtonGoutteSuivant,
                     SLOT(setEnabled(bool)));
    QObject::connect(actionNewWorld, SIGNAL(triggered(bool)), pushButtonGoutteLancer,
                     SLOT(setDisabled(bool)));
    QObject::connect(actionNewWorld, SIGNAL(triggered(bool)), actionUpdate,
                     SLOT(setDisabled(bool)));
    QObject::connect(pushButtonGoutteDynamic, SIGNAL(clicked(bool)), pushButtonGoutteLancer,
                     SLOT(setDisabled(bool)));
    QObject::connect(pushButtonGoutteDynamic, SIGNAL(clicked(bool)), pushButtonGoutteRes,
                     SLOT(setEnabled(bool)));
    QObject::connect(pushButtonGoutteDynamic, SIGNAL(clicked(bool)), pushButtonGoutteSuivant,
                     SLOT(setEnabled(bool)));
    QObject::connect(pushButtonGoutteLancer, SIGNAL(clicked(bool)), pushButtonGoutteDynamic,
                     SLOT(setDisabled(bool)));
    QObject::connect(pushButtonGoutteDynamic, SIGNAL(clicked(bool)), pushButtonGoutteDynamic,
                     SLOT(setEnabled(bool)));
    QObject::connect(pushButtonGoutteRes, SIGNAL(clicked(bool)), pushButtonGoutteDynamic,
                     SLOT(setEnabled(bool)));
}
