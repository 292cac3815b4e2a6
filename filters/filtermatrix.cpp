#include "filters/filtermatrix.h"

#include "terrain/map.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

// A neighbour reaches this many points each way from the centre.
constexpr int kReach = FilterMatrix::kSide / 2;

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

// The heights of a map, one contiguous column per x, each column padded with
// kReach copies of its first and last height. Reading y + dy for any y of the
// map and |dy| <= kReach then gives the height at the clamped y, without a
// clamp per read, so the inner loop is a plain stride-1 loop.
class PaddedColumns
{
public:
    explicit PaddedColumns(const Map& map)
        : length_(map.length()), stride_(std::size_t(map.length()) + std::size_t(2) * kReach),
          heights_(std::size_t(map.width()) * stride_)
    {
        const std::vector<MapPoint>& points = map.points();
        for (std::size_t x = 0; x < map.width(); ++x) {
            float* column = heights_.data() + x * stride_;
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
        return heights_.data() + x * stride_ + std::ptrdiff_t(kReach + dy);
    }

private:
    std::size_t length_;
    std::size_t stride_;
    std::vector<float> heights_;
};

std::size_t clampIndex(std::int64_t index, std::uint32_t size)
{
    return std::size_t(std::clamp<std::int64_t>(index, 0, std::int64_t(size) - 1));
}

} // namespace

FilterMatrix::FilterMatrix() : Filter(QStringLiteral("Matrix")) {}

FilterMatrix::FilterMatrix(const QString& name) : Filter(name) {}

std::unique_ptr<Map> FilterMatrix::apply(const Map& input) const
{
    const std::uint32_t width = input.width();
    const std::uint32_t length = input.length();
    auto output = std::make_unique<Map>(width, length);
    const std::vector<Tap> taps = nonZeroTaps(coefficients_);
    // All coefficients 0: every total is 0 and stays undivided, which is the
    // fresh map's height already.
    if (width == 0 || length == 0 || taps.empty()) {
        return output;
    }

    // Accumulated wide so that coefficients beyond the editor's range cannot
    // overflow; within it this is the plain integer sum.
    std::int64_t sum = 0;
    for (std::int32_t coefficient : coefficients_) {
        sum += coefficient;
    }
    const float divisor = static_cast<float>(sum);

    const PaddedColumns heights(input);
    std::vector<float> totals(length);
    std::vector<MapPoint>& outputPoints = output->points();
    for (std::size_t x = 0; x < width; ++x) {
        // Each y keeps its own float total, fed in ascending coefficient order:
        // the same roundings as summing point by point, but across y the loop
        // vectorises.
        std::fill(totals.begin(), totals.end(), 0.0f);
        for (const Tap& tap : taps) {
            const float* source =
                heights.shiftedColumn(clampIndex(std::int64_t(x) + tap.dx, width), tap.dy);
            const float weight = tap.weight;
            for (std::size_t y = 0; y < length; ++y) {
                totals[y] = totals[y] + source[y] * weight;
            }
        }
        MapPoint* column = outputPoints.data() + x * length;
        for (std::size_t y = 0; y < length; ++y) {
            column[y].setZ(sum != 0 ? totals[y] / divisor : totals[y]);
        }
    }
    return output;
}
