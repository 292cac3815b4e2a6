// Every golden world made through the New world command's generator table and
// hashed (FNV-1a-32 over its heights' float bits, low byte first) against the
// table, which golden_worlds.py reckons with an independent model; then the
// seed and the draws at boundaries a world meets once in billions. Then some
// of the worlds through filters, against a second table that the model
// reckons too, and some with drops run to their end, which have no table but
// every build must print the same (check-golden-worlds.sh for compilers and
// optimisers, check-golden-worlds-arm64.sh for processors).
// Last, eroded worlds against a table of their own, each eroded on one thread
// and on three.
#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "filters/erosionmasks.h"
#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "filters/hydraulicerosion.h"
#include "filters/thermalerosion.h"
#include "generators/generatorchoice.h"
#include "generators/mersennedraws.h"
#include "terrain/platformrandom.h"

#include <QByteArray>
#include <QThreadPool>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>
#include <vector>

namespace {

struct World
{
    const char *name, *seedText;
    int generator, width, length; // generators as the New world dialog numbers them
    std::uint32_t checksum;
};

constexpr const char* kHighBytes = "\xff\x80 seventeen bytes";

// clang-format off
constexpr World kWorlds[] = {
    {"random abc 50x50",      "abc",        0, 50, 50, 0x3143f5f5u},
    {"random Terravik 99x99", "Terravik",   0, 99, 99, 0xd4c89cf3u},
    {"random empty 7x5",      "",           0,  7,  5, 0x360f2e85u},
    {"random x 1x1",          "x",          0,  1,  1, 0xbb69bc7fu},
    {"random high 20x30",     kHighBytes,   0, 20, 30, 0xe4bc6644u},
    {"peaks abc 50x50",       "abc",        1, 50, 50, 0xdbef7565u},
    {"peaks Terravik 99x99",  "Terravik",   1, 99, 99, 0xf1f82ec9u},
    {"peaks empty 7x5",       "",           1,  7,  5, 0x7b4d2d87u},
    {"peaks x 1x1",           "x",          1,  1,  1, 0xd295aa05u},
    {"peaks high 20x30",      kHighBytes,   1, 20, 30, 0xe3e41dd0u},
    {"chain abc 50x50",       "abc",        2, 50, 50, 0x3b7ba222u},
    {"chain Terravik 99x99",  "Terravik",   2, 99, 99, 0xc7a3b997u},
    {"chain empty 7x5",       "",           2,  7,  5, 0x81f5ff12u},
    {"chain x 1x1",           "x",          2,  1,  1, 0x3e028f75u},
    {"chain high 20x30",      kHighBytes,   2, 20, 30, 0x1b6318eau},
    {"peaks four 9x9",        "four 71101", 1,  9,  9, 0xb410cdd3u},
};
// clang-format on

int failures = 0;

void expect(bool holds, const char* what)
{
    std::printf("%-48s %s\n", what, holds ? "ok" : "FAILED");
    failures += holds ? 0 : 1;
}

constexpr std::uint32_t kEmptyHash = 0x811c9dc5u;

std::uint32_t hashed(std::uint32_t hash, float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int shift = 0; shift < 32; shift += 8)
        hash = (hash ^ ((bits >> shift) & 0xffu)) * 0x01000193u;
    return hash;
}

std::uint32_t checksum(const Map& map)
{
    std::uint32_t hash = kEmptyHash;
    for (const MapPoint& point : map.points())
        hash = hashed(hash, point.z());
    return hash;
}

std::unique_ptr<Map> build(const World& world)
{
    const auto builder = makeMapBuilder(world.generator);
    builder->setSeed(QByteArray(world.seedText)).setWidth(world.width).setLength(world.length);
    return builder->build();
}

// Divisors 25, 256, 19 and -39 make the float sums and quotients round, and
// lopsided weights make their order count; the zero sum leaves the totals
// undivided.
struct FilterCase
{
    const char* name;
    int (*weight)(int k);
};
const FilterCase kFilters[] = {
    {"mean", [](int) { return 1; }},
    {"binomial",
     [](int k) {
         const int row[] = {1, 4, 6, 4, 1};
         return row[k % 5] * row[k / 5];
     }},
    {"skewed", [](int k) { return k % 7 - 2; }},
    {"edges", [](int k) { return k == 12 ? 24 : -1; }},
    {"negative", [](int k) { return k % 4 - 3; }},
};

// A golden world through each filter alone, then through all of them in turn.
struct FilteredWorld
{
    std::size_t world; // in kWorlds
    std::uint32_t checksums[std::size(kFilters) + 1];
};

// clang-format off
// random abc 50x50, peaks Terravik 99x99 and chain abc 50x50; the filters in
// the order of kFilters, then all.
const FilteredWorld kFilteredWorlds[] = {
    {0,  {0x3044b22bu, 0xb5330cedu, 0xd66ae9d5u, 0x0614e6abu, 0x2573ef02u, 0x297ee595u}},
    {6,  {0x7e4274d5u, 0xffe57161u, 0x1ea92f85u, 0xbc810a72u, 0x39eb82c2u, 0x05c90745u}},
    {10, {0x625fb3d7u, 0x390c79d6u, 0xc47e2a11u, 0xbaafc546u, 0xfadd37dfu, 0x32b55b26u}},
};
// clang-format on

std::unique_ptr<Filter> makeFilter(const FilterCase& filterCase)
{
    FilterMatrix::Coefficients coefficients{};
    for (int k = 0; k < int(coefficients.size()); ++k)
        coefficients[std::size_t(k)] = filterCase.weight(k);
    auto filter = std::make_unique<FilterMatrix>(filterCase.name);
    filter->setMatrix(coefficients);
    return filter;
}

void checkFilteredWorld(const FilteredWorld& filtered)
{
    const World& world = kWorlds[filtered.world];
    const auto map = build(world);
    std::vector<FilterList> lists(std::size(kFilters) + 1);
    for (std::size_t i = 0; i < std::size(kFilters); ++i) {
        lists[i].push_back(makeFilter(kFilters[i]));
        lists.back().push_back(makeFilter(kFilters[i]));
    }
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const std::uint32_t hash = checksum(*applyFilterList(*map, lists[i]));
        std::printf("%s | %-8s 0x%08x%s\n", world.name,
                    i < std::size(kFilters) ? kFilters[i].name : "all", unsigned(hash),
                    hash == filtered.checksums[i] ? "" : " differs from the table");
        failures += hash == filtered.checksums[i] ? 0 : 1;
    }
}

void printDropPaths(const World& world, const FilterCase& filterCase)
{
    FilterList filters;
    filters.push_back(makeFilter(filterCase));
    const auto map = applyFilterList(*build(world), filters);
    const float starts[][2] = {{20.0f, 20.0f}, {30.5f, 10.25f}, {41.3f, 45.7f}, {5.5f, 47.1f}};
    for (const auto& start : starts)
        map->startDrop(start[0], start[1]);
    std::printf("%s | %s: drops stop after %ld steps\n", world.name, filterCase.name,
                DropRun::runToEnd(*map));
    for (const WaterDrop* drop : map->drops()) {
        std::uint32_t hash = kEmptyHash;
        for (const MapPoint& point : drop->path())
            hash = hashed(hashed(hashed(hash, point.x()), point.y()), point.z());
        std::printf("  drop path of %zu points 0x%08x\n", drop->path().size(), unsigned(hash));
    }
}

std::unique_ptr<Filter> hydraulic(const char* seed, int droplets, int lifetime, double radius,
                                  double inertia)
{
    HydraulicErosion::Settings settings;
    settings.seed = seed;
    settings.droplets = droplets;
    settings.lifetime = lifetime;
    settings.radius = radius;
    settings.inertia = inertia;
    auto filter = std::make_unique<HydraulicErosion>();
    filter->setSettings(settings);
    return filter;
}

std::unique_ptr<Filter> thermal(double angle, int iterations, double rate)
{
    auto filter = std::make_unique<ThermalErosion>();
    filter->setSettings({angle, iterations, rate});
    return filter;
}

// An eroded world: a golden world through a list of erosion filters; its
// checksum covers the heights and then the three masks.
struct ErodedWorld
{
    std::uint32_t checksum;
    const char* name;
    std::size_t world; // in kWorlds
    FilterList (*filters)();
};

template <typename... Filters> FilterList listOf(Filters... filters)
{
    FilterList list;
    (list.push_back(std::move(filters)), ...);
    return list;
}

// Sizes and lifetimes that make several tiles of each colour, so that the
// three threads share the work.
// clang-format off
const ErodedWorld kErodedWorlds[] = {
    {0xaf1201bdu, "hydraulic defaults, peaks abc 50x50", 5,
     [] { return listOf(std::unique_ptr<Filter>(std::make_unique<HydraulicErosion>())); }},
    {0x5de743b9u, "hydraulic short, chain Terravik 99x99", 11,
     [] { return listOf(hydraulic("Terravik", 30000, 12, 2.5, 0.1)); }},
    {0x3a77e366u, "hydraulic wide, random abc 50x50", 0,
     [] { return listOf(hydraulic("x", 5000, 6, 4.0, 0.6)); }},
    {0x1d879f24u, "thermal defaults, peaks Terravik 99x99", 6,
     [] { return listOf(std::unique_ptr<Filter>(std::make_unique<ThermalErosion>())); }},
    {0xa6e3cfa2u, "thermal 25 degrees, chain abc 50x50", 10,
     [] { return listOf(thermal(25.0, 100, 1.0)); }},
    {0x061e2757u, "thermal, hydraulic, chain Terravik 99x99", 11,
     [] { return listOf(thermal(50.0, 20, 0.5), hydraulic("both", 20000, 10, 3.0, 0.3)); }},
};
// clang-format on

std::uint32_t erodedChecksum(const ErodedWorld& eroded, int threads)
{
    QThreadPool::globalInstance()->setMaxThreadCount(threads);
    const auto base = build(kWorlds[eroded.world]);
    ErosionMasks masks;
    masks.resetFor(*base);
    const FilterList filters = eroded.filters();
    std::uint32_t hash = checksum(*applyFilterList(*base, filters, {nullptr, &masks}));
    for (const std::vector<float>* mask : {&masks.erosion, &masks.deposition, &masks.flow}) {
        for (const float value : *mask)
            hash = hashed(hash, value);
    }
    return hash;
}

// Draws on the given raw outputs; true when all of them, and no more, were taken.
template <typename Draw> bool drawsOn(std::vector<std::uint32_t> outputs, Draw draw)
{
    std::size_t used = 0;
    BasicMersenneDraws draws([&] { return outputs.at(used++); });
    return draw(draws) && used == outputs.size();
}

} // namespace

int main()
{
    for (const World& world : kWorlds) {
        const std::uint32_t sum = checksum(*build(world));
        std::printf("%-24s 0x%08x%s\n", world.name, unsigned(sum),
                    sum == world.checksum ? "" : " differs from the table");
        failures += sum == world.checksum ? 0 : 1;
    }

    // 4294967295 = 3 * 1431655765 = 29 * 148102320 + 15: with three values only
    // the largest output is rejected, with 29 every output from 4294967280 up.
    const std::uint32_t max = 4294967295u;
    const auto integer = [](int low, int high, int expected) {
        return [=](auto& draws) { return draws.uniformInteger(low, high) == expected; };
    };
    expect(drawsOn({max - 1}, integer(1, 3, 3)), "1..3 takes 4294967294");
    expect(drawsOn({max, max, 4}, integer(1, 3, 2)), "1..3 rejects 4294967295");
    expect(drawsOn({max - 16}, integer(4, 32, 32)), "4..32 takes 4294967279");
    expect(drawsOn({max - 15, max, max - 8, 30}, integer(4, 32, 5)),
           "4..32 rejects from 4294967280");
    // Normal draws take pairs until u1^2 + u2^2 < 1 and throw the second value
    // away: U = 0.25, 0.5 gives -2 sqrt(ln 2), the float -1.6651092767715454;
    // (1, 1) and (1, 0) are drawn again.
    expect(drawsOn({max, max, max, 2u << 30, 1u << 30, 2u << 30},
                   [](auto& draws) {
                       return draws.normal(6.25f, 4.0f) == 6.25f - 4.0f * 1.6651092767715454f;
                   }),
           "a normal draw rejects s = 2 and s = 1");

    // Slots of ten digits multiply by (10^10 mod 2^32) + 1 = 1410065409; the
    // folds were reckoned with Python's exact integers.
    expect(Seed(QByteArray(16 * 3921569, char(0xff))).toInt() == 2095957488, "ten-digit slots");
    const Map map(3, 2);
    expect(!map.pointAt(3, 0) && !map.pointAt(0, 2) && map.pointAt(2, 1)->x() == 2.0f,
           "no point past the grid");
    // The clock seed reseeds the platform generator with the time and takes
    // sixteen values from it.
    std::time_t now = 0;
    int seventeenth = 0;
    do {
        now = std::time(nullptr);
        seventeenth = (Seed(), PlatformRandom::next());
    } while (std::time(nullptr) != now);
    PlatformRandom::seed(std::uint32_t(now));
    for (int i = 0; i < Seed::kSlotCount; ++i)
        PlatformRandom::next();
    expect(PlatformRandom::next() == seventeenth, "the clock seed");

    for (const FilteredWorld& filtered : kFilteredWorlds)
        checkFilteredWorld(filtered);
    printDropPaths(kWorlds[0], kFilters[0]);
    printDropPaths(kWorlds[5], kFilters[1]);
    printDropPaths(kWorlds[10], kFilters[2]);

    for (const ErodedWorld& eroded : kErodedWorlds) {
        const std::uint32_t one = erodedChecksum(eroded, 1);
        const std::uint32_t three = erodedChecksum(eroded, 3);
        std::printf("%-48s 0x%08x%s%s\n", eroded.name, unsigned(one),
                    one == eroded.checksum ? "" : " differs from the table",
                    one == three ? "" : " and from three threads'");
        failures += one == eroded.checksum && one == three ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
