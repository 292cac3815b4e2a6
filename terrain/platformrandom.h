#pragma once

#include <cstdint>

// The process-wide random generator behind the clock seed, the fully random
// heights and the peak count. Worlds are defined on a generator whose values
// span 0 to 32767; the C library's rand() does not promise that range, so this
// is the linear congruential generator state = state * 214013 + 2531011 (mod
// 2^32), returning bits 16 to 30 of the new state. It is never the C
// library's rand.
namespace PlatformRandom {

constexpr int Max = 32767;
constexpr std::uint32_t Multiplier = 214013u;
constexpr std::uint32_t Increment = 2531011u;

void seed(std::uint32_t seed);
// The next value, 0 to 32767.
int next();

// The generator's state: seeding sets it, every draw steps it.
std::uint32_t state();

// One step of the generator from state, and the value that step yields.
constexpr std::uint32_t step(std::uint32_t state)
{
    return state * Multiplier + Increment;
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
