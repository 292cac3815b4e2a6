// Builds a world with each generator at the dialog's largest size (99 x 99)
// and at two far larger sizes, to show that the cost grows with the points
// (times the peaks) and nothing worse. The peak builders use seeds that give
// the most peaks, 32; the "peaks" counter reports the count.
#include "generators/fullyrandommapbuilder.h"
#include "generators/mersennedraws.h"
#include "generators/peaksmountainchainmapbuilder.h"
#include "generators/simplepeaksmoutainmapbuilder.h"
#include "terrain/platformrandom.h"

#include <benchmark/benchmark.h>

namespace {

std::uint32_t fold(const QByteArray& text)
{
    return std::uint32_t(Seed(text).toInt());
}

int simplePeakCount(const QByteArray& text)
{
    PlatformRandom::seed(fold(text));
    const float count = randomBetween(4, 32);
    int peaks = 0;
    while (float(peaks) < count) {
        ++peaks;
    }
    return peaks;
}

// The chain's count follows its curve's coefficients on the same MT19937.
int chainPeakCount(const QByteArray& text)
{
    MersenneDraws draws(fold(text));
    const std::int32_t terms = draws.uniformInteger(1, 3);
    for (std::int32_t i = 0; i < terms; ++i) {
        draws.unit();
    }
    return draws.uniformInteger(4, 32);
}

template <class CountPeaks> QByteArray textWithMostPeaks(CountPeaks countPeaks)
{
    for (int i = 0;; ++i) {
        const QByteArray text = "bench " + QByteArray::number(i);
        if (countPeaks(text) == 32) {
            return text;
        }
    }
}

void buildWorld(benchmark::State& state, MapBuilder& builder, const QByteArray& text, int peaks)
{
    const auto side = std::int32_t(state.range(0));
    builder.setSeed(text).setWidth(side).setLength(side);
    for (auto _ : state) {
        auto map = builder.build();
        benchmark::DoNotOptimize(map->points().data());
    }
    state.counters["peaks"] = peaks;
    state.SetItemsProcessed(state.iterations() * side * side);
}

void BM_FullyRandom(benchmark::State& state)
{
    FullyRandomMapBuilder builder;
    buildWorld(state, builder, "Terravik", 0);
}

void BM_SimplePeaks(benchmark::State& state)
{
    static const QByteArray text = textWithMostPeaks(simplePeakCount);
    // A fresh builder per run: a builder keeps its peaks and would pile them up.
    const auto side = std::int32_t(state.range(0));
    std::size_t peaks = 0;
    for (auto _ : state) {
        SimplePeaksMoutainMapBuilder builder;
        builder.setSeed(text).setWidth(side).setLength(side);
        auto map = builder.build();
        benchmark::DoNotOptimize(map->points().data());
        peaks = builder.peaks().size();
    }
    state.counters["peaks"] = double(peaks);
    state.SetItemsProcessed(state.iterations() * side * side);
}

void BM_PeaksChain(benchmark::State& state)
{
    static const QByteArray text = textWithMostPeaks(chainPeakCount);
    PeaksMountainChainMapBuilder builder;
    buildWorld(state, builder, text, chainPeakCount(text));
}

} // namespace

BENCHMARK(BM_FullyRandom)->Arg(99)->Arg(512)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimplePeaks)->Arg(99)->Arg(512)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeaksChain)->Arg(99)->Arg(512)->Arg(2048)->Unit(benchmark::kMillisecond);
