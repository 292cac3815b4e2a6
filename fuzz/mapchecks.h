#pragma once

#include "fuzzsupport.h"
#include "terrain/map.h"

#include <cstdint>
#include <cstring>

// The grid every map keeps: its size, one point per integer position in
// x-major order, each found by pointAt, and nothing found just outside.
inline void checkGrid(const Map& map, std::uint32_t width, std::uint32_t length)
{
    FUZZ_CHECK(map.width() == width, "the width is kept");
    FUZZ_CHECK(map.length() == length, "the length is kept");
    FUZZ_CHECK(map.points().size() == std::size_t(width) * length,
               "a map holds width * length points");
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < length; ++y) {
            const MapPoint* point = map.pointAt(x, y);
            FUZZ_CHECK(point != nullptr, "every position has a point");
            FUZZ_CHECK(point->x() == float(x) && point->y() == float(y),
                       "a point sits at its integer position");
            FUZZ_CHECK(point == &map.points()[std::size_t(x) * length + y],
                       "the points are stored x-major");
        }
    }
    FUZZ_CHECK(map.pointAt(width, 0) == nullptr, "no point past the last column");
    FUZZ_CHECK(map.pointAt(0, length) == nullptr, "no point past the last row");
}

// True when both maps have the same size and the same points, bit for bit.
inline bool sameBits(const Map& a, const Map& b)
{
    if (a.width() != b.width() || a.length() != b.length() ||
        a.points().size() != b.points().size()) {
        return false;
    }
    return a.points().empty() || std::memcmp(a.points().data(), b.points().data(),
                                             a.points().size() * sizeof(MapPoint)) == 0;
}
