#include "exports/heightmap.h"

#include "exports/textnumbers.h"
#include "terrain/map.h"

#include <QBuffer>
#include <QIODevice>
#include <QImage>
#include <QImageWriter>
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

} // namespace

Range rangeOf(const Map& map)
{
    Range range;
    for (const MapPoint& point : map.points()) {
        const float z = point.z();
        if (!std::isfinite(z)) {
            continue;
        }
        if (!range.any) {
            range = {z, z, true};
        } else if (z < range.lowest) {
            range.lowest = z;
        } else if (z > range.highest) {
            range.highest = z;
        }
    }
    return range;
}

std::uint16_t scaled(float z, const Range& range)
{
    const double span = double(range.highest) - double(range.lowest);
    if (!std::isfinite(z) || !(span > 0.0)) {
        return 0;
    }
    return std::uint16_t(std::lround((double(z) - double(range.lowest)) / span * 65535.0));
}

bool writePng(const Map& map, QIODevice& device)
{
    const Range range = rangeOf(map);
    const int width = int(map.width());
    const int length = int(map.length());
    QImage image(width, length, QImage::Format_Grayscale16);
    if (image.isNull()) {
        return false;
    }
    for (int y = 0; y < length; ++y) {
        auto* row = reinterpret_cast<std::uint16_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = scaled(map.pointAt(std::uint32_t(x), std::uint32_t(y))->z(), range);
        }
    }
    image.setText(QStringLiteral("Minimum height"), QString::fromLatin1(exactText(range.lowest)));
    image.setText(QStringLiteral("Maximum height"), QString::fromLatin1(exactText(range.highest)));
    image.setText(QStringLiteral("Software"), QStringLiteral("Terravik"));
    // Encoded in memory: libpng words a failed write in a warning of its own,
    // and a failure is reported once, by the device's writer.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !QImageWriter(&buffer, "png").write(image)) {
        return false;
    }
    return device.write(png) == png.size();
}

bool writeRaw16(const Map& map, QIODevice& device)
{
    const Range range = rangeOf(map);
    QByteArray buffer;
    buffer.reserve(ChunkBytes + 2 * int(map.width()));
    for (std::uint32_t y = 0; y < map.length(); ++y) {
        for (std::uint32_t x = 0; x < map.width(); ++x) {
            const std::uint16_t value = scaled(map.pointAt(x, y)->z(), range);
            buffer.append(char(value & 0xFFu));
            buffer.append(char(value >> 8));
        }
        if (buffer.size() >= ChunkBytes && !flush(buffer, device)) {
            return false;
        }
    }
    return flush(buffer, device);
}

bool writeAsciiGrid(const Map& map, QIODevice& device)
{
    const float noData = -std::numeric_limits<float>::max();
    QByteArray buffer =
        "ncols " + QByteArray::number(map.width()) + "\nnrows " + QByteArray::number(map.length()) +
        "\nxllcenter 0\nyllcenter 0\ncellsize 1\nNODATA_value " + exactText(noData) + '\n';
    for (std::uint32_t row = 0; row < map.length(); ++row) {
        const std::uint32_t y = map.length() - 1 - row;
        for (std::uint32_t x = 0; x < map.width(); ++x) {
            const float z = map.pointAt(x, y)->z();
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

} // namespace HeightMap
