// Passes maps of arbitrary heights through lists of convolution filters.
//
// Input: byte 0 the width and byte 1 the length (mod 33 each), byte 2 the
// number of filters (mod 9), then 25 bytes per filter, coefficient k being
// byte k mod 201 - 100; the bytes after that are the heights, four per point
// in x-major order, as float bits (zero once the input runs out).

#include "filters/filtermatrix.h"
#include "filters/filterpipeline.h"
#include "fuzzsupport.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The convolution worked out on its own, straight from the rule: clamped
// neighbours, zero weights skipped, products and sums rounded to float in
// ascending k, divided by the coefficients' sum unless it is 0.
std::vector<float> convolve(const std::vector<float>& heights, std::int64_t width,
                            std::int64_t length, const FilterMatrix::Coefficients& coefficients)
{
    std::vector<float> result(heights.size());
    for (std::int64_t x = 0; x < width; ++x) {
        for (std::int64_t y = 0; y < length; ++y) {
            float total = 0.0f;
            std::int32_t sum = 0;
            for (int k = 0; k < 25; ++k) {
                const std::int32_t weight = coefficients[std::size_t(k)];
                if (weight != 0) {
                    const std::int64_t nx = std::clamp<std::int64_t>(x + k % 5 - 2, 0, width - 1);
                    const std::int64_t ny = std::clamp<std::int64_t>(y + k / 5 - 2, 0, length - 1);
                    const float product = heights[std::size_t(nx * length + ny)] * float(weight);
                    total = total + product;
                    sum += weight;
                }
            }
            result[std::size_t(x * length + y)] = sum != 0 ? total / float(sum) : total;
        }
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint32_t width = input.choice(33);
    const std::uint32_t length = input.choice(33);
    FilterList filters;
    std::vector<FilterMatrix::Coefficients> matrices(input.choice(9));
    for (FilterMatrix::Coefficients& coefficients : matrices) {
        for (std::int32_t& coefficient : coefficients)
            coefficient = std::int32_t(input.choice(201)) - 100;
        auto filter = std::make_unique<FilterMatrix>();
        filter->setMatrix(coefficients);
        filters.push_back(std::move(filter));
    }
    Map base(width, length);
    std::vector<float> expected;
    for (MapPoint& point : base.points()) {
        point.setZ(input.floatBits());
        expected.push_back(point.z());
    }
    const std::unique_ptr<Map> snapshot = base.copy();

    const std::unique_ptr<Map> filtered = applyFilterList(base, filters);

    FUZZ_CHECK(filtered != nullptr && filtered.get() != &base, "the filtered map is a new map");
    FUZZ_CHECK(sameHeights(base, *snapshot), "filtering leaves the base map unchanged");
    FUZZ_CHECK(filtered->width() == width && filtered->length() == length, "the size is kept");
    for (const FilterMatrix::Coefficients& coefficients : matrices)
        expected = convolve(expected, width, length, coefficients);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        // Which NaN payload an operation passes on is the processor's business.
        const float height = filtered->points()[i].z();
        FUZZ_CHECK(bitsOf(height) == bitsOf(expected[i]) ||
                       (std::isnan(height) && std::isnan(expected[i])),
                   "every height is the convolution of the one before, bit for bit");
    }
    return 0;
}
