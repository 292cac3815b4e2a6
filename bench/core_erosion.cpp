#include "filters/hydraulicerosion.h"
#include "filters/thermalerosion.h"
#include "generators/generatorchoice.h"
#include "generators/mapbuilder.h"
#include "poolsize.h"
#include "terrain/map.h"

#include <benchmark/benchmark.h>

namespace {

std::unique_ptr<Map> world(int generator, std::uint32_t side)
{
    const auto builder = makeMapBuilder(generator);
    builder->setSeed(QByteArray("Terravik")).setWidth(int(side)).setLength(int(side));
    return builder->build();
}

// A 1024 x 1024 mountain chain, one droplet per point: 1,048,576 droplets of
// lifetime 30 and radius 3, on state.range(0) threads.
void BM_HydraulicErosion(benchmark::State& state)
{
    const PoolSize pool(int(state.range(0)));
    const auto map = world(2, 1024);
    Map output(map->width(), map->length());
    HydraulicErosion filter;
    HydraulicErosion::Settings settings;
    settings.droplets = 1048576;
    settings.lifetime = 30;
    settings.radius = 3.0;
    filter.setSettings(settings);
    std::uint64_t steps = 0;
    for (auto _ : state) {
        steps = filter.erode(*map, output, {}).steps;
        benchmark::DoNotOptimize(output.points().data());
    }
    state.counters["droplets_per_s"] = benchmark::Counter(
        double(settings.droplets), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["ns_per_step"] =
        benchmark::Counter(double(steps) * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
    state.counters["steps_per_droplet"] = double(steps) / settings.droplets;
}

// A 2048 x 2048 mountain peaks world, 50 iterations at the defaults.
void BM_ThermalErosion(benchmark::State& state)
{
    const PoolSize pool(int(state.range(0)));
    const auto map = world(1, 2048);
    Map output(map->width(), map->length());
    ThermalErosion filter;
    ThermalErosion::Settings settings;
    settings.iterations = 50;
    filter.setSettings(settings);
    for (auto _ : state) {
        filter.applyInto(*map, output);
        benchmark::DoNotOptimize(output.points().data());
    }
    const double points = double(map->points().size()) * settings.iterations;
    state.counters["ns_per_point_iteration"] = benchmark::Counter(
        points * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The default filter on the largest world the window makes.
void BM_HydraulicErosionDefaults99(benchmark::State& state)
{
    const auto map = world(2, 99);
    Map output(map->width(), map->length());
    const HydraulicErosion filter;
    for (auto _ : state) {
        filter.applyInto(*map, output);
        benchmark::DoNotOptimize(output.points().data());
    }
}

} // namespace

// Threads 1 and 2 side by side, wall time.
BENCHMARK(BM_HydraulicErosion)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThermalErosion)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HydraulicErosionDefaults99)->UseRealTime()->Unit(benchmark::kMillisecond);
