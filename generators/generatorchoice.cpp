#include "generators/generatorchoice.h"

#include "generators/fullyrandommapbuilder.h"
#include "generators/peaksmountainchainmapbuilder.h"
#include "generators/simplepeaksmoutainmapbuilder.h"

std::unique_ptr<MapBuilder> makeMapBuilder(int generatorIndex)
{
    switch (generatorIndex) {
    case 0:
        return std::make_unique<FullyRandomMapBuilder>();
    case 2:
        return std::make_unique<PeaksMountainChainMapBuilder>();
    default:
        return std::make_unique<SimplePeaksMoutainMapBuilder>();
    }
}
