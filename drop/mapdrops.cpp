#include "drop/waterdrop.h"
#include "terrain/map.h"

#include <QVector3D>
#include <algorithm>
#include <cmath>
#include <memory>

// Drops run over the piecewise-planar surface of the mesh: each grid cell is
// split into a lower-left and an upper-right triangle, and on a triangle a drop
// moves along the horizontal part of the plane's upward normal.
//
// Where the grid gives no answer:
// - A position on the last column or row (x == width - 1 or y == length - 1)
//   uses the last cell (cell index clamped to width - 2, length - 2), whose
//   triangles reach the edge, so the height there is the edge's own height.
// - A map with fewer than 2 columns or rows has no surface: a drop started on
//   it is recorded (the drop list grows) but stopped at once, with height 0.
// - A start position off the grid is clamped onto it (NaN counts as 0), so no
//   lookup ever leaves the grid; the drop then runs from there.
// - A drop whose next position is not finite stops (see WaterDrop::advance).

namespace {

bool hasSurface(const Map& map)
{
    return map.width() >= 2 && map.length() >= 2;
}

// coordinate clamped to [0, size - 1]; NaN becomes 0.
float clampToGrid(float coordinate, std::uint32_t size)
{
    const float last = size == 0 ? 0.0f : static_cast<float>(size - 1u);
    if (!(coordinate >= 0.0f)) {
        return 0.0f;
    }
    return std::min(coordinate, last);
}

// Index of the cell holding coordinate, at most the last cell (size >= 2).
std::uint32_t cellIndex(float coordinate, std::uint32_t size)
{
    return std::min(static_cast<std::uint32_t>(clampToGrid(coordinate, size)), size - 2u);
}

// The mesh triangle under a position: P1 and P2 are the cell's corners next to
// its origin along x and along y; P0 is the origin itself for the lower-left
// triangle and the opposite corner for the upper-right one.
class SurfaceTriangle
{
public:
    // map must have a surface.
    SurfaceTriangle(const Map& map, float x, float y)
    {
        const std::uint32_t tx = cellIndex(x, map.width());
        const std::uint32_t ty = cellIndex(y, map.length());
        const bool lowerLeft = (x - static_cast<float>(tx)) + (y - static_cast<float>(ty)) <= 1.0f;
        p0_ = lowerLeft ? map.pointAt(tx, ty) : map.pointAt(tx + 1, ty + 1);
        p1_ = map.pointAt(tx + 1, ty);
        p2_ = map.pointAt(tx, ty + 1);
    }

    // The height of the triangle's plane at (x, y).
    float heightAt(float x, float y) const
    {
        const float dz1 = p1_->z() - p0_->z();
        const float dz2 = p2_->z() - p0_->z();
        const float alongX = std::fabs(x - p0_->x());
        const float alongY = std::fabs(y - p0_->y());
        if (p1_->x() > p0_->x()) {
            return p0_->z() + alongX * dz1 + alongY * dz2;
        }
        return p0_->z() + alongX * dz2 + alongY * dz1;
    }

    // The plane's steepest way down: the horizontal part of its normal n, as
    // (n.x * n.z, n.z * n.y, n.x * n.x + n.y * n.y), which points downhill
    // whichever way n faces, normalised. Debian's arm64 Qt fuses the
    // multiply-adds of crossProduct and normalize; that changes no bit here,
    // since every product is exact (edge x and y are 0 or +-1, float squares
    // are exact in double).
    QVector3D downhillDirection() const
    {
        const QVector3D origin = toVector(*p0_);
        const QVector3D normal =
            QVector3D::crossProduct(toVector(*p1_) - origin, toVector(*p2_) - origin);
        QVector3D direction(normal.x() * normal.z(), normal.z() * normal.y(),
                            normal.x() * normal.x() + normal.y() * normal.y());
        direction.normalize();
        return direction;
    }

private:
    static QVector3D toVector(const MapPoint& point)
    {
        return QVector3D(point.x(), point.y(), point.z());
    }

    const MapPoint* p0_;
    const MapPoint* p1_;
    const MapPoint* p2_;
};

} // namespace

bool Map::isOnSurface(float x, float y) const
{
    return isOnSurface(width_, length_, x, y);
}

bool Map::isOnSurface(std::uint32_t width, std::uint32_t length, float x, float y)
{
    return width >= 2 && length >= 2 && x >= 0.0f && y >= 0.0f &&
           x <= static_cast<float>(width - 1u) && y <= static_cast<float>(length - 1u);
}

void Map::startDrop(float x, float y)
{
    x = clampToGrid(x, width_);
    y = clampToGrid(y, length_);
    if (!hasSurface(*this)) {
        auto drop = std::make_unique<WaterDrop>(x, y, 0.0f);
        drop->stop();
        drops_.push_back(std::move(drop));
        return;
    }
    drops_.push_back(
        std::make_unique<WaterDrop>(x, y, SurfaceTriangle(*this, x, y).heightAt(x, y)));
}

bool Map::stepDrops(float step)
{
    bool anyRunning = false;
    for (const auto& drop : drops_) {
        if (drop->isStopped()) {
            continue;
        }
        anyRunning = true;
        stepDrop(*drop, step);
    }
    return anyRunning;
}

void Map::replayDrop(float x, float y, std::int64_t steps, float step)
{
    startDrop(x, y);
    WaterDrop& drop = *drops_.back();
    for (std::int64_t i = 0; i < steps && !drop.isStopped(); ++i) {
        stepDrop(drop, step);
    }
}

void Map::stepDrop(WaterDrop& drop, float step)
{
    if (!hasSurface(*this)) {
        drop.stop();
        return;
    }
    MapPoint& current = *drop.currentPoint();
    const SurfaceTriangle triangle(*this, current.x(), current.y());
    // The point gets the terrain height in place of the height its own step
    // reached before the drop moves on, so the next point rises from the
    // terrain and the newest point stays within one step of it.
    current.setZ(triangle.heightAt(current.x(), current.y()));
    drop.advance(triangle.downhillDirection(), step, width_, length_);
}
