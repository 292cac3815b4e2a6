#include "world/world.h"

#include "drop/droprun.h"
#include "filters/erosionmasks.h"
#include "terrain/map.h"
#include "terrain/workprogress.h"
#include "view/terrainmesh.h"
#include "world/regionbuild.h"
#include "world/worldbuild.h"

#include <algorithm>
#include <utility>

namespace {

// The shares of a build's progress: the generator, the filters, the drops.
constexpr double FiltersBegin = 0.2;
constexpr double DropsBegin = 0.9;

void beginStage(WorkProgress* progress, const char* name, double begin, double end)
{
    if (progress != nullptr) {
        progress->setSpan(0.0, 1.0);
        progress->beginStage(QString::fromLatin1(name), begin, end);
    }
}

bool cancelled(WorkProgress* progress)
{
    return progress != nullptr && progress->cancelled();
}

} // namespace

bool WorldState::operator==(const WorldState& other) const
{
    return hasTerrain == other.hasTerrain && (!hasTerrain || origin == other.origin) &&
           appliedFilters == other.appliedFilters && drops == other.drops &&
           filterList == other.filterList;
}

TerrainJob::TerrainJob(const WorldOrigin& origin, FilterList filters, std::vector<DropRecord> drops,
                       std::shared_ptr<const Map> reuse, bool keepBase)
    : origin_(origin), filters_(std::move(filters)), drops_(std::move(drops)),
      reuse_(std::move(reuse)), keepBase_(keepBase)
{}

std::optional<TerrainJob::Terrain> TerrainJob::run(WorkProgress* progress) const
{
    Terrain terrain;
    terrain.origin = origin_;
    terrain.appliedFilters = filterRecords(filters_);
    const FilterRun filterRun{progress, masks_};
    const auto resetMasks = [this](const Map& base) {
        if (masks_ != nullptr) {
            masks_->resetFor(base);
        }
    };
    const auto filtersSpan = [&] {
        if (progress != nullptr) {
            progress->setSpan(FiltersBegin, DropsBegin);
        }
    };
    if (origin_.region) {
        // A region keeps no base map: the margin it is built with depends on
        // the filters, so each build starts from the generator.
        const RegionBuild region(origin_, filters_);
        beginStage(progress, "building the terrain", 0.0, FiltersBegin);
        std::unique_ptr<Map> base = region.buildBase();
        if (cancelled(progress)) {
            return std::nullopt;
        }
        filtersSpan();
        terrain.filtered =
            region.finish(applyFilterListConsuming(std::move(base), filters_, filterRun));
    } else if (reuse_ != nullptr && keepBase_) {
        terrain.base = reuse_;
        resetMasks(*terrain.base);
        filtersSpan();
        terrain.filtered = applyFilterList(*terrain.base, filters_, filterRun);
    } else {
        beginStage(progress, "building the terrain", 0.0, FiltersBegin);
        std::unique_ptr<Map> base = buildBaseMap(origin_);
        if (cancelled(progress)) {
            return std::nullopt;
        }
        resetMasks(*base);
        filtersSpan();
        if (keepBase_) {
            terrain.filtered = applyFilterList(*base, filters_, filterRun);
            terrain.base = std::move(base);
        } else {
            terrain.filtered = applyFilterListConsuming(std::move(base), filters_, filterRun);
        }
    }
    if (terrain.filtered == nullptr || cancelled(progress)) {
        return std::nullopt;
    }
    beginStage(progress, "running the drops", DropsBegin, 1.0);
    replayDrops(*terrain.filtered, drops_);
    if (gridWanted_ && !cancelled(progress)) {
        TerrainMesh::buildGrid(*terrain.filtered, terrain.grid);
    }
    if (cancelled(progress)) {
        return std::nullopt;
    }
    return terrain;
}

World::World() = default;

World::~World() = default;

void World::create(const WorldOrigin& origin)
{
    adopt(*terrainJob(origin).run());
}

bool World::open(const WorldRecipe& recipe, WorkProgress* progress, bool keepBase,
                 ErosionMasks* masks)
{
    TerrainJob job = recipeJob(recipe, keepBase);
    job.setMasks(masks);
    std::optional<TerrainJob::Terrain> terrain = job.run(progress);
    if (!terrain) {
        return false;
    }
    adoptRecipe(recipe, std::move(*terrain));
    return true;
}

TerrainJob World::recipeJob(const WorldRecipe& recipe, bool keepBase)
{
    return TerrainJob(recipe.origin, makeFilterList(recipe.filters), recipe.drops, nullptr,
                      keepBase);
}

void World::adoptRecipe(const WorldRecipe& recipe, TerrainJob::Terrain terrain)
{
    filters_ = makeFilterList(recipe.editedFilters ? *recipe.editedFilters : recipe.filters);
    camera_ = recipe.camera;
    adopt(std::move(terrain));
}

void World::setBaseMap(std::unique_ptr<Map> map)
{
    base_ = std::move(map);
    applyFilters();
}

void World::applyFilters()
{
    if (hasTerrain() && origin_.region) {
        adopt(*terrainJob(origin_).run());
        return;
    }
    if (base_ == nullptr) {
        return;
    }
    filtered_ = applyFilterList(*base_, filters_);
    appliedFilters_ = filterListRecords();
}

TerrainJob World::terrainJob(const WorldOrigin& origin, const std::vector<DropRecord>& drops,
                             bool keepBase) const
{
    const bool sameOrigin = base_ != nullptr && hasTerrain() && origin == origin_;
    return TerrainJob(origin, copyFilterList(filters_), drops, sameOrigin ? base_ : nullptr,
                      keepBase);
}

TerrainJob World::masksJob(ErosionMasks* masks) const
{
    TerrainJob job(origin_, makeFilterList(appliedFilters_), {}, base_);
    job.setMasks(masks);
    return job;
}

void World::adopt(TerrainJob::Terrain terrain)
{
    origin_ = terrain.origin;
    base_ = std::move(terrain.base);
    filtered_ = std::move(terrain.filtered);
    appliedFilters_ = std::move(terrain.appliedFilters);
}

void World::addFilter(std::unique_ptr<Filter> filter)
{
    filters_.push_back(std::move(filter));
}

void World::moveFilterUp(int position)
{
    if (position - 1 < 0) {
        return;
    }
    std::swap(filters_[std::size_t(position)], filters_[std::size_t(position) - 1]);
}

void World::moveFilterDown(int position)
{
    if (position + 1 == filterCount()) {
        return;
    }
    std::swap(filters_[std::size_t(position)], filters_[std::size_t(position) + 1]);
}

void World::removeFilter(int position)
{
    filters_.erase(filters_.begin() + position);
}

bool World::hasUnappliedFilters() const
{
    return hasTerrain() && filterListRecords() != appliedFilters_;
}

void World::startDrop(float x, float y)
{
    filtered_->startDrop(x, y);
}

int World::runDropSteps()
{
    return DropRun::runSteps(*filtered_);
}

long World::runDropsToEnd()
{
    return DropRun::runToEnd(*filtered_);
}

WorldRecipe World::recipe() const
{
    WorldRecipe recipe;
    recipe.origin = origin_;
    recipe.filters = appliedFilters_;
    if (std::vector<FilterRecord> edited = filterListRecords(); edited != appliedFilters_) {
        recipe.editedFilters = std::move(edited);
    }
    recipe.drops = hasTerrain() ? dropRecords(*filtered_) : std::vector<DropRecord>();
    recipe.camera = camera_;
    return recipe;
}

WorldState World::state() const
{
    WorldState state;
    state.hasTerrain = hasTerrain();
    state.origin = origin_;
    state.appliedFilters = appliedFilters_;
    state.drops = hasTerrain() ? dropRecords(*filtered_) : std::vector<DropRecord>();
    state.filterList = filterListRecords();
    return state;
}

std::vector<FilterRecord> World::filterListRecords() const
{
    std::vector<FilterRecord> records;
    records.reserve(filters_.size());
    for (std::size_t i = 0; i < filters_.size(); ++i) {
        const Filter& filter = *filters_[i];
        // A filter often keeps its place: try the record at the same position first.
        const auto same = [&](const FilterRecord& record) {
            return record.filter().sameAs(filter);
        };
        auto found = i < listRecords_.size() && same(listRecords_[i])
                         ? listRecords_.begin() + std::ptrdiff_t(i)
                         : std::find_if(listRecords_.begin(), listRecords_.end(), same);
        if (found != listRecords_.end()) {
            records.push_back(*found);
        } else {
            records.emplace_back(filter);
        }
    }
    listRecords_ = records;
    return records;
}

void World::restore(const WorldState& state)
{
    if (std::optional<TerrainJob> job = restoreJob(state)) {
        std::optional<TerrainJob::Terrain> terrain = job->run();
        finishRestore(state, std::move(*terrain));
        return;
    }
    restoreWithoutBuilding(state);
}

std::optional<TerrainJob> World::restoreJob(const WorldState& state) const
{
    if (!state.hasTerrain ||
        (hasTerrain() && state.origin == origin_ && state.appliedFilters == appliedFilters_)) {
        return std::nullopt;
    }
    const bool sameOrigin = base_ != nullptr && hasTerrain() && state.origin == origin_;
    return TerrainJob(state.origin, makeFilterList(state.appliedFilters), state.drops,
                      sameOrigin ? base_ : nullptr);
}

void World::restoreWithoutBuilding(const WorldState& state)
{
    filters_ = makeFilterList(state.filterList);
    if (!state.hasTerrain) {
        clearTerrain();
        origin_ = state.origin;
        return;
    }
    filtered_->clearDrops();
    replayDrops(*filtered_, state.drops);
}

void World::finishRestore(const WorldState& state, TerrainJob::Terrain terrain)
{
    filters_ = makeFilterList(state.filterList);
    adopt(std::move(terrain));
}

void World::clearTerrain()
{
    base_.reset();
    filtered_.reset();
    appliedFilters_.clear();
}
