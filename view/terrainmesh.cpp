#include "view/terrainmesh.h"

#include "drop/waterdrop.h"
#include "terrain/map.h"
#include "terrain/parallelranges.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace TerrainMesh {

namespace {

constexpr float kSceneScale = 5.0f;

// Map to scene coordinates for one mesh size; the centring offsets are worked
// out once, with the same float operations as scenePoint.
class SceneTransform
{
public:
    SceneTransform(int meshWidth, int meshLength)
        : xOffset_((static_cast<float>(meshWidth) / kSceneScale) * 0.5f),
          zOffset_((static_cast<float>(meshLength) / kSceneScale) * 0.5f)
    {}

    QVector3D operator()(float x, float y, float z) const
    {
        return QVector3D(x / kSceneScale - xOffset_, z / kSceneScale, y / kSceneScale - zOffset_);
    }

private:
    float xOffset_;
    float zOffset_;
};

} // namespace

QVector3D scenePoint(float x, float y, float z, int meshWidth, int meshLength)
{
    return SceneTransform(meshWidth, meshLength)(x, y, z);
}

namespace {

// The grid runs row by row along y while the points are stored column by
// column along x ((j, i) is point j * length + i): a transpose, done in bands
// of rows so that large maps stay in the cache. The loop counters, not the
// points' stored x and y, give the position.
constexpr int kBand = 16;
// Below this many vertices per range a range is not worth a thread.
constexpr std::size_t kVerticesPerRange = 65536;

void fillGridBands(const Map& map, QVector3D* grid, int firstBand, int endBand)
{
    const int width = static_cast<int>(map.width());
    const int length = static_cast<int>(map.length());
    const SceneTransform toScene(width, length);
    const MapPoint* points = map.points().data();
    for (int band = firstBand; band < endBand; ++band) {
        const int firstRow = band * kBand;
        const int endRow = std::min(firstRow + kBand, length);
        for (int j = 0; j < width; ++j) {
            const MapPoint* column = points + std::size_t(j) * std::size_t(length);
            for (int i = firstRow; i < endRow; ++i) {
                grid[std::size_t(i) * std::size_t(width) + std::size_t(j)] =
                    toScene(static_cast<float>(j), static_cast<float>(i), column[i].z());
            }
        }
    }
}

void fillTriangleRows(const QVector3D* grid, int meshWidth, QVector3D* triangles, int firstRow,
                      int endRow)
{
    const int cellColumns = meshWidth - 1;
    QVector3D* vertex = triangles + std::size_t(firstRow) * std::size_t(6 * cellColumns);
    for (int i = firstRow; i < endRow; ++i) {
        for (int j = 0; j < cellColumns; ++j) {
            const int m = i * meshWidth + j;
            *vertex++ = grid[m];
            *vertex++ = grid[m + meshWidth];
            *vertex++ = grid[m + 1];
            *vertex++ = grid[m + 1];
            *vertex++ = grid[m + meshWidth];
            *vertex++ = grid[m + meshWidth + 1];
        }
    }
}

// A single row or column, or a grid that does not match the size, has no
// cells to draw.
bool hasCells(const QVector<QVector3D>& gridVertices, int meshWidth, int meshLength)
{
    return meshWidth >= 2 && meshLength >= 2 && gridVertices.size() == meshWidth * meshLength;
}

} // namespace

void buildGrid(const Map& map, QVector<QVector3D>& gridVertices)
{
    const int width = static_cast<int>(map.width());
    const int length = static_cast<int>(map.length());
    // Sized once and written in place: appending vertex by vertex costs more
    // than the arithmetic.
    gridVertices.resize(width * length);
    QVector3D* grid = gridVertices.data();
    const int bands = (length + kBand - 1) / kBand;
    const std::size_t grain =
        std::max<std::size_t>(1, kVerticesPerRange / std::size_t(std::max(1, width * kBand)));
    ParallelRanges::run(std::size_t(bands), grain, [&](std::size_t begin, std::size_t end) {
        fillGridBands(map, grid, int(begin), int(end));
    });
}

void buildGridReference(const Map& map, QVector<QVector3D>& gridVertices)
{
    const int width = static_cast<int>(map.width());
    const int length = static_cast<int>(map.length());
    gridVertices.resize(width * length);
    fillGridBands(map, gridVertices.data(), 0, (length + kBand - 1) / kBand);
}

void buildTriangles(const QVector<QVector3D>& gridVertices, int meshWidth, int meshLength,
                    QVector<QVector3D>& triangleVertices)
{
    if (!hasCells(gridVertices, meshWidth, meshLength)) {
        triangleVertices.clear();
        return;
    }
    const int cellRows = meshLength - 1;
    triangleVertices.resize(6 * (meshWidth - 1) * cellRows);
    QVector3D* triangles = triangleVertices.data();
    const QVector3D* grid = gridVertices.constData();
    const std::size_t grain =
        std::max<std::size_t>(1, kVerticesPerRange / std::size_t(6 * (meshWidth - 1)));
    ParallelRanges::run(std::size_t(cellRows), grain, [&](std::size_t begin, std::size_t end) {
        fillTriangleRows(grid, meshWidth, triangles, int(begin), int(end));
    });
}

void buildTrianglesReference(const QVector<QVector3D>& gridVertices, int meshWidth, int meshLength,
                             QVector<QVector3D>& triangleVertices)
{
    if (!hasCells(gridVertices, meshWidth, meshLength)) {
        triangleVertices.clear();
        return;
    }
    triangleVertices.resize(6 * (meshWidth - 1) * (meshLength - 1));
    fillTriangleRows(gridVertices.constData(), meshWidth, triangleVertices.data(), 0,
                     meshLength - 1);
}

int buildDropLines(const Map& map, int meshWidth, int meshLength,
                   QVector<QVector<QVector3D>>& dropLines, QVector<QVector3D>& pathVertices)
{
    const SceneTransform toScene(meshWidth, meshLength);
    dropLines.clear();
    pathVertices.clear();
    int totalPoints = 0;
    for (const WaterDrop* drop : map.drops()) {
        const std::vector<MapPoint>& path = drop->path();
        const int count = static_cast<int>(path.size());
        pathVertices.clear();
        pathVertices.reserve(count);
        for (const MapPoint& point : path) {
            pathVertices.append(toScene(point.x(), point.y(), point.z()));
        }
        QVector<QVector3D> lines;
        if (count > 1) {
            lines.reserve(2 * count - 2);
            for (int k = 0; k + 1 < count; ++k) {
                lines.append(pathVertices[k]);
                lines.append(pathVertices[k + 1]);
            }
        }
        // One entry per drop, even for a drop that has not moved yet.
        dropLines.append(std::move(lines));
        totalPoints += count;
    }
    return totalPoints;
}

} // namespace TerrainMesh
