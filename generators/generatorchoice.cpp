#include "generators/generatorchoice.h"

#include "generators/fullyrandommapbuilder.h"
#include "generators/peaksmountainchainmapbuilder.h"
#include "generators/simplepeaksmoutainmapbuilder.h"

#include <array>

namespace {
constexpr int RandomIndex = 0;
constexpr int PeaksIndex = 1;
constexpr int ChainIndex = 2;
constexpr std::array<const char*, 3> names{"random", "peaks", "chain"};

int knownIndex(int generatorIndex)
{
    return generatorIndex == RandomIndex || generatorIndex == ChainIndex ? generatorIndex
                                                                         : PeaksIndex;
}
} // namespace

std::unique_ptr<MapBuilder> makeMapBuilder(int generatorIndex)
{
    switch (knownIndex(generatorIndex)) {
    case RandomIndex:
        return std::make_unique<FullyRandomMapBuilder>();
    case ChainIndex:
        return std::make_unique<PeaksMountainChainMapBuilder>();
    default:
        return std::make_unique<SimplePeaksMoutainMapBuilder>();
    }
}

QString generatorName(int generatorIndex)
{
    return QString::fromLatin1(names[std::size_t(knownIndex(generatorIndex))]);
}

int generatorIndexOf(const QString& name)
{
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (name == QLatin1String(names[i])) {
            return int(i);
        }
    }
    return -1;
}
