#include "terrain/region.h"

#include "terrain/map.h"

#include <algorithm>

namespace {

// The start and size of [start - margin, end + margin) cut to [0, side).
std::pair<std::uint32_t, std::uint32_t> grownSpan(std::uint32_t start, std::uint64_t end,
                                                  std::uint32_t margin, std::uint32_t side)
{
    const std::uint32_t begin = start > margin ? start - margin : 0u;
    const std::uint64_t stop = std::min<std::uint64_t>(end + margin, side);
    return {begin, std::uint32_t(stop - begin)};
}

} // namespace

Region Region::grown(std::uint32_t margin, std::uint32_t worldWidth,
                     std::uint32_t worldLength) const
{
    const auto [left, width] = grownSpan(x, xEnd(), margin, worldWidth);
    const auto [bottom, length] = grownSpan(y, yEnd(), margin, worldLength);
    return {left, bottom, width, length};
}

std::unique_ptr<Map> cropMap(const Map& map, const Region& part)
{
    auto result = std::make_unique<Map>(part.width, part.length);
    MapPoint* target = result->points().data();
    for (std::uint32_t x = 0; x < part.width; ++x) {
        const MapPoint* column = map.pointAt(part.x + x, part.y);
        for (std::uint32_t y = 0; y < part.length; ++y) {
            target[std::size_t(x) * part.length + y].setZ(column[y].z());
        }
    }
    return result;
}
