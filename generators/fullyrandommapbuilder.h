#pragma once

#include "generators/mapbuilder.h"

// Every height an independent randomUnit() value, drawn in the map's x-major
// point order right after reseeding the platform random generator.
class FullyRandomMapBuilder : public MapBuilder
{
public:
    std::unique_ptr<Map> build() override;
};
