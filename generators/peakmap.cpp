// The fast composition of a map from peaks. Most peaks cannot win most points:
// a point's height is the highest value there, and far from a peak its value
// is tiny. The map is cut into tiles; over a tile each peak's values are
// bounded (generators/peakbounds.h) and the peaks whose highest value lies
// below another peak's lowest are dropped. At each point the remaining peaks
// are tried from the likeliest winner down, and a peak is skipped when a
// safe test shows it below the best value so far. Ties and NaN follow the
// plain loop: the earliest of equal values wins, a first NaN stays and a later
// NaN never replaces.
#include "generators/peak.h"
#include "generators/peakbounds.h"
#include "terrain/parallelranges.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::uint32_t kTileSide = 32;
// Below this many tiles a range is not worth a thread.
constexpr std::size_t kTilesPerRange = 2;
// The logarithmic skip test: below this best value, or above this height, the
// float rounding near the subnormals could exceed the margin, so the peak is
// evaluated instead. The margin is far above the 2^-22 relative rounding of a
// value.
constexpr float kLogTestLeastBest = 1e-20f;
constexpr double kLogTestLargestHeight = 1e15;
constexpr double kLogMargin = 1e-5;

struct Tile
{
    std::uint32_t xBegin;
    std::uint32_t xEnd;
    std::uint32_t yBegin;
    std::uint32_t yEnd;
};

// A peak still in the running over a tile.
struct Contender
{
    const Peak* peak;
    // The position in the peak list: equal values go to the lower one.
    std::size_t index;
    bool bounded;
    double high;
    // For a bounded peak: its values are never above 0.
    bool neverPositive;
    // For a bounded peak of a positive height that the logarithmic test takes.
    bool logTest;
    double logHeight;
};

// The best value at one point so far, with its logarithm for the skip test.
// When the best comes from a peak the logarithmic test takes, its logarithm
// is that peak's log height minus its exponent, off by the value's float
// rounding only (the value is far above the subnormals there), so no
// logarithm is evaluated; otherwise it is worked out once when asked for.
class Best
{
public:
    float value() const { return value_; }

    void consider(float value, const Contender& contender, float exponent)
    {
        if (!found_ || value > value_ || (value == value_ && contender.index < index_)) {
            found_ = true;
            value_ = value;
            index_ = contender.index;
            logKnown_ = contender.logTest;
            logValue_ = contender.logHeight - double(exponent);
        }
    }

    // True when the contender's value is surely below the best one: a peak
    // of a height <= 0 against a positive best, or a positive peak whose
    // logarithm falls short of the best's by more than the margin.
    bool beats(const Contender& contender, float exponent)
    {
        if (!found_ || !contender.bounded || !(value_ > 0.0f)) {
            return false;
        }
        if (contender.neverPositive) {
            return true;
        }
        if (!contender.logTest || value_ < kLogTestLeastBest) {
            return false;
        }
        if (!logKnown_) {
            logValue_ = std::log(double(value_));
            logKnown_ = true;
        }
        return contender.logHeight - double(exponent) < logValue_ - kLogMargin;
    }

private:
    bool found_ = false;
    float value_ = 0.0f;
    std::size_t index_ = 0;
    bool logKnown_ = false;
    double logValue_ = 0.0;
};

class TileComposer
{
public:
    explicit TileComposer(const std::vector<Peak>& peaks) : peaks_(peaks)
    {
        bounds_.resize(peaks.size());
        contenders_.reserve(peaks.size());
    }

    // The tile is in the map's own points; the map's point (x, y) is world
    // point (origin.x + x, origin.y + y), where the peaks are evaluated.
    void compose(Map& map, const Region& origin, const Tile& tile)
    {
        const Tile world{origin.x + tile.xBegin, origin.x + tile.xEnd, origin.y + tile.yBegin,
                         origin.y + tile.yEnd};
        selectContenders(world);
        MapPoint* points = map.points().data();
        for (std::uint32_t x = tile.xBegin; x < tile.xEnd; ++x) {
            MapPoint* column = points + std::size_t(x) * map.length();
            const auto worldX = float(origin.x + x);
            for (std::uint32_t y = tile.yBegin; y < tile.yEnd; ++y) {
                column[y].setZ(highestAt(worldX, float(origin.y + y)));
            }
        }
    }

private:
    void selectContenders(const Tile& tile)
    {
        // The highest value some peak surely reaches at every point.
        double floor = -std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < peaks_.size(); ++i) {
            bounds_[i] = peakBoundsOver(peaks_[i], float(tile.xBegin), float(tile.xEnd - 1),
                                        float(tile.yBegin), float(tile.yEnd - 1));
            if (bounds_[i].bounded) {
                floor = std::max(floor, bounds_[i].low);
            }
        }
        contenders_.clear();
        for (std::size_t i = 0; i < peaks_.size(); ++i) {
            const PeakBounds& bounds = bounds_[i];
            if (bounds.bounded && bounds.high < floor) {
                continue;
            }
            const double height = peaks_[i].height();
            const bool logTest = bounds.bounded && height > 0.0 && height <= kLogTestLargestHeight;
            contenders_.push_back({&peaks_[i], i, bounds.bounded, bounds.high, height <= 0.0,
                                   logTest, logTest ? std::log(height) : 0.0});
        }
        std::sort(contenders_.begin(), contenders_.end(), likelierWinner);
    }

    // An unbounded first peak comes first, since a NaN from it is the answer;
    // then the bounded peaks from the highest bound down; the other unbounded
    // peaks last, as they are evaluated at every point anyway.
    static bool likelierWinner(const Contender& left, const Contender& right)
    {
        const auto rank = [](const Contender& contender) {
            if (!contender.bounded) {
                return contender.index == 0 ? 0 : 2;
            }
            return 1;
        };
        if (rank(left) != rank(right)) {
            return rank(left) < rank(right);
        }
        if (left.bounded && left.high != right.high) {
            return left.high > right.high;
        }
        return left.index < right.index;
    }

    float highestAt(float x, float y) const
    {
        Best best;
        for (const Contender& contender : contenders_) {
            const float exponent = contender.peak->exponentAt(x, y);
            if (best.beats(contender, exponent)) {
                continue;
            }
            const float value = contender.peak->heightForExponent(exponent);
            if (std::isnan(value)) {
                if (contender.index == 0) {
                    return value;
                }
                continue;
            }
            best.consider(value, contender, exponent);
        }
        return best.value();
    }

    const std::vector<Peak>& peaks_;
    std::vector<PeakBounds> bounds_;
    std::vector<Contender> contenders_;
};

std::uint32_t tilesAlong(std::uint32_t side)
{
    return side / kTileSide + (side % kTileSide != 0 ? 1u : 0u);
}

} // namespace

std::unique_ptr<Map> mapFromPeaks(std::uint32_t width, std::uint32_t length,
                                  const std::vector<Peak>& peaks)
{
    return mapFromPeaks(Region::whole(width, length), peaks);
}

std::unique_ptr<Map> mapFromPeaks(const Region& window, const std::vector<Peak>& peaks)
{
    const std::uint32_t width = window.width;
    const std::uint32_t length = window.length;
    auto map = std::make_unique<Map>(width, length);
    if (peaks.empty() || map->points().empty()) {
        return map;
    }
    const std::uint32_t tilesX = tilesAlong(width);
    const std::uint32_t tilesY = tilesAlong(length);
    Map& target = *map;
    ParallelRanges::run(
        std::size_t(tilesX) * tilesY, kTilesPerRange, [&](std::size_t begin, std::size_t end) {
            TileComposer composer(peaks);
            for (std::size_t t = begin; t < end; ++t) {
                const auto tx = std::uint32_t(t / tilesY);
                const auto ty = std::uint32_t(t % tilesY);
                const Tile tile{tx * kTileSide, std::min(width, (tx + 1) * kTileSide),
                                ty * kTileSide, std::min(length, (ty + 1) * kTileSide)};
                composer.compose(target, window, tile);
            }
        });
    return map;
}
