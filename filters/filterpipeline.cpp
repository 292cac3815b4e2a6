#include "filters/filterpipeline.h"

#include "terrain/map.h"

std::unique_ptr<Map> applyFilterList(const Map& base, const FilterList& filters)
{
    // Always from the base map, never from an earlier result: the copy carries
    // the heights only, so drops of an earlier filtered map are gone.
    std::unique_ptr<Map> current = base.copy();
    for (const auto& filter : filters) {
        // Assigning releases the map the filter has just read.
        current = filter->apply(*current);
    }
    return current;
}
