#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

class Map;
struct MainWindowForm;

// The single top-level window. All world state lives in the form's GL view;
// the window only turns user commands into calls on it.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    MainWindowForm* form() const;

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

private:
    // Runs the filtered map's drops under the wait cursor, then shows them.
    void runDrops(const std::function<void(Map&)>& run);
    // Rebuilds the filter rows from the view's filter list; no row stays selected.
    void refreshFilterList();

    std::unique_ptr<MainWindowForm> form_;
};
