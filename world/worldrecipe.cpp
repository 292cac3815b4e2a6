#include "world/worldrecipe.h"

SeedRecord SeedRecord::ofText(const QByteArray& text)
{
    SeedRecord record;
    record.text = text;
    return record;
}

SeedRecord SeedRecord::ofClock()
{
    const Seed seed;
    SeedRecord record;
    record.fromClock = true;
    record.clockSlots = seed.slotValues();
    return record;
}

std::unique_ptr<Seed> SeedRecord::makeSeed() const
{
    return fromClock ? std::make_unique<Seed>(clockSlots) : std::make_unique<Seed>(text);
}

bool SeedRecord::operator==(const SeedRecord& other) const
{
    return fromClock == other.fromClock &&
           (fromClock ? clockSlots == other.clockSlots : text == other.text);
}

bool WorldOrigin::operator==(const WorldOrigin& other) const
{
    return generatorIndex == other.generatorIndex && seed == other.seed && width == other.width &&
           length == other.length && region == other.region;
}

bool CameraRecord::operator==(const CameraRecord& other) const
{
    return distance == other.distance && xRotation == other.xRotation &&
           yRotation == other.yRotation && zRotation == other.zRotation &&
           centerX == other.centerX && centerY == other.centerY;
}

bool WorldRecipe::operator==(const WorldRecipe& other) const
{
    return origin == other.origin && filters == other.filters &&
           editedFilters == other.editedFilters && drops == other.drops && camera == other.camera;
}
