#pragma once

#include "terrain/map.h"
#include "terrain/region.h"
#include "terrain/seed.h"

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <optional>

// A terrain generator: configured with a seed and a size through chainable
// setters, then asked to build a new map that the caller owns.
class MapBuilder
{
public:
    MapBuilder();
    virtual ~MapBuilder();
    MapBuilder(const MapBuilder&) = delete;
    MapBuilder& operator=(const MapBuilder&) = delete;

    // The new map; the base builder makes nothing and returns null.
    virtual std::unique_ptr<Map> build();

    MapBuilder& setSeed(std::unique_ptr<Seed> seed);
    // Makes the seed from a copy of the text.
    MapBuilder& setSeed(const QByteArray& text);
    MapBuilder& setWidth(std::int32_t width);
    MapBuilder& setLength(std::int32_t length);
    // Builds with the plain serial loops instead of the fast paths: the same
    // map to the last bit, for tests and benchmarks to hold the fast paths to.
    MapBuilder& setReferencePath(bool reference);
    // Builds only this window of the world the seed, width and length define:
    // the map's point (x, y) gets the height of world point (window.x + x,
    // window.y + y), bit for bit, at a cost that grows with the window alone.
    MapBuilder& setWindow(const Region& window);

protected:
    std::uint32_t width() const { return width_; }
    std::uint32_t length() const { return length_; }
    bool referencePath() const { return referencePath_; }
    // The window to build; the whole world unless one was set.
    Region window() const { return window_.value_or(Region::whole(width_, length_)); }

    // The common start of every build: folds the seed, reseeds the platform
    // random generator with it and returns it for the builder's own generator.
    // A builder without a seed builds as with the empty text (fold 0).
    std::uint32_t startBuild() const;

private:
    std::unique_ptr<Seed> seed_;
    std::uint32_t width_ = 0;
    std::uint32_t length_ = 0;
    bool referencePath_ = false;
    std::optional<Region> window_;
};

// The next platform random value v as v / 32767 * (max - min) + min in single
// precision: min for 0, max for 32767. The difference is an integer one.
float randomBetween(std::int32_t min, std::int32_t max);
// The next platform random value over 32767 in single precision, 0.0 to 1.0
// both included.
float randomUnit();
