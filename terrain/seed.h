#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

// The randomness of one world: sixteen signed 32-bit slots made from a text or
// from the clock, folded into one integer by toInt(). The same text always
// gives the same fold.
class Seed
{
public:
    static constexpr int kSlotCount = 16;

    // Byte i of the text, read as 0 to 255, adds to slot i mod 16.
    explicit Seed(const QByteArray& text);
    // Reseeds the platform random generator with the clock (whole seconds,
    // low 32 bits) and fills the slots with its next sixteen values.
    Seed();
    // The seed with these slot values, e.g. a clock seed read back from a file.
    explicit Seed(const std::array<std::int32_t, 16>& slots) : slots_(slots) {}

    // The slots, e.g. to keep a clock seed in a world file.
    const std::array<std::int32_t, kSlotCount>& slotValues() const { return slots_; }

    // r = r * (10^d + 1) + a over the slots in order, where d is the number of
    // decimal digits of slot a read as unsigned; all with 32-bit wrap-around.
    std::int32_t toInt() const;

private:
    std::array<std::int32_t, kSlotCount> slots_{};
};
