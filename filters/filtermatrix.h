#pragma once

#include "filters/filter.h"

#include <array>
#include <cstddef>
#include <cstdint>

// A 5 x 5 convolution. Coefficient k weights the input point at offset
// (k mod 5 - 2, k div 5 - 2): consecutive indices step along x, every fifth
// along y. Neighbours off the map repeat the nearest border point, and the
// weighted sum is divided by the coefficients' sum unless that sum is 0.
class FilterMatrix : public Filter
{
public:
    // The matrix is kSide x kSide coefficients.
    static constexpr int kSide = 5;
    static constexpr std::size_t kCoefficientCount = std::size_t(kSide) * kSide;
    using Coefficients = std::array<std::int32_t, kCoefficientCount>;

    static constexpr const char* Kind = "matrix";

    FilterMatrix();
    explicit FilterMatrix(const QString& name);

    const char* kind() const override { return Kind; }
    std::unique_ptr<Filter> clone() const override;
    // An output point reads its 5 x 5 neighbourhood.
    int reach() const override { return kSide / 2; }

    const Coefficients& getMatrix() const { return coefficients_; }
    void setMatrix(const Coefficients& coefficients) { coefficients_ = coefficients; }

    // Several output points at once and the map's columns spread over the
    // thread pool; the same bits as applyReference.
    std::unique_ptr<Map> apply(const Map& input) const override;
    void applyInto(const Map& input, Map& output) const override;
    // The plain serial loop, one column after the other.
    std::unique_ptr<Map> applyReference(const Map& input) const;

protected:
    bool sameSettings(const Filter& other) const override;

private:
    Coefficients coefficients_{};
};
