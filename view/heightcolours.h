#pragma once

#include <QVector3D>
#include <QVector>
#include <cstdint>

// Colouring a wireframe by height with a perceptual colour map (viridis: dark
// violet through blue and green to yellow), whose lightness rises evenly, so
// that equal steps of height look like equal steps of colour.
namespace HeightColours {

struct Rgba
{
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t alpha;

    bool operator==(const Rgba& other) const
    {
        return red == other.red && green == other.green && blue == other.blue &&
               alpha == other.alpha;
    }
};

// The map's colour at t from 0 (lowest) to 1 (highest); t is clamped.
Rgba colourAt(double t);

// One colour per vertex, from its height (the scene's y) between lowestY and
// highestY; a flat or empty range gives every vertex the lowest colour.
void build(const QVector<QVector3D>& vertices, float lowestY, float highestY,
           QVector<Rgba>& colours);

} // namespace HeightColours
