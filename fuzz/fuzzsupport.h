#pragma once

// What the fuzz targets share: reading the input, stopping on a broken
// invariant, and the grid every map keeps.

#include "maps.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

// Reads a fuzzer's input front to back, so that hand-made corpus files stay
// readable: one byte per small choice, four bytes per float. Past the end every
// read gives zeros, so every input decodes to something.
class FuzzInput
{
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    // A value 0 to count - 1.
    unsigned choice(unsigned count) { return byte() % count; }
    // The next four bytes, low first, as the bits of a float: inf and NaN too.
    float floatBits()
    {
        std::uint32_t bits = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            bits |= std::uint32_t(byte()) << shift;
        }
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    QByteArray rest() const
    {
        return QByteArray(reinterpret_cast<const char*>(data_ + offset_), int(size_ - offset_));
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

// A broken invariant ends the run with a message; libFuzzer keeps the input.
#define FUZZ_CHECK(condition, message)                                                             \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s (%s)\n", __FILE__, __LINE__,         \
                         message, #condition);                                                     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The grid every map keeps: its size, one point per integer position in
// x-major order, each found by pointAt, and nothing found just outside.
inline void checkGrid(const Map& map, std::uint32_t width, std::uint32_t length)
{
    FUZZ_CHECK(map.width() == width && map.length() == length, "the size is kept");
    FUZZ_CHECK(map.points().size() == std::size_t(width) * length, "width * length points");
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < length; ++y) {
            const MapPoint* point = map.pointAt(x, y);
            FUZZ_CHECK(point == &map.points()[std::size_t(x) * length + y], "stored x-major");
            FUZZ_CHECK(point->x() == float(x) && point->y() == float(y), "at its position");
        }
    }
    FUZZ_CHECK(map.pointAt(width, 0) == nullptr && map.pointAt(0, length) == nullptr,
               "no point past the last column or row");
}
