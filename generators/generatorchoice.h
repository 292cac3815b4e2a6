#pragma once

#include "generators/mapbuilder.h"

#include <QString>
#include <memory>
#include <vector>

// The one table of generators, in the New world dialog's order (its index is
// the dialog's generatorIndex): the key that world files and the command line
// use, the title the dialog and the status line show, and the builder.
struct GeneratorKind
{
    const char* key;
    // Translated in the New world dialog's context ("NewWorldDialog").
    const char* title;
    std::unique_ptr<MapBuilder> (*makeBuilder)();
};

const std::vector<GeneratorKind>& generatorKinds();

// The generator of a dialog index. An index the table does not know makes
// mountain peaks, the most typical terrain.
const GeneratorKind& generatorKind(int generatorIndex);
std::unique_ptr<MapBuilder> makeMapBuilder(int generatorIndex);
// The key of a dialog index ("random", "peaks", "chain").
QString generatorName(int generatorIndex);
// The translated title of a dialog index.
QString generatorTitle(int generatorIndex);
// The dialog index of a key, or -1 for a text that is not one.
int generatorIndexOf(const QString& name);
// The keys for messages and help, each between quote: "random, peaks or chain".
QString generatorNames(const QString& quote = QString());
