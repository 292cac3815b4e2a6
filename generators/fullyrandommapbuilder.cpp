#include "generators/fullyrandommapbuilder.h"

std::unique_ptr<Map> FullyRandomMapBuilder::build()
{
    startBuild();
    auto map = std::make_unique<Map>(width(), length());
    // The points are stored x-major, so this walk is x outer, y inner.
    for (MapPoint& point : map->points()) {
        point.setZ(randomUnit());
    }
    return map;
}
