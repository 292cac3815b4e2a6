#pragma once

#include "generators/fullyrandommapbuilder.h"
#include "generators/peaksmountainchainmapbuilder.h"
#include "generators/simplepeaksmoutainmapbuilder.h"
#include "terrain/map.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

// Each world's heights pinned by FNV-1a-32 over their float bits, low byte
// first, in point order. golden_worlds.py rebuilds every world independently
// in Python; its --check option compares the values with this table.
namespace GoldenWorlds {

enum class Generator
{
    FullyRandom,
    SimplePeaks,
    PeaksChain
};

struct World
{
    const char* name;
    Generator generator;
    const char* seedText;
    std::int32_t width;
    std::int32_t length;
    std::uint32_t checksum;
};

constexpr const char* highBytesText = "\xff\x80 seventeen bytes";

// clang-format off
constexpr std::array<World, 15> worlds{{
    {"random abc 50x50",      Generator::FullyRandom, "abc",         50, 50, 0x3143f5f5u},
    {"random Terravik 99x99", Generator::FullyRandom, "Terravik",    99, 99, 0xd4c89cf3u},
    {"random empty 7x5",      Generator::FullyRandom, "",             7,  5, 0x360f2e85u},
    {"random x 1x1",          Generator::FullyRandom, "x",            1,  1, 0xbb69bc7fu},
    {"random high 20x30",     Generator::FullyRandom, highBytesText, 20, 30, 0xe4bc6644u},
    {"peaks abc 50x50",       Generator::SimplePeaks, "abc",         50, 50, 0xdbef7565u},
    {"peaks Terravik 99x99",  Generator::SimplePeaks, "Terravik",    99, 99, 0xf1f82ec9u},
    {"peaks empty 7x5",       Generator::SimplePeaks, "",             7,  5, 0x7b4d2d87u},
    {"peaks x 1x1",           Generator::SimplePeaks, "x",            1,  1, 0xd295aa05u},
    {"peaks high 20x30",      Generator::SimplePeaks, highBytesText, 20, 30, 0xe3e41dd0u},
    {"chain abc 50x50",       Generator::PeaksChain,  "abc",         50, 50, 0x3b7ba222u},
    {"chain Terravik 99x99",  Generator::PeaksChain,  "Terravik",    99, 99, 0xc7a3b997u},
    {"chain empty 7x5",       Generator::PeaksChain,  "",             7,  5, 0x81f5ff12u},
    {"chain x 1x1",           Generator::PeaksChain,  "x",            1,  1, 0x3e028f75u},
    {"chain high 20x30",      Generator::PeaksChain,  highBytesText, 20, 30, 0x1b6318eau},
}};
// clang-format on

inline std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

constexpr std::uint32_t emptyHash = 0x811c9dc5u;

inline std::uint32_t hashed(std::uint32_t hash, float value)
{
    const std::uint32_t bits = bitsOf(value);
    for (int shift = 0; shift < 32; shift += 8) {
        hash ^= (bits >> shift) & 0xffu;
        hash *= 0x01000193u;
    }
    return hash;
}

inline std::uint32_t checksum(const Map& map)
{
    std::uint32_t hash = emptyHash;
    for (const MapPoint& point : map.points()) {
        hash = hashed(hash, point.z());
    }
    return hash;
}

inline std::unique_ptr<MapBuilder> makeBuilder(Generator generator)
{
    switch (generator) {
    case Generator::FullyRandom:
        return std::make_unique<FullyRandomMapBuilder>();
    case Generator::SimplePeaks:
        return std::make_unique<SimplePeaksMoutainMapBuilder>();
    case Generator::PeaksChain:
        return std::make_unique<PeaksMountainChainMapBuilder>();
    }
    return nullptr;
}

inline std::unique_ptr<Map> build(const World& world)
{
    auto builder = makeBuilder(world.generator);
    builder->setSeed(QByteArray(world.seedText)).setWidth(world.width).setLength(world.length);
    return builder->build();
}

} // namespace GoldenWorlds
