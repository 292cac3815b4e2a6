#include "filters/filtermatrix.h"
#include "terrain/map.h"
#include "world/world.h"
#include "world/worldbuild.h"

#include <benchmark/benchmark.h>

namespace {

constexpr std::uint32_t kSide = 4096;

// One 5 x 5 smoothing filter, so that a region reads a margin around it.
std::vector<FilterRecord> smoothing()
{
    FilterMatrix smooth(QStringLiteral("Smooth"));
    FilterMatrix::Coefficients ones{};
    ones.fill(1);
    smooth.setMatrix(ones);
    return {FilterRecord(smooth)};
}

void build(benchmark::State& state, const WorldOrigin& origin)
{
    const std::vector<FilterRecord> filters = smoothing();
    for (auto _ : state) {
        const TerrainJob job(origin, makeFilterList(filters), {}, nullptr, false);
        benchmark::DoNotOptimize(job.run()->filtered->points().data());
    }
}

// A whole world of 4096 x 4096 points.
void BM_World4096(benchmark::State& state, int generator)
{
    build(state, {generator, SeedRecord::ofText("Terravik"), kSide, kSide, std::nullopt});
}

// The same number of points from the middle of a world `side` points wide:
// the generator builds the window alone, so the cost must not grow with the
// world. Peak worlds are one point shorter, since their heights grow with the
// area as a 32-bit product, which 65536 x 65536 wraps to 0 (a flat world).
void BM_Region4096(benchmark::State& state, int generator)
{
    const auto side = std::uint32_t(state.range(0));
    const std::uint32_t length = generator == 0 ? side : side - 1;
    const std::uint32_t middle = (side - kSide) / 2;
    build(state, {generator, SeedRecord::ofText("Terravik"), side, length,
                  Region{middle, middle, kSide, kSide}});
}

} // namespace

BENCHMARK_CAPTURE(BM_World4096, random, 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_World4096, peaks, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_World4096, chain, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Region4096, random, 0)
    ->Arg(16384)
    ->Arg(65536)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Region4096, peaks, 1)
    ->Arg(16384)
    ->Arg(65536)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Region4096, chain, 2)
    ->Arg(16384)
    ->Arg(65536)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
