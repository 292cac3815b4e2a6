#include "view/terrainpick.h"

#include "terrain/map.h"
#include "view/camerafit.h"

#include <QMatrix4x4>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace TerrainPick {

namespace {

constexpr double SceneScale = 5.0;

struct Vector
{
    double x;
    double y;
    double z;

    Vector operator-(const Vector& other) const { return {x - other.x, y - other.y, z - other.z}; }
    Vector operator+(const Vector& other) const { return {x + other.x, y + other.y, z + other.z}; }
    Vector operator*(double factor) const { return {x * factor, y * factor, z * factor}; }
    double dot(const Vector& other) const { return x * other.x + y * other.y + z * other.z; }
    Vector cross(const Vector& other) const
    {
        return {y * other.z - z * other.y, z * other.x - x * other.z, x * other.y - y * other.x};
    }
};

// The ray's parameter where it meets the triangle, if it does (Möller and
// Trumbore's test, in double).
std::optional<double> meets(const Vector& from, const Vector& along,
                            const std::array<Vector, 3>& corner)
{
    const Vector edge1 = corner[1] - corner[0];
    const Vector edge2 = corner[2] - corner[0];
    const Vector p = along.cross(edge2);
    const double determinant = edge1.dot(p);
    if (!std::isfinite(determinant) || std::fabs(determinant) < 1e-12) {
        return std::nullopt;
    }
    const Vector toFrom = from - corner[0];
    const double u = toFrom.dot(p) / determinant;
    const Vector q = toFrom.cross(edge1);
    const double v = along.dot(q) / determinant;
    const double t = edge2.dot(q) / determinant;
    const double slack = 1e-9;
    if (u < -slack || v < -slack || u + v > 1.0 + slack || !(t >= 0.0)) {
        return std::nullopt;
    }
    return t;
}

Vector gridPoint(const Map& map, std::uint32_t x, std::uint32_t y)
{
    return {double(x), double(y), double(map.pointAt(x, y)->z())};
}

// The nearest meeting of the ray with the two triangles of cell (cx, cy).
std::optional<double> meetsCell(const Map& map, const Vector& from, const Vector& along,
                                std::uint32_t cx, std::uint32_t cy)
{
    const Vector origin = gridPoint(map, cx, cy);
    const Vector alongX = gridPoint(map, cx + 1, cy);
    const Vector alongY = gridPoint(map, cx, cy + 1);
    const Vector opposite = gridPoint(map, cx + 1, cy + 1);
    std::optional<double> nearest;
    for (const std::array<Vector, 3>& triangle :
         {std::array<Vector, 3>{origin, alongX, alongY},
          std::array<Vector, 3>{alongX, opposite, alongY}}) {
        const std::optional<double> t = meets(from, along, triangle);
        if (t && (!nearest || *t < *nearest)) {
            nearest = t;
        }
    }
    return nearest;
}

// The ray in map coordinates from the view's inverse transform: scene x is
// x / 5 - width / 10, scene y the height / 5, scene z y / 5 - length / 10.
bool rayThrough(const Map& map, const CameraRecord& camera, QSize view, QPointF pixel, Vector& from,
                Vector& along)
{
    const double aspect = double(view.width()) / double(std::max(view.height(), 1));
    const QMatrix4x4 toClip =
        CameraView::projection(aspect, CameraView::farPlane(camera, SceneBounds::of(map))) *
        CameraView::modelView(camera);
    bool invertible = false;
    const QMatrix4x4 toScene = toClip.inverted(&invertible);
    if (!invertible) {
        return false;
    }
    const float ndcX = float(2.0 * (pixel.x() + 0.5) / view.width() - 1.0);
    const float ndcY = float(1.0 - 2.0 * (pixel.y() + 0.5) / view.height());
    const QVector3D nearPoint = toScene.map(QVector3D(ndcX, ndcY, -1.0f));
    const QVector3D farPoint = toScene.map(QVector3D(ndcX, ndcY, 1.0f));
    const double halfWidth = double(map.width()) / SceneScale * 0.5;
    const double halfLength = double(map.length()) / SceneScale * 0.5;
    const auto toMap = [&](const QVector3D& scene) {
        return Vector{(double(scene.x()) + halfWidth) * SceneScale,
                      (double(scene.z()) + halfLength) * SceneScale,
                      double(scene.y()) * SceneScale};
    };
    from = toMap(nearPoint);
    along = toMap(farPoint) - from;
    return std::isfinite(from.dot(from)) && std::isfinite(along.dot(along));
}

} // namespace

std::optional<QVector3D> surfaceAt(const Map& map, const CameraRecord& camera, QSize view,
                                   QPointF pixel)
{
    if (map.width() < 2 || map.length() < 2 || view.isEmpty()) {
        return std::nullopt;
    }
    Vector from{};
    Vector along{};
    if (!rayThrough(map, camera, view, pixel, from, along)) {
        return std::nullopt;
    }
    // The ray's stretch over the grid, then the cells under it in order, a
    // step of at most half a cell at a time along its longer horizontal side.
    const double lastX = double(map.width() - 1);
    const double lastY = double(map.length() - 1);
    double enter = 0.0;
    double leave = 1.0;
    for (const auto& [start, step, last] :
         {std::array<double, 3>{from.x, along.x, lastX}, {from.y, along.y, lastY}}) {
        if (std::fabs(step) < 1e-15) {
            if (start < 0.0 || start > last) {
                return std::nullopt;
            }
            continue;
        }
        const double a = (0.0 - start) / step;
        const double b = (last - start) / step;
        enter = std::max(enter, std::min(a, b));
        leave = std::min(leave, std::max(a, b));
    }
    if (enter > leave) {
        return std::nullopt;
    }
    const double span = std::max(std::fabs(along.x), std::fabs(along.y)) * (leave - enter);
    const auto steps = std::int64_t(std::ceil(span * 2.0)) + 1;
    std::optional<double> hit;
    std::int64_t lastCell = -1;
    for (std::int64_t k = 0; k <= steps && !hit; ++k) {
        const double t = enter + (leave - enter) * double(k) / double(steps);
        const Vector at = from + along * t;
        // Each cell the ray passes, and its neighbours, since the steps may cut
        // a corner.
        const auto cx = std::int64_t(std::clamp(std::floor(at.x), 0.0, lastX - 1.0));
        const auto cy = std::int64_t(std::clamp(std::floor(at.y), 0.0, lastY - 1.0));
        const std::int64_t cell = cy * std::int64_t(map.width()) + cx;
        if (cell == lastCell) {
            continue;
        }
        lastCell = cell;
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            for (std::int64_t dx = -1; dx <= 1; ++dx) {
                const std::int64_t x = cx + dx;
                const std::int64_t y = cy + dy;
                if (x < 0 || y < 0 || x + 1 > std::int64_t(lastX) || y + 1 > std::int64_t(lastY)) {
                    continue;
                }
                const std::optional<double> t =
                    meetsCell(map, from, along, std::uint32_t(x), std::uint32_t(y));
                if (t && (!hit || *t < *hit)) {
                    hit = t;
                }
            }
        }
    }
    if (!hit) {
        return std::nullopt;
    }
    const Vector point = from + along * *hit;
    return QVector3D(float(std::clamp(point.x, 0.0, lastX)), float(std::clamp(point.y, 0.0, lastY)),
                     float(point.z));
}

} // namespace TerrainPick
