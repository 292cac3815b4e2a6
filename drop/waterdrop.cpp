#include "drop/waterdrop.h"

#include <cmath>

namespace {

// A drop that comes back within this distance, in x and in y, of where it was
// kRestLookBack points earlier is going round in place: it has come to rest.
constexpr float kRestTolerance = 0.01f;
constexpr std::size_t kRestLookBack = 50;

bool isFinite(const MapPoint& point)
{
    return std::isfinite(point.x()) && std::isfinite(point.y()) && std::isfinite(point.z());
}

// The last column and row are computed in unsigned arithmetic, as the map's
// sizes are.
bool isOffMap(const MapPoint& point, std::uint32_t width, std::uint32_t length)
{
    const float lastX = static_cast<float>(width - 1u);
    const float lastY = static_cast<float>(length - 1u);
    return point.x() > lastX || point.y() > lastY || point.x() < 0.0f || point.y() < 0.0f;
}

} // namespace

WaterDrop::WaterDrop(float x, float y, float z)
{
    path_.emplace_back(x, y, z);
}

void WaterDrop::advance(const QVector3D& direction, float step, std::uint32_t width,
                        std::uint32_t length)
{
    if (stopped_) {
        return;
    }
    ++stepCount_;
    const MapPoint& last = path_.back();
    const MapPoint candidate(last.x() + direction.x() * step, last.y() + direction.y() * step,
                             last.z() + direction.z() * step);
    if (returnsToRest(candidate)) {
        stopped_ = true;
        return;
    }
    // A non-finite candidate (a map with inf or NaN heights) ends the drop like
    // leaving the map does, so that every drop comes to an end.
    if (isOffMap(candidate, width, length) || !isFinite(candidate)) {
        stopped_ = true;
        leftMap_ = true;
        return;
    }
    path_.push_back(candidate);
}

bool WaterDrop::returnsToRest(const MapPoint& candidate) const
{
    const std::size_t count = path_.size();
    if (count <= kRestLookBack) {
        return false;
    }
    const MapPoint& earlier = path_[count - kRestLookBack];
    return std::fabs(earlier.x() - candidate.x()) <= kRestTolerance &&
           std::fabs(earlier.y() - candidate.y()) <= kRestTolerance;
}
