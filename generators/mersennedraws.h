#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <utility>

// The random draws of the peak generators on top of a source of raw 32-bit
// outputs (MT19937 in the generators, any callable in tests). Each draw is
// written out by hand because worlds must be bit-identical everywhere, and the
// standard library's distributions are free to compute differently.
template <class Source> class BasicMersenneDraws
{
public:
    explicit BasicMersenneDraws(Source source) : source_(std::move(source)) {}

    // One raw output of the source.
    std::uint32_t raw() { return std::uint32_t(source_()); }

    // g / 2^32 in single precision; the conversion to float rounds, so the
    // largest outputs (g >= 4294967168) give exactly 1.0.
    float unit() { return float(raw()) / 4294967296.0f; }

    // U * (high - low) + low in single precision; high itself is reachable.
    float uniform(float low, float high) { return unit() * (high - low) + low; }

    // The polar method; the second value the method yields is thrown away.
    float normal(float mean, float deviation)
    {
        double u1 = 0.0;
        double s = 0.0;
        do {
            u1 = double(2.0f * unit()) - 1.0;
            const double u2 = double(2.0f * unit()) - 1.0;
            s = u1 * u1 + u2 * u2;
        } while (s >= 1.0);
        const double factor = std::sqrt(std::log(s) * -2.0 / s);
        return float(factor * u1) * deviation + mean;
    }

    // An integer in [low, high], rejecting the top outputs that would favour
    // the small remainders.
    std::int32_t uniformInteger(std::int32_t low, std::int32_t high)
    {
        const std::uint32_t range = std::uint32_t(high) - std::uint32_t(low) + 1u;
        const std::uint32_t largest = 4294967295u;
        const bool everyOutputFits = largest % range == range - 1u;
        std::uint32_t g = raw();
        while (!(g / range < largest / range || everyOutputFits)) {
            g = raw();
        }
        return std::int32_t(std::uint32_t(low) + g % range);
    }

private:
    Source source_;
};

// The draws on the standard MT19937 generator seeded with the folded seed.
class MersenneDraws : public BasicMersenneDraws<std::mt19937>
{
public:
    explicit MersenneDraws(std::uint32_t seed) : BasicMersenneDraws(std::mt19937(seed)) {}
};
