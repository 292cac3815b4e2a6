#pragma once

class GLWidget;
class QAction;
class QDoubleSpinBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QMainWindow;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QVBoxLayout;
class QWidget;

// The main window's widgets, built by hand. Every member is named like the
// object name of its widget; the objects belong to the window's Qt object tree,
// so these pointers own nothing.
struct MainWindowForm
{
    QAction* actionExit = nullptr;
    QAction* actionNewWorld = nullptr;
    QAction* actionUpdate = nullptr;
    QAction* actionCenter = nullptr;
    QWidget* centralWidget = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    GLWidget* widget = nullptr;
    QTabWidget* tabWidget = nullptr;
    QWidget* tabGoutte = nullptr;
    QVBoxLayout* verticalLayout_2 = nullptr;
    QHBoxLayout* horizontalLayoutGoutteX = nullptr;
    QLabel* labelGoutteX = nullptr;
    QDoubleSpinBox* doubleSpinBoxGoutteX = nullptr;
    QHBoxLayout* horizontalLayoutGoutteY = nullptr;
    QLabel* labelGoutteY = nullptr;
    QDoubleSpinBox* doubleSpinBoxGoutteY = nullptr;
    QPushButton* pushButtonGoutteLancer = nullptr;
    QPushButton* pushButtonGoutteSuivant = nullptr;
    QPushButton* pushButtonGoutteRes = nullptr;
    QPushButton* pushButtonGoutteDynamic = nullptr;
    QWidget* tabFilters = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QListWidget* filterListWidget = nullptr;
    QHBoxLayout* horizontalLayout_3 = nullptr;
    QPushButton* moveUpButton = nullptr;
    QPushButton* moveDownButton = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QPushButton* addFilterButton = nullptr;
    QPushButton* editFilterButton = nullptr;
    QPushButton* removeFilterButton = nullptr;
    QMenuBar* menuBar = nullptr;
    QMenu* menuFile = nullptr;
    QMenu* menuMap = nullptr;
    QMenu* menuView = nullptr;
    QToolBar* mainToolBar = nullptr;
    QStatusBar* statusBar = nullptr;
    // Added after the window's first design, and so created after all of the
    // above: world files, exports and fitting the view to the world.
    QAction* actionOpenWorld = nullptr;
    QAction* actionSaveWorld = nullptr;
    QAction* actionExport = nullptr;
    QAction* actionFitWorld = nullptr;
    // The window explaining itself: the world on the status bar, colour by
    // height, filter presets and help.
    QLabel* worldSummaryLabel = nullptr;
    QAction* actionColourByHeight = nullptr;
    QPushButton* presetsButton = nullptr;
    QMenu* presetsMenu = nullptr;
    QMenu* menuHelp = nullptr;
    QAction* actionAbout = nullptr;
    QAction* actionKeyboardAndMouse = nullptr;
    // Worlds as documents: undo and redo, save as, recent files.
    QMenu* menuEdit = nullptr;
    QAction* actionUndo = nullptr;
    QAction* actionRedo = nullptr;
    QAction* actionSaveWorldAs = nullptr;
    QMenu* menuRecentFiles = nullptr;
    QAction* actionClearRecentFiles = nullptr;
    // Erosion: the filter kinds that reshape the land.
    QPushButton* addErosionButton = nullptr;
    QMenu* addErosionMenu = nullptr;
    // The window for newcomers: new worlds framed, the place under the cursor.
    QAction* actionFitNewWorlds = nullptr;
    QLabel* cursorPlaceLabel = nullptr;
    // Ends Dynamic display where it is; Esc does too.
    QPushButton* pushButtonGoutteStop = nullptr;
    QAction* actionStop = nullptr;

    // Builds and wires the whole window, then binds the window's on_<name>_<signal>
    // slots by name, after the form's own connections so that those run first.
    void setupForm(QMainWindow* window);
    void retranslateForm(QMainWindow* window);

private:
    void createActions(QMainWindow* window);
    void createCentralArea(QMainWindow* window);
    void createWaterDropPage();
    void createFiltersPage();
    void createBars(QMainWindow* window);
    void fillMenusAndToolBar();
    void connectEnabledStates(QMainWindow* window);
    void createAdditions(QMainWindow* window);
    void createDocumentActions(QMainWindow* window);
    void createErosionButton();
    void createStopButton(QMainWindow* window);
    void createNewcomerAdditions(QMainWindow* window);
    void retranslateNewcomerAdditions();
    void retranslateStopButton();
    void retranslateErosionButton();
    void retranslateAdditions();
    void retranslateDocumentActions();
};
