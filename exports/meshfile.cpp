#include "exports/meshfile.h"

#include "drop/waterdrop.h"
#include "exports/heightgrid.h"
#include "exports/textnumbers.h"
#include "view/terrainmesh.h"

#include <QIODevice>

namespace {

constexpr int ChunkBytes = 1 << 20;

class ObjWriter
{
public:
    ObjWriter(QIODevice& device, const HeightGrid& grid)
        : device_(device), xOffset_(float(grid.worldX())), yOffset_(float(grid.worldY())),
          width_(int(grid.worldWidth())), length_(int(grid.worldLength()))
    {
        buffer_.reserve(ChunkBytes + 256);
    }

    void text(const char* line) { buffer_.append(line); }

    void vertex(float x, float y, float z)
    {
        const QVector3D scene =
            TerrainMesh::scenePoint(x + xOffset_, y + yOffset_, z, width_, length_);
        buffer_.append("v ");
        TextNumbers::append(buffer_, scene.x());
        buffer_.append(' ');
        TextNumbers::append(buffer_, scene.y());
        buffer_.append(' ');
        TextNumbers::append(buffer_, scene.z());
        endLine();
    }

    // OBJ counts vertices from 1.
    void face(std::int64_t a, std::int64_t b, std::int64_t c)
    {
        buffer_.append('f');
        for (const std::int64_t index : {a, b, c}) {
            buffer_.append(' ');
            TextNumbers::append(buffer_, index + 1);
        }
        endLine();
    }

    void polyline(std::int64_t first, std::int64_t count)
    {
        buffer_.append('l');
        for (std::int64_t index = first; index < first + count; ++index) {
            buffer_.append(' ');
            TextNumbers::append(buffer_, index + 1);
        }
        endLine();
    }

    bool finish() { return flush(); }
    bool failed() const { return failed_; }

private:
    void endLine()
    {
        buffer_.append('\n');
        if (buffer_.size() >= ChunkBytes) {
            flush();
        }
    }

    bool flush()
    {
        failed_ = failed_ || device_.write(buffer_) != buffer_.size();
        buffer_.clear();
        return !failed_;
    }

    QIODevice& device_;
    // Where the grid lies in its world, and the world's size.
    float xOffset_;
    float yOffset_;
    int width_;
    int length_;
    QByteArray buffer_;
    bool failed_ = false;
};

} // namespace

bool writeObj(const HeightGrid& grid, QIODevice& device)
{
    ObjWriter obj(device, grid);
    const std::int64_t width = grid.width();
    const std::int64_t length = grid.length();
    obj.text("# Terravik world: the terrain mesh and the drop paths\no terrain\n");
    // Vertex (j, i) is number i * width + j, as in the view's grid.
    for (std::int64_t i = 0; i < length && !obj.failed(); ++i) {
        for (std::int64_t j = 0; j < width; ++j) {
            obj.vertex(float(j), float(i), grid.z(std::uint32_t(j), std::uint32_t(i)));
        }
    }
    for (std::int64_t i = 0; i + 1 < length && !obj.failed(); ++i) {
        for (std::int64_t j = 0; j + 1 < width; ++j) {
            const std::int64_t m = i * width + j;
            obj.face(m, m + width, m + 1);
            obj.face(m + 1, m + width, m + width + 1);
        }
    }
    std::int64_t nextVertex = width * length;
    int dropNumber = 0;
    for (const WaterDrop* drop : grid.map().drops()) {
        ++dropNumber;
        const std::vector<MapPoint>& path = drop->path();
        if (path.size() < 2) {
            continue;
        }
        obj.text(QByteArray("o drop_" + QByteArray::number(dropNumber) + '\n').constData());
        for (const MapPoint& point : path) {
            obj.vertex(point.x(), point.y(), point.z());
        }
        obj.polyline(nextVertex, std::int64_t(path.size()));
        nextVertex += std::int64_t(path.size());
    }
    return obj.finish();
}
