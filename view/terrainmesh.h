#pragma once

#include <QVector3D>
#include <QVector>
#include <cstdint>

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
// The same vertices written from `grid` on, which has room for width * length
// of them: a GL buffer mapped into memory, say.
void fillGrid(const Map& map, QVector3D* grid);

// Two triangles per grid cell, six vertices, from the grid of buildGrid.
// Large meshes are spread over the thread pool, by rows of cells.
void buildTriangles(const QVector<QVector3D>& gridVertices, int meshWidth, int meshLength,
                    QVector<QVector3D>& triangleVertices);

// The same arrays from the plain serial loops.
void buildGridReference(const Map& map, QVector<QVector3D>& gridVertices);
void buildTrianglesReference(const QVector<QVector3D>& gridVertices, int meshWidth, int meshLength,
                             QVector<QVector3D>& triangleVertices);

// Levels of detail of the grid: the rows and columns 0, stride, 2 * stride and
// so on, and always the last row and the last column, so that the world keeps
// its outline. They index the grid's own vertices.
namespace Detail {

// The number of cells of the level of a stride.
std::int64_t cells(int meshWidth, int meshLength, int stride);
// The finest stride whose level has at most maxCells cells (1 for the whole
// grid); a grid without cells has stride 1.
int strideFor(int meshWidth, int meshLength, std::int64_t maxCells);

// The level's two triangles a cell, three indices each, in the order of
// buildTriangles: stride 1 indexes exactly the vertices buildTriangles copies.
std::int64_t triangleIndexCount(int meshWidth, int meshLength, int stride);
void fillTriangles(int meshWidth, int meshLength, int stride, std::uint32_t* indices);

// The same level's edges, each once, two indices each: a cell's top, left and
// diagonal edges, the right edge of each row's last cell, then the edges along
// the last row. Outlined, the triangles draw them all, most twice.
std::int64_t edgeIndexCount(int meshWidth, int meshLength, int stride);
void fillEdges(int meshWidth, int meshLength, int stride, std::uint32_t* indices);

} // namespace Detail

// One line list per drop of the map (pairs of consecutive path points);
// pathVertices ends up holding the last drop's path in scene coordinates.
// Returns the total number of path points over all drops.
int buildDropLines(const Map& map, int meshWidth, int meshLength,
                   QVector<QVector<QVector3D>>& dropLines, QVector<QVector3D>& pathVertices);

} // namespace TerrainMesh
