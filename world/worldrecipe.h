#pragma once

#include "filters/filtermatrix.h"
#include "terrain/seed.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// A world is fully defined by a few values: these records hold them, so that
// the world can be written to a file and rebuilt bit for bit.

// Where a world's seed came from: the bytes of a typed text, or the sixteen
// slots a clock seed drew (the clock itself cannot be read again).
struct SeedRecord
{
    using Slots = std::array<std::int32_t, Seed::kSlotCount>;

    bool fromClock = false;
    QByteArray text;
    Slots clockSlots{};

    static SeedRecord ofText(const QByteArray& text);
    // Draws a clock seed now and keeps its slots.
    static SeedRecord ofClock();
    std::unique_ptr<Seed> makeSeed() const;

    bool operator==(const SeedRecord& other) const;
    bool operator!=(const SeedRecord& other) const { return !(*this == other); }
};

// What the generator needs: which one (the New world dialog's index), the
// seed and the size.
struct WorldOrigin
{
    int generatorIndex = 1;
    SeedRecord seed;
    std::uint32_t width = 0;
    std::uint32_t length = 0;

    bool operator==(const WorldOrigin& other) const;
    bool operator!=(const WorldOrigin& other) const { return !(*this == other); }
};

struct FilterRecord
{
    QString name;
    FilterMatrix::Coefficients coefficients{};

    bool operator==(const FilterRecord& other) const
    {
        return name == other.name && coefficients == other.coefficients;
    }
    bool operator!=(const FilterRecord& other) const { return !(*this == other); }
};

// A drop's start and the number of times it was moved while running.
struct DropRecord
{
    float x = 0.0f;
    float y = 0.0f;
    std::int64_t steps = 0;

    bool operator==(const DropRecord& other) const
    {
        return x == other.x && y == other.y && steps == other.steps;
    }
};

// The view's camera; the starting values are those of a new view.
struct CameraRecord
{
    float distance = -10.0f;
    double xRotation = 0.0;
    double yRotation = 0.0;
    double zRotation = 0.0;
    double centerX = 0.0;
    double centerY = 0.0;

    bool operator==(const CameraRecord& other) const;
};

struct WorldRecipe
{
    WorldOrigin origin;
    std::vector<FilterRecord> filters;
    std::vector<DropRecord> drops;
    CameraRecord camera;

    bool operator==(const WorldRecipe& other) const;
};
