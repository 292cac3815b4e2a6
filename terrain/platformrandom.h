#pragma once

#include <cstdint>

// The process-wide random generator behind the clock seed, the fully random
// heights and the peak count: the linear congruential generator
// state = state * 214013 + 2531011 (mod 2^32), whose value is bits 16 to 30 of
// the new state. Being our own, it gives every platform the same worlds.
namespace PlatformRandom {

// The largest value; the smallest is 0.
constexpr int kMax = 32767;
constexpr std::uint32_t kMultiplier = 214013u;
constexpr std::uint32_t kIncrement = 2531011u;

void seed(std::uint32_t seed);
// The next value, 0 to 32767.
int next();

// The generator's state: seeding sets it, every draw steps it.
std::uint32_t state();

// One step of the generator from state, and the value that step yields.
constexpr std::uint32_t step(std::uint32_t state)
{
    return state * kMultiplier + kIncrement;
}
constexpr int valueOf(std::uint32_t state)
{
    return int((state >> 16) & 0x7FFFu);
}

// The state that `steps` draws lead to from state, in O(log steps): the
// composition of affine maps mod 2^32, so a long run of draws can be split
// into pieces that start where the serial run would be.
std::uint32_t jumpAhead(std::uint32_t state, std::uint64_t steps);

} // namespace PlatformRandom
