#include "exports/exportformat.h"
#include "filters/filtermatrix.h"
#include "terrain/map.h"
#include "world/safefiles.h"
#include "world/worldbuild.h"
#include "world/worldfile.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A chain world with five full filters and two drops: what a user saves.
WorldRecipe sampleRecipe(std::uint32_t size)
{
    WorldRecipe recipe;
    recipe.origin = {2, SeedRecord::ofText("Terravik"), size, size};
    FilterMatrix smooth(QStringLiteral("Smooth"));
    FilterMatrix::Coefficients ones{};
    ones.fill(1);
    smooth.setMatrix(ones);
    recipe.filters.assign(5, FilterRecord(smooth));
    const float middle = float(size) / 2.0f;
    recipe.drops = {{middle, middle, 5000}, {middle / 2.0f, middle, 5000}};
    return recipe;
}

void BM_SaveWorld(benchmark::State& state)
{
    const WorldRecipe recipe = sampleRecipe(std::uint32_t(state.range(0)));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("world.terravik"));
    for (auto _ : state) {
        const QByteArray json = WorldFile::toJson(recipe);
        benchmark::DoNotOptimize(
            writeFileSafely(path, [&](QIODevice& device) { return device.write(json) > 0; }));
    }
}

// Reading the file and rebuilding its world: generator, five filters, drops.
void BM_OpenWorld(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("world.terravik"));
    const QByteArray json = WorldFile::toJson(sampleRecipe(std::uint32_t(state.range(0))));
    writeFileSafely(path, [&](QIODevice& device) { return device.write(json) > 0; });
    for (auto _ : state) {
        const WorldFile::Reading reading = WorldFile::read(path);
        benchmark::DoNotOptimize(buildFilteredWorld(reading.recipe, [](const QString&, int) {}));
    }
}

void BM_Export(benchmark::State& state, const char* name)
{
    const auto world =
        buildFilteredWorld(sampleRecipe(std::uint32_t(state.range(0))), [](const QString&, int) {});
    QTemporaryDir folder;
    const QString path = folder.filePath(QString::fromLatin1(name));
    const ExportFormat format = *exportFormatOf(path);
    for (auto _ : state) {
        benchmark::DoNotOptimize(exportMap(*world, format, path));
    }
}

} // namespace

BENCHMARK(BM_SaveWorld)->Arg(99)->Arg(2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenWorld)->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, png, "world.png")->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, r16, "world.r16")->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, asc, "world.asc")->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, obj, "world.obj")->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
