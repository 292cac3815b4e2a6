#pragma once

#include "generators/mersennedraws.h"
#include "generators/peak.h"

#include <cstdint>

// The draws both peak builders make after a peak's centre: the two spreads,
// the height and the angle, in this order. Spreads centre on an eighth of the
// map's side; heights grow with the map's area.
class PeakShapeDraws
{
public:
    PeakShapeDraws(std::uint32_t width, std::uint32_t length);

    Peak draw(MersenneDraws& draws, float centreX, float centreY) const;

private:
    float spreadXMean_;
    float spreadYMean_;
    float heightMean_;
    float heightDeviation_;
};
