#pragma once

#include "terrain/mappoint.h"
#include "terrain/region.h"

#include <cstdint>
#include <memory>
#include <vector>

class WaterDrop;

// The terrain height map: one MapPoint per integer position (x, y) with
// 0 <= x < width and 0 <= y < length, stored x-major, so the point (x, y) is
// entry x * length + y. The points live in one block owned by the map and never
// move (until the map is cut to a part of itself), so a point's address is
// valid for the map's life. The map also owns the water drops started on it,
// oldest first.
class Map
{
public:
    Map(std::uint32_t width, std::uint32_t length);
    ~Map();
    Map(const Map&) = delete;
    Map& operator=(const Map&) = delete;

    // A new map of the same size with every height copied and no drops.
    std::unique_ptr<Map> copy() const;
    // Keeps only the points of `part`, a region of this map's own points,
    // which become the whole map: point (x, y) is the old (part.x + x,
    // part.y + y). Its drops go. The points move within the block the map
    // has, which costs far less than a new map's fresh memory.
    void cutTo(const Region& part);

    // The point at (x, y), or null outside the grid.
    MapPoint* pointAt(std::uint32_t x, std::uint32_t y);
    const MapPoint* pointAt(std::uint32_t x, std::uint32_t y) const;

    std::uint32_t width() const { return width_; }
    std::uint32_t length() const { return length_; }

    // All points in x-major order; generators set the heights through it.
    std::vector<MapPoint>& points() { return points_; }
    const std::vector<MapPoint>& points() const { return points_; }

    // The drops started on this map, oldest first; the map keeps ownership.
    std::vector<WaterDrop*> drops() const;

    // Whether a drop can stand at (x, y): on a map of at least 2 x 2 points,
    // 0 <= x <= width - 1 and 0 <= y <= length - 1 (drop/mapdrops.cpp).
    bool isOnSurface(float x, float y) const;
    static bool isOnSurface(std::uint32_t width, std::uint32_t length, float x, float y);
    // Removes every drop, e.g. to replay another set of drops on the same heights.
    void clearDrops();
    // Starts a drop at (x, y) on the terrain's surface (drop/mapdrops.cpp).
    void startDrop(float x, float y);
    // Moves every running drop by one step; true when one was still running.
    bool stepDrops(float step);
    // Starts a drop at (x, y) and moves it `steps` times on its own. A drop's
    // path depends on the terrain and its start only, never on other drops, so
    // this rebuilds exactly a drop that stepDrops moved that many times.
    void replayDrop(float x, float y, std::int64_t steps, float step);

private:
    void stepDrop(WaterDrop& drop, float step);

    std::vector<MapPoint> points_;
    std::vector<std::unique_ptr<WaterDrop>> drops_;
    std::uint32_t width_;
    std::uint32_t length_;
};
