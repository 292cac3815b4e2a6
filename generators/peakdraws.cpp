#include "generators/peakdraws.h"

namespace {
constexpr float kSpreadDeviation = 4.0f;
// 2 pi rounded to single precision.
constexpr float kFullTurn = 6.2831855f;
} // namespace

PeakShapeDraws::PeakShapeDraws(std::uint32_t width, std::uint32_t length)
    : spreadXMean_(float(width) * 0.125f), spreadYMean_(float(length) * 0.125f)
{
    // The area is a 32-bit unsigned product, converted to float as it is.
    const float area = float(width * length);
    heightMean_ = area / 200.0f;
    heightDeviation_ = area / 400.0f;
}

Peak PeakShapeDraws::draw(MersenneDraws& draws, float centreX, float centreY) const
{
    const float spreadX = draws.normal(spreadXMean_, kSpreadDeviation);
    const float spreadY = draws.normal(spreadYMean_, kSpreadDeviation);
    const float height = draws.normal(heightMean_, heightDeviation_);
    const float angle = draws.uniform(0.0f, kFullTurn);
    return Peak(centreX, centreY, spreadX, spreadY, height, angle);
}
