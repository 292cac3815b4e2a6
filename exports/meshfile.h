#pragma once

class HeightGrid;
class QIODevice;

// A Wavefront OBJ of what the view draws: one vertex per grid point in the
// view's scene coordinates of its world (x across, height up, y deep; one map
// unit is 0.2; the world's centre at the origin, so that the meshes of a
// world's regions fit together), two triangles per grid cell in the view's
// order, facing up, and each drop's path as a polyline of its own vertices.
bool writeObj(const HeightGrid& grid, QIODevice& device);
