#pragma once

#include "filters/filterpipeline.h"
#include "world/worldrecipe.h"

#include <QVector3D>
#include <QVector>
#include <memory>
#include <optional>
#include <vector>

class Map;
class WorkProgress;
struct ErosionMasks;

// A world's state as values, without its maps or its camera: where it came
// from, the filters its terrain went through, its drops, and the filter list
// as edited (which differs from the applied filters until the next Update).
// Rebuilding from it gives the same bits, so it is what the window's history
// keeps: its size does not depend on the world's.
struct WorldState
{
    bool hasTerrain = false;
    WorldOrigin origin;
    std::vector<FilterRecord> appliedFilters;
    std::vector<DropRecord> drops;
    std::vector<FilterRecord> filterList;

    bool operator==(const WorldState& other) const;
    bool operator!=(const WorldState& other) const { return !(*this == other); }
};

// The maps of a world made from values alone: the origin's terrain (or a base
// map already made from it), passed through copies of the filters, with the
// drops replayed. It touches nothing of the world that asked for it, so it can
// run on another thread and be dropped when cancelled.
class TerrainJob
{
public:
    struct Terrain
    {
        WorldOrigin origin;
        // Null when the job was told not to keep it.
        std::shared_ptr<const Map> base;
        std::unique_ptr<Map> filtered;
        std::vector<FilterRecord> appliedFilters;
        // The view's grid of the filtered map (see TerrainMesh), when asked
        // for: made here, on the job's thread, it is only copied to the GL
        // buffer on the window's.
        QVector<QVector3D> grid;
    };

    // reuse, when given, is the origin's base map, read and not rebuilt. With
    // keepBase false the filters take turns writing into the base map and one
    // more, so two maps do all the work and the base is not kept.
    TerrainJob(const WorldOrigin& origin, FilterList filters, std::vector<DropRecord> drops,
               std::shared_ptr<const Map> reuse = nullptr, bool keepBase = true);

    // Erosion's masks for the job's filters: reset, then added to by every
    // erosion filter. The job does not own them.
    void setMasks(ErosionMasks* masks) { masks_ = masks; }
    // Whether the terrain comes with the view's grid.
    void setGridWanted(bool wanted) { gridWanted_ = wanted; }

    // The terrain, or nothing when progress was cancelled.
    std::optional<Terrain> run(WorkProgress* progress = nullptr) const;

private:
    WorldOrigin origin_;
    FilterList filters_;
    std::vector<DropRecord> drops_;
    std::shared_ptr<const Map> reuse_;
    bool keepBase_;
    ErosionMasks* masks_ = nullptr;
    bool gridWanted_ = false;
};

// One world as the window and the command line hold it: its origin, its base
// map, the filter list (with the records of the filters last applied), the
// filtered map with its drops, and the camera. New world, Open, Update, the
// filter list's changes and the drop runs are its operations; it is made from
// a recipe and gives its recipe back.
class World
{
public:
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    bool hasTerrain() const { return filtered_ != nullptr; }
    const WorldOrigin& origin() const { return origin_; }
    void setOrigin(const WorldOrigin& origin) { origin_ = origin; }
    // Null before the first terrain, and after a build that did not keep it.
    const Map* baseMap() const { return base_.get(); }
    Map* filteredMap() const { return filtered_.get(); }

    // New world: the origin's terrain through the filter list.
    void create(const WorldOrigin& origin);
    // Open: the recipe's filters become the list and its camera the camera;
    // then its terrain, with its drops replayed. Nothing changes when the
    // build is cancelled (false).
    bool open(const WorldRecipe& recipe, WorkProgress* progress = nullptr, bool keepBase = true,
              ErosionMasks* masks = nullptr);
    // A base map made elsewhere, then the filters applied to it.
    void setBaseMap(std::unique_ptr<Map> map);
    // Update: the filtered map again from the base map through the filter
    // list; the drops go with the old one.
    void applyFilters();

    // The job that gives this world's terrain for an origin, the filter list
    // and drops, reusing the base map when the origin is the world's own.
    TerrainJob terrainJob(const WorldOrigin& origin, const std::vector<DropRecord>& drops = {},
                          bool keepBase = true) const;
    // The job that makes the terrain shown again, through the filters it went
    // through, adding what erosion did to masks.
    TerrainJob masksJob(ErosionMasks* masks) const;
    // Takes a job's terrain as the world's.
    void adopt(TerrainJob::Terrain terrain);
    // The job that builds a recipe's terrain, and the taking of its terrain
    // with the recipe's filter list and camera: open in two halves, for a
    // caller that builds on another thread.
    static TerrainJob recipeJob(const WorldRecipe& recipe, bool keepBase = true);
    void adoptRecipe(const WorldRecipe& recipe, TerrainJob::Terrain terrain);

    // The filter list; positions are not checked.
    const FilterList& filters() const { return filters_; }
    void addFilter(std::unique_ptr<Filter> filter);
    Filter* filterAt(int position) const { return filters_[std::size_t(position)].get(); }
    int filterCount() const { return int(filters_.size()); }
    void moveFilterUp(int position);
    void moveFilterDown(int position);
    void removeFilter(int position);
    void setFilterList(FilterList filters) { filters_ = std::move(filters); }
    const std::vector<FilterRecord>& appliedFilters() const { return appliedFilters_; }
    // Whether Update would change the terrain: the list differs from the
    // filters it went through.
    bool hasUnappliedFilters() const;

    // The drops, on the filtered map. Each run returns the steps that found a
    // drop running (see DropRun).
    void startDrop(float x, float y);
    int runDropSteps();
    long runDropsToEnd();

    const CameraRecord& camera() const { return camera_; }
    CameraRecord& camera() { return camera_; }
    void setCamera(const CameraRecord& camera) { camera_ = camera; }

    // The world as shown: origin, applied filters, drops and camera.
    WorldRecipe recipe() const;
    WorldState state() const;
    // Makes the world that of state, rebuilding only what differs: the same
    // terrain keeps its maps and only has its drops replayed, the same origin
    // keeps its base map. The camera stays.
    void restore(const WorldState& state);
    // restore in two halves, for a caller that builds on another thread: the
    // job that builds state's terrain (nothing when the world's own serves),
    // then the taking of its terrain. Without a job, restoreWithoutBuilding.
    std::optional<TerrainJob> restoreJob(const WorldState& state) const;
    void finishRestore(const WorldState& state, TerrainJob::Terrain terrain);
    void restoreWithoutBuilding(const WorldState& state);

private:
    void clearTerrain();
    // Records of the filter list, sharing the records of the last call for
    // the filters that did not change since, so that the states of a long
    // history share their filters instead of copying them at every step.
    std::vector<FilterRecord> filterListRecords() const;

    WorldOrigin origin_;
    std::shared_ptr<const Map> base_;
    std::unique_ptr<Map> filtered_;
    FilterList filters_;
    std::vector<FilterRecord> appliedFilters_;
    CameraRecord camera_;
    mutable std::vector<FilterRecord> listRecords_;
};
