#pragma once

#include <cstdint>

class HeightGrid;
class Map;
class QImage;
class QIODevice;

// Height maps for other programs: the filtered heights scaled to 16 bits
// (lowest 0, highest 65535), or printed exactly.
namespace HeightMap {

// The lowest and highest finite heights; `any` is false when there is none.
struct Range
{
    float lowest = 0.0f;
    float highest = 0.0f;
    bool any = false;
};

Range rangeOf(const HeightGrid& grid);
Range rangeOf(const Map& map);
// The range that holds both.
Range unionOf(const Range& a, const Range& b);

// z scaled onto 0 ... 65535, rounded to nearest; a flat map and non-finite
// heights give 0, heights beyond the range its nearer end (tiles share one
// range that may be given). Computed in double, so every machine gives the
// same value.
std::uint16_t scaled(float z, const Range& range);

// A 16-bit greyscale PNG: pixel (x, y) is grid point (x, y). The text chunks
// "Minimum height" and "Maximum height" give the range, so that
// z = minimum + value / 65535 * (maximum - minimum) recovers the heights.
bool writePng(const HeightGrid& grid, const Range& range, QIODevice& device);
// The same values as raw 16-bit little-endian words, row by row along x for
// each y from 0 (no header).
bool writeRaw16(const HeightGrid& grid, const Range& range, QIODevice& device);
// An ESRI ASCII grid: point (x, y) at easting x and northing y of its world,
// rows from the north (y = length - 1) down, every height printed so that it
// reads back to the same float. Non-finite heights are written as the NODATA
// value.
bool writeAsciiGrid(const HeightGrid& grid, QIODevice& device);
// A PNG of the image, encoded whole before it goes to the device.
bool writeEncoded(const QImage& image, QIODevice& device);

} // namespace HeightMap
