#pragma once

#include "world/worldrecipe.h"

#include <QMatrix4x4>
#include <QVector3D>
#include <array>

class Map;

// The box a world fills in scene coordinates (see TerrainMesh), from its
// lowest to its highest finite point.
struct SceneBounds
{
    QVector3D lowest;
    QVector3D highest;
    bool empty = true;

    static SceneBounds of(const Map& map);
    std::array<QVector3D, 8> corners() const;
};

// The view's camera as matrices: the eye at (0, -distance, -distance) looks
// at (centerX, centerY, 0) with y up, after the scene has been turned about x,
// then y, then z by the angles (sixteenths of a degree); a 30 degree vertical
// field of view. The far plane is 100 scene units, or just beyond the world
// when a large or distant world would reach past it.
namespace CameraView {

constexpr float NearPlane = 0.1f;
constexpr double FarPlane = 100.0;
constexpr double FieldOfView = 30.0;

// The matrices the view draws with; their floats are those that gluLookAt,
// glRotatef and gluPerspective leave on the GL matrix stack, so loading them
// draws the very pixels that those calls drew.
QMatrix4x4 modelView(const CameraRecord& camera);
double farPlane(const CameraRecord& camera, const SceneBounds& bounds);
QMatrix4x4 projection(double aspect, double farPlane);

// The camera with the same angles whose centre and distance show the whole
// box, highest point included, filling about nine tenths of the view. The
// distance keeps its sign (a zero distance becomes negative, as at start).
CameraRecord fitted(const CameraRecord& camera, const SceneBounds& bounds, double aspect);

} // namespace CameraView
