#include "generators/fullyrandommapbuilder.h"

#include "terrain/parallelranges.h"
#include "terrain/platformrandom.h"

namespace {

// Below this many draws a range is not worth a thread.
constexpr std::size_t kDrawsPerRange = 32768;

// The k-th draw after seeding goes to point k (x-major order). Each range
// starts from the state the serial run would have reached there, so the
// heights and the generator's final state are the serial ones.
void drawUnitHeights(std::vector<MapPoint>& points)
{
    const std::uint32_t start = PlatformRandom::state();
    ParallelRanges::run(points.size(), kDrawsPerRange, [&](std::size_t begin, std::size_t end) {
        std::uint32_t state = PlatformRandom::jumpAhead(start, begin);
        for (std::size_t i = begin; i < end; ++i) {
            state = PlatformRandom::step(state);
            points[i].setZ(float(PlatformRandom::valueOf(state)) / 32767.0f);
        }
    });
    PlatformRandom::seed(PlatformRandom::jumpAhead(start, points.size()));
}

} // namespace

std::unique_ptr<Map> FullyRandomMapBuilder::build()
{
    startBuild();
    auto map = std::make_unique<Map>(width(), length());
    if (!referencePath()) {
        drawUnitHeights(map->points());
        return map;
    }
    // The points are stored x-major, so this walk is x outer, y inner.
    for (MapPoint& point : map->points()) {
        point.setZ(randomUnit());
    }
    return map;
}
