// Runs water drops to their end over small maps of arbitrary heights.
//
// Input: byte 0 the width and byte 1 the length (mod 17 each), byte 2 the
// number of drops (mod 9), byte 3 the encoding: with bit 0 set, the start
// coordinates are float bits (four bytes each, any value), otherwise one byte
// each, read as byte / 16; with bit 1 set, the heights are float bits,
// otherwise one signed byte each, read as byte / 16. Then the starts (x, y per
// drop), then the heights in x-major order (zero once the input runs out).
// A run may reach the step limit: down a steep, gently tilted valley a drop
// moves a few ten-thousandths per step.

#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "fuzzsupport.h"

#include <cmath>
#include <vector>

namespace {

constexpr long kStepLimit = 20000;

float read(FuzzInput& input, bool asFloatBits, bool isSigned)
{
    if (asFloatBits)
        return input.floatBits();
    const std::uint8_t byte = input.byte();
    return float(isSigned ? int(std::int8_t(byte)) : int(byte)) / 16.0f;
}

// Every path holds its start and at most one point per step, all on the map.
void checkPaths(const Map& map)
{
    const bool hasSurface = map.width() >= 2 && map.length() >= 2;
    for (const WaterDrop* drop : map.drops()) {
        FUZZ_CHECK(!drop->path().empty(), "a drop's path is never empty");
        FUZZ_CHECK(drop->path().size() <= std::size_t(kStepLimit) + 1, "one point per step");
        for (const MapPoint& point : drop->path()) {
            FUZZ_CHECK(!hasSurface || (point.x() >= 0.0f && point.x() <= map.width() - 1.0f &&
                                       point.y() >= 0.0f && point.y() <= map.length() - 1.0f),
                       "a path point lies on the map");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint32_t width = input.choice(17);
    const std::uint32_t length = input.choice(17);
    const unsigned dropCount = input.choice(9);
    const std::uint8_t encoding = input.byte();
    std::vector<std::pair<float, float>> starts;
    for (unsigned i = 0; i < dropCount; ++i) {
        const float x = read(input, encoding & 1u, false);
        starts.emplace_back(x, read(input, encoding & 1u, false));
    }
    Map map(width, length);
    for (MapPoint& point : map.points())
        point.setZ(read(input, encoding & 2u, true));
    for (const auto& [x, y] : starts)
        map.startDrop(x, y);
    FUZZ_CHECK(map.drops().size() == dropCount, "every start adds a drop");
    checkPaths(map);

    const long steps = DropRun::runToEnd(map, kStepLimit);
    bool allStopped = true;
    for (const WaterDrop* drop : map.drops())
        allStopped = allStopped && drop->isStopped();
    FUZZ_CHECK(steps >= 0 && steps <= kStepLimit && (allStopped || steps == kStepLimit),
               "a run ends when every drop has stopped");
    checkPaths(map);
    return 0;
}
