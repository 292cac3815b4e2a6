// Builds a world with each generator, once through the plain serial loops
// (the reference path) and once through the fast paths, at the dialog's
// largest size (99 x 99) and at far larger sizes. The peak builders use seeds
// that give the most peaks, 32; the "peaks" counter reports the count.
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

// A fresh builder per run: the mountain peaks builder keeps its peaks and
// would pile them up.
template <class Builder>
void buildWorld(benchmark::State& state, bool reference, const QByteArray& text, int peaks)
{
    const auto side = std::int32_t(state.range(0));
    for (auto _ : state) {
        Builder builder;
        builder.setSeed(text).setWidth(side).setLength(side).setReferencePath(reference);
        auto map = builder.build();
        benchmark::DoNotOptimize(map->points().data());
    }
    state.counters["peaks"] = peaks;
    state.SetItemsProcessed(state.iterations() * side * side);
}

void BM_FullyRandom(benchmark::State& state, bool reference)
{
    buildWorld<FullyRandomMapBuilder>(state, reference, "Terravik", 0);
}

void BM_SimplePeaks(benchmark::State& state, bool reference)
{
    static const QByteArray text = textWithMostPeaks(simplePeakCount);
    buildWorld<SimplePeaksMoutainMapBuilder>(state, reference, text, simplePeakCount(text));
}

void BM_PeaksChain(benchmark::State& state, bool reference)
{
    static const QByteArray text = textWithMostPeaks(chainPeakCount);
    buildWorld<PeaksMountainChainMapBuilder>(state, reference, text, chainPeakCount(text));
}

// Wall time: the fast paths work on several threads.
void sizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(99)->Arg(512)->Arg(2048)->Arg(4096)->UseRealTime()->Unit(
        benchmark::kMillisecond);
}

} // namespace

BENCHMARK_CAPTURE(BM_FullyRandom, plain, true)->Apply(sizes);
BENCHMARK_CAPTURE(BM_FullyRandom, new, false)->Apply(sizes);
BENCHMARK_CAPTURE(BM_SimplePeaks, plain, true)->Apply(sizes);
BENCHMARK_CAPTURE(BM_SimplePeaks, new, false)->Apply(sizes);
BENCHMARK_CAPTURE(BM_PeaksChain, plain, true)->Apply(sizes);
BENCHMARK_CAPTURE(BM_PeaksChain, new, false)->Apply(sizes);
