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

void seed(std::uint32_t seed);
// The next value, 0 to 32767.
int next();

} // namespace PlatformRandom
