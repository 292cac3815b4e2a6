#include "drop/waterdrop.h"
#include "terrain/map.h"

void Map::startDrop(float, float) {}

bool Map::stepDrops(float)
{
    return false; // placeholder
}
