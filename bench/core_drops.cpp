#include "drop/waterdrop.h"
#include "terrain/map.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int kDrops = 10;
// Steps after which the drops are started afresh: they move at most 0.01 a
// step, so they are still well inside the map and running.
constexpr int kStepsPerRun = 2000;

// Falls toward +x and +y everywhere (the ripples are gentler than the slope),
// so a drop never comes to rest.
std::unique_ptr<Map> rippledSlope(std::uint32_t size)
{
    auto map = std::make_unique<Map>(size, size);
    for (MapPoint& point : map->points()) {
        point.setZ(-(point.x() + 0.5f * point.y()) +
                   0.2f * std::sin(0.9f * point.x()) * std::cos(0.7f * point.y()));
    }
    return map;
}

std::unique_ptr<Map> withFreshDrops(const Map& terrain)
{
    auto map = terrain.copy();
    for (int i = 0; i < kDrops; ++i) {
        map->startDrop(10.0f + 3.0f * float(i), 10.0f + 5.0f * float(i));
    }
    return map;
}

bool allRunning(const Map& map)
{
    for (const WaterDrop* drop : map.drops()) {
        if (drop->isStopped()) {
            return false;
        }
    }
    return true;
}

// One stepDrops call with ten running drops.
void BM_StepTenDrops(benchmark::State& state)
{
    const auto terrain = rippledSlope(std::uint32_t(state.range(0)));
    auto map = withFreshDrops(*terrain);
    int steps = 0;
    for (auto _ : state) {
        if (steps == kStepsPerRun) {
            state.PauseTiming();
            if (!allRunning(*map)) {
                state.SkipWithError("a drop stopped before the end of its run");
                break;
            }
            map = withFreshDrops(*terrain);
            steps = 0;
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(map->stepDrops(0.01f));
        ++steps;
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kDrops);
    state.counters["per_drop_step"] = benchmark::Counter(
        kDrops, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_StepTenDrops)->Arg(99)->Arg(512)->Arg(2048)->Unit(benchmark::kNanosecond);

} // namespace
