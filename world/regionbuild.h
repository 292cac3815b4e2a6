#pragma once

#include "filters/filterpipeline.h"
#include "world/worldrecipe.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class Map;

// How a region of a world gets the whole world's heights bit for bit without
// the whole world: the generator builds the region grown by the filters'
// combined reach, the filters run over that, and the margin is cut off. The
// margin is cut at the world's border, where the filters clamp just as they do
// on the whole world; everywhere else it holds every point a kept height reads.
class RegionBuild
{
public:
    // The origin's region (it must have one) with `ring` more points around it
    // (cut at the world's border), e.g. for the slopes at its edges.
    RegionBuild(const WorldOrigin& origin, const FilterList& filters, std::uint32_t ring = 0);

    // The points of the result: the region with its ring.
    const Region& window() const { return window_; }
    // The points the generator builds.
    const Region& baseWindow() const { return baseWindow_; }

    std::unique_ptr<Map> buildBase() const;
    // The result from the filtered base map: the margin cut off.
    std::unique_ptr<Map> finish(std::unique_ptr<Map> filtered) const;
    // All of it in two maps of the base window's size; null when cancelled.
    std::unique_ptr<Map> build(const FilterRun& run = {}) const;

private:
    const WorldOrigin& origin_;
    const FilterList& filters_;
    Region window_;
    Region baseWindow_;
};

// The margin a region's base map needs around it for these filters: the sum
// of their reaches. Negative when one of them depends on the whole map.
int filterListReach(const FilterList& filters);

namespace RegionLimits {
// A region is built in one piece, so it is bounded like a world...
constexpr std::uint32_t MaxSide = 4096;
// ...while the world it comes from may be far larger: it is never built whole.
constexpr std::uint32_t MaxWorldSide = 65536;
} // namespace RegionLimits

// Why region cannot be built in a world of worldWidth x worldLength, worded
// to follow the region's name ("is empty", ...); empty when it can.
QString regionProblem(const Region& region, std::uint32_t worldWidth, std::uint32_t worldLength);
// Why a region cannot go through these filters: the first one that depends on
// the whole map, named with its position from 1; empty when there is none.
QString regionFilterProblem(const std::vector<FilterRecord>& filters);
