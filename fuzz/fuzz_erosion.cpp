// Erodes small maps of arbitrary heights with arbitrary settings within their
// ranges, on one thread and on three: both runs must end, give the same bits
// (heights and masks), leave heights that are not erodible (inf, NaN, beyond
// 2^64) as they were and keep every other height finite.
//
// Input: byte 0 the kind (bit 0: thermal, else hydraulic) and the heights'
// encoding (bit 1: float bits, four bytes a point; else one signed byte a
// point, read as byte / 16); bytes 1 and 2 the width and length (mod 49
// each); then one byte per numeric setting in the table's order, read as
// byte / 255 of the way from its minimum to its maximum (droplets: byte * 4;
// iterations: byte * 8, so that a run stays short); for hydraulic erosion
// one more byte, the seed text's length (mod 8), and the seed's bytes; then
// the heights in x-major order (zero once the input runs out).

#include "filters/droplet.h"
#include "filters/erosionmasks.h"
#include "filters/hydraulicerosion.h"
#include "filters/thermalerosion.h"
#include "fuzzsupport.h"

#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

template <typename Settings>
void readSettings(FuzzInput& input, Settings& settings, const NumberSettings<Settings>& table)
{
    for (const NumberSetting<Settings>& row : table) {
        const double byte = input.byte();
        const QString key = row.key;
        if (key == "droplets") {
            row.set(settings, byte * 4);
        } else if (key == "iterations") {
            row.set(settings, byte * 8);
        } else {
            row.set(settings, row.minimum + (row.maximum - row.minimum) * byte / 255.0);
        }
    }
}

std::unique_ptr<Filter> readFilter(FuzzInput& input, bool isThermal)
{
    if (isThermal) {
        auto filter = std::make_unique<ThermalErosion>();
        ThermalErosion::Settings settings;
        readSettings(input, settings, ThermalErosion::numberSettings());
        filter->setSettings(settings);
        return filter;
    }
    auto filter = std::make_unique<HydraulicErosion>();
    HydraulicErosion::Settings settings;
    readSettings(input, settings, HydraulicErosion::numberSettings());
    QByteArray seed;
    for (unsigned count = input.choice(8); count > 0; --count) {
        seed.append(char(input.byte()));
    }
    settings.seed = QString::fromLatin1(seed);
    filter->setSettings(settings);
    return filter;
}

struct Eroded
{
    std::unique_ptr<Map> map;
    ErosionMasks masks;
};

Eroded erode(const Filter& filter, const Map& map, int threads)
{
    QThreadPool::globalInstance()->setMaxThreadCount(threads);
    Eroded eroded{std::make_unique<Map>(map.width(), map.length()), {}};
    eroded.masks.resetFor(map);
    filter.applyWithin(map, *eroded.map, {nullptr, &eroded.masks});
    return eroded;
}

bool sameFloats(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint8_t kind = input.byte();
    const std::uint32_t width = input.choice(49);
    const std::uint32_t length = input.choice(49);
    const std::unique_ptr<Filter> filter = readFilter(input, (kind & 1u) != 0);
    Map map(width, length);
    for (MapPoint& point : map.points()) {
        point.setZ((kind & 2u) != 0 ? input.floatBits() : float(std::int8_t(input.byte())) / 16.0f);
    }

    const Eroded one = erode(*filter, map, 1);
    const Eroded three = erode(*filter, map, 3);
    FUZZ_CHECK(sameHeights(*one.map, *three.map), "the same heights on 1 and 3 threads");
    FUZZ_CHECK(sameFloats(one.masks.erosion, three.masks.erosion) &&
                   sameFloats(one.masks.deposition, three.masks.deposition) &&
                   sameFloats(one.masks.flow, three.masks.flow),
               "the same masks on 1 and 3 threads");
    float lowest = kErodibleHeight;
    for (const MapPoint& point : map.points()) {
        if (isErodible(point.z())) {
            lowest = std::min(lowest, point.z());
        }
    }
    for (std::size_t i = 0; i < map.points().size(); ++i) {
        const float before = map.points()[i].z();
        const float after = one.map->points()[i].z();
        if (isErodible(before)) {
            FUZZ_CHECK(std::isfinite(after), "a finite height stays finite");
            FUZZ_CHECK(after >= lowest, "no height worn below the land's lowest");
        } else {
            FUZZ_CHECK(bitsOf(after) == bitsOf(before), "a wall stays as it was");
        }
        FUZZ_CHECK(std::isfinite(one.masks.erosion[i]) && std::isfinite(one.masks.deposition[i]) &&
                       std::isfinite(one.masks.flow[i]),
                   "the masks stay finite");
    }
    return 0;
}
