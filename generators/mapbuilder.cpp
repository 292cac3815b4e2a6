#include "generators/mapbuilder.h"

#include "terrain/platformrandom.h"

MapBuilder::MapBuilder() = default;

MapBuilder::~MapBuilder() = default;

std::unique_ptr<Map> MapBuilder::build()
{
    return nullptr;
}

MapBuilder& MapBuilder::setSeed(std::unique_ptr<Seed> seed)
{
    seed_ = std::move(seed);
    return *this;
}

MapBuilder& MapBuilder::setSeed(const QByteArray& text)
{
    seed_ = std::make_unique<Seed>(text);
    return *this;
}

MapBuilder& MapBuilder::setWidth(std::int32_t width)
{
    width_ = std::uint32_t(width);
    return *this;
}

MapBuilder& MapBuilder::setLength(std::int32_t length)
{
    length_ = std::uint32_t(length);
    return *this;
}

MapBuilder& MapBuilder::setReferencePath(bool reference)
{
    referencePath_ = reference;
    return *this;
}

MapBuilder& MapBuilder::setWindow(const Region& window)
{
    window_ = window;
    return *this;
}

std::uint32_t MapBuilder::startBuild() const
{
    const std::uint32_t folded = seed_ ? std::uint32_t(seed_->toInt()) : 0u;
    PlatformRandom::seed(folded);
    return folded;
}

float randomBetween(std::int32_t min, std::int32_t max)
{
    // Unsigned so that extreme bounds wrap like the 32-bit difference they are.
    const auto span = std::int32_t(std::uint32_t(max) - std::uint32_t(min));
    return float(PlatformRandom::next()) / float(PlatformRandom::kMax) * float(span) + float(min);
}

float randomUnit()
{
    return float(PlatformRandom::next()) / float(PlatformRandom::kMax);
}
