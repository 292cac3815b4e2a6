#pragma once

#include "generators/singlemath.h"
#include "terrain/map.h"
#include "terrain/region.h"

#include <cstdint>
#include <memory>
#include <vector>

// A rotated elliptical Gaussian bump: value `height` at the centre, standard
// deviations spreadX and spreadY along its axes. The first axis is the map's x
// axis turned by `angle` radians clockwise, along (cos angle, -sin angle); the
// second is square to it. A negative height makes a pit.
class Peak
{
public:
    Peak(float centreX, float centreY, float spreadX, float spreadY, float height, float angle);

    float centreX() const { return centreX_; }
    float centreY() const { return centreY_; }
    float spreadX() const { return spreadX_; }
    float spreadY() const { return spreadY_; }
    float height() const { return height_; }
    float angle() const { return angle_; }

    // The coefficients of the quadratic form in the exponent.
    float a() const { return a_; }
    float b() const { return b_; }
    float c() const { return c_; }

    // height * exp(-(a dx^2 + 2 b dx dy + c dy^2)) in single precision.
    float heightAt(float x, float y) const { return heightForExponent(exponentAt(x, y)); }
    // The two halves of heightAt, for callers that look at the exponent before
    // deciding whether the value is worth its exponential.
    float exponentAt(float x, float y) const
    {
        const float dx = x - centreX_;
        const float dy = y - centreY_;
        return a_ * (dx * dx) + 2.0f * b_ * dx * dy + c_ * (dy * dy);
    }
    float heightForExponent(float exponent) const { return height_ * SingleMath::exp(-exponent); }

private:
    float centreX_;
    float centreY_;
    float spreadX_;
    float spreadY_;
    float height_;
    float angle_;
    // The quadratic form's coefficients depend on the peak alone, so they are
    // worked out once; the operations are the same as at every point.
    float a_;
    float b_;
    float c_;
};

// A new width x length map whose every height is the largest heightAt over the
// peaks: the first peak's value to start with, a later one replacing it only
// when greater (so a NaN never replaces one, and a first NaN stays). With no
// peaks every height stays 0. Skips the peaks that cannot win a point and
// spreads the map over the thread pool (generators/peakmap.cpp).
std::unique_ptr<Map> mapFromPeaks(std::uint32_t width, std::uint32_t length,
                                  const std::vector<Peak>& peaks);
// The same map from the plain loop: every peak evaluated at every point.
std::unique_ptr<Map> mapFromPeaksReference(std::uint32_t width, std::uint32_t length,
                                           const std::vector<Peak>& peaks);
// The same over a window of the world: the map's point (x, y) gets the height
// at world point (window.x + x, window.y + y), and only the window is composed.
std::unique_ptr<Map> mapFromPeaks(const Region& window, const std::vector<Peak>& peaks);
std::unique_ptr<Map> mapFromPeaksReference(const Region& window, const std::vector<Peak>& peaks);
