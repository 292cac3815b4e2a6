#include "terrain/map.h"
#include "view/terrainmesh.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

// A terrain falling toward +x and +y, with drops that have run a while.
std::unique_ptr<Map> terrainWithDrops(std::uint32_t size)
{
    auto map = std::make_unique<Map>(size, size);
    for (MapPoint& point : map->points()) {
        point.setZ(-(point.x() + 0.5f * point.y()) +
                   0.2f * std::sin(0.9f * point.x()) * std::cos(0.7f * point.y()));
    }
    for (int i = 0; i < 5; ++i) {
        map->startDrop(5.0f + 2.0f * float(i), 5.0f + 3.0f * float(i));
    }
    for (int step = 0; step < 200; ++step) {
        map->stepDrops(0.01f);
    }
    return map;
}

// The arrays live on between runs, as they do in the view, so they are sized
// once before the clock starts.
void BM_MeshArrays(benchmark::State& state, bool reference)
{
    const auto size = std::uint32_t(state.range(0));
    const auto map = terrainWithDrops(size);
    const int width = int(map->width());
    const int length = int(map->length());
    QVector<QVector3D> grid(width * length);
    QVector<QVector3D> triangles(6 * (width - 1) * (length - 1));
    QVector<QVector<QVector3D>> dropLines;
    QVector<QVector3D> path;
    for (auto _ : state) {
        if (reference) {
            TerrainMesh::buildGridReference(*map, grid);
            TerrainMesh::buildTrianglesReference(grid, width, length, triangles);
        } else {
            TerrainMesh::buildGrid(*map, grid);
            TerrainMesh::buildTriangles(grid, width, length, triangles);
        }
        benchmark::DoNotOptimize(TerrainMesh::buildDropLines(*map, width, length, dropLines, path));
        benchmark::DoNotOptimize(triangles.constData());
    }
    const double points = double(size) * size;
    state.SetItemsProcessed(std::int64_t(state.iterations() * points));
    state.counters["per_point"] = benchmark::Counter(
        points, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Wall time: the fast paths work on several threads.
void sizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(99)->Arg(512)->Arg(2048)->Arg(4096)->UseRealTime()->Unit(
        benchmark::kMicrosecond);
}

} // namespace

BENCHMARK_CAPTURE(BM_MeshArrays, plain, true)->Apply(sizes);
BENCHMARK_CAPTURE(BM_MeshArrays, new, false)->Apply(sizes);
