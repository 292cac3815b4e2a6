#include "terrain/parallelranges.h"

#include <QRunnable>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// More ranges than threads, so that a thread that drew cheap ranges takes
// over the rest of the work of one that drew dear ones.
constexpr std::size_t kRangesPerThread = 8;

// The ranges of one run, taken in turn by the calling thread and by helpers
// on the pool's threads until none is left; the calling thread waits for its
// helpers before the run returns. Helpers arrive and leave under a standard
// mutex, which also shows ThreadSanitizer the order of their work: it cannot
// see the hand-over inside Qt's library.
class RangeQueue
{
public:
    RangeQueue(std::size_t count, std::size_t rangeCount, const ParallelRanges::RangeWork& work)
        : count_(count), rangeCount_(rangeCount), work_(work)
    {}

    void takeRanges()
    {
        for (std::size_t i = next_.fetch_add(1, std::memory_order_relaxed); i < rangeCount_;
             i = next_.fetch_add(1, std::memory_order_relaxed)) {
            work_(count_ * i / rangeCount_, count_ * (i + 1) / rangeCount_);
        }
    }

    // Called by the calling thread before it starts a helper.
    void expectHelper()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++helpers_;
    }

    // Called by a helper last, or for a helper that could not start.
    void leave()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        --helpers_;
        allGone_.notify_all();
    }

    void waitForHelpers()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        allGone_.wait(lock, [this] { return helpers_ == 0; });
    }

private:
    std::size_t count_;
    std::size_t rangeCount_;
    const ParallelRanges::RangeWork& work_;
    std::atomic<std::size_t> next_{0};
    std::mutex mutex_;
    std::condition_variable allGone_;
    int helpers_ = 0;
};

// One helper of a run on a pool thread. Its queue is handed over through an
// atomic: what the calling thread wrote before starting the helper is then
// visible to the helper in ThreadSanitizer's eyes too.
class Helper : public QRunnable
{
public:
    explicit Helper(RangeQueue& queue)
    {
        setAutoDelete(false);
        queue_.store(&queue, std::memory_order_release);
    }

    void run() override
    {
        RangeQueue& queue = *queue_.load(std::memory_order_acquire);
        queue.takeRanges();
        queue.leave();
    }

private:
    std::atomic<RangeQueue*> queue_{nullptr};
};

} // namespace

namespace ParallelRanges {

void run(std::size_t count, std::size_t grain, const RangeWork& work)
{
    QThreadPool& pool = *QThreadPool::globalInstance();
    const int threads = pool.maxThreadCount();
    const std::size_t most = kRangesPerThread * std::size_t(std::max(threads, 1));
    const std::size_t rangeCount = std::min(count / std::max<std::size_t>(grain, 1), most);
    if (threads <= 1 || rangeCount < 2) {
        if (count > 0) {
            work(0, count);
        }
        return;
    }
    RangeQueue queue(count, rangeCount, work);
    // The calling thread is one of the threads; a helper only starts on a
    // thread that is free now (tryStart), so a busy pool never blocks a run.
    const std::size_t helperCount = std::min(rangeCount, std::size_t(threads)) - 1;
    std::vector<std::unique_ptr<Helper>> helpers;
    for (std::size_t i = 0; i < helperCount; ++i) {
        queue.expectHelper();
        helpers.push_back(std::make_unique<Helper>(queue));
        if (!pool.tryStart(helpers.back().get())) {
            queue.leave();
            break;
        }
    }
    queue.takeRanges();
    queue.waitForHelpers();
}

} // namespace ParallelRanges
