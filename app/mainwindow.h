#pragma once

#include "drop/droprun.h"
#include "world/world.h"

#include <QHash>
#include <QMainWindow>
#include <QVector3D>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class BackgroundBuild;
class Map;
class QAction;
class QPushButton;
class QTimer;
class QUndoStack;
class World;
struct MainWindowForm;
struct WorldState;

// The single top-level window. All world state lives in the World that the
// form's GL view holds; the window turns user commands into operations on it,
// keeps their history for undo and redo, and knows the file the world belongs
// to.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    MainWindowForm* form() const;
    QUndoStack* history() const { return history_; }

    // Opens a world file in the window, after asking to save unsaved changes;
    // a file that cannot be read is reported and leaves the world on screen
    // as it was.
    void openWorldFile(const QString& path);
    // Whether the last command's work is still under way: a build in the
    // background, or the window and its view taking in the result.
    bool isWorking() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void on_actionNewWorld_triggered();
    void on_pushButtonGoutteLancer_clicked();
    void on_pushButtonGoutteSuivant_clicked();
    void on_pushButtonGoutteRes_clicked();
    void on_addFilterButton_clicked();
    void on_editFilterButton_clicked();
    void on_removeFilterButton_clicked();
    void on_moveUpButton_clicked();
    void on_moveDownButton_clicked();
    void on_actionUpdate_triggered();
    void on_actionCenter_triggered();
    void on_pushButtonGoutteDynamic_clicked();
    void on_actionOpenWorld_triggered();
    void on_actionSaveWorld_triggered();
    void on_actionExport_triggered();
    void on_actionFitWorld_triggered();
    void on_actionColourByHeight_toggled(bool on);
    void on_presetsMenu_triggered(QAction* preset);
    void on_actionKeyboardAndMouse_triggered();
    void on_actionAbout_triggered();
    void on_actionSaveWorldAs_triggered();
    void on_menuRecentFiles_aboutToShow();
    void on_menuRecentFiles_triggered(QAction* action);
    void on_addErosionMenu_triggered(QAction* kind);
    void on_pushButtonGoutteStop_clicked();
    void on_actionFitNewWorlds_toggled(bool on);
    void lockWorld(bool locked);
    void enableFilterButtons();
    void rememberDropButtons();
    void showAnimationFrame();

private:
    World& world() const;
    // Whether building this world takes long enough to go off the window's
    // thread: a large world, or filters that run long.
    static bool runsLong(const WorldOrigin& origin, const FilterList& filters);
    // Whether the filters' progress deserves a dialog of its own.
    static bool hasLongFilters(const FilterList& filters);
    // Builds job's terrain on the thread pool and, unless cancelled, makes
    // taking it one history step (adopt takes it; by default the world adopts
    // it as it is), then calls adopted.
    void buildInBackground(const QString& step, TerrainJob job, bool withDialog,
                           const std::function<void()>& adopted,
                           const std::function<void(TerrainJob::Terrain)>& adopt = {});
    // Runs a change of the world and, when it changed anything, records it in
    // the history as one step named name.
    void recordStep(const QString& name, const std::function<void()>& change);
    // Records the change since before, if any, as one step named name.
    void pushStep(const QString& name, WorldState before);
    // Ends Dynamic display, at its end or where Stop found it.
    void endAnimation();
    // Shows a state of the world that undo or redo brought back.
    void showState(const std::shared_ptr<const WorldState>& state);
    // After New world, Open, undo and redo: the mesh, the filter rows, the
    // status bar and the commands that the world allows.
    void showNewTerrain();
    void enableCommandsForWorld();
    // Fits the view to a new world when asked to and the world comes with
    // the starting camera (given): a file's own camera is kept.
    void frameNewWorld(const CameraRecord& given);
    // True when the world may be replaced or the window closed: nothing is
    // unsaved, or the user saved it or chose to discard it.
    bool maySaveChanges();
    bool saveWorldTo(const QString& path);
    bool saveWorldAs();
    void rememberFile(const QString& path);
    // Writes what the world's erosion did as PREFIX-erosion.png and the others.
    void exportMasks(const QString& prefix);
    // Tells how an export went: the problem, or the files written.
    void reportExport(const QString& problem, const QString& written);
    // False, after telling the user, when there is no world yet.
    bool hasWorld(const QString& title);
    void nameWorldFile(const QString& path);
    // The status bar: the world's summary, and whether filter changes wait
    // for Update.
    void showWorldState();
    void fitDropBoxesToWorld();
    void showFilterState();
    void showDropState(const QString& command, long steps);
    // Runs the filtered map's drops under the wait cursor as the history step
    // name, then shows them; returns the steps the run made.
    long runDrops(const QString& name, const std::function<long()>& run);
    // Rebuilds the filter rows from the view's filter list; the row selected,
    // if any, is the one given.
    void refreshFilterList(int selected = -1);
    void connectFilterList();
    // The terrain's point under a pixel of the view, in map coordinates.
    std::optional<QVector3D> terrainUnder(const QPoint& pixel) const;
    void showCursorPlace(const QPoint& pixel);
    void restoreDropButtons();
    QList<QPushButton*> dropButtons() const;

    std::unique_ptr<MainWindowForm> form_;
    QUndoStack* history_ = nullptr;
    BackgroundBuild* build_ = nullptr;
    bool catchingUp_ = false;
    QHash<QObject*, bool> enabledBeforeLock_;
    bool locked_ = false;
    QList<bool> dropButtonsBeforeStart_;
    std::unique_ptr<DropRun::Animation> animation_;
    WorldState beforeAnimation_;
    QTimer* animationTimer_ = nullptr;
    // The state the last step or undo left, which the next step starts from.
    std::shared_ptr<const WorldState> lastState_;
};
