// Passes maps of arbitrary heights through lists of convolution filters.
//
// Input: byte 0 the width and byte 1 the length (mod 33 each), byte 2 the
// number of filters (mod 9), then 25 bytes per filter, coefficient k being
// byte k mod 201 - 100; the bytes after that are the heights, four per point
// in x-major order, as float bits (zero once the input runs out).

#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "fuzzsupport.h"
#include "mapchecks.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr unsigned kMaxSide = 32;
constexpr unsigned kMaxFilters = 8;

FilterMatrix::Coefficients readCoefficients(FuzzInput& input)
{
    FilterMatrix::Coefficients coefficients{};
    for (std::int32_t& coefficient : coefficients) {
        coefficient = std::int32_t(input.choice(201)) - 100;
    }
    return coefficients;
}

// The convolution worked out on its own, straight from the rule: clamped
// neighbours, zero weights skipped, products and sums rounded to float in
// ascending k, divided by the coefficients' sum unless it is 0.
std::vector<float> convolve(const std::vector<float>& heights, std::uint32_t width,
                            std::uint32_t length, const FilterMatrix::Coefficients& coefficients)
{
    std::vector<float> result(heights.size());
    const auto at = [&](std::int64_t x, std::int64_t y) {
        x = std::clamp<std::int64_t>(x, 0, std::int64_t(width) - 1);
        y = std::clamp<std::int64_t>(y, 0, std::int64_t(length) - 1);
        return heights[std::size_t(x) * length + std::size_t(y)];
    };
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < length; ++y) {
            float total = 0.0f;
            std::int32_t sum = 0;
            for (int k = 0; k < 25; ++k) {
                const std::int32_t weight = coefficients[std::size_t(k)];
                if (weight == 0) {
                    continue;
                }
                const float product =
                    at(std::int64_t(x) + k % 5 - 2, std::int64_t(y) + k / 5 - 2) * float(weight);
                total = total + product;
                sum += weight;
            }
            result[std::size_t(x) * length + y] = sum != 0 ? total / float(sum) : total;
        }
    }
    return result;
}

// Equal bits, or both NaN: which NaN payload an operation passes on is the
// processor's business, not the filter's.
bool sameHeight(float a, float b)
{
    return floatBits(a) == floatBits(b) || (std::isnan(a) && std::isnan(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint32_t width = input.choice(kMaxSide + 1);
    const std::uint32_t length = input.choice(kMaxSide + 1);
    const unsigned filterCount = input.choice(kMaxFilters + 1);
    FilterList filters;
    std::vector<FilterMatrix::Coefficients> matrices;
    for (unsigned i = 0; i < filterCount; ++i) {
        matrices.push_back(readCoefficients(input));
        auto filter = std::make_unique<FilterMatrix>();
        filter->setMatrix(matrices.back());
        filters.push_back(std::move(filter));
    }
    Map base(width, length);
    for (MapPoint& point : base.points()) {
        point.setZ(input.floatBits());
    }
    std::vector<float> expected;
    for (const MapPoint& point : base.points()) {
        expected.push_back(point.z());
    }
    const std::unique_ptr<Map> snapshot = base.copy();

    const std::unique_ptr<Map> filtered = applyFilterList(base, filters);

    FUZZ_CHECK(filtered != nullptr, "the pipeline returns a map");
    FUZZ_CHECK(filtered.get() != &base, "the filtered map is a new object");
    FUZZ_CHECK(sameBits(base, *snapshot), "filtering leaves the base map unchanged");
    checkGrid(*filtered, width, length);
    if (filters.empty()) {
        FUZZ_CHECK(sameBits(base, *filtered), "no filters give the base heights, bit for bit");
    }
    for (const FilterMatrix::Coefficients& coefficients : matrices) {
        expected = convolve(expected, width, length, coefficients);
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        FUZZ_CHECK(sameHeight(filtered->points()[i].z(), expected[i]),
                   "every height is the convolution of the one before");
    }
    return 0;
}
