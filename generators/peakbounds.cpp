#include "generators/peakbounds.h"

#include <algorithm>
#include <cmath>

namespace {

// heightAt's exponent takes six float roundings (the two differences, the
// squares, the products and the sums), each off by at most 2^-24 of the sum
// of the magnitudes of its terms; 2^-16 of that sum is a margin 256 times
// wider. The absolute part covers subnormal results near the centre.
constexpr double kExponentRelativeMargin = 1.0 / 65536.0;
constexpr double kExponentAbsoluteMargin = 1e-30;
// exp in double is within an ulp, and each float rounding (of the factor and
// of the product with the height) within 2^-24 relative or 2^-150 absolute.
constexpr double kRelativeSlack = 1.0 / 1048576.0;
constexpr double kAbsoluteSlack = 0x1p-148;
// Beyond these the float steps of heightAt could overflow, or exp(-E) times
// the height would: such a peak is not bounded but evaluated.
constexpr double kLargestTerm = 1e30;
constexpr double kLargestOffset = 1e15;
constexpr double kLowestExponent = -80.0;
constexpr double kLargestValue = 1e38;
// a c - b^2 must clear the rounding of a c and b^2 in double by far, for the
// form to be positive definite and its minimum to lie where the algebra says.
constexpr double kDefiniteness = 1e-12;

struct Interval
{
    double low;
    double high;

    bool contains(double value) const { return low <= value && value <= high; }
    double magnitude() const { return std::max(std::abs(low), std::abs(high)); }
};

// q(u, v) = a u^2 + 2 b u v + c v^2, exact but for double rounding.
struct QuadraticForm
{
    double a;
    double b;
    double c;

    double at(double u, double v) const { return a * u * u + 2.0 * b * u * v + c * v * v; }

    bool positiveDefinite() const
    {
        return a > 0.0 && c > 0.0 && a * c - b * b > kDefiniteness * a * c;
    }

    // The least value over the rectangle, for a positive definite form: 0 at
    // the centre when the rectangle holds it, otherwise on an edge, where the
    // form is a parabola in one variable.
    double minimumOver(const Interval& u, const Interval& v) const
    {
        if (u.contains(0.0) && v.contains(0.0)) {
            return 0.0;
        }
        double least = HUGE_VAL;
        for (const double uEdge : {u.low, u.high}) {
            least = std::min(least, at(uEdge, std::clamp(-b * uEdge / c, v.low, v.high)));
        }
        for (const double vEdge : {v.low, v.high}) {
            least = std::min(least, at(std::clamp(-b * vEdge / a, u.low, u.high), vEdge));
        }
        return least;
    }

    // The largest value, at a corner, the form being convex.
    double maximumOver(const Interval& u, const Interval& v) const
    {
        return std::max(
            {at(u.low, v.low), at(u.low, v.high), at(u.high, v.low), at(u.high, v.high)});
    }

    // An upper bound of |a| u^2 + 2 |b| |u v| + |c| v^2, the scale of the
    // float rounding of the exponent.
    double magnitudeOver(const Interval& u, const Interval& v) const
    {
        const double uMost = u.magnitude();
        const double vMost = v.magnitude();
        return std::abs(a) * uMost * uMost + 2.0 * std::abs(b) * uMost * vMost +
               std::abs(c) * vMost * vMost;
    }
};

bool allFinite(std::initializer_list<double> values)
{
    return std::all_of(values.begin(), values.end(),
                       [](double value) { return std::isfinite(value); });
}

} // namespace

PeakBounds peakBoundsOver(const Peak& peak, float xLow, float xHigh, float yLow, float yHigh)
{
    const QuadraticForm form{peak.a(), peak.b(), peak.c()};
    const double height = peak.height();
    const Interval u{double(xLow) - double(peak.centreX()), double(xHigh) - double(peak.centreX())};
    const Interval v{double(yLow) - double(peak.centreY()), double(yHigh) - double(peak.centreY())};
    if (!allFinite({form.a, form.b, form.c, height, u.low, u.high, v.low, v.high}) ||
        std::max({std::abs(form.a), std::abs(form.b), std::abs(form.c)}) > kLargestTerm ||
        std::max(u.magnitude(), v.magnitude()) > kLargestOffset || !form.positiveDefinite()) {
        return {};
    }
    const double magnitude = form.magnitudeOver(u, v);
    if (magnitude > kLargestTerm) {
        return {};
    }
    const double margin = magnitude * kExponentRelativeMargin + kExponentAbsoluteMargin;
    const double exponentLow = form.minimumOver(u, v) - margin;
    const double exponentHigh = form.maximumOver(u, v) + margin;
    if (exponentLow < kLowestExponent) {
        return {};
    }
    // The range of the rounded factor exp(-E), then of the rounded product.
    const double factorHigh = std::exp(-exponentLow) * (1.0 + kRelativeSlack) + kAbsoluteSlack;
    const double factorLow =
        std::max(0.0, std::exp(-exponentHigh) * (1.0 - kRelativeSlack) - kAbsoluteSlack);
    const double atFactorLow = height * factorLow;
    const double atFactorHigh = height * factorHigh;
    const double low = std::min(atFactorLow, atFactorHigh);
    const double high = std::max(atFactorLow, atFactorHigh);
    PeakBounds bounds;
    bounds.low = low - std::abs(low) * kRelativeSlack - kAbsoluteSlack;
    bounds.high = high + std::abs(high) * kRelativeSlack + kAbsoluteSlack;
    bounds.bounded = std::max(std::abs(bounds.low), std::abs(bounds.high)) < kLargestValue;
    return bounds;
}
