#pragma once

#include "exports/heightmap.h"

class HeightGrid;
class QIODevice;

// Maps derived from the exact heights for texturing in engines. Slopes are
// central differences over the grid's neighbours, which may lie beyond the
// grid (a region built with a ring around it), so that neighbouring tiles
// agree at their shared edges; at the world's border the nearest point
// stands in for the missing one.

struct NormalMapSettings
{
    // The length of a height unit in grid steps: heights are multiplied by it
    // before the slopes are taken (1: a height unit is as long as a grid step).
    double verticalScale = 1.0;
};

// The splat map's four bands: red low ground, green the middle heights, blue
// high ground, alpha steep ground whatever its height.
struct SplatMapSettings
{
    // Where low ground ends and high ground begins, as shares of the height
    // range (0 its lowest, 1 its highest); each change is spread over `blend`.
    double lowUpTo = 0.3;
    double highFrom = 0.7;
    double blend = 0.1;
    // Slopes steeper than this many degrees are steep ground (with the
    // normal map's vertical scale), changing over `slopeBlend` degrees.
    double steepFrom = 35.0;
    double slopeBlend = 10.0;
};

namespace DerivedMaps {

// The unit normal at a grid point, in the image's frame: x along the image's
// width, y up the image (towards smaller map y: the OpenGL convention) and z
// out of the ground.
struct Normal
{
    double x;
    double y;
    double z;
};
Normal normalAt(const HeightGrid& grid, std::uint32_t x, std::uint32_t y, double verticalScale);

// An RGB PNG, pixel (x, y) the normal at grid point (x, y), each component
// c stored as round((c + 1) / 2 * 255): flat ground is (128, 128, 255).
bool writeNormalMap(const HeightGrid& grid, const NormalMapSettings& settings, QIODevice& device);

// An RGBA PNG of the four bands' weights at each grid point, 0 to 255 each
// and summing to 255 (to within the rounding of each). Heights are placed in
// `range`, which tiles share.
bool writeSplatMap(const HeightGrid& grid, const HeightMap::Range& range,
                   const NormalMapSettings& normals, const SplatMapSettings& settings,
                   QIODevice& device);

} // namespace DerivedMaps
