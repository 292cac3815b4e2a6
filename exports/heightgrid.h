#pragma once

#include "terrain/map.h"
#include "terrain/region.h"

#include <cstdint>

// The heights an export writes: a rectangle of a map's points (all of them,
// or a region within a map built with a ring around it), with where that
// rectangle lies in its world, for the formats that place their points.
class HeightGrid
{
public:
    explicit HeightGrid(const Map& map)
        : map_(map), area_(Region::whole(map.width(), map.length())), world_(area_)
    {}
    // `area` lies within the map; `place` is where it lies in its world, whose
    // size place's world width and length give.
    HeightGrid(const Map& map, const Region& area, const Region& place, std::uint32_t worldWidth,
               std::uint32_t worldLength)
        : map_(map), area_(area), world_{place.x, place.y, worldWidth, worldLength}
    {}

    std::uint32_t width() const { return area_.width; }
    std::uint32_t length() const { return area_.length; }
    // The height of the grid's point (x, y).
    float z(std::uint32_t x, std::uint32_t y) const
    {
        return map_.pointAt(area_.x + x, area_.y + y)->z();
    }
    // The height of the map's point at (x, y) from the grid's, which may lie
    // beyond the grid by as far as the map reaches; cut at the map's border.
    float zAround(std::int64_t x, std::int64_t y) const;

    const Map& map() const { return map_; }
    // Where the grid's point (0, 0) lies in the map.
    std::uint32_t mapX() const { return area_.x; }
    std::uint32_t mapY() const { return area_.y; }
    // Where the grid's point (0, 0) lies in its world.
    std::uint32_t worldX() const { return world_.x; }
    std::uint32_t worldY() const { return world_.y; }
    std::uint32_t worldWidth() const { return world_.width; }
    std::uint32_t worldLength() const { return world_.length; }

private:
    const Map& map_;
    Region area_;
    // x and y: the grid's place in its world; width and length: the world's.
    Region world_;
};

inline float HeightGrid::zAround(std::int64_t x, std::int64_t y) const
{
    const auto clamp = [](std::int64_t value, std::uint32_t side) {
        return std::uint32_t(value < 0 ? 0 : (value >= side ? side - 1 : value));
    };
    return map_.pointAt(clamp(area_.x + x, map_.width()), clamp(area_.y + y, map_.length()))->z();
}
