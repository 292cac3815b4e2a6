#include "app/backgroundbuild.h"

#include "forms/formbuilding.h"
#include "terrain/map.h"
#include "terrain/workprogress.h"

#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRunnable>
#include <QStatusBar>
#include <QThreadPool>
#include <QTimer>
#include <condition_variable>
#include <mutex>

namespace {

// The status bar and the dialog follow the build this often.
constexpr int PollMilliseconds = 50;
// A build shorter than this shows no dialog at all.
constexpr int DialogDelayMilliseconds = 400;

} // namespace

struct BackgroundBuild::Run
{
    WorkProgress progress;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;

    void waitUntilDone()
    {
        std::unique_lock<std::mutex> lock(mutex);
        ended.wait(lock, [this] { return done; });
    }
};

BackgroundBuild::BackgroundBuild(QStatusBar* statusBar, QWidget* dialogParent)
    : QObject(statusBar), dialogParent_(dialogParent)
{
    bar_ = createNamed<QProgressBar>(statusBar, "buildProgressBar");
    bar_->setRange(0, 100);
    bar_->setMaximumWidth(160);
    bar_->hide();
    cancelButton_ = createNamed<QPushButton>(statusBar, "buildCancelButton");
    cancelButton_->setText(translated("MainWindow", "Cancel"));
    cancelButton_->hide();
    statusBar->addPermanentWidget(bar_);
    statusBar->addPermanentWidget(cancelButton_);
    connect(cancelButton_, &QPushButton::clicked, this, &BackgroundBuild::cancel);
    poll_ = new QTimer(this);
    poll_->setInterval(PollMilliseconds);
    connect(poll_, &QTimer::timeout, this, &BackgroundBuild::showProgress);
}

BackgroundBuild::~BackgroundBuild()
{
    if (running_ != nullptr) {
        running_->progress.cancel();
        running_->waitUntilDone();
    }
}

void BackgroundBuild::build(const QString& title, TerrainJob job, bool withDialog, Built built,
                            bool cancellable)
{
    auto owned = std::make_shared<TerrainJob>(std::move(job));
    auto terrain = std::make_shared<std::optional<TerrainJob::Terrain>>();
    start(
        title, [owned, terrain](WorkProgress& progress) { *terrain = owned->run(&progress); },
        withDialog,
        [terrain, built = std::move(built)](bool finished) {
            built(finished ? std::move(*terrain) : std::nullopt);
        },
        cancellable);
}

void BackgroundBuild::start(const QString& title, Work work, bool withDialog, Done done,
                            bool cancellable)
{
    Q_ASSERT(running_ == nullptr);
    running_ = std::make_shared<Run>();
    done_ = std::move(done);
    bar_->setValue(0);
    bar_->setFormat(title + QStringLiteral(": %p%"));
    bar_->show();
    cancelButton_->setVisible(cancellable);
    cancellable_ = cancellable;
    if (withDialog && dialogParent_ != nullptr) {
        dialog_ =
            new QProgressDialog(title, translated("MainWindow", "Cancel"), 0, 100, dialogParent_);
        dialog_->setObjectName(QStringLiteral("buildProgressDialog"));
        dialog_->setWindowTitle(title);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(DialogDelayMilliseconds);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        connect(dialog_, &QProgressDialog::canceled, this, &BackgroundBuild::cancel);
    }
    poll_->start();
    emit runningChanged(true);

    // The thread owns the work; whatever it makes it hands over through the
    // work's own captures, and the window's thread learns that it is done at
    // its next look at the progress.
    std::shared_ptr<Run> run = running_;
    auto owned = std::make_shared<Work>(std::move(work));
    QThreadPool::globalInstance()->start(QRunnable::create([owned, run] {
        (*owned)(run->progress);
        // Nothing of the work's may outlive it on this thread.
        owned->operator=(nullptr);
        {
            const std::lock_guard<std::mutex> lock(run->mutex);
            run->done = true;
        }
        run->ended.notify_all();
    }));
}

void BackgroundBuild::cancel()
{
    if (running_ != nullptr && cancellable_) {
        running_->progress.cancel();
    }
}

void BackgroundBuild::showProgress()
{
    if (running_ == nullptr) {
        return;
    }
    bool done = false;
    {
        const std::lock_guard<std::mutex> lock(running_->mutex);
        done = running_->done;
    }
    if (done) {
        finish();
        return;
    }
    const int percent = running_->progress.percent();
    bar_->setValue(percent);
    if (dialog_ != nullptr) {
        dialog_->setLabelText(running_->progress.stage());
        dialog_->setValue(percent);
    }
}

void BackgroundBuild::finish()
{
    poll_->stop();
    bar_->hide();
    cancelButton_->hide();
    delete dialog_;
    dialog_ = nullptr;
    std::shared_ptr<Run> run = std::move(running_);
    emit runningChanged(false);
    Done done = std::move(done_);
    done(!run->progress.cancelled());
}
