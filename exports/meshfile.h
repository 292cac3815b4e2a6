#pragma once

class Map;
class QIODevice;

// A Wavefront OBJ of what the view draws: one vertex per map point in the
// view's scene coordinates (x across, height up, y deep; one map unit is 0.2),
// two triangles per grid cell in the view's order, facing up, and each drop's
// path as a polyline of its own vertices.
bool writeObj(const Map& map, QIODevice& device);
