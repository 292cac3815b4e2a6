#include "view/camerafit.h"

#include "terrain/map.h"
#include "view/terrainmesh.h"

#include <algorithm>
#include <cmath>

SceneBounds SceneBounds::of(const Map& map)
{
    SceneBounds bounds;
    float lowest = 0.0f;
    float highest = 0.0f;
    for (const MapPoint& point : map.points()) {
        const float z = point.z();
        if (!std::isfinite(z)) {
            continue;
        }
        lowest = bounds.empty ? z : std::min(lowest, z);
        highest = bounds.empty ? z : std::max(highest, z);
        bounds.empty = false;
    }
    if (bounds.empty) {
        return bounds;
    }
    const int width = int(map.width());
    const int length = int(map.length());
    bounds.lowest = TerrainMesh::scenePoint(0.0f, 0.0f, lowest, width, length);
    bounds.highest =
        TerrainMesh::scenePoint(float(width - 1), float(length - 1), highest, width, length);
    return bounds;
}

std::array<QVector3D, 8> SceneBounds::corners() const
{
    std::array<QVector3D, 8> result;
    for (int i = 0; i < 8; ++i) {
        result[std::size_t(i)] = QVector3D((i & 1) != 0 ? highest.x() : lowest.x(),
                                           (i & 2) != 0 ? highest.y() : lowest.y(),
                                           (i & 4) != 0 ? highest.z() : lowest.z());
    }
    return result;
}

namespace CameraView {

namespace {

constexpr float ViewShare = 0.9f;

QMatrix4x4 turns(const CameraRecord& camera)
{
    QMatrix4x4 matrix;
    matrix.rotate(float(camera.xRotation * 0.0625), 1.0f, 0.0f, 0.0f);
    matrix.rotate(float(camera.yRotation * 0.0625), 0.0f, 1.0f, 0.0f);
    matrix.rotate(float(camera.zRotation * 0.0625), 0.0f, 0.0f, 1.0f);
    return matrix;
}

bool showsAll(const CameraRecord& camera, const SceneBounds& bounds, double aspect)
{
    const QMatrix4x4 eye = modelView(camera);
    const QMatrix4x4 toClip = projection(aspect, farPlane(camera, bounds)) * eye;
    for (const QVector3D& corner : bounds.corners()) {
        const QVector4D clip = toClip * QVector4D(corner, 1.0f);
        // In front of the near plane, and well inside the picture's edges.
        if ((eye * QVector4D(corner, 1.0f)).z() > -NearPlane || clip.w() <= 0.0f ||
            std::fabs(clip.x()) > ViewShare * clip.w() ||
            std::fabs(clip.y()) > ViewShare * clip.w()) {
            return false;
        }
    }
    return true;
}

} // namespace

QMatrix4x4 modelView(const CameraRecord& camera)
{
    QMatrix4x4 matrix;
    const auto distance = camera.distance;
    matrix.lookAt(QVector3D(0.0f, -distance, -distance),
                  QVector3D(float(camera.centerX), float(camera.centerY), 0.0f),
                  QVector3D(0.0f, 1.0f, 0.0f));
    return matrix * turns(camera);
}

double farPlane(const CameraRecord& camera, const SceneBounds& bounds)
{
    if (bounds.empty) {
        return FarPlane;
    }
    const QMatrix4x4 eye = modelView(camera);
    double farthest = 0.0;
    for (const QVector3D& corner : bounds.corners()) {
        farthest = std::max(farthest, double(-(eye * QVector4D(corner, 1.0f)).z()));
    }
    return std::max(FarPlane, farthest * 1.05);
}

QMatrix4x4 projection(double aspect, double farPlane)
{
    QMatrix4x4 matrix;
    matrix.perspective(float(FieldOfView), float(aspect), NearPlane, float(farPlane));
    return matrix;
}

CameraRecord fitted(const CameraRecord& camera, const SceneBounds& bounds, double aspect)
{
    if (bounds.empty || !(aspect > 0.0)) {
        return camera;
    }
    CameraRecord fit = camera;
    // Look at the box's middle as the turned scene has it.
    const QVector3D middle = turns(camera).map((bounds.lowest + bounds.highest) * 0.5f);
    fit.centerX = double(middle.x());
    fit.centerY = double(middle.y());
    const float sign = camera.distance > 0.0f ? 1.0f : -1.0f;
    const auto showsAt = [&](float reach) {
        fit.distance = sign * reach;
        return showsAll(fit, bounds, aspect);
    };
    // Grow until everything shows, then close in on the nearest such distance.
    float near = 0.0f;
    float far = 1.0f;
    while (!showsAt(far)) {
        near = far;
        far *= 2.0f;
        if (!std::isfinite(far) || far > 1e7f) {
            return camera;
        }
    }
    for (int i = 0; i < 40; ++i) {
        const float middleReach = 0.5f * (near + far);
        (showsAt(middleReach) ? far : near) = middleReach;
    }
    fit.distance = sign * far;
    return fit;
}

} // namespace CameraView
