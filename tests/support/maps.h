#pragma once

// Making maps and comparing heights, for every test of the core.

#include "terrain/map.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>

inline std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A width x length map whose height at (x, y) is height(x, y).
inline std::unique_ptr<Map> makeMap(int width, int length,
                                    const std::function<float(int, int)>& height)
{
    auto map = std::make_unique<Map>(std::uint32_t(width), std::uint32_t(length));
    for (MapPoint& point : map->points())
        point.setZ(height(int(point.x()), int(point.y())));
    return map;
}

// The same size and the same points, bit for bit.
inline bool sameHeights(const Map& a, const Map& b)
{
    return a.width() == b.width() && a.length() == b.length() &&
           (a.points().empty() || std::memcmp(a.points().data(), b.points().data(),
                                              a.points().size() * sizeof(MapPoint)) == 0);
}
