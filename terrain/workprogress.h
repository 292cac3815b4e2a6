#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <mutex>

// How far a long piece of work has come, and whether its owner wants it to
// stop. The work runs in stages, each a share of the whole, and reports how
// much of the current stage is done; the owner reads the percentage (the
// window polls it from its own thread) or hears every report through a
// listener (the command line prints it). Cancelling is a request: the work
// notices it at its next report and stops as soon as it can.
class WorkProgress
{
public:
    using Listener = std::function<void(const QString& stage, int percent)>;

    WorkProgress() = default;
    explicit WorkProgress(Listener listener) : listener_(std::move(listener)) {}
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

    // The next stage covers the share [begin, end] of the span (0 to 1).
    void beginStage(const QString& name, double begin, double end);
    // The share of the whole work that the stages to come divide among them,
    // so that a piece of work can stage its own parts within a larger one.
    // The whole work (0 to 1) until set.
    void setSpan(double begin, double end);
    // How much of the current stage is done, 0 to 1. False once the work is
    // cancelled: the caller then stops and leaves its results unused.
    bool advance(double stageDone);

    // From any thread.
    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    int percent() const { return percent_.load(std::memory_order_relaxed); }
    QString stage() const;

private:
    Listener listener_;
    mutable std::mutex mutex_;
    QString stage_;
    double spanBegin_ = 0.0;
    double spanEnd_ = 1.0;
    double begin_ = 0.0;
    double end_ = 1.0;
    std::atomic<int> percent_{0};
    std::atomic<bool> cancelled_{false};
};

// Reports to progress when there is one: the work's own code then needs no
// test for a missing owner. False once cancelled.
inline bool advance(WorkProgress* progress, double stageDone)
{
    return progress == nullptr || progress->advance(stageDone);
}
