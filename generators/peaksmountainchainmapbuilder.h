#pragma once

#include "generators/mapbuilder.h"

// A mountain chain: 4 to 32 Gaussian peaks whose centres follow a random
// constant, straight or parabolic curve y = P(x) across the map, scattered
// about it by two grid steps. A build keeps nothing, and the platform random
// generator is reseeded but not drawn from.
class PeaksMountainChainMapBuilder : public MapBuilder
{
public:
    std::unique_ptr<Map> build() override;
};
