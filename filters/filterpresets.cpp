#include "filters/filterpresets.h"

namespace {

// A 3 x 3 kernel written as rows along y, placed at the matrix's centre.
FilterMatrix::Coefficients centred(const int (&rows)[3][3])
{
    FilterMatrix::Coefficients coefficients{};
    for (int dy = 0; dy < 3; ++dy) {
        for (int dx = 0; dx < 3; ++dx) {
            coefficients[std::size_t(dy + 1) * 5 + std::size_t(dx + 1)] = rows[dy][dx];
        }
    }
    return coefficients;
}

// The binomial 1 4 6 4 1 along x times the same along y: a Gaussian whose
// weights sum to 256.
FilterMatrix::Coefficients gaussian()
{
    constexpr int binomial[5] = {1, 4, 6, 4, 1};
    FilterMatrix::Coefficients coefficients{};
    for (std::size_t k = 0; k < coefficients.size(); ++k) {
        coefficients[k] = binomial[k % 5] * binomial[k / 5];
    }
    return coefficients;
}

FilterMatrix::Coefficients all(int value)
{
    FilterMatrix::Coefficients coefficients{};
    coefficients.fill(value);
    return coefficients;
}

} // namespace

const std::vector<FilterPreset>& filterPresets()
{
    static const std::vector<FilterPreset> presets{
        {"Box blur", all(1)},
        {"Gaussian blur", gaussian()},
        {"Sharpen", centred({{0, -1, 0}, {-1, 5, -1}, {0, -1, 0}})},
        {"Emboss", centred({{-2, -1, 0}, {-1, 1, 1}, {0, 1, 2}})},
        // The weights sum to 0, so the sum stays undivided: flat ground gives 0.
        {"Edge detect", centred({{-1, -1, -1}, {-1, 8, -1}, {-1, -1, -1}})},
        {"Identity", centred({{0, 0, 0}, {0, 1, 0}, {0, 0, 0}})},
    };
    return presets;
}
