#pragma once

#include <cmath>

// The single-precision functions the generators use. Each is evaluated in
// double precision and rounded once to float, so a world does not depend on
// which float variants (cosf, expf, ...) a C library ships or how accurate
// they are: only the double functions, which are far more uniform, matter.
namespace SingleMath {

inline float cos(float angle)
{
    return float(std::cos(double(angle)));
}

inline float sin(float angle)
{
    return float(std::sin(double(angle)));
}

inline float exp(float value)
{
    return float(std::exp(double(value)));
}

inline float pow(float base, float exponent)
{
    return float(std::pow(double(base), double(exponent)));
}

} // namespace SingleMath
