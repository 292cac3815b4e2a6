#include "filters/hydraulicerosion.h"

#include "filters/droplet.h"
#include "filters/erosionmasks.h"
#include "terrain/map.h"
#include "terrain/parallelranges.h"
#include "terrain/workprogress.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using Settings = HydraulicErosion::Settings;

// A batch holds about one droplet per this many cells of the map: the tile
// grid moves between batches often enough that no tile's edge shows.
constexpr std::uint64_t kCellsPerBatchDroplet = 16;
// The height unit is the map's range over its longer side times this: a
// mountain world's slopes then come to a few hundredths of a unit per point,
// where the model's customary settings carve valleys rather than noise.
constexpr double kUnitsPerSlope = 64.0;
constexpr std::uint64_t kGolden = 0x9e3779b97f4a7c15u;

// SplitMix64's finaliser: every bit of the result depends on every bit of z.
std::uint64_t mixed(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

std::uint64_t combined(std::uint64_t key, std::uint64_t value)
{
    return mixed(key ^ mixed(value + kGolden));
}

// FNV-1a over the seed text's UTF-8 bytes.
std::uint64_t seedKey(const QString& seed)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char byte : seed.toUtf8()) {
        hash = (hash ^ std::uint8_t(byte)) * 0x100000001b3u;
    }
    return mixed(hash);
}

// SplitMix64: one stream per (seed, batch, tile), never per thread.
class RandomStream
{
public:
    explicit RandomStream(std::uint64_t key) : state_(key) {}
    std::uint64_t next()
    {
        state_ += kGolden;
        return mixed(state_);
    }
    // Uniform enough in [0, count) for count < 2^32.
    std::uint64_t below(std::uint64_t count) { return ((next() >> 32) * count) >> 32; }
    // 24 random bits in [0, 1).
    float fraction() { return float(next() >> 40) * 0x1p-24f; }

private:
    std::uint64_t state_;
};

// A coordinate inside the cell: a fraction that rounds up to the next node
// is moved back just below it.
float inCell(std::uint32_t cell, float fraction)
{
    const float next = float(cell + 1);
    const float value = float(cell) + fraction;
    return value < next ? value : std::nextafter(next, 0.0f);
}

// The lowest and highest erodible heights; with none, low lies above high.
struct ErodibleRange
{
    float low = kErodibleHeight;
    float high = -kErodibleHeight;
};

ErodibleRange erodibleRange(const std::vector<float>& heights)
{
    ErodibleRange range;
    for (const float height : heights) {
        if (isErodible(height)) {
            range.low = std::min(range.low, height);
            range.high = std::max(range.high, height);
        }
    }
    return range;
}

// The map's height unit: its range of erodible heights over its longer side,
// times kUnitsPerSlope.
double heightUnit(const ErodibleRange& range, std::uint32_t width, std::uint32_t length)
{
    const double unit =
        (double(range.high) - double(range.low)) / double(std::max(width, length)) * kUnitsPerSlope;
    return unit >= 0x1p-100 ? unit : 1.0;
}

DropletConstants constantsFor(const Settings& settings, double unit)
{
    DropletConstants constants;
    constants.inertia = float(settings.inertia);
    constants.gradientWeight = float((1.0 - settings.inertia) / unit);
    constants.capacity = float(settings.capacity);
    constants.minimumDrop = float(settings.minimumSlope * unit);
    constants.erosionRate = float(settings.erosionRate);
    constants.depositionRate = float(settings.depositionRate);
    constants.keepWater = float(1.0 - settings.evaporation);
    constants.gravityPerHeight = float(settings.gravity / unit);
    constants.lifetime = settings.lifetime;
    return constants;
}

// A rectangle of cells whose droplets run one after the other.
struct Tile
{
    std::uint32_t x0, y0, width, length;
    std::uint64_t droplets;
    std::uint64_t streamKey;
    int colour; // 0 to 3: tiles of one colour are two tiles apart
};

// Which droplet runs where and when. The cells (the squares between four
// nodes, where droplets start) are cut into square tiles of twice a
// droplet's reach; tiles of one checkerboard colour (of four, by the parity
// of the tile's column and row) lie a whole tile apart, so their droplets
// never touch the same point and can run at once in any order. A batch
// runs the colours in turn; its droplets are shared among its tiles in
// proportion to their cells, and start uniformly within them. Each batch
// shifts the grid by offsets drawn from the seed.
class DropletSchedule
{
public:
    DropletSchedule(const Settings& settings, const Map& map, int reach)
        : key_(seedKey(settings.seed)), droplets_(std::uint64_t(std::max(settings.droplets, 0))),
          cellsX_(map.width() - 1), cellsY_(map.length() - 1), side_(2 * std::uint32_t(reach))
    {
        const std::uint64_t perBatch =
            std::max<std::uint64_t>(1, std::uint64_t(cellsX_) * cellsY_ / kCellsPerBatchDroplet);
        batches_ = (droplets_ + perBatch - 1) / perBatch;
    }

    std::uint64_t batches() const { return batches_; }

    std::vector<Tile> tilesOf(std::uint64_t batch) const
    {
        const std::uint64_t batchKey = combined(key_, batch);
        RandomStream offsets(combined(batchKey, 0));
        const auto shiftX = std::uint32_t(offsets.below(side_));
        const auto shiftY = std::uint32_t(offsets.below(side_));
        const std::uint32_t columns = (cellsX_ + shiftX + side_ - 1) / side_;
        const std::uint32_t rows = (cellsY_ + shiftY + side_ - 1) / side_;
        std::vector<Tile> tiles;
        tiles.reserve(std::size_t(columns) * rows);
        for (std::uint32_t tx = 0; tx < columns; ++tx) {
            const auto [x0, x1] = span(tx, shiftX, cellsX_);
            for (std::uint32_t ty = 0; ty < rows; ++ty) {
                const auto [y0, y1] = span(ty, shiftY, cellsY_);
                tiles.push_back({x0, y0, x1 - x0, y1 - y0, 0, combined(batchKey, 1 + tiles.size()),
                                 int(tx % 2 + 2 * (ty % 2))});
            }
        }
        shareDroplets(tiles, dropletsOf(batch));
        return tiles;
    }

private:
    // Cells [first, end) of tile number `tile` along an axis of `cells` cells.
    std::pair<std::uint32_t, std::uint32_t> span(std::uint32_t tile, std::uint32_t shift,
                                                 std::uint32_t cells) const
    {
        const std::uint64_t first = std::uint64_t(tile) * side_;
        const std::uint64_t end = first + side_;
        return {std::uint32_t(first > shift ? first - shift : 0),
                std::uint32_t(std::min<std::uint64_t>(end - shift, cells))};
    }

    std::uint64_t dropletsOf(std::uint64_t batch) const
    {
        return share(droplets_, batch + 1, batches_) - share(droplets_, batch, batches_);
    }

    // floor(total * part / whole) without overflow.
    static std::uint64_t share(std::uint64_t total, std::uint64_t part, std::uint64_t whole)
    {
        __extension__ using Wide = unsigned __int128;
        return std::uint64_t(Wide(total) * part / whole);
    }

    static void shareDroplets(std::vector<Tile>& tiles, std::uint64_t droplets)
    {
        std::uint64_t cells = 0;
        for (const Tile& tile : tiles) {
            cells += std::uint64_t(tile.width) * tile.length;
        }
        std::uint64_t before = 0;
        for (Tile& tile : tiles) {
            const std::uint64_t through = before + std::uint64_t(tile.width) * tile.length;
            tile.droplets = share(droplets, through, cells) - share(droplets, before, cells);
            before = through;
        }
    }

    std::uint64_t key_;
    std::uint64_t droplets_;
    std::uint32_t cellsX_;
    std::uint32_t cellsY_;
    std::uint32_t side_;
    std::uint64_t batches_ = 0;
};

// What the droplets of a tile carried off and how far they went.
struct TileRun
{
    double carriedOff = 0.0;
    std::uint64_t steps = 0;
};

// The droplets of one tile, in their fixed order.
TileRun runTile(const Tile& tile, const DropletModel& model, ErosionGrid& grid)
{
    RandomStream random(tile.streamKey);
    const std::uint64_t cells = std::uint64_t(tile.width) * tile.length;
    TileRun result;
    for (std::uint64_t i = 0; i < tile.droplets; ++i) {
        const std::uint64_t cell = random.below(cells);
        const float x = inCell(tile.x0 + std::uint32_t(cell / tile.length), random.fraction());
        const float y = inCell(tile.y0 + std::uint32_t(cell % tile.length), random.fraction());
        const DropletModel::Run run = model.run(grid, x, y);
        result.carriedOff += double(run.lost);
        result.steps += std::uint64_t(run.steps);
    }
    return result;
}

// The tiles of one colour, the busiest first so that the last ones to start
// are short; they touch disjoint points, so their order changes no bit.
std::vector<std::size_t> tilesOfColour(const std::vector<Tile>& tiles, int colour)
{
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        if (tiles[i].colour == colour && tiles[i].droplets > 0) {
            chosen.push_back(i);
        }
    }
    std::stable_sort(chosen.begin(), chosen.end(), [&](std::size_t a, std::size_t b) {
        return tiles[a].droplets > tiles[b].droplets;
    });
    return chosen;
}

} // namespace

bool HydraulicErosion::Settings::operator==(const Settings& other) const
{
    return droplets == other.droplets && seed == other.seed && inertia == other.inertia &&
           capacity == other.capacity && minimumSlope == other.minimumSlope &&
           erosionRate == other.erosionRate && depositionRate == other.depositionRate &&
           evaporation == other.evaporation && gravity == other.gravity && radius == other.radius &&
           lifetime == other.lifetime;
}

const NumberSettings<Settings>& HydraulicErosion::numberSettings()
{
    // clang-format off
    static const NumberSettings<Settings> table = {
        {"droplets", "Droplets", 0, 100000000, 0,
         [](const Settings& s) { return double(s.droplets); },
         [](Settings& s, double v) { s.droplets = int(v); }},
        {"inertia", "Inertia", 0, 0.99, 2,
         [](const Settings& s) { return s.inertia; }, [](Settings& s, double v) { s.inertia = v; }},
        {"capacity", "Capacity", 0, 64, 2,
         [](const Settings& s) { return s.capacity; }, [](Settings& s, double v) { s.capacity = v; }},
        {"minimumSlope", "Minimum slope", 0, 1, 3,
         [](const Settings& s) { return s.minimumSlope; },
         [](Settings& s, double v) { s.minimumSlope = v; }},
        {"erosionRate", "Erosion rate", 0, 1, 2,
         [](const Settings& s) { return s.erosionRate; },
         [](Settings& s, double v) { s.erosionRate = v; }},
        {"depositionRate", "Deposition rate", 0, 1, 2,
         [](const Settings& s) { return s.depositionRate; },
         [](Settings& s, double v) { s.depositionRate = v; }},
        {"evaporation", "Evaporation", 0, 1, 3,
         [](const Settings& s) { return s.evaporation; },
         [](Settings& s, double v) { s.evaporation = v; }},
        {"gravity", "Gravity", 0, 64, 2,
         [](const Settings& s) { return s.gravity; }, [](Settings& s, double v) { s.gravity = v; }},
        {"radius", "Radius", 1, 8, 1,
         [](const Settings& s) { return s.radius; }, [](Settings& s, double v) { s.radius = v; }},
        {"lifetime", "Lifetime", 1, 500, 0,
         [](const Settings& s) { return double(s.lifetime); },
         [](Settings& s, double v) { s.lifetime = int(v); }},
    };
    // clang-format on
    return table;
}

const TextSettings<HydraulicErosion::Settings>& HydraulicErosion::textSettings()
{
    static const TextSettings<Settings> table = {
        {"seed", "Seed", [](const Settings& s) { return s.seed; },
         [](Settings& s, const QString& text) { s.seed = text; }},
    };
    return table;
}

HydraulicErosion::HydraulicErosion() : Filter(QString::fromLatin1(Title)) {}

HydraulicErosion::HydraulicErosion(const QString& name) : Filter(name) {}

std::unique_ptr<Filter> HydraulicErosion::clone() const
{
    return std::make_unique<HydraulicErosion>(*this);
}

bool HydraulicErosion::sameSettings(const Filter& other) const
{
    return settings_ == static_cast<const HydraulicErosion&>(other).settings_;
}

std::unique_ptr<Map> HydraulicErosion::apply(const Map& input) const
{
    auto output = std::make_unique<Map>(input.width(), input.length());
    applyInto(input, *output);
    return output;
}

void HydraulicErosion::applyInto(const Map& input, Map& output) const
{
    erode(input, output, {});
}

void HydraulicErosion::applyWithin(const Map& input, Map& output, const FilterRun& run) const
{
    erode(input, output, run);
}

HydraulicErosion::Outcome HydraulicErosion::erode(const Map& input, Map& output,
                                                  const FilterRun& run) const
{
    Q_ASSERT(output.width() == input.width() && output.length() == input.length());
    std::vector<float> heights;
    heights.reserve(input.points().size());
    for (const MapPoint& point : input.points()) {
        heights.push_back(point.z());
    }
    ErosionGrid grid;
    grid.heights = heights.data();
    grid.width = input.width();
    grid.length = input.length();
    grid.everyHeightErodible = everyHeightErodible(heights.data(), heights.size());
    const ErodibleRange range = erodibleRange(heights);
    grid.baseLevel = range.low;
    if (run.masks != nullptr && run.masks->fits(input)) {
        grid.erosion = run.masks->erosion.data();
        grid.deposition = run.masks->deposition.data();
        grid.flow = run.masks->flow.data();
    }

    Outcome outcome;
    if (input.width() >= 2 && input.length() >= 2) {
        const DropletModel model(
            constantsFor(settings_, heightUnit(range, input.width(), input.length())),
            settings_.radius);
        const DropletSchedule schedule(settings_, input,
                                       model.reach(std::max(input.width(), input.length())));
        for (std::uint64_t batch = 0; batch < schedule.batches(); ++batch) {
            const std::vector<Tile> tiles = schedule.tilesOf(batch);
            std::vector<TileRun> runs(tiles.size());
            for (int colour = 0; colour < 4; ++colour) {
                const std::vector<std::size_t> chosen = tilesOfColour(tiles, colour);
                ParallelRanges::run(chosen.size(), 1, [&](std::size_t begin, std::size_t end) {
                    for (std::size_t i = begin; i < end; ++i) {
                        runs[chosen[i]] = runTile(tiles[chosen[i]], model, grid);
                    }
                });
            }
            for (const TileRun& run : runs) {
                outcome.carriedOff += run.carriedOff;
                outcome.steps += run.steps;
            }
            if (!advance(run.progress, double(batch + 1) / double(schedule.batches()))) {
                outcome.finished = false;
                return outcome;
            }
        }
    }
    std::vector<MapPoint>& points = output.points();
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i].setZ(heights[i]);
    }
    return outcome;
}
