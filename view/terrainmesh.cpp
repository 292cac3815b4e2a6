#include "view/terrainmesh.h"

#include "drop/waterdrop.h"
#include "terrain/map.h"

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

void buildGrid(const Map& map, QVector<QVector3D>& gridVertices)
{
    const int width = static_cast<int>(map.width());
    const int length = static_cast<int>(map.length());
    const SceneTransform toScene(width, length);
    const std::vector<MapPoint>& points = map.points();
    // Sized once and written in place: appending vertex by vertex costs more
    // than the arithmetic.
    gridVertices.resize(width * length);
    QVector3D* grid = gridVertices.data();
    // The grid runs row by row along y while the points are stored column by
    // column along x ((j, i) is point j * length + i): a transpose, done in
    // bands of rows so that large maps stay in the cache. The loop counters,
    // not the points' stored x and y, give the position.
    constexpr int kBand = 16;
    for (int firstRow = 0; firstRow < length; firstRow += kBand) {
        const int endRow = std::min(firstRow + kBand, length);
        for (int j = 0; j < width; ++j) {
            const MapPoint* column = points.data() + std::size_t(j) * std::size_t(length);
            for (int i = firstRow; i < endRow; ++i) {
                grid[std::size_t(i) * std::size_t(width) + std::size_t(j)] =
                    toScene(static_cast<float>(j), static_cast<float>(i), column[i].z());
            }
        }
    }
}

void buildTriangles(const QVector<QVector3D>& gridVertices, int meshWidth, int meshLength,
                    QVector<QVector3D>& triangleVertices)
{
    // A single row or column, or a grid that does not match the size, has no
    // cells to draw.
    if (meshWidth < 2 || meshLength < 2 || gridVertices.size() != meshWidth * meshLength) {
        triangleVertices.clear();
        return;
    }
    const int cellColumns = meshWidth - 1;
    const int cellRows = meshLength - 1;
    triangleVertices.resize(6 * cellColumns * cellRows);
    QVector3D* vertex = triangleVertices.data();
    const QVector3D* grid = gridVertices.constData();
    for (int i = 0; i < cellRows; ++i) {
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
