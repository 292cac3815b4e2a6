#include "generators/simplepeaksmoutainmapbuilder.h"

#include "generators/mersennedraws.h"
#include "generators/peakdraws.h"

std::unique_ptr<Map> SimplePeaksMoutainMapBuilder::build()
{
    const std::uint32_t folded = startBuild();
    MersenneDraws draws(folded);
    // The count comes from the platform generator, everything else from MT19937.
    const float count = randomBetween(4, 32);
    const PeakShapeDraws shape(width(), length());
    for (int i = 0; float(i) < count; ++i) {
        const float centreX = draws.uniform(0.0f, float(width()));
        const float centreY = draws.uniform(0.0f, float(length()));
        peaks_.push_back(shape.draw(draws, centreX, centreY));
    }
    return referencePath() ? mapFromPeaksReference(window(), peaks_)
                           : mapFromPeaks(window(), peaks_);
}
