#include "exports/derivedmaps.h"

#include "exports/heightgrid.h"

#include <QImage>
#include <algorithm>
#include <cmath>

namespace DerivedMaps {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

// A channel value 0 ... 255 for a share 0 ... 1.
int byteOf(double share)
{
    // Heights that are not numbers have no slope or band: they count as 0.
    return std::isnan(share) ? 0 : int(std::lround(std::clamp(share, 0.0, 1.0) * 255.0));
}

// 0 below from - width / 2, 1 above from + width / 2, straight in between.
double ramp(double value, double from, double width)
{
    if (!(width > 0.0)) {
        return value >= from ? 1.0 : 0.0;
    }
    return std::clamp((value - from) / width + 0.5, 0.0, 1.0);
}

// The slope along one axis at a point: the difference of its two neighbours
// over their distance, one of them the point itself at the world's border.
double slopeAlong(const HeightGrid& grid, std::int64_t x, std::int64_t y, std::int64_t dx,
                  std::int64_t dy)
{
    const auto onMap = [&](std::int64_t value, std::int64_t base, std::uint32_t side) {
        return value + base >= 0 && value + base < std::int64_t(side);
    };
    const bool xAxis = dx != 0;
    const std::uint32_t side = xAxis ? grid.map().width() : grid.map().length();
    const std::int64_t base = xAxis ? std::int64_t(grid.mapX()) : std::int64_t(grid.mapY());
    const std::int64_t at = xAxis ? x : y;
    const std::int64_t before = onMap(at - 1, base, side) ? -1 : 0;
    const std::int64_t after = onMap(at + 1, base, side) ? 1 : 0;
    if (before == after) {
        return 0.0;
    }
    const double high = grid.zAround(x + after * dx, y + after * dy);
    const double low = grid.zAround(x + before * dx, y + before * dy);
    return (high - low) / double(after - before);
}

} // namespace

Normal normalAt(const HeightGrid& grid, std::uint32_t x, std::uint32_t y, double verticalScale)
{
    const double alongX = slopeAlong(grid, x, y, 1, 0) * verticalScale;
    const double alongY = slopeAlong(grid, x, y, 0, 1) * verticalScale;
    // (-dz/dx, -dz/dy, 1) normalised, with y flipped into the image's frame.
    const double length = std::sqrt(alongX * alongX + alongY * alongY + 1.0);
    return {-alongX / length, alongY / length, 1.0 / length};
}

bool writeNormalMap(const HeightGrid& grid, const NormalMapSettings& settings, QIODevice& device)
{
    QImage image(int(grid.width()), int(grid.length()), QImage::Format_RGB888);
    if (image.isNull()) {
        return false;
    }
    for (std::uint32_t y = 0; y < grid.length(); ++y) {
        uchar* row = image.scanLine(int(y));
        for (std::uint32_t x = 0; x < grid.width(); ++x) {
            const Normal normal = normalAt(grid, x, y, settings.verticalScale);
            uchar* pixel = row + std::size_t(x) * 3;
            pixel[0] = uchar(byteOf((normal.x + 1.0) / 2.0));
            pixel[1] = uchar(byteOf((normal.y + 1.0) / 2.0));
            pixel[2] = uchar(byteOf((normal.z + 1.0) / 2.0));
        }
    }
    return HeightMap::writeEncoded(image, device);
}

bool writeSplatMap(const HeightGrid& grid, const HeightMap::Range& range,
                   const NormalMapSettings& normals, const SplatMapSettings& settings,
                   QIODevice& device)
{
    QImage image(int(grid.width()), int(grid.length()), QImage::Format_RGBA8888);
    if (image.isNull()) {
        return false;
    }
    const double span = double(range.highest) - double(range.lowest);
    for (std::uint32_t y = 0; y < grid.length(); ++y) {
        uchar* row = image.scanLine(int(y));
        for (std::uint32_t x = 0; x < grid.width(); ++x) {
            const double z = grid.z(x, y);
            const double height = span > 0.0 ? (z - double(range.lowest)) / span : 0.0;
            const Normal normal = normalAt(grid, x, y, normals.verticalScale);
            const double slope = std::acos(std::clamp(normal.z, -1.0, 1.0)) * kDegreesPerRadian;
            const double steep = ramp(slope, settings.steepFrom, settings.slopeBlend);
            const double high = ramp(height, settings.highFrom, settings.blend);
            const double low =
                std::min(1.0 - ramp(height, settings.lowUpTo, settings.blend), 1.0 - high);
            const double middle = 1.0 - low - high;
            uchar* pixel = row + std::size_t(x) * 4;
            pixel[0] = uchar(byteOf(low * (1.0 - steep)));
            pixel[1] = uchar(byteOf(middle * (1.0 - steep)));
            pixel[2] = uchar(byteOf(high * (1.0 - steep)));
            pixel[3] = uchar(byteOf(steep));
        }
    }
    return HeightMap::writeEncoded(image, device);
}

} // namespace DerivedMaps
