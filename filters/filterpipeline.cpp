#include "filters/filterpipeline.h"

#include "filters/filtermatrix.h"
#include "terrain/map.h"

std::unique_ptr<Map> applyFilterList(const Map& base, const FilterList& filters)
{
    // Always from the base map, never from an earlier result. A filter only
    // reads its input, so the first one reads the base itself: the copy would
    // hold the same heights, and only the filters' output is kept.
    if (filters.empty()) {
        return base.copy();
    }
    std::unique_ptr<Map> current = filters.front()->apply(base);
    // The map a filter has just read takes the next filter's output: fresh
    // memory costs more than the filter's arithmetic on large maps.
    std::unique_ptr<Map> spare;
    for (auto filter = filters.begin() + 1; filter != filters.end(); ++filter) {
        if (!spare) {
            spare = std::make_unique<Map>(base.width(), base.length());
        }
        (*filter)->applyInto(*current, *spare);
        std::swap(current, spare);
    }
    return current;
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
