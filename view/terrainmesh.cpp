#include "view/terrainmesh.h"

#include "drop/waterdrop.h"
#include "terrain/map.h"
#include "terrain/parallelranges.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// From this many vertices (48 MiB) an array is written past the caches.
constexpr int kStreamedVertices = 1 << 22;

// Rows firstRow ... firstRow + kBand - 1 (or to the last row) of the grid,
// written row by row from `out`.
void fillGridBand(const Map& map, int firstRow, QVector3D* out)
{
    const int width = static_cast<int>(map.width());
    const int length = static_cast<int>(map.length());
    const SceneTransform toScene(width, length);
    const MapPoint* points = map.points().data();
    const int endRow = std::min(firstRow + kBand, length);
    for (int j = 0; j < width; ++j) {
        const MapPoint* column = points + std::size_t(j) * std::size_t(length);
        for (int i = firstRow; i < endRow; ++i) {
            out[std::size_t(i - firstRow) * std::size_t(width) + std::size_t(j)] =
                toScene(static_cast<float>(j), static_cast<float>(i), column[i].z());
        }
    }
}

// The six vertices of cells firstCell ... endCell - 1 of cell row i, written
// from `out`.
void fillTriangleCells(const QVector3D* grid, int meshWidth, int i, int firstCell, int endCell,
                       QVector3D* out)
{
    for (int j = firstCell; j < endCell; ++j) {
        const int m = i * meshWidth + j;
        *out++ = grid[m];
        *out++ = grid[m + meshWidth];
        *out++ = grid[m + 1];
        *out++ = grid[m + 1];
        *out++ = grid[m + meshWidth];
        *out++ = grid[m + meshWidth + 1];
    }
}

// One cell row of an array past the caches: four cells fill 288 bytes, 18
// whole 16-byte units, which are made on the stack and stored non-temporally.
// A row that starts 8 bytes into a unit first gets one cell the usual way.
void streamTriangleRow(const QVector3D* grid, int meshWidth, int i, QVector3D* out)
{
    const int cells = meshWidth - 1;
    int j = 0;
#if defined(__SSE2__)
    constexpr int kCellsPerChunk = 4;
    constexpr int kUnitsPerChunk = kCellsPerChunk * 6 * int(sizeof(QVector3D)) / 16;
    if (reinterpret_cast<std::uintptr_t>(out) % 16 == 8 && cells > 0) {
        fillTriangleCells(grid, meshWidth, i, 0, 1, out);
        out += 6;
        j = 1;
    }
    if (reinterpret_cast<std::uintptr_t>(out) % 16 == 0) {
        alignas(16) std::array<QVector3D, std::size_t(6) * kCellsPerChunk> chunk;
        for (; j + kCellsPerChunk <= cells; j += kCellsPerChunk) {
            fillTriangleCells(grid, meshWidth, i, j, j + kCellsPerChunk, chunk.data());
            const auto* from = reinterpret_cast<const __m128i*>(chunk.data());
            auto* to = reinterpret_cast<__m128i*>(out);
            for (int unit = 0; unit < kUnitsPerChunk; ++unit) {
                _mm_stream_si128(to + unit, _mm_load_si128(from + unit));
            }
            out += chunk.size();
        }
    }
#endif
    fillTriangleCells(grid, meshWidth, i, j, cells, out);
}

// Writes vertices made in a small buffer to their place in a large array.
// Where the processor has them, non-temporal stores skip reading each cache
// line before overwriting it, which cuts the memory traffic of filling a large
// array by half; the array is read again only when it goes to the GL buffers.
class StreamedWriter
{
public:
    StreamedWriter() = default;
    StreamedWriter(const StreamedWriter&) = delete;
    StreamedWriter& operator=(const StreamedWriter&) = delete;
    // The stores reach memory before another thread looks at the array.
    ~StreamedWriter()
    {
#if defined(__SSE2__)
        _mm_sfence();
#endif
    }

    void write(QVector3D* destination, const QVector3D* source, std::size_t count)
    {
        auto* to = reinterpret_cast<unsigned char*>(destination);
        const auto* from = reinterpret_cast<const unsigned char*>(source);
        std::size_t bytes = count * sizeof(QVector3D);
#if defined(__SSE2__)
        const std::size_t head =
            std::min(bytes, (16 - reinterpret_cast<std::uintptr_t>(to) % 16) % 16);
        std::memcpy(to, from, head);
        to += head;
        from += head;
        bytes -= head;
        for (; bytes >= 16; bytes -= 16, to += 16, from += 16) {
            _mm_stream_si128(reinterpret_cast<__m128i*>(to),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
        }
#endif
        std::memcpy(to, from, bytes);
    }
};

// A single row or column, or a grid that does not match the size, has no
// cells to draw.
bool hasCells(const QVector<QVector3D>& gridVertices, int meshWidth, int meshLength)
{
    return meshWidth >= 2 && meshLength >= 2 && gridVertices.size() == meshWidth * meshLength;
}

} // namespace

void buildGrid(const Map& map, QVector<QVector3D>& gridVertices)
{
    // Sized once and written in place: appending vertex by vertex costs more
    // than the arithmetic.
    gridVertices.resize(static_cast<int>(map.width()) * static_cast<int>(map.length()));
    fillGrid(map, gridVertices.data());
}

void fillGrid(const Map& map, QVector3D* grid)
{
    const int width = static_cast<int>(map.width());
    const int length = static_cast<int>(map.length());
    const int bands = (length + kBand - 1) / kBand;
    const std::size_t grain =
        std::max<std::size_t>(1, kVerticesPerRange / std::size_t(std::max(1, width * kBand)));
    const bool streamed = width * length >= kStreamedVertices;
    ParallelRanges::run(std::size_t(bands), grain, [&](std::size_t begin, std::size_t end) {
        std::vector<QVector3D> band(streamed ? std::size_t(width) * kBand : 0);
        StreamedWriter writer;
        for (auto b = int(begin); b < int(end); ++b) {
            const int firstRow = b * kBand;
            QVector3D* out = grid + std::size_t(firstRow) * std::size_t(width);
            if (!streamed) {
                fillGridBand(map, firstRow, out);
                continue;
            }
            fillGridBand(map, firstRow, band.data());
            writer.write(out, band.data(),
                         std::size_t(std::min(kBand, length - firstRow)) * std::size_t(width));
        }
    });
}

void buildGridReference(const Map& map, QVector<QVector3D>& gridVertices)
{
    const int width = static_cast<int>(map.width());
    const int length = static_cast<int>(map.length());
    gridVertices.resize(width * length);
    QVector3D* grid = gridVertices.data();
    for (int firstRow = 0; firstRow < length; firstRow += kBand) {
        fillGridBand(map, firstRow, grid + std::size_t(firstRow) * std::size_t(width));
    }
}

void buildTriangles(const QVector<QVector3D>& gridVertices, int meshWidth, int meshLength,
                    QVector<QVector3D>& triangleVertices)
{
    if (!hasCells(gridVertices, meshWidth, meshLength)) {
        triangleVertices.clear();
        return;
    }
    const int cellRows = meshLength - 1;
    const std::size_t rowVertices = std::size_t(6) * std::size_t(meshWidth - 1);
    triangleVertices.resize(int(rowVertices) * cellRows);
    QVector3D* triangles = triangleVertices.data();
    const QVector3D* grid = gridVertices.constData();
    const std::size_t grain = std::max<std::size_t>(1, kVerticesPerRange / rowVertices);
    const bool streamed = triangleVertices.size() >= kStreamedVertices;
    ParallelRanges::run(std::size_t(cellRows), grain, [&](std::size_t begin, std::size_t end) {
        const StreamedWriter fence;
        for (std::size_t i = begin; i < end; ++i) {
            if (streamed) {
                streamTriangleRow(grid, meshWidth, int(i), triangles + i * rowVertices);
            } else {
                fillTriangleCells(grid, meshWidth, int(i), 0, meshWidth - 1,
                                  triangles + i * rowVertices);
            }
        }
    });
}

void buildTrianglesReference(const QVector<QVector3D>& gridVertices, int meshWidth, int meshLength,
                             QVector<QVector3D>& triangleVertices)
{
    if (!hasCells(gridVertices, meshWidth, meshLength)) {
        triangleVertices.clear();
        return;
    }
    const std::size_t rowVertices = std::size_t(6) * std::size_t(meshWidth - 1);
    triangleVertices.resize(int(rowVertices) * (meshLength - 1));
    QVector3D* triangles = triangleVertices.data();
    for (int i = 0; i < meshLength - 1; ++i) {
        fillTriangleCells(gridVertices.constData(), meshWidth, i, 0, meshWidth - 1,
                          triangles + std::size_t(i) * rowVertices);
    }
}

namespace Detail {

namespace {

// Level cells along a side of `points` grid points.
int cellsAlong(int points, int stride)
{
    return points < 2 ? 0 : (points - 2) / stride + 1;
}

// The grid line that ends level cell k along a side: the last line for the
// last cell, however near it is.
int lineAfter(int k, int points, int stride)
{
    return std::min((k + 1) * stride, points - 1);
}

// The cells of one level, by rows of cells.
class Level
{
public:
    struct Cell
    {
        std::uint32_t topLeft, topRight, bottomLeft, bottomRight;
    };

    Level(int meshWidth, int meshLength, int stride)
        : columns(cellsAlong(meshWidth, stride)), rows(cellsAlong(meshLength, stride)),
          width_(meshWidth), length_(meshLength), stride_(stride)
    {}

    // The grid indices of the corners of a cell.
    Cell cell(int row, int column) const
    {
        const auto width = std::uint32_t(width_);
        const std::uint32_t top = std::uint32_t(row * stride_) * width;
        const std::uint32_t bottom = std::uint32_t(lineAfter(row, length_, stride_)) * width;
        const auto left = std::uint32_t(column * stride_);
        const auto right = std::uint32_t(lineAfter(column, width_, stride_));
        return {top + left, top + right, bottom + left, bottom + right};
    }

    // Calls fill(row) for every row of cells; large levels over the thread
    // pool.
    template <typename Fill> void forEachRow(std::size_t rowIndices, const Fill& fill) const
    {
        if (columns == 0 || rows == 0) {
            return;
        }
        const std::size_t grain = std::max<std::size_t>(1, kVerticesPerRange / rowIndices);
        ParallelRanges::run(std::size_t(rows), grain, [&](std::size_t begin, std::size_t end) {
            for (std::size_t row = begin; row < end; ++row) {
                fill(int(row));
            }
        });
    }

    const int columns;
    const int rows;

private:
    int width_;
    int length_;
    int stride_;
};

} // namespace

std::int64_t cells(int meshWidth, int meshLength, int stride)
{
    return std::int64_t(cellsAlong(meshWidth, stride)) * cellsAlong(meshLength, stride);
}

int strideFor(int meshWidth, int meshLength, std::int64_t maxCells)
{
    const int coarsest = std::max({1, meshWidth - 1, meshLength - 1});
    int stride = 1;
    while (stride < coarsest && cells(meshWidth, meshLength, stride) > maxCells) {
        ++stride;
    }
    return stride;
}

std::int64_t triangleIndexCount(int meshWidth, int meshLength, int stride)
{
    return 6 * cells(meshWidth, meshLength, stride);
}

void fillTriangles(int meshWidth, int meshLength, int stride, std::uint32_t* indices)
{
    const Level level(meshWidth, meshLength, stride);
    const auto rowIndices = std::size_t(6) * std::size_t(level.columns);
    level.forEachRow(rowIndices, [&](int row) {
        std::uint32_t* out = indices + std::size_t(row) * rowIndices;
        for (int column = 0; column < level.columns; ++column) {
            const Level::Cell cell = level.cell(row, column);
            *out++ = cell.topLeft;
            *out++ = cell.bottomLeft;
            *out++ = cell.topRight;
            *out++ = cell.topRight;
            *out++ = cell.bottomLeft;
            *out++ = cell.bottomRight;
        }
    });
}

std::int64_t edgeIndexCount(int meshWidth, int meshLength, int stride)
{
    const Level level(meshWidth, meshLength, stride);
    if (level.columns == 0 || level.rows == 0) {
        return 0;
    }
    return 2 * ((3 * std::int64_t(level.columns) + 1) * level.rows + level.columns);
}

void fillEdges(int meshWidth, int meshLength, int stride, std::uint32_t* indices)
{
    const Level level(meshWidth, meshLength, stride);
    const auto rowIndices = std::size_t(2) * std::size_t(3 * level.columns + 1);
    level.forEachRow(rowIndices, [&](int row) {
        std::uint32_t* out = indices + std::size_t(row) * rowIndices;
        Level::Cell cell{};
        for (int column = 0; column < level.columns; ++column) {
            cell = level.cell(row, column);
            for (std::uint32_t end : {cell.topRight, cell.bottomLeft}) {
                *out++ = cell.topLeft;
                *out++ = end;
            }
            *out++ = cell.topRight;
            *out++ = cell.bottomLeft;
        }
        *out++ = cell.topRight;
        *out++ = cell.bottomRight;
    });
    std::uint32_t* out = indices + std::size_t(level.rows) * rowIndices;
    for (int column = 0; column < level.columns && level.rows > 0; ++column) {
        const Level::Cell cell = level.cell(level.rows - 1, column);
        *out++ = cell.bottomLeft;
        *out++ = cell.bottomRight;
    }
}

} // namespace Detail

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
