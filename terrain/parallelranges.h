#pragma once

#include <cstddef>
#include <functional>

// Work split over Qt's global thread pool. The ranges are disjoint and cover
// every item once, and each caller computes an item from its inputs alone, so
// a result does not depend on how many threads took part.
namespace ParallelRanges {

using RangeWork = std::function<void(std::size_t begin, std::size_t end)>;

// Calls work(begin, end) over consecutive ranges covering [0, count), each of
// at least `grain` items. With fewer than two ranges' worth of items, or a pool
// of one thread, the whole range runs on the calling thread: below that, the
// hand-over to the pool costs more than it saves.
void run(std::size_t count, std::size_t grain, const RangeWork& work);

} // namespace ParallelRanges
