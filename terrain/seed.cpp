#include "terrain/seed.h"

#include "terrain/platformrandom.h"

#include <cmath>
#include <ctime>

namespace {

// Decimal digits of value (0 has one), 1 to 10.
int digitCount(std::uint32_t value)
{
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

} // namespace

Seed::Seed(const QByteArray& text)
{
    // Unsigned arithmetic so that the sums wrap instead of overflowing.
    std::array<std::uint32_t, kSlotCount> sums{};
    for (int i = 0; i < text.size(); ++i) {
        sums[std::size_t(i % kSlotCount)] += static_cast<unsigned char>(text[i]);
    }
    for (int i = 0; i < kSlotCount; ++i) {
        slots_[std::size_t(i)] = std::int32_t(sums[std::size_t(i)]);
    }
}

Seed::Seed()
{
    PlatformRandom::seed(std::uint32_t(std::time(nullptr)));
    for (auto& slot : slots_) {
        slot = PlatformRandom::next();
    }
}

std::int32_t Seed::toInt() const
{
    std::uint32_t r = 0;
    for (const std::int32_t a : slots_) {
        const int digits = digitCount(std::uint32_t(a));
        // 10^10 exceeds 32 bits: only its low 32 bits take part.
        const auto power = std::int64_t(std::pow(10.0, double(digits)));
        const std::uint32_t multiplier = std::uint32_t(power) + 1u;
        r = r * multiplier + std::uint32_t(a);
    }
    return std::int32_t(r);
}
