#pragma once

#include "world/worldrecipe.h"

#include <QPointF>
#include <QSize>
#include <QVector3D>
#include <optional>

class Map;

// Which point of the terrain a pixel of the view shows: the ray from the eye
// through the pixel, with the view's own camera and projection, met with the
// mesh's triangles (two to a cell, split along the same diagonal as the
// drops' surface). The answer is in map coordinates: x along the width, y
// along the length, z the height; nothing where the ray misses the terrain.
namespace TerrainPick {

std::optional<QVector3D> surfaceAt(const Map& map, const CameraRecord& camera, QSize view,
                                   QPointF pixel);

} // namespace TerrainPick
