// Builds maps with each generator from arbitrary sizes and seed texts.
//
// Input: byte 0 picks the generator (mod 3: fully random, mountain peaks,
// mountain peaks chain), byte 1 the width and byte 2 the length (mod 100 each);
// the remaining bytes are the seed text.

#include "fuzzsupport.h"
#include "generators/generatorchoice.h"
#include "mapchecks.h"
#include "terrain/platformrandom.h"

#include <QByteArray>
#include <memory>

namespace {

struct BuildRequest
{
    unsigned generator;
    std::int32_t width;
    std::int32_t length;
    QByteArray seedText;
};

std::unique_ptr<Map> build(MapBuilder& builder, const BuildRequest& request)
{
    builder.setSeed(request.seedText).setWidth(request.width).setLength(request.length);
    return builder.build();
}

void checkUnitHeights(const Map& map)
{
    for (const MapPoint& point : map.points()) {
        FUZZ_CHECK(point.z() >= 0.0f && point.z() <= 1.0f, "a fully random height lies in [0, 1]");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    BuildRequest request;
    request.generator = input.choice(3);
    request.width = std::int32_t(input.choice(100));
    request.length = std::int32_t(input.choice(100));
    request.seedText =
        QByteArray(reinterpret_cast<const char*>(input.rest()), static_cast<int>(input.restSize()));

    const std::unique_ptr<MapBuilder> builder = makeMapBuilder(int(request.generator));
    const std::unique_ptr<Map> map = build(*builder, request);
    FUZZ_CHECK(map != nullptr, "a generator returns a map");
    checkGrid(*map, std::uint32_t(request.width), std::uint32_t(request.length));
    if (request.generator == 0) {
        checkUnitHeights(*map);
    }

    // The shared random generator in another state must not matter: every
    // build reseeds it.
    PlatformRandom::seed(~std::uint32_t(size));
    PlatformRandom::next();
    const std::unique_ptr<Map> again = build(*makeMapBuilder(int(request.generator)), request);
    FUZZ_CHECK(again != nullptr && sameBits(*map, *again),
               "the same seed and size give the same map, bit for bit");

    // The mountain peaks builder keeps its peaks: a second build appends the
    // same set again, which leaves every maximum where it was.
    if (request.generator == 1) {
        const std::unique_ptr<Map> rebuilt = builder->build();
        FUZZ_CHECK(rebuilt != nullptr && sameBits(*map, *rebuilt),
                   "building twice on one builder gives the same map");
    }
    return 0;
}
