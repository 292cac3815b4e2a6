#include "exports/heightmap.h"

#include "exports/heightgrid.h"
#include "exports/textnumbers.h"

#include <QBuffer>
#include <QIODevice>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cmath>
#include <limits>

namespace HeightMap {

namespace {

// Large files are written in pieces of about this size.
constexpr int ChunkBytes = 1 << 20;

bool flush(QByteArray& buffer, QIODevice& device)
{
    const bool written = device.write(buffer) == buffer.size();
    buffer.clear();
    return written;
}

QByteArray exactText(float value)
{
    QByteArray text;
    TextNumbers::append(text, value);
    return text;
}

void widen(Range& range, float z)
{
    if (!std::isfinite(z)) {
        return;
    }
    if (!range.any) {
        range = {z, z, true};
    } else if (z < range.lowest) {
        range.lowest = z;
    } else if (z > range.highest) {
        range.highest = z;
    }
}

} // namespace

Range rangeOf(const HeightGrid& grid)
{
    Range range;
    for (std::uint32_t x = 0; x < grid.width(); ++x) {
        for (std::uint32_t y = 0; y < grid.length(); ++y) {
            widen(range, grid.z(x, y));
        }
    }
    return range;
}

// The whole map in its own order, the grid's: the status bar asks for the
// range of a 4096 x 4096 world after every command.
Range rangeOf(const Map& map)
{
    Range range;
    for (const MapPoint& point : map.points()) {
        widen(range, point.z());
    }
    return range;
}

Range unionOf(const Range& a, const Range& b)
{
    if (!a.any || !b.any) {
        return a.any ? a : b;
    }
    return {std::min(a.lowest, b.lowest), std::max(a.highest, b.highest), true};
}

std::uint16_t scaled(float z, const Range& range)
{
    const double span = double(range.highest) - double(range.lowest);
    if (!std::isfinite(z) || !(span > 0.0)) {
        return 0;
    }
    const double share = std::clamp((double(z) - double(range.lowest)) / span, 0.0, 1.0);
    return std::uint16_t(std::lround(share * 65535.0));
}

bool writePng(const HeightGrid& grid, const Range& range, QIODevice& device)
{
    const int width = int(grid.width());
    const int length = int(grid.length());
    QImage image(width, length, QImage::Format_Grayscale16);
    if (image.isNull()) {
        return false;
    }
    for (int y = 0; y < length; ++y) {
        auto* row = reinterpret_cast<std::uint16_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = scaled(grid.z(std::uint32_t(x), std::uint32_t(y)), range);
        }
    }
    image.setText(QStringLiteral("Minimum height"), QString::fromLatin1(exactText(range.lowest)));
    image.setText(QStringLiteral("Maximum height"), QString::fromLatin1(exactText(range.highest)));
    image.setText(QStringLiteral("Software"), QStringLiteral("Terravik"));
    return writeEncoded(image, device);
}

bool writeRaw16(const HeightGrid& grid, const Range& range, QIODevice& device)
{
    QByteArray buffer;
    buffer.reserve(ChunkBytes + 2 * int(grid.width()));
    for (std::uint32_t y = 0; y < grid.length(); ++y) {
        for (std::uint32_t x = 0; x < grid.width(); ++x) {
            const std::uint16_t value = scaled(grid.z(x, y), range);
            buffer.append(char(value & 0xFFu));
            buffer.append(char(value >> 8));
        }
        if (buffer.size() >= ChunkBytes && !flush(buffer, device)) {
            return false;
        }
    }
    return flush(buffer, device);
}

bool writeAsciiGrid(const HeightGrid& grid, QIODevice& device)
{
    const float noData = -std::numeric_limits<float>::max();
    QByteArray buffer = "ncols " + QByteArray::number(grid.width()) + "\nnrows " +
                        QByteArray::number(grid.length()) + "\nxllcenter " +
                        QByteArray::number(grid.worldX()) + "\nyllcenter " +
                        QByteArray::number(grid.worldY()) + "\ncellsize 1\nNODATA_value " +
                        exactText(noData) + '\n';
    for (std::uint32_t row = 0; row < grid.length(); ++row) {
        const std::uint32_t y = grid.length() - 1 - row;
        for (std::uint32_t x = 0; x < grid.width(); ++x) {
            const float z = grid.z(x, y);
            if (x > 0) {
                buffer.append(' ');
            }
            TextNumbers::append(buffer, std::isfinite(z) ? z : noData);
        }
        buffer.append('\n');
        if (buffer.size() >= ChunkBytes && !flush(buffer, device)) {
            return false;
        }
    }
    return flush(buffer, device);
}

bool writeEncoded(const QImage& image, QIODevice& device)
{
    // Encoded in memory: libpng words a failed write in a warning of its own,
    // and a failure is reported once, by the device's writer.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !QImageWriter(&buffer, "png").write(image)) {
        return false;
    }
    return device.write(png) == png.size();
}

} // namespace HeightMap
