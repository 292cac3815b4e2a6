#pragma once

#include <cstdint>
#include <memory>

class Map;

// A rectangle of a world's points: x to x + width - 1 along the world's width,
// y to y + length - 1 along its length. Every point of a world is defined by
// its recipe alone, so such a window can be built on its own and fits its
// neighbours bit for bit.
struct Region
{
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t length = 0;

    // The whole of a world of this size.
    static Region whole(std::uint32_t width, std::uint32_t length) { return {0, 0, width, length}; }

    // One past the last point along each axis, wide enough for any world.
    std::uint64_t xEnd() const { return std::uint64_t(x) + width; }
    std::uint64_t yEnd() const { return std::uint64_t(y) + length; }

    bool isEmpty() const { return width == 0 || length == 0; }
    // Whether every point lies in a world of worldWidth x worldLength.
    bool liesWithin(std::uint32_t worldWidth, std::uint32_t worldLength) const
    {
        return xEnd() <= worldWidth && yEnd() <= worldLength;
    }
    // This region grown by `margin` points on every side, cut at the border
    // of a world of worldWidth x worldLength.
    Region grown(std::uint32_t margin, std::uint32_t worldWidth, std::uint32_t worldLength) const;
    // Where this region lies within `outer`, which holds it.
    Region relativeTo(const Region& outer) const
    {
        return {x - outer.x, y - outer.y, width, length};
    }

    bool operator==(const Region& other) const
    {
        return x == other.x && y == other.y && width == other.width && length == other.length;
    }
    bool operator!=(const Region& other) const { return !(*this == other); }
};

// A new map of the points of `part`, a region of map's own points, with their
// heights; the point (x, y) of the new map is map point (part.x + x,
// part.y + y).
std::unique_ptr<Map> cropMap(const Map& map, const Region& part);
