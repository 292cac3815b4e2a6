#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "terrain/map.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

std::unique_ptr<Map> rollingTerrain(std::uint32_t size)
{
    auto map = std::make_unique<Map>(size, size);
    for (MapPoint& point : map->points()) {
        point.setZ(5.0f * std::sin(0.21f * point.x()) * std::cos(0.17f * point.y()) +
                   0.01f * point.x());
    }
    return map;
}

// Every coefficient non-zero: the most work one filter can do.
FilterMatrix::Coefficients fullMatrix()
{
    return {1, 2, 3, 2, 1, 2, 4, 6, 4, 2, 3, 6, -9, 6, 3, 2, 4, 6, 4, 2, 1, 2, 3, 2, 1};
}

void countPoints(benchmark::State& state, std::uint32_t size, int filters)
{
    const double points = double(size) * size * filters;
    state.SetItemsProcessed(std::int64_t(state.iterations() * points));
    state.counters["per_point"] = benchmark::Counter(
        points, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FilterMatrixApply(benchmark::State& state, bool reference)
{
    const auto size = std::uint32_t(state.range(0));
    const auto map = rollingTerrain(size);
    FilterMatrix filter;
    filter.setMatrix(fullMatrix());
    for (auto _ : state) {
        auto output = reference ? filter.applyReference(*map) : filter.apply(*map);
        benchmark::DoNotOptimize(output.get());
    }
    countPoints(state, size, 1);
}

void BM_ApplyFilterListOfFive(benchmark::State& state, bool reference)
{
    const auto size = std::uint32_t(state.range(0));
    const auto map = rollingTerrain(size);
    FilterList filters;
    for (int i = 0; i < 5; ++i) {
        auto filter = std::make_unique<FilterMatrix>();
        filter->setMatrix(fullMatrix());
        filters.push_back(std::move(filter));
    }
    for (auto _ : state) {
        auto output =
            reference ? applyFilterListReference(*map, filters) : applyFilterList(*map, filters);
        benchmark::DoNotOptimize(output.get());
    }
    countPoints(state, size, 5);
}

// Wall time: the fast paths work on several threads.
void sizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(99)->Arg(512)->Arg(2048)->Arg(4096)->UseRealTime()->Unit(
        benchmark::kMicrosecond);
}

} // namespace

BENCHMARK_CAPTURE(BM_FilterMatrixApply, plain, true)->Apply(sizes);
BENCHMARK_CAPTURE(BM_FilterMatrixApply, new, false)->Apply(sizes);
BENCHMARK_CAPTURE(BM_ApplyFilterListOfFive, plain, true)->Apply(sizes);
BENCHMARK_CAPTURE(BM_ApplyFilterListOfFive, new, false)->Apply(sizes);
