#include "exports/exportformat.h"
#include "filters/filtermatrix.h"
#include "terrain/map.h"
#include "world/safefiles.h"
#include "world/world.h"
#include "world/worldbuild.h"
#include "world/worldfile.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

// The bytes the program holds on its heap now (glibc's count).
std::size_t heapBytes()
{
    return mallinfo2().uordblks;
}

// A chain world with five full filters and two drops: what a user saves.
WorldRecipe sampleRecipe(std::uint32_t size)
{
    WorldRecipe recipe;
    recipe.origin = {2, SeedRecord::ofText("Terravik"), size, size, std::nullopt};
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
        World world;
        benchmark::DoNotOptimize(world.open(reading.recipe, nullptr, false));
    }
}

void BM_Export(benchmark::State& state, const char* name)
{
    World world;
    world.open(sampleRecipe(std::uint32_t(state.range(0))), nullptr, false);
    QTemporaryDir folder;
    const QString path = folder.filePath(QString::fromLatin1(name));
    const ExportFormat format = *exportFormatOf(path);
    for (auto _ : state) {
        benchmark::DoNotOptimize(exportMap(*world.filteredMap(), format, path));
    }
}

// Undo and redo of one step, alternately: the world restored to its state
// before the step and after it. The same origin keeps its base map; the same
// terrain keeps its maps and only replays its drops.
void timeRestores(benchmark::State& state, World& world, const WorldState& before,
                  const WorldState& after)
{
    bool back = true;
    for (auto _ : state) {
        world.restore(back ? before : after);
        back = !back;
    }
}

std::unique_ptr<World> sampleWorld(benchmark::State& state)
{
    auto world = std::make_unique<World>();
    world->open(sampleRecipe(std::uint32_t(state.range(0))));
    return world;
}

void BM_UndoUpdate(benchmark::State& state)
{
    const std::unique_ptr<World> world = sampleWorld(state);
    world->removeFilter(0);
    const WorldState before = world->state();
    world->applyFilters();
    timeRestores(state, *world, before, world->state());
}

void BM_UndoNewWorld(benchmark::State& state)
{
    const std::unique_ptr<World> world = sampleWorld(state);
    const WorldState before = world->state();
    WorldOrigin other = world->origin();
    other.seed = SeedRecord::ofText("another");
    world->create(other);
    timeRestores(state, *world, before, world->state());
}

void BM_UndoDropStart(benchmark::State& state)
{
    const std::unique_ptr<World> world = sampleWorld(state);
    const WorldState before = world->state();
    world->startDrop(10.5f, 10.5f);
    world->runDropSteps();
    timeRestores(state, *world, before, world->state());
}

// What a long history costs: the states of 2,000 steps of filter edits and drop
// starts, kept as the window's history keeps them, per step. The world's size
// does not enter: the states hold records, not maps.
void BM_HistoryMemory(benchmark::State& state)
{
    const std::unique_ptr<World> world = sampleWorld(state);
    constexpr int Steps = 2000;
    double bytesPerStep = 0;
    for (auto _ : state) {
        std::vector<std::shared_ptr<const WorldState>> history;
        const std::size_t before = heapBytes();
        for (int i = 0; i < Steps; ++i) {
            if (i % 2 == 0) {
                static_cast<FilterMatrix*>(world->filterAt(i % world->filterCount()))
                    ->setName(QStringLiteral("edit %1").arg(i));
            } else if (world->filteredMap()->drops().size() < 100) {
                world->startDrop(float(i % 50), 3.5f);
            }
            history.push_back(std::make_shared<const WorldState>(world->state()));
        }
        bytesPerStep = (double(heapBytes()) - double(before)) / Steps;
    }
    state.counters["bytes_per_step"] = bytesPerStep;
}

} // namespace

BENCHMARK(BM_UndoUpdate)->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoNewWorld)->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoDropStart)->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryMemory)->Arg(99)->Arg(2048)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveWorld)->Arg(99)->Arg(2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenWorld)->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, png, "world.png")->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, r16, "world.r16")->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, asc, "world.asc")->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, obj, "world.obj")->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond);
