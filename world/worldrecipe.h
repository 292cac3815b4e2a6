#pragma once

#include "filters/filter.h"
#include "terrain/region.h"
#include "terrain/seed.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
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
// seed and the size; and, for a piece of a larger world, the region of it
// that is built (the maps then hold the region's points only).
struct WorldOrigin
{
    int generatorIndex = 1;
    SeedRecord seed;
    std::uint32_t width = 0;
    std::uint32_t length = 0;
    std::optional<Region> region;

    // What the maps cover: the region, or the whole world.
    Region area() const { return region.value_or(Region::whole(width, length)); }

    bool operator==(const WorldOrigin& other) const;
    bool operator!=(const WorldOrigin& other) const { return !(*this == other); }
};

// One filter of a recipe: a frozen copy of a filter of any kind, which records
// share. Two records are equal when their filters are the same filter: kind,
// name and settings.
class FilterRecord
{
public:
    explicit FilterRecord(const Filter& filter) : filter_(filter.clone()) {}
    explicit FilterRecord(std::unique_ptr<Filter> filter) : filter_(std::move(filter)) {}

    const Filter& filter() const { return *filter_; }
    const QString& name() const { return filter_->name(); }
    // A new filter with the record's kind, name and settings.
    std::unique_ptr<Filter> makeFilter() const { return filter_->clone(); }

    bool operator==(const FilterRecord& other) const { return filter_->sameAs(*other.filter_); }
    bool operator!=(const FilterRecord& other) const { return !(*this == other); }

private:
    std::shared_ptr<const Filter> filter_;
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
    // The filters the terrain went through, in order.
    std::vector<FilterRecord> filters;
    // The filter list as the user left it, when it differs from the filters
    // applied: edits that wait for Update are work too.
    std::optional<std::vector<FilterRecord>> editedFilters;
    std::vector<DropRecord> drops;
    CameraRecord camera;

    bool operator==(const WorldRecipe& other) const;
};
