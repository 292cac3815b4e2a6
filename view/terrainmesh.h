#pragma once

#include <QVector3D>
#include <QVector>

class Map;

// Conversion of a map and its drops into the view's vertex arrays. A map
// position (x, y) of height z becomes the scene point
// (x/5 - (width/5)*0.5, z/5, y/5 - (length/5)*0.5): one map unit is 0.2 scene
// units, the height is the scene's up axis and the map's centre is the origin.
namespace TerrainMesh {

QVector3D scenePoint(float x, float y, float z, int meshWidth, int meshLength);

// One vertex per map point, row by row: (j, i) at index i * width + j.
// Large maps are spread over the thread pool, by bands of rows.
void buildGrid(const Map& map, QVector<QVector3D>& gridVertices);

// Two triangles per grid cell, six vertices, from the grid of buildGrid.
// Large meshes are spread over the thread pool, by rows of cells.
void buildTriangles(const QVector<QVector3D>& gridVertices, int meshWidth, int meshLength,
                    QVector<QVector3D>& triangleVertices);

// The same arrays from the plain serial loops.
void buildGridReference(const Map& map, QVector<QVector3D>& gridVertices);
void buildTrianglesReference(const QVector<QVector3D>& gridVertices, int meshWidth, int meshLength,
                             QVector<QVector3D>& triangleVertices);

// One line list per drop of the map (pairs of consecutive path points);
// pathVertices ends up holding the last drop's path in scene coordinates.
// Returns the total number of path points over all drops.
int buildDropLines(const Map& map, int meshWidth, int meshLength,
                   QVector<QVector<QVector3D>>& dropLines, QVector<QVector3D>& pathVertices);

} // namespace TerrainMesh
