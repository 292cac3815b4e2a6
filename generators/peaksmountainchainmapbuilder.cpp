#include "generators/peaksmountainchainmapbuilder.h"

#include "generators/mersennedraws.h"
#include "generators/peak.h"
#include "generators/peakdraws.h"
#include "generators/polynomial.h"

#include <vector>

namespace {
constexpr float kScatterAboutCurve = 2.0f;

std::unique_ptr<Polynomial> drawCurve(MersenneDraws& draws)
{
    const std::int32_t termCount = draws.uniformInteger(1, 3);
    PolynomialBuilder builder;
    for (float exponent = 0.0f; exponent < float(termCount); exponent += 1.0f) {
        builder.addTerm(draws.uniform(-2.0f, 2.0f), exponent);
    }
    return builder.build();
}
} // namespace

std::unique_ptr<Map> PeaksMountainChainMapBuilder::build()
{
    MersenneDraws draws(startBuild());
    const std::unique_ptr<Polynomial> curve = drawCurve(draws);
    const std::int32_t count = draws.uniformInteger(4, 32);
    const PeakShapeDraws shape(width(), length());
    std::vector<Peak> peaks;
    for (std::int32_t i = 0; float(i) < float(count); ++i) {
        const float centreX = draws.uniform(0.0f, float(width()));
        const float centreY = draws.normal(curve->evaluate(centreX), kScatterAboutCurve);
        peaks.push_back(shape.draw(draws, centreX, centreY));
    }
    return referencePath() ? mapFromPeaksReference(window(), peaks) : mapFromPeaks(window(), peaks);
}
