#include "world/regionbuild.h"

#include "terrain/map.h"
#include "world/worldbuild.h"

#include <algorithm>

int filterListReach(const FilterList& filters)
{
    int reach = 0;
    for (const auto& filter : filters) {
        if (filter->reach() < 0) {
            return -1;
        }
        reach += filter->reach();
    }
    return reach;
}

RegionBuild::RegionBuild(const WorldOrigin& origin, const FilterList& filters, std::uint32_t ring)
    : origin_(origin), filters_(filters),
      window_(origin.area().grown(ring, origin.width, origin.length))
{
    // A filter of the whole map cannot be given a margin: it runs over the
    // base window as if that were a world (callers refuse it where the
    // heights must be the world's).
    const auto margin = std::uint32_t(std::max(filterListReach(filters), 0));
    baseWindow_ = window_.grown(margin, origin.width, origin.length);
}

std::unique_ptr<Map> RegionBuild::buildBase() const
{
    return buildBaseMap(origin_, baseWindow_);
}

std::unique_ptr<Map> RegionBuild::finish(std::unique_ptr<Map> filtered) const
{
    if (filtered == nullptr || baseWindow_ == window_) {
        return filtered;
    }
    filtered->cutTo(window_.relativeTo(baseWindow_));
    return filtered;
}

std::unique_ptr<Map> RegionBuild::build(const FilterRun& run) const
{
    return finish(applyFilterListConsuming(buildBase(), filters_, run));
}

QString regionProblem(const Region& region, std::uint32_t worldWidth, std::uint32_t worldLength)
{
    if (region.isEmpty()) {
        return QStringLiteral("is empty (%1 x %2 points)").arg(region.width).arg(region.length);
    }
    if (region.width > RegionLimits::MaxSide || region.length > RegionLimits::MaxSide) {
        return QStringLiteral("is %1 x %2 points; a region has at most %3 x %3")
            .arg(region.width)
            .arg(region.length)
            .arg(RegionLimits::MaxSide);
    }
    if (!region.liesWithin(worldWidth, worldLength)) {
        return QStringLiteral("reaches beyond the %1 x %2 world (points %3 to %4 along x, %5 to "
                              "%6 along y)")
            .arg(worldWidth)
            .arg(worldLength)
            .arg(region.x)
            .arg(region.xEnd() - 1)
            .arg(region.y)
            .arg(region.yEnd() - 1);
    }
    return {};
}

QString regionFilterProblem(const std::vector<FilterRecord>& filters)
{
    for (std::size_t i = 0; i < filters.size(); ++i) {
        const Filter& filter = filters[i].filter();
        if (filter.reach() < 0) {
            return QStringLiteral("filter %1 (\"%2\", %3) works on the whole map, so a region "
                                  "cannot have the whole world's heights through it")
                .arg(i + 1)
                .arg(filter.name(), QString::fromLatin1(filter.kind()));
        }
    }
    return {};
}
