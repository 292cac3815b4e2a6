#pragma once

#include "generators/peak.h"

// A range that holds every value Peak::heightAt gives over a rectangle of map
// points, for the peaks whose numbers allow one. It is worked out in double
// with margins far above the rounding of heightAt's float arithmetic, so a
// peak whose `high` lies below another's `low` loses to it at every point of
// the rectangle, rounding or not.
struct PeakBounds
{
    // False when the peak's numbers are too wild to bound (non-finite, so far
    // out that float steps could overflow, or an exponent that is not a
    // positive definite form): such a peak must be evaluated everywhere. A
    // bounded peak's value is never NaN or infinite on the rectangle.
    bool bounded = false;
    double low = 0.0;
    double high = 0.0;
};

// The bounds of the peak's values over xLow <= x <= xHigh, yLow <= y <= yHigh.
PeakBounds peakBoundsOver(const Peak& peak, float xLow, float xHigh, float yLow, float yHigh);
