#pragma once

#include "world/world.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class QProgressBar;
class QProgressDialog;
class QPushButton;
class QStatusBar;
class QTimer;
class QWidget;

// Runs long work (a world's terrain, an export) on Qt's thread pool while the
// window's event loop runs on, so that the window answers throughout. Its
// progress shows in the status bar, with a Cancel button there, and for
// filters that run long in a progress dialog too. Cancel drops the work's
// result: a build works on copies, so the world it was for stays as it was.
class BackgroundBuild : public QObject
{
    Q_OBJECT

public:
    // The work reports to and is cancelled through the progress it is given.
    using Work = std::function<void(WorkProgress&)>;
    using Done = std::function<void(bool finished)>;
    using Built = std::function<void(std::optional<TerrainJob::Terrain>)>;

    // The progress bar and the Cancel button go into the status bar.
    BackgroundBuild(QStatusBar* statusBar, QWidget* dialogParent);
    // Cancels work still running and waits for its thread to let go.
    ~BackgroundBuild() override;

    // Runs work; done learns on this object's thread whether it finished
    // rather than was cancelled. One piece of work at a time. Work that must
    // end (cancellable false) shows no Cancel.
    void start(const QString& title, Work work, bool withDialog, Done done,
               bool cancellable = true);
    // Runs job; built gets its terrain, or nothing when it was cancelled.
    void build(const QString& title, TerrainJob job, bool withDialog, Built built,
               bool cancellable = true);
    void cancel();
    bool isRunning() const { return running_ != nullptr; }

signals:
    void runningChanged(bool running);

private:
    // What the build's thread shares with the window's: the progress, which
    // also carries Cancel, the result and whether the thread is done with it.
    struct Run;

    void showProgress();
    void finish();

    QProgressBar* bar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPointer<QWidget> dialogParent_;
    QProgressDialog* dialog_ = nullptr;
    QTimer* poll_ = nullptr;
    std::shared_ptr<Run> running_;
    Done done_;
    bool cancellable_ = true;
};
