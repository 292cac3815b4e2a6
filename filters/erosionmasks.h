#pragma once

#include <cstddef>
#include <vector>

class Map;

// What erosion did to a map, one value per point in the map's own order
// (x-major): the material it removed, the material it laid down and the water
// that passed. Each erosion filter of a list adds to them, so after a list
// they hold the sums over all its erosion filters; other filters leave them.
struct ErosionMasks
{
    std::vector<float> erosion;
    std::vector<float> deposition;
    std::vector<float> flow;

    // All three sized for the map's points and set to 0.
    void resetFor(const Map& map);
    bool fits(const Map& map) const;
};
