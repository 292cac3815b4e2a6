#pragma once

class HeightGrid;
class QIODevice;

// One-channel 32-bit float images of the exact heights, pixel (x, y) grid
// point (x, y), rows from y = 0, for tools that take float height maps.
namespace FloatImages {

// A TIFF (libtiff): one IEEE float sample per pixel, uncompressed strips.
bool writeTiff(const HeightGrid& grid, QIODevice& device);
// An OpenEXR 3 image (OpenEXR): one FLOAT channel "Y", ZIP compressed.
bool writeExr(const HeightGrid& grid, QIODevice& device);

} // namespace FloatImages
