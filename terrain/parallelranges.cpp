#include "terrain/parallelranges.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <vector>

namespace {

// More ranges than threads, so that a thread that drew cheap ranges takes
// over the rest of the work of one that drew dear ones.
constexpr std::size_t kRangesPerThread = 8;

struct Range
{
    std::size_t begin;
    std::size_t end;
};

} // namespace

namespace ParallelRanges {

void run(std::size_t count, std::size_t grain, const RangeWork& work)
{
    const int threads = QThreadPool::globalInstance()->maxThreadCount();
    const std::size_t most = kRangesPerThread * std::size_t(std::max(threads, 1));
    const std::size_t rangeCount = std::min(count / std::max<std::size_t>(grain, 1), most);
    if (threads <= 1 || rangeCount < 2) {
        if (count > 0) {
            work(0, count);
        }
        return;
    }
    std::vector<Range> ranges(rangeCount);
    for (std::size_t i = 0; i < rangeCount; ++i) {
        ranges[i] = {count * i / rangeCount, count * (i + 1) / rangeCount};
    }
    QtConcurrent::blockingMap(ranges,
                              [&work](const Range& range) { work(range.begin, range.end); });
}

} // namespace ParallelRanges
