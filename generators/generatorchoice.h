#pragma once

#include "generators/mapbuilder.h"

#include <QString>
#include <memory>

// The generators in the order the New world dialog lists them: 0 fully random,
// 1 mountain peaks, 2 mountain peaks chain. An index it does not know makes
// mountain peaks, the most typical terrain.
std::unique_ptr<MapBuilder> makeMapBuilder(int generatorIndex);

// The stable names of the generators in world files and on the command line
// ("random", "peaks", "chain"), by dialog index; an unknown index is named as
// the generator it makes.
QString generatorName(int generatorIndex);
// The dialog index of a generator name, or -1 for a name that is not one.
int generatorIndexOf(const QString& name);
