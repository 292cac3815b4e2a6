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

// Builds a world's terrain on Qt's thread pool while the window's event loop
// runs on, so that the window answers throughout. Its progress shows in the
// status bar, with a Cancel button there, and for filters that run long in a
// progress dialog too; Cancel drops the build, and the world it was for stays
// as it was, since the job works on copies.
class BackgroundBuild : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(std::optional<TerrainJob::Terrain>)>;

    // The progress bar and the Cancel button go into the status bar.
    BackgroundBuild(QStatusBar* statusBar, QWidget* dialogParent);
    // Cancels a build still running and waits for its thread to let go.
    ~BackgroundBuild() override;

    // Runs job; done gets its terrain on this object's thread, or nothing when
    // it was cancelled. One build at a time.
    void start(const QString& title, TerrainJob job, bool withDialog, Done done);
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
};
