#pragma once

#include "filters/filterpipeline.h"
#include "world/worldrecipe.h"

#include <memory>
#include <vector>

class Map;

// The one road from a recipe to a world, taken by New world, Open and the
// command line alike, so that all three make the same bits.

// The generator's map for the origin: its builder, seeded and sized.
std::unique_ptr<Map> buildBaseMap(const WorldOrigin& origin);
// Only the window of the origin's world (its region, if any, aside).
std::unique_ptr<Map> buildBaseMap(const WorldOrigin& origin, const Region& window);

FilterList makeFilterList(const std::vector<FilterRecord>& records);
std::vector<FilterRecord> filterRecords(const FilterList& filters);

// Starts every recorded drop on the filtered map and moves it its recorded
// number of steps, oldest first.
void replayDrops(Map& filtered, const std::vector<DropRecord>& drops);
std::vector<DropRecord> dropRecords(const Map& filtered);
