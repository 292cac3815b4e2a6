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

// A neighbour reaches this many points each way from the centre (5 x 5 matrix).
constexpr int kReach = 2;
constexpr int kSide = 2 * kReach + 1;
// Four floats in one SSE register (or its like elsewhere), through the vector
// extension GCC and clang share.
using Vector = float __attribute__((vector_size(16)));
constexpr std::size_t kVectorWidth = 4;
// Output points worked out together along y: enough independent sums to keep
// the vector units busy, few enough to stay in registers.
constexpr std::size_t kBlock = 16;
// Below this many points per range a column range is not worth a thread.
constexpr std::size_t kPointsPerRange = 32768;

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
            taps.push_back({k % kSide - kReach, k / kSide - kReach,
                            static_cast<float>(coefficients[std::size_t(k)])});
        }
    }
    return taps;
}

// The heights of a map, one contiguous column per x, each column padded with
// kReach copies of its first and last height. Reading y + dy for any y of the
// map and |dy| <= kReach then gives the height at the clamped y, without a
// clamp per read, so the inner loop is a plain stride-1 loop.
class PaddedColumns
{
public:
    explicit PaddedColumns(const Map& map)
        : length_(map.length()), stride_(std::size_t(map.length()) + std::size_t(2) * kReach),
          // Left uninitialised: fill writes every height, on the threads
          // that will read them.
          heights_(new float[std::size_t(map.width()) * stride_])
    {}

    void fill(const Map& map, std::size_t xBegin, std::size_t xEnd)
    {
        const std::vector<MapPoint>& points = map.points();
        for (std::size_t x = xBegin; x < xEnd; ++x) {
            float* column = heights_.get() + x * stride_;
            const MapPoint* source = points.data() + x * length_;
            for (std::size_t y = 0; y < length_; ++y) {
                column[kReach + y] = source[y].z();
            }
            std::fill(column, column + kReach, source[0].z());
            std::fill(column + kReach + length_, column + stride_, source[length_ - 1].z());
        }
    }

    // Where height (x, y + dy) is read for y = 0.
    const float* shiftedColumn(std::size_t x, int dy) const
    {
        return heights_.get() + x * stride_ + std::ptrdiff_t(kReach + dy);
    }

private:
    std::size_t length_;
    std::size_t stride_;
    std::unique_ptr<float[]> heights_;
};

std::size_t clampIndex(std::int64_t index, std::uint32_t size)
{
    return std::size_t(std::clamp<std::int64_t>(index, 0, std::int64_t(size) - 1));
}

// What one filter does to one map: its taps, the divisor, the padded input.
class Convolution
{
public:
    Convolution(const FilterMatrix::Coefficients& coefficients, const Map& input)
        : taps_(nonZeroTaps(coefficients)), width_(input.width()), length_(input.length()),
          heights_(input)
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

    PaddedColumns& heights() { return heights_; }

    // Each y keeps its own float total, fed in ascending coefficient order:
    // the same roundings as summing point by point, but across y the loop
    // vectorises.
    void columnByTaps(std::size_t x, std::vector<float>& totals, MapPoint* output) const
    {
        std::fill(totals.begin(), totals.end(), 0.0f);
        for (const Tap& tap : taps_) {
            const float* source =
                heights_.shiftedColumn(clampIndex(std::int64_t(x) + tap.dx, width_), tap.dy);
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
    void columnByBlocks(std::size_t x, MapPoint* output) const
    {
        std::array<const float*, kSide * kSide> sources{};
        for (std::size_t t = 0; t < taps_.size(); ++t) {
            sources[t] = heights_.shiftedColumn(clampIndex(std::int64_t(x) + taps_[t].dx, width_),
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
    void sumBlock(const std::array<const float*, kSide * kSide>& sources, std::size_t y,
                  MapPoint* output) const
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
    void sumPoint(const std::array<const float*, kSide * kSide>& sources, std::size_t y,
                  MapPoint* output) const
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
    PaddedColumns heights_;
    bool divide_ = false;
    float divisor_ = 0.0f;
};

} // namespace

FilterMatrix::FilterMatrix() : Filter(QStringLiteral("Matrix")) {}

FilterMatrix::FilterMatrix(const QString& name) : Filter(name) {}

std::unique_ptr<Map> FilterMatrix::apply(const Map& input) const
{
    auto output = std::make_unique<Map>(input.width(), input.length());
    applyInto(input, *output);
    return output;
}

void FilterMatrix::applyInto(const Map& input, Map& output) const
{
    Q_ASSERT(output.width() == input.width() && output.length() == input.length());
    Convolution convolution(coefficients_, input);
    const std::size_t length = input.length();
    const std::size_t grain =
        std::max<std::size_t>(1, kPointsPerRange / std::max<std::size_t>(length, 1));
    MapPoint* points = output.points().data();
    if (convolution.changesNothing()) {
        for (MapPoint& point : output.points()) {
            point.setZ(0.0f);
        }
        return;
    }
    ParallelRanges::run(input.width(), grain, [&](std::size_t begin, std::size_t end) {
        convolution.heights().fill(input, begin, end);
    });
    ParallelRanges::run(input.width(), grain, [&](std::size_t begin, std::size_t end) {
        for (std::size_t x = begin; x < end; ++x) {
            convolution.columnByBlocks(x, points + x * length);
        }
    });
}

std::unique_ptr<Map> FilterMatrix::applyReference(const Map& input) const
{
    auto output = std::make_unique<Map>(input.width(), input.length());
    Convolution convolution(coefficients_, input);
    if (convolution.changesNothing()) {
        return output;
    }
    convolution.heights().fill(input, 0, input.width());
    std::vector<float> totals(input.length());
    MapPoint* points = output->points().data();
    for (std::size_t x = 0; x < input.width(); ++x) {
        convolution.columnByTaps(x, totals, points + x * input.length());
    }
    return output;
}
