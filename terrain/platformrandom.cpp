#include "terrain/platformrandom.h"

namespace {
std::uint32_t state = 1;
}

namespace PlatformRandom {

void seed(std::uint32_t seed)
{
    state = seed;
}

int next()
{
    state = state * 214013u + 2531011u;
    return int((state >> 16) & 0x7FFFu);
}

} // namespace PlatformRandom
