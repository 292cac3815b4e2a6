#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

class Map;
class QAction;
struct DropRecord;
struct MainWindowForm;
struct WorldOrigin;
struct WorldRecipe;

// The single top-level window. All world state lives in the form's GL view;
// the window only turns user commands into calls on it.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    MainWindowForm* form() const;

    // Opens a world file in the window; a file that cannot be read is
    // reported and leaves the world on screen as it was.
    void openWorldFile(const QString& path);

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

private:
    // Builds the origin's world, replays the drops on it and shows it: the one
    // road of New world and Open.
    void showWorld(const WorldOrigin& origin, const std::vector<DropRecord>& drops);
    // The recipe of the world on screen, with its drops and the camera.
    WorldRecipe shownRecipe() const;
    // False, after telling the user, when there is no world yet.
    bool hasWorld(const QString& title);
    void nameWorldFile(const QString& path);
    // The status bar: the world's summary, and whether filter changes wait
    // for Update.
    void showWorldState();
    void showFilterState();
    void showDropState(const QString& command, long steps);
    // Runs the filtered map's drops under the wait cursor, then shows them;
    // returns the steps the run made.
    long runDrops(const std::function<long(Map&)>& run);
    // Rebuilds the filter rows from the view's filter list; no row stays selected.
    void refreshFilterList();

    std::unique_ptr<MainWindowForm> form_;
};
