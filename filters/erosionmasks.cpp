#include "filters/erosionmasks.h"

#include "terrain/map.h"

void ErosionMasks::resetFor(const Map& map)
{
    const std::size_t count = map.points().size();
    for (std::vector<float>* mask : {&erosion, &deposition, &flow}) {
        mask->assign(count, 0.0f);
    }
}

bool ErosionMasks::fits(const Map& map) const
{
    const std::size_t count = map.points().size();
    return erosion.size() == count && deposition.size() == count && flow.size() == count;
}
