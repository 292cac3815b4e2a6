#include "terrain/map.h"

#include "drop/waterdrop.h"

Map::Map(std::uint32_t width, std::uint32_t length) : width_(width), length_(length)
{
    points_.reserve(std::size_t(width) * length);
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < length; ++y) {
            points_.emplace_back(float(x), float(y), 0.0f);
        }
    }
}

Map::~Map() = default;

std::unique_ptr<Map> Map::copy() const
{
    auto result = std::make_unique<Map>(width_, length_);
    // Both maps hold one point per position in the same order.
    for (std::size_t i = 0; i < points_.size(); ++i) {
        result->points_[i].setZ(points_[i].z());
    }
    return result;
}

void Map::cutTo(const Region& part)
{
    // Each kept column moves to a place at or before its own, so moving the
    // columns in order never overwrites a point still to be moved.
    for (std::uint32_t x = 0; x < part.width; ++x) {
        const std::size_t from = std::size_t(part.x + x) * length_ + part.y;
        const std::size_t to = std::size_t(x) * part.length;
        for (std::uint32_t y = 0; y < part.length; ++y) {
            points_[to + y] = MapPoint(float(x), float(y), points_[from + y].z());
        }
    }
    points_.resize(std::size_t(part.width) * part.length, MapPoint(0.0f, 0.0f, 0.0f));
    width_ = part.width;
    length_ = part.length;
    drops_.clear();
}

MapPoint* Map::pointAt(std::uint32_t x, std::uint32_t y)
{
    if (x >= width_ || y >= length_) {
        return nullptr;
    }
    return &points_[std::size_t(x) * length_ + y];
}

const MapPoint* Map::pointAt(std::uint32_t x, std::uint32_t y) const
{
    return const_cast<Map*>(this)->pointAt(x, y);
}

std::vector<WaterDrop*> Map::drops() const
{
    std::vector<WaterDrop*> result;
    result.reserve(drops_.size());
    for (const auto& drop : drops_) {
        result.push_back(drop.get());
    }
    return result;
}

void Map::clearDrops()
{
    drops_.clear();
}
