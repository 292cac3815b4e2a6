#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

    // The next four bytes as the bits of a float: any value, inf and NaN too.
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

    const std::uint8_t* rest() const { return data_ + offset_; }
    std::size_t restSize() const { return size_ - offset_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

// The bits of a float, for comparisons that must see -0.0 and NaN payloads.
inline std::uint32_t floatBits(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A broken invariant ends the run with a message; libFuzzer keeps the input.
#define FUZZ_CHECK(condition, message)                                                             \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s (%s)\n", __FILE__, __LINE__,         \
                         message, #condition);                                                     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
