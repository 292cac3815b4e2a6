#include "generators/fullyrandommapbuilder.h"

#include "terrain/parallelranges.h"
#include "terrain/platformrandom.h"

#include <algorithm>

namespace {

// Below this many draws a range is not worth a thread.
constexpr std::size_t kDrawsPerRange = 32768;

// The k-th draw after seeding goes to world point k (x-major order), so
// column x of the window starts at draw (window.x + x) * worldLength +
// window.y. Each column starts from the state the serial run would have
// reached there: the heights are the serial ones, and a window costs its own
// draws only, whatever the world's size.
void drawUnitHeights(Map& map, const Region& window, std::uint32_t worldLength)
{
    const std::uint32_t start = PlatformRandom::state();
    const std::size_t length = window.length;
    MapPoint* points = map.points().data();
    const std::size_t grain =
        std::max<std::size_t>(1, kDrawsPerRange / std::max<std::size_t>(length, 1));
    ParallelRanges::run(window.width, grain, [&](std::size_t begin, std::size_t end) {
        for (std::size_t x = begin; x < end; ++x) {
            const std::uint64_t first =
                (std::uint64_t(window.x) + x) * worldLength + std::uint64_t(window.y);
            std::uint32_t state = PlatformRandom::jumpAhead(start, first);
            MapPoint* column = points + x * length;
            for (std::size_t y = 0; y < length; ++y) {
                state = PlatformRandom::step(state);
                column[y].setZ(float(PlatformRandom::valueOf(state)) / 32767.0f);
            }
        }
    });
}

} // namespace

std::unique_ptr<Map> FullyRandomMapBuilder::build()
{
    startBuild();
    const Region part = window();
    auto map = std::make_unique<Map>(part.width, part.length);
    const std::uint64_t worldDraws = std::uint64_t(width()) * length();
    if (!referencePath()) {
        const std::uint32_t start = PlatformRandom::state();
        drawUnitHeights(*map, part, length());
        // The generator ends where the serial run over the whole world ends.
        PlatformRandom::seed(PlatformRandom::jumpAhead(start, worldDraws));
        return map;
    }
    // The serial walk over the whole world, x outer, y inner, keeping the
    // draws that fall in the window.
    for (std::uint32_t x = 0; x < width(); ++x) {
        for (std::uint32_t y = 0; y < length(); ++y) {
            const float height = randomUnit();
            if (x >= part.x && x < part.xEnd() && y >= part.y && y < part.yEnd()) {
                map->pointAt(x - part.x, y - part.y)->setZ(height);
            }
        }
    }
    return map;
}
