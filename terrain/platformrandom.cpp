#include "terrain/platformrandom.h"

namespace {
std::uint32_t currentState = 1;
}

namespace PlatformRandom {

void seed(std::uint32_t seed)
{
    currentState = seed;
}

int next()
{
    currentState = step(currentState);
    return valueOf(currentState);
}

std::uint32_t state()
{
    return currentState;
}

std::uint32_t jumpAhead(std::uint32_t state, std::uint64_t steps)
{
    // (multiplier, increment) of the map applied so far, and of the map for
    // 2^k steps; squaring an affine map x -> m x + c gives m^2 x + (m + 1) c.
    std::uint32_t totalMultiplier = 1u;
    std::uint32_t totalIncrement = 0u;
    std::uint32_t powerMultiplier = kMultiplier;
    std::uint32_t powerIncrement = kIncrement;
    for (; steps != 0; steps >>= 1u) {
        if ((steps & 1u) != 0) {
            totalMultiplier *= powerMultiplier;
            totalIncrement = totalIncrement * powerMultiplier + powerIncrement;
        }
        powerIncrement = (powerMultiplier + 1u) * powerIncrement;
        powerMultiplier *= powerMultiplier;
    }
    return totalMultiplier * state + totalIncrement;
}

} // namespace PlatformRandom
