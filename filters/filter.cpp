#include "filters/filter.h"

#include "terrain/map.h"

void Filter::applyInto(const Map& input, Map& output) const
{
    const std::unique_ptr<Map> result = apply(input);
    std::vector<MapPoint>& points = output.points();
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i].setZ(result->points()[i].z());
    }
}
