#include "world/worldbuild.h"

#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "generators/generatorchoice.h"
#include "terrain/map.h"

std::unique_ptr<Map> buildBaseMap(const WorldOrigin& origin)
{
    return buildBaseMap(origin, Region::whole(origin.width, origin.length));
}

std::unique_ptr<Map> buildBaseMap(const WorldOrigin& origin, const Region& window)
{
    std::unique_ptr<MapBuilder> builder = makeMapBuilder(origin.generatorIndex);
    builder->setSeed(origin.seed.makeSeed());
    builder->setWidth(std::int32_t(origin.width)).setLength(std::int32_t(origin.length));
    builder->setWindow(window);
    return builder->build();
}

FilterList makeFilterList(const std::vector<FilterRecord>& records)
{
    FilterList filters;
    filters.reserve(records.size());
    for (const FilterRecord& record : records) {
        filters.push_back(record.makeFilter());
    }
    return filters;
}

std::vector<FilterRecord> filterRecords(const FilterList& filters)
{
    std::vector<FilterRecord> records;
    records.reserve(filters.size());
    for (const auto& filter : filters) {
        records.emplace_back(*filter);
    }
    return records;
}

void replayDrops(Map& filtered, const std::vector<DropRecord>& drops)
{
    for (const DropRecord& drop : drops) {
        filtered.replayDrop(drop.x, drop.y, drop.steps, DropRun::kStepLength);
    }
}

std::vector<DropRecord> dropRecords(const Map& filtered)
{
    std::vector<DropRecord> records;
    for (const WaterDrop* drop : filtered.drops()) {
        const MapPoint& start = drop->path().front();
        records.push_back({start.x(), start.y(), drop->stepCount()});
    }
    return records;
}
