#include "view/heightcolours.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace HeightColours {

namespace {

// Viridis at nine evenly spaced points, joined by straight lines.
constexpr std::array<std::array<int, 3>, 9> stops{{
    {68, 1, 84},
    {71, 44, 122},
    {59, 82, 139},
    {44, 113, 142},
    {33, 145, 140},
    {39, 173, 129},
    {92, 200, 99},
    {170, 220, 50},
    {253, 231, 37},
}};

} // namespace

Rgba colourAt(double t)
{
    const double place = std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0) * double(stops.size() - 1);
    const std::size_t below = std::min(std::size_t(place), stops.size() - 2);
    const double share = place - double(below);
    const auto mix = [&](std::size_t channel) {
        const double low = stops[below][channel];
        const double high = stops[below + 1][channel];
        return std::uint8_t(std::lround(low + (high - low) * share));
    };
    return {mix(0), mix(1), mix(2), 255};
}

void build(const QVector<QVector3D>& vertices, float lowestY, float highestY,
           QVector<Rgba>& colours)
{
    const double span = double(highestY) - double(lowestY);
    colours.resize(vertices.size());
    for (int i = 0; i < vertices.size(); ++i) {
        const double t = span > 0.0 ? (double(vertices[i].y()) - double(lowestY)) / span : 0.0;
        colours[i] = colourAt(t);
    }
}

} // namespace HeightColours
