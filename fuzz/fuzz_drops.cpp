// Runs water drops to their end over small maps of arbitrary heights.
//
// Input: byte 0 the width and byte 1 the length (mod 17 each), byte 2 the
// number of drops (mod 9), byte 3 the encoding: with bit 0 set, the start
// coordinates are float bits (four bytes each, any value), otherwise one byte
// each, read as byte / 16; with bit 1 set, the heights are float bits,
// otherwise one signed byte each, read as byte / 16. Then the starts (x, y per
// drop), then the heights in x-major order (zero once the input runs out).
//
// A run that reaches the step limit is legitimate when a drop is still on its
// way (down a steep, gently tilted valley a drop moves a few ten-thousandths
// per step), and a fault when a drop goes round in place without the rest rule
// stopping it. Both are counted; TERRAVIK_FUZZ_TRAP_ON_LIMIT=stuck in the
// environment turns the second into a crash, and =any both, so that libFuzzer
// keeps and can minimise the input.

#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "fuzzsupport.h"
#include "terrain/map.h"
#include "view/terrainmesh.h"

#include <QVector3D>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr unsigned kMaxSide = 16;
constexpr unsigned kMaxDrops = 8;
constexpr long kStepLimit = 20000;

// A drop that stayed within this box over this many steps is going nowhere.
constexpr float kStuckSpan = 0.05f;
constexpr std::size_t kStuckWindow = 10000;

struct RunCounts
{
    unsigned long runs = 0;
    unsigned long limitReached = 0;
    unsigned long stuck = 0;

    ~RunCounts()
    {
        if (runs > 0) {
            std::fprintf(stderr,
                         "fuzz_drops: %lu runs, %lu reached the limit of %ld steps, %lu of them "
                         "with a drop stuck in place\n",
                         runs, limitReached, kStepLimit, stuck);
        }
    }
};

RunCounts counts;

// Extra coverage features for libFuzzer: runs and paths of new orders of
// magnitude count as new behaviour, which steers the fuzzer towards drops that
// take long to stop, where the coverage of the code alone stays the same.
__attribute__((used, section("__libfuzzer_extra_counters"))) std::uint8_t runLengthFeatures[64];

unsigned bitWidth(unsigned long value)
{
    unsigned width = 0;
    for (; value != 0; value >>= 1) {
        ++width;
    }
    return width;
}

void recordRunLength(const Map& map, long steps)
{
    runLengthFeatures[bitWidth(static_cast<unsigned long>(steps)) % 32]++;
    for (const WaterDrop* drop : map.drops()) {
        std::uint8_t& feature = runLengthFeatures[32 + bitWidth(drop->path().size()) % 32];
        if (feature < 255) {
            ++feature;
        }
    }
}

float readCoordinate(FuzzInput& input, bool asFloatBits)
{
    return asFloatBits ? input.floatBits() : float(input.byte()) / 16.0f;
}

float readHeight(FuzzInput& input, bool asFloatBits)
{
    return asFloatBits ? input.floatBits() : float(std::int8_t(input.byte())) / 16.0f;
}

bool isStuck(const WaterDrop& drop)
{
    const std::vector<MapPoint>& path = drop.path();
    if (drop.isStopped() || path.size() < kStuckWindow) {
        return false;
    }
    float minX = path.back().x();
    float maxX = minX;
    float minY = path.back().y();
    float maxY = minY;
    for (std::size_t i = path.size() - kStuckWindow; i < path.size(); ++i) {
        minX = std::min(minX, path[i].x());
        maxX = std::max(maxX, path[i].x());
        minY = std::min(minY, path[i].y());
        maxY = std::max(maxY, path[i].y());
    }
    return maxX - minX < kStuckSpan && maxY - minY < kStuckSpan;
}

bool trapsOn(const char* kind)
{
    const char* setting = std::getenv("TERRAVIK_FUZZ_TRAP_ON_LIMIT");
    return setting != nullptr &&
           (std::strcmp(setting, "any") == 0 || std::strcmp(setting, kind) == 0);
}

void countLimitReached(const Map& map)
{
    ++counts.limitReached;
    bool anyStuck = false;
    for (const WaterDrop* drop : map.drops()) {
        anyStuck = anyStuck || isStuck(*drop);
    }
    if (anyStuck) {
        ++counts.stuck;
        FUZZ_CHECK(!trapsOn("stuck"), "a drop goes round in place without coming to rest");
    }
    FUZZ_CHECK(!trapsOn("any"), "a drop still runs after the step limit");
}

void checkPaths(const Map& map)
{
    const bool hasSurface = map.width() >= 2 && map.length() >= 2;
    const float lastX = float(map.width()) - 1.0f;
    const float lastY = float(map.length()) - 1.0f;
    for (const WaterDrop* drop : map.drops()) {
        FUZZ_CHECK(!drop->path().empty(), "a drop's path is never empty");
        if (!hasSurface) {
            continue;
        }
        FUZZ_CHECK(drop->path().size() <= std::size_t(kStepLimit) + 1,
                   "a drop gains at most one point per step");
        for (const MapPoint& point : drop->path()) {
            FUZZ_CHECK(std::isfinite(point.x()) && std::isfinite(point.y()),
                       "a path point has a finite position");
            FUZZ_CHECK(point.x() >= 0.0f && point.x() <= lastX && point.y() >= 0.0f &&
                           point.y() <= lastY,
                       "a path point lies on the map");
        }
    }
}

void checkDropLines(const Map& map)
{
    QVector<QVector<QVector3D>> dropLines;
    QVector<QVector3D> pathVertices;
    const int total = TerrainMesh::buildDropLines(map, int(map.width()), int(map.length()),
                                                  dropLines, pathVertices);
    const std::vector<WaterDrop*> drops = map.drops();
    FUZZ_CHECK(dropLines.size() == int(drops.size()), "one line list per drop");
    int expectedTotal = 0;
    for (std::size_t i = 0; i < drops.size(); ++i) {
        const int points = int(drops[i]->path().size());
        FUZZ_CHECK(dropLines[int(i)].size() == 2 * (points - 1),
                   "a path of n points gives 2(n - 1) line ends");
        expectedTotal += points;
    }
    FUZZ_CHECK(total == expectedTotal, "the point count covers every path");
    if (!drops.empty()) {
        FUZZ_CHECK(pathVertices.size() == int(drops.back()->path().size()),
                   "the path vertices are the last drop's path");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint32_t width = input.choice(kMaxSide + 1);
    const std::uint32_t length = input.choice(kMaxSide + 1);
    const unsigned dropCount = input.choice(kMaxDrops + 1);
    const std::uint8_t encoding = input.byte();
    const bool startsAsFloatBits = (encoding & 1u) != 0;
    const bool heightsAsFloatBits = (encoding & 2u) != 0;

    std::vector<std::pair<float, float>> starts;
    for (unsigned i = 0; i < dropCount; ++i) {
        const float x = readCoordinate(input, startsAsFloatBits);
        const float y = readCoordinate(input, startsAsFloatBits);
        starts.emplace_back(x, y);
    }
    Map map(width, length);
    for (MapPoint& point : map.points()) {
        point.setZ(readHeight(input, heightsAsFloatBits));
    }

    for (const auto& [x, y] : starts) {
        map.startDrop(x, y);
    }
    FUZZ_CHECK(map.drops().size() == dropCount, "every start adds a drop");
    checkPaths(map);

    const long steps = DropRun::runToEnd(map, kStepLimit);
    FUZZ_CHECK(steps >= 1 && steps <= kStepLimit, "a run makes 1 to limit steps");
    bool allStopped = true;
    for (const WaterDrop* drop : map.drops()) {
        allStopped = allStopped && drop->isStopped();
    }
    FUZZ_CHECK(allStopped || steps == kStepLimit, "a run ends with every drop stopped");
    recordRunLength(map, steps);
    ++counts.runs;
    if (!allStopped) {
        countLimitReached(map);
    }
    checkPaths(map);
    checkDropLines(map);
    return 0;
}
