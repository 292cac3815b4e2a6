#pragma once

#include "generators/mapbuilder.h"
#include "generators/peak.h"

#include <vector>

// 4 to 32 isolated Gaussian peaks at random places; every height is the
// largest single peak's value there. The peaks are kept, and a further build
// appends another set and composes the map from all of them.
class SimplePeaksMoutainMapBuilder : public MapBuilder
{
public:
    std::unique_ptr<Map> build() override;

    // Every peak drawn so far, in the order drawn.
    const std::vector<Peak>& peaks() const { return peaks_; }

private:
    std::vector<Peak> peaks_;
};
