#pragma once

// What the fuzz targets share: reading the input and checking an invariant.

#include "maps.h"

#include <cstdio>
#include <cstdlib>

// A fuzzer's input read front to back, one byte per small choice and four per
// float, so that hand-made corpus files stay readable; past its end, zeros.
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
        for (int shift = 0; shift < 32; shift += 8)
            bits |= std::uint32_t(byte()) << shift;
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        return value;
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
