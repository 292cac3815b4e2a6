#include "filters/filter.h"

#include "terrain/map.h"

#include <cstring>

bool Filter::sameAs(const Filter& other) const
{
    return std::strcmp(kind(), other.kind()) == 0 && name_ == other.name_ && sameSettings(other);
}

void Filter::applyInto(const Map& input, Map& output) const
{
    const std::unique_ptr<Map> result = apply(input);
    std::vector<MapPoint>& points = output.points();
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i].setZ(result->points()[i].z());
    }
}

void Filter::applyWithin(const Map& input, Map& output, const FilterRun&) const
{
    applyInto(input, output);
}
