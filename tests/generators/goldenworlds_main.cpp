// Prints the checksum of every golden world, one per line, and fails when one
// differs from the table. Then prints checksums of some of those worlds after
// filters, and of drop paths run to their end on them: these have no table, so
// the checks compare the output of several builds (compilers, optimisation
// levels, check-golden-worlds.sh; processors, check-golden-worlds-arm64.sh).
#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "goldenworlds.h"

#include <cstdio>

namespace {

struct FilterCase
{
    const char* name;
    int (*weight)(int k);
};

// Divisors 25, 256 and 19 make the float sums and quotients round; the zero
// sum leaves totals undivided.
const std::array<FilterCase, 4> filterCases{{
    {"mean", [](int) { return 1; }},
    {"binomial",
     [](int k) {
         const int row[] = {1, 4, 6, 4, 1};
         return row[k % 5] * row[k / 5];
     }},
    {"skewed", [](int k) { return k % 7 - 2; }},
    {"edges", [](int k) { return k == 12 ? 24 : -1; }},
}};

std::unique_ptr<Filter> makeFilter(const FilterCase& filterCase)
{
    FilterMatrix::Coefficients coefficients{};
    for (int k = 0; k < int(coefficients.size()); ++k) {
        coefficients[std::size_t(k)] = filterCase.weight(k);
    }
    auto filter = std::make_unique<FilterMatrix>(filterCase.name);
    filter->setMatrix(coefficients);
    return filter;
}

void printFilteredWorlds(const GoldenWorlds::World& world)
{
    const auto map = GoldenWorlds::build(world);
    FilterList all;
    for (const FilterCase& filterCase : filterCases) {
        FilterList one;
        one.push_back(makeFilter(filterCase));
        std::printf("%s | %-8s 0x%08x\n", world.name, filterCase.name,
                    unsigned(GoldenWorlds::checksum(*applyFilterList(*map, one))));
        all.push_back(makeFilter(filterCase));
    }
    std::printf("%s | all      0x%08x\n", world.name,
                unsigned(GoldenWorlds::checksum(*applyFilterList(*map, all))));
}

void printDropPaths(const GoldenWorlds::World& world, const FilterCase& filterCase)
{
    FilterList filters;
    filters.push_back(makeFilter(filterCase));
    const auto map = applyFilterList(*GoldenWorlds::build(world), filters);
    const float starts[][2] = {{20.0f, 20.0f}, {30.5f, 10.25f}, {41.3f, 45.7f}, {5.5f, 47.1f}};
    for (const auto& start : starts) {
        map->startDrop(start[0], start[1]);
    }
    std::printf("%s | %s: drops stop after %ld steps\n", world.name, filterCase.name,
                DropRun::runToEnd(*map));
    for (const WaterDrop* drop : map->drops()) {
        std::uint32_t hash = GoldenWorlds::emptyHash;
        for (const MapPoint& point : drop->path()) {
            hash = GoldenWorlds::hashed(GoldenWorlds::hashed(hash, point.x()), point.y());
            hash = GoldenWorlds::hashed(hash, point.z());
        }
        std::printf("  drop path of %zu points 0x%08x\n", drop->path().size(), unsigned(hash));
    }
}

} // namespace

int main()
{
    int failures = 0;
    for (const GoldenWorlds::World& world : GoldenWorlds::worlds) {
        const std::uint32_t checksum = GoldenWorlds::checksum(*GoldenWorlds::build(world));
        std::printf("%-24s 0x%08x\n", world.name, unsigned(checksum));
        if (checksum != world.checksum) {
            std::printf("  expected 0x%08x\n", unsigned(world.checksum));
            ++failures;
        }
    }
    // random abc 50x50, peaks Terravik 99x99, chain abc 50x50.
    for (std::size_t index : {0, 6, 10}) {
        printFilteredWorlds(GoldenWorlds::worlds[index]);
    }
    printDropPaths(GoldenWorlds::worlds[0], filterCases[0]);
    printDropPaths(GoldenWorlds::worlds[5], filterCases[1]);
    printDropPaths(GoldenWorlds::worlds[10], filterCases[2]);
    return failures == 0 ? 0 : 1;
}
