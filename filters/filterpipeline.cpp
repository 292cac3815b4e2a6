#include "filters/filterpipeline.h"

#include "filters/filtermatrix.h"
#include "terrain/map.h"
#include "terrain/parallelranges.h"
#include "terrain/workprogress.h"

#include <array>

namespace {

// From this many points two maps are worth making on two threads.
constexpr std::size_t kPointsForTwoMaps = 1u << 18;

// The maps a filter list writes: one for a single filter, two to take turns
// otherwise. Most of a large map's cost is the kernel handing out its fresh
// pages, which two threads do side by side.
std::array<std::unique_ptr<Map>, 2> outputMaps(const Map& base, std::size_t filterCount)
{
    std::array<std::unique_ptr<Map>, 2> maps;
    const std::size_t count = filterCount > 1 ? 2 : 1;
    const std::size_t grain = base.points().size() >= kPointsForTwoMaps ? 1 : count;
    ParallelRanges::run(count, grain, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            maps[i] = std::make_unique<Map>(base.width(), base.length());
        }
    });
    return maps;
}

// Begins the stage of filter i within a run; false once the run is cancelled.
bool beginFilterStage(const FilterRun& run, const FilterList& filters, std::size_t i)
{
    if (run.progress == nullptr) {
        return true;
    }
    const double count = double(filters.size());
    run.progress->beginStage(QStringLiteral("filter %1 of %2 (%3)")
                                 .arg(i + 1)
                                 .arg(filters.size())
                                 .arg(filters[i]->name()),
                             double(i) / count, double(i + 1) / count);
    return !run.progress->cancelled();
}

bool cancelled(const FilterRun& run)
{
    return run.progress != nullptr && run.progress->cancelled();
}

} // namespace

std::unique_ptr<Map> applyFilterList(const Map& base, const FilterList& filters,
                                     const FilterRun& run)
{
    // Always from the base map, never from an earlier result. A filter only
    // reads its input, so the first one reads the base itself: the copy would
    // hold the same heights, and only the filters' output is kept.
    if (filters.empty()) {
        return base.copy();
    }
    // Each filter writes into the map read by the filter before it: fresh
    // memory costs more than a filter's arithmetic on large maps.
    auto [current, spare] = outputMaps(base, filters.size());
    if (!beginFilterStage(run, filters, 0)) {
        return nullptr;
    }
    filters.front()->applyWithin(base, *current, run);
    for (std::size_t i = 1; i < filters.size(); ++i) {
        if (!beginFilterStage(run, filters, i)) {
            return nullptr;
        }
        filters[i]->applyWithin(*current, *spare, run);
        std::swap(current, spare);
    }
    return cancelled(run) ? nullptr : std::move(current);
}

std::unique_ptr<Map> applyFilterListConsuming(std::unique_ptr<Map> base, const FilterList& filters,
                                              const FilterRun& run)
{
    std::unique_ptr<Map> current = std::move(base);
    std::unique_ptr<Map> spare =
        filters.empty() ? nullptr : std::make_unique<Map>(current->width(), current->length());
    for (std::size_t i = 0; i < filters.size(); ++i) {
        if (!beginFilterStage(run, filters, i)) {
            return nullptr;
        }
        filters[i]->applyWithin(*current, *spare, run);
        std::swap(current, spare);
    }
    return cancelled(run) ? nullptr : std::move(current);
}

std::unique_ptr<Map> applyFilterListReference(const Map& base, const FilterList& filters)
{
    std::unique_ptr<Map> current = base.copy();
    for (const auto& filter : filters) {
        const auto* matrix = dynamic_cast<const FilterMatrix*>(filter.get());
        current = matrix != nullptr ? matrix->applyReference(*current) : filter->apply(*current);
    }
    return current;
}

FilterList copyFilterList(const FilterList& filters)
{
    FilterList copies;
    copies.reserve(filters.size());
    for (const auto& filter : filters) {
        copies.push_back(filter->clone());
    }
    return copies;
}
