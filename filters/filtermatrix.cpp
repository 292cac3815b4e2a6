#include "filters/filtermatrix.h"

#include "terrain/map.h"
#include "terrain/parallelranges.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// A neighbour reaches this many points each way from the centre.
constexpr int kReach = FilterMatrix::kSide / 2;
constexpr std::size_t kCoefficients = std::size_t(FilterMatrix::kSide) * FilterMatrix::kSide;
// Four floats in one SSE register (or its like elsewhere), through the vector
// extension GCC and clang share.
using Vector = float __attribute__((vector_size(16)));
constexpr std::size_t kVectorWidth = 4;
// Output points worked out together along y: enough independent sums to keep
// the vector units busy, few enough to stay in registers.
constexpr std::size_t kBlock = 16;
// Below this many points per range a column range is not worth a thread.
constexpr std::size_t kPointsPerRange = 32768;

// Where each tap of a column reads its heights.
using Sources = std::array<const float*, kCoefficients>;

// One non-zero coefficient: the neighbour offset it reads and its weight.
struct Tap
{
    int dx;
    int dy;
    float weight;
};

// The non-zero coefficients in ascending index order. Zero coefficients read
// nothing: leaving them out also keeps 0 * inf from turning a sum into NaN.
std::vector<Tap> nonZeroTaps(const FilterMatrix::Coefficients& coefficients)
{
    std::vector<Tap> taps;
    taps.reserve(coefficients.size());
    for (int k = 0; k < int(coefficients.size()); ++k) {
        if (coefficients[std::size_t(k)] != 0) {
            taps.push_back({k % FilterMatrix::kSide - kReach, k / FilterMatrix::kSide - kReach,
                            static_cast<float>(coefficients[std::size_t(k)])});
        }
    }
    return taps;
}

// Column x of a map's heights, contiguous, with kReach copies of its first and
// last height on either side. Reading y + dy for any y of the map and
// |dy| <= kReach then gives the height at the clamped y, without a clamp per
// read, so the inner loops are plain stride-1 loops.
std::size_t paddedLength(const Map& map)
{
    return std::size_t(map.length()) + std::size_t(2) * kReach;
}

void padColumn(const Map& map, std::size_t x, float* column)
{
    const std::size_t length = map.length();
    const MapPoint* source = map.points().data() + x * length;
    for (std::size_t y = 0; y < length; ++y) {
        column[kReach + y] = source[y].z();
    }
    std::fill(column, column + kReach, source[0].z());
    std::fill(column + kReach + length, column + paddedLength(map), source[length - 1].z());
}

std::size_t clampIndex(std::int64_t index, std::uint32_t size)
{
    return std::size_t(std::clamp<std::int64_t>(index, 0, std::int64_t(size) - 1));
}

// Every padded column of a map at once.
class PaddedColumns
{
public:
    explicit PaddedColumns(const Map& map)
        : stride_(paddedLength(map)), heights_(std::size_t(map.width()) * stride_)
    {
        for (std::size_t x = 0; x < map.width(); ++x) {
            padColumn(map, x, heights_.data() + x * stride_);
        }
    }

    // Where height (x, y + dy) is read for y = 0.
    const float* shiftedColumn(std::size_t x, int dy) const
    {
        return heights_.data() + x * stride_ + std::ptrdiff_t(kReach + dy);
    }

private:
    std::size_t stride_;
    std::vector<float> heights_;
};

// The padded columns x - kReach ... x + kReach around the column being
// filtered, in a ring of five columns: moving along x pads one new column
// and drops the oldest. A range of columns keeps its window in the cache and
// the filter needs no copy of the whole map.
class ColumnWindow
{
public:
    explicit ColumnWindow(const Map& map)
        : map_(map), stride_(paddedLength(map)),
          heights_(std::size_t(FilterMatrix::kSide) * stride_)
    {
        held_.fill(kNone);
    }

    // Where height (x, y + dy) is read for y = 0; x lies within kReach of
    // the columns asked for before.
    const float* shiftedColumn(std::size_t x, int dy)
    {
        const std::size_t slot = x % FilterMatrix::kSide;
        float* column = heights_.data() + slot * stride_;
        if (held_[slot] != x) {
            padColumn(map_, x, column);
            held_[slot] = x;
        }
        return column + std::ptrdiff_t(kReach + dy);
    }

private:
    static constexpr std::size_t kNone = ~std::size_t(0);

    const Map& map_;
    std::size_t stride_;
    std::vector<float> heights_;
    std::array<std::size_t, FilterMatrix::kSide> held_{};
};

// What one filter does to one map: its taps and its divisor.
class Convolution
{
public:
    Convolution(const FilterMatrix::Coefficients& coefficients, const Map& input)
        : taps_(nonZeroTaps(coefficients)), width_(input.width()), length_(input.length())
    {
        // Accumulated wide so that coefficients beyond the editor's range
        // cannot overflow; within it this is the plain integer sum.
        std::int64_t sum = 0;
        for (std::int32_t coefficient : coefficients) {
            sum += coefficient;
        }
        divide_ = sum != 0;
        divisor_ = static_cast<float>(sum);
    }

    // All coefficients 0: every total is 0 and stays undivided, which is the
    // fresh map's height already.
    bool changesNothing() const { return width_ == 0 || length_ == 0 || taps_.empty(); }

    // Each y keeps its own float total, fed in ascending coefficient order:
    // the same roundings as summing point by point, but across y the loop
    // vectorises.
    void columnByTaps(const PaddedColumns& heights, std::size_t x, std::vector<float>& totals,
                      MapPoint* output) const
    {
        std::fill(totals.begin(), totals.end(), 0.0f);
        for (const Tap& tap : taps_) {
            const float* source =
                heights.shiftedColumn(clampIndex(std::int64_t(x) + tap.dx, width_), tap.dy);
            const float weight = tap.weight;
            for (std::size_t y = 0; y < length_; ++y) {
                totals[y] = totals[y] + source[y] * weight;
            }
        }
        for (std::size_t y = 0; y < length_; ++y) {
            output[y].setZ(result(totals[y]));
        }
    }

    // The same sums a block of kBlock points at a time, the block's totals
    // held in registers through all the taps.
    void columnByBlocks(ColumnWindow& heights, std::size_t x, MapPoint* output) const
    {
        Sources sources{};
        for (std::size_t t = 0; t < taps_.size(); ++t) {
            sources[t] = heights.shiftedColumn(clampIndex(std::int64_t(x) + taps_[t].dx, width_),
                                               taps_[t].dy);
        }
        std::size_t y = 0;
        for (; y + kBlock <= length_; y += kBlock) {
            sumBlock<kBlock / kVectorWidth>(sources, y, output);
        }
        for (; y < length_; ++y) {
            sumPoint(sources, y, output);
        }
    }

private:
    // Count lanes of totals side by side; the lane-wise products and sums
    // round exactly like scalar ones.
    template <std::size_t Lanes>
    void sumBlock(const Sources& sources, std::size_t y, MapPoint* output) const
    {
        std::array<Vector, Lanes> totals{};
        for (std::size_t t = 0; t < taps_.size(); ++t) {
            const float* source = sources[t] + y;
            const float weight = taps_[t].weight;
            const Vector weights = {weight, weight, weight, weight};
            for (std::size_t lane = 0; lane < Lanes; ++lane) {
                Vector heights;
                std::memcpy(&heights, source + lane * kVectorWidth, sizeof heights);
                totals[lane] = totals[lane] + heights * weights;
            }
        }
        for (std::size_t lane = 0; lane < Lanes; ++lane) {
            const Vector results = divide_ ? totals[lane] / divisor_ : totals[lane];
            for (std::size_t i = 0; i < kVectorWidth; ++i) {
                output[y + lane * kVectorWidth + i].setZ(results[i]);
            }
        }
    }

    // The points after the last whole block, one at a time.
    void sumPoint(const Sources& sources, std::size_t y, MapPoint* output) const
    {
        float total = 0.0f;
        for (std::size_t t = 0; t < taps_.size(); ++t) {
            total = total + sources[t][y] * taps_[t].weight;
        }
        output[y].setZ(result(total));
    }

    float result(float total) const { return divide_ ? total / divisor_ : total; }

    std::vector<Tap> taps_;
    std::uint32_t width_;
    std::uint32_t length_;
    bool divide_ = false;
    float divisor_ = 0.0f;
};

} // namespace

FilterMatrix::FilterMatrix() : Filter(QStringLiteral("Matrix")) {}

FilterMatrix::FilterMatrix(const QString& name) : Filter(name) {}

std::unique_ptr<Filter> FilterMatrix::clone() const
{
    return std::make_unique<FilterMatrix>(*this);
}

bool FilterMatrix::sameSettings(const Filter& other) const
{
    return coefficients_ == static_cast<const FilterMatrix&>(other).coefficients_;
}

std::unique_ptr<Map> FilterMatrix::apply(const Map& input) const
{
    auto output = std::make_unique<Map>(input.width(), input.length());
    applyInto(input, *output);
    return output;
}

void FilterMatrix::applyInto(const Map& input, Map& output) const
{
    Q_ASSERT(output.width() == input.width() && output.length() == input.length());
    const Convolution convolution(coefficients_, input);
    if (convolution.changesNothing()) {
        for (MapPoint& point : output.points()) {
            point.setZ(0.0f);
        }
        return;
    }
    const std::size_t length = input.length();
    const std::size_t grain = std::max<std::size_t>(1, kPointsPerRange / length);
    MapPoint* points = output.points().data();
    ParallelRanges::run(input.width(), grain, [&](std::size_t begin, std::size_t end) {
        ColumnWindow heights(input);
        for (std::size_t x = begin; x < end; ++x) {
            convolution.columnByBlocks(heights, x, points + x * length);
        }
    });
}

std::unique_ptr<Map> FilterMatrix::applyReference(const Map& input) const
{
    auto output = std::make_unique<Map>(input.width(), input.length());
    const Convolution convolution(coefficients_, input);
    if (convolution.changesNothing()) {
        return output;
    }
    const PaddedColumns heights(input);
    std::vector<float> totals(input.length());
    MapPoint* points = output->points().data();
    for (std::size_t x = 0; x < input.width(); ++x) {
        convolution.columnByTaps(heights, x, totals, points + x * input.length());
    }
    return output;
}
