#pragma once

#include <cstdint>

// The process-wide random generator behind the clock seed, the fully random
// heights and the peak count: the linear congruential generator
// state = state * 214013 + 2531011 (mod 2^32), whose value is bits 16 to 30 of
// the new state. Being our own, it gives every platform the same worlds.
namespace PlatformRandom {

// The largest value; the smallest is 0.
constexpr int kMax = 32767;

void seed(std::uint32_t seed);
// The next value, 0 to 32767.
int next();

} // namespace PlatformRandom
