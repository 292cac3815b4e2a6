// Runs water drops to their end over small maps of arbitrary heights.
//
// Input: byte 0 the width and byte 1 the length (mod 17 each), byte 2 the
// number of drops (mod 9), byte 3 the encoding: with bit 0 set, the start
// coordinates are float bits (four bytes each, any value), otherwise one byte
// each, read as byte / 16; with bit 1 set, the heights are float bits,
// otherwise one signed byte each, read as byte / 16. Then the starts (x, y per
// drop), then the heights in x-major order (zero once the input runs out).
//
// Setting TERRAVIK_FUZZ_TRAP_ON_LIMIT in the environment turns a run that
// reaches the step limit into a crash, so that libFuzzer keeps and can
// minimise the input.

#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "fuzzsupport.h"
#include "terrain/map.h"
#include "view/terrainmesh.h"

#include <QVector3D>
#include <QVector>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr unsigned kMaxSide = 16;
constexpr unsigned kMaxDrops = 8;
constexpr long kStepLimit = 20000;

struct RunCounts
{
    unsigned long runs = 0;
    unsigned long limitReached = 0;

    ~RunCounts()
    {
        if (runs > 0) {
            std::fprintf(stderr, "fuzz_drops: %lu runs, %lu reached the limit of %ld steps\n", runs,
                         limitReached, kStepLimit);
        }
    }
};

RunCounts counts;

float readCoordinate(FuzzInput& input, bool asFloatBits)
{
    return asFloatBits ? input.floatBits() : float(input.byte()) / 16.0f;
}

float readHeight(FuzzInput& input, bool asFloatBits)
{
    return asFloatBits ? input.floatBits() : float(std::int8_t(input.byte())) / 16.0f;
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
    ++counts.runs;
    if (!allStopped) {
        ++counts.limitReached;
        if (std::getenv("TERRAVIK_FUZZ_TRAP_ON_LIMIT") != nullptr) {
            FUZZ_CHECK(false, "a drop still runs after the step limit");
        }
    }
    checkPaths(map);
    checkDropLines(map);
    return 0;
}
