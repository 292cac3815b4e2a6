// Holds the fast paths of the core to the plain serial loops, bit for bit
// (NaN payloads aside), on a pool of one to three threads.
//
// Input: byte 0 the pool size (mod 3, plus 1), bytes 1 and 2 the width and
// length (mod 65 each), byte 3 the number of peaks (mod 33). Then per peak six
// parameters, each one byte: below 224 an ordinary value scaled to the map,
// otherwise the next four bytes as the bits of any float. Then 25 coefficient
// bytes (k mod 201 - 100) for each of two filters.

#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "fuzzsupport.h"
#include "generators/peak.h"
#include "view/terrainmesh.h"

#include <QThreadPool>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// byte / 224 of the scale, shifted by offset: or any float at all.
float parameter(FuzzInput& input, float scale, float offset)
{
    const std::uint8_t kind = input.byte();
    return kind >= 224 ? input.floatBits() : float(kind) / 224.0f * scale + offset;
}

bool sameFloats(const float* a, const float* b, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (bitsOf(a[i]) != bitsOf(b[i]) && !(std::isnan(a[i]) && std::isnan(b[i]))) {
            return false;
        }
    }
    return true;
}

bool sameHeightsNaNAlike(const Map& a, const Map& b)
{
    return a.points().size() == b.points().size() &&
           sameFloats(reinterpret_cast<const float*>(a.points().data()),
                      reinterpret_cast<const float*>(b.points().data()), 3 * a.points().size());
}

bool sameVertices(const QVector<QVector3D>& a, const QVector<QVector3D>& b)
{
    return a.size() == b.size() &&
           sameFloats(reinterpret_cast<const float*>(a.constData()),
                      reinterpret_cast<const float*>(b.constData()), 3 * std::size_t(a.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    QThreadPool::globalInstance()->setMaxThreadCount(1 + int(input.choice(3)));
    const std::uint32_t width = input.choice(65);
    const std::uint32_t length = input.choice(65);
    const float side = float(std::max(width, length));
    std::vector<Peak> peaks;
    for (unsigned count = input.choice(33); count > 0; --count) {
        const float x = parameter(input, 2.0f * side, -0.5f * side);
        const float y = parameter(input, 2.0f * side, -0.5f * side);
        const float spreadX = parameter(input, side, -0.2f * side);
        const float spreadY = parameter(input, side, -0.2f * side);
        const float height = parameter(input, side * side / 50.0f, -side * side / 200.0f);
        peaks.emplace_back(x, y, spreadX, spreadY, height, parameter(input, 7.0f, 0.0f));
    }
    const std::unique_ptr<Map> plain = mapFromPeaksReference(width, length, peaks);
    const std::unique_ptr<Map> fast = mapFromPeaks(width, length, peaks);
    FUZZ_CHECK(sameHeightsNaNAlike(*plain, *fast), "skipping peaks and threads change no height");

    FilterList filters;
    for (int i = 0; i < 2; ++i) {
        FilterMatrix::Coefficients coefficients{};
        for (std::int32_t& coefficient : coefficients) {
            coefficient = std::int32_t(input.choice(201)) - 100;
        }
        filters.push_back(std::make_unique<FilterMatrix>());
        static_cast<FilterMatrix&>(*filters.back()).setMatrix(coefficients);
    }
    const std::unique_ptr<Map> filtered = applyFilterList(*fast, filters);
    FUZZ_CHECK(sameHeightsNaNAlike(*applyFilterListReference(*plain, filters), *filtered),
               "blocked sums and threads change no filtered height");

    QVector<QVector3D> plainGrid;
    QVector<QVector3D> plainTriangles;
    TerrainMesh::buildGridReference(*filtered, plainGrid);
    TerrainMesh::buildTrianglesReference(plainGrid, int(width), int(length), plainTriangles);
    QVector<QVector3D> grid;
    QVector<QVector3D> triangles;
    TerrainMesh::buildGrid(*filtered, grid);
    TerrainMesh::buildTriangles(grid, int(width), int(length), triangles);
    FUZZ_CHECK(sameVertices(plainGrid, grid) && sameVertices(plainTriangles, triangles),
               "threads change no vertex");
    return 0;
}
