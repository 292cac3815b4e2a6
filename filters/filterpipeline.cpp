#include "filters/filterpipeline.h"

#include "terrain/map.h"

std::unique_ptr<Map> applyFilterList(const Map& base, const FilterList& filters)
{
    auto current = base.copy();
    for (const auto& filter : filters) {
        current = filter->apply(*current);
    }
    return current;
}
