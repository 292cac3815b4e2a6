#pragma once

#include "generators/mapbuilder.h"

#include <memory>

// The generators in the order the New world dialog lists them: 0 fully random,
// 1 mountain peaks, 2 mountain peaks chain. An index it does not know makes
// mountain peaks, the most typical terrain.
std::unique_ptr<MapBuilder> makeMapBuilder(int generatorIndex);
