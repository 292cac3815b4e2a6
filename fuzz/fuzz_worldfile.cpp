// Reads arbitrary bytes as a world file and as a filter file. Whatever the
// reader accepts must lie inside the format's bounds and survive writing and
// reading again unchanged; whatever it refuses must come with a reason.

#include "filters/filtermatrix.h"
#include "fuzzsupport.h"
#include "terrain/map.h"
#include "world/worldfile.h"

#include <QByteArray>

namespace {

void checkAccepted(const WorldRecipe& recipe)
{
    const WorldOrigin& origin = recipe.origin;
    FUZZ_CHECK(origin.width <= WorldFile::MaxSide && origin.length <= WorldFile::MaxSide,
               "sizes stay within the bound");
    FUZZ_CHECK(recipe.filters.size() <= std::size_t(WorldFile::MaxFilters), "filters bounded");
    for (const FilterRecord& filter : recipe.filters) {
        if (const auto* matrix = dynamic_cast<const FilterMatrix*>(&filter.filter())) {
            for (const std::int32_t coefficient : matrix->getMatrix()) {
                FUZZ_CHECK(coefficient >= -100 && coefficient <= 100, "coefficients in range");
            }
        }
    }
    std::int64_t steps = 0;
    for (const DropRecord& drop : recipe.drops) {
        FUZZ_CHECK(Map::isOnSurface(origin.width, origin.length, drop.x, drop.y),
                   "every drop starts on the surface");
        steps += drop.steps;
    }
    FUZZ_CHECK(steps >= 0 && steps <= WorldFile::MaxDropSteps, "drop steps bounded");
    const WorldFile::Reading again = WorldFile::fromJson(WorldFile::toJson(recipe));
    FUZZ_CHECK(again.error.isEmpty() && again.recipe == recipe, "a written world reads back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const WorldFile::Reading reading = WorldFile::fromJson(bytes);
    if (reading.error.isEmpty()) {
        checkAccepted(reading.recipe);
    }
    const WorldFile::FilterReading filter = WorldFile::filterFromJson(bytes);
    if (filter.error.isEmpty()) {
        const WorldFile::FilterReading again =
            WorldFile::filterFromJson(WorldFile::filterToJson(*filter.filter));
        FUZZ_CHECK(again.error.isEmpty() && again.filter == filter.filter,
                   "a written filter reads back");
    }
    return 0;
}
