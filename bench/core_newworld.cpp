// The core's share of one New world at the dialog's largest size: a 99 x 99
// mountain peaks world, five 25-coefficient filters and the mesh arrays, as
// the command runs them (without the buffers and the redraw), through the
// plain serial loops and through the fast paths. And a 4096 x 4096 chain world
// through five filters, whose peak memory `/usr/bin/time -v` reports when it
// runs alone (--benchmark_filter=BigChainWorld).
#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "generators/peaksmountainchainmapbuilder.h"
#include "generators/simplepeaksmoutainmapbuilder.h"
#include "view/terrainmesh.h"

#include <benchmark/benchmark.h>

namespace {

FilterList fiveFilters()
{
    FilterList filters;
    for (int i = 0; i < 5; ++i) {
        auto filter = std::make_unique<FilterMatrix>();
        filter->setMatrix(
            {1, 2, 3, 2, 1, 2, 4, 6, 4, 2, 3, 6, -9, 6, 3, 2, 4, 6, 4, 2, 1, 2, 3, 2, 1});
        filters.push_back(std::move(filter));
    }
    return filters;
}

void BM_NewWorld(benchmark::State& state, bool reference)
{
    const auto side = std::int32_t(state.range(0));
    const FilterList filters = fiveFilters();
    QVector<QVector3D> grid;
    QVector<QVector3D> triangles;
    std::size_t peaks = 0;
    for (auto _ : state) {
        SimplePeaksMoutainMapBuilder builder;
        // "bench 9" draws 32 peaks, the most there can be.
        builder.setSeed(QByteArray("bench 9"))
            .setWidth(side)
            .setLength(side)
            .setReferencePath(reference);
        const auto base = builder.build();
        peaks = builder.peaks().size();
        const auto filtered =
            reference ? applyFilterListReference(*base, filters) : applyFilterList(*base, filters);
        if (reference) {
            TerrainMesh::buildGridReference(*filtered, grid);
            TerrainMesh::buildTrianglesReference(grid, side, side, triangles);
        } else {
            TerrainMesh::buildGrid(*filtered, grid);
            TerrainMesh::buildTriangles(grid, side, side, triangles);
        }
        benchmark::DoNotOptimize(triangles.constData());
    }
    state.counters["peaks"] = double(peaks);
}

// A map of 4096 x 4096 points takes 192 MiB: the base world, the map a
// filter reads and the one it writes should be all that is held at once.
void BM_BigChainWorldFiveFilters(benchmark::State& state)
{
    const FilterList filters = fiveFilters();
    for (auto _ : state) {
        PeaksMountainChainMapBuilder builder;
        builder.setSeed(QByteArray("Terravik")).setWidth(4096).setLength(4096);
        const auto base = builder.build();
        const auto filtered = applyFilterList(*base, filters);
        benchmark::DoNotOptimize(filtered->points().data());
    }
}

} // namespace

BENCHMARK(BM_BigChainWorldFiveFilters)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NewWorld, plain, true)->Arg(99)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_NewWorld, new, false)->Arg(99)->UseRealTime()->Unit(benchmark::kMicrosecond);
