#include "drop/waterdrop.h"

WaterDrop::WaterDrop(float x, float y, float z)
{
    path_.emplace_back(x, y, z);
}

void WaterDrop::advance(const QVector3D&, float, std::uint32_t, std::uint32_t)
{
    stopped_ = true; // placeholder
}
