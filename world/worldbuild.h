#pragma once

#include "filters/filterpipeline.h"
#include "world/worldrecipe.h"

#include <functional>
#include <memory>
#include <vector>

class Map;

// The one road from a recipe to a world, taken by New world, Open and the
// command line alike, so that all three make the same bits.

// The generator's map for the origin: its builder, seeded and sized.
std::unique_ptr<Map> buildBaseMap(const WorldOrigin& origin);

FilterList makeFilterList(const std::vector<FilterRecord>& records);
std::vector<FilterRecord> filterRecords(const FilterList& filters);

// Starts every recorded drop on the filtered map and moves it its recorded
// number of steps, oldest first.
void replayDrops(Map& filtered, const std::vector<DropRecord>& drops);
std::vector<DropRecord> dropRecords(const Map& filtered);

// Reports a stage of a long build: its name and how far the whole job is, in
// percent.
using ProgressReport = std::function<void(const QString& stage, int percent)>;

// The filtered world of a recipe, for a caller that does not keep the base
// map: the filters take turns writing into the base map and one more, so two
// maps and the filters' few padded columns are all that is alive at once. The
// heights are those of applyFilterList on the base map.
std::unique_ptr<Map> buildFilteredWorld(const WorldRecipe& recipe, const ProgressReport& progress);
