#include "generators/peak.h"

#include "generators/singlemath.h"

Peak::Peak(float centreX, float centreY, float spreadX, float spreadY, float height, float angle)
    : centreX_(centreX), centreY_(centreY), spreadX_(spreadX), spreadY_(spreadY), height_(height),
      angle_(angle)
{
    const float cosine = SingleMath::cos(angle);
    const float sine = SingleMath::sin(angle);
    const float sineOfDouble = SingleMath::sin(2.0f * angle);
    const float cosineSquared = cosine * cosine;
    const float sineSquared = sine * sine;
    const float spreadXSquared = spreadX * spreadX;
    const float spreadYSquared = spreadY * spreadY;
    a_ = cosineSquared / (2.0f * spreadXSquared) + sineSquared / (2.0f * spreadYSquared);
    b_ = sineOfDouble / (4.0f * spreadYSquared) - sineOfDouble / (4.0f * spreadXSquared);
    c_ = sineSquared / (2.0f * spreadXSquared) + cosineSquared / (2.0f * spreadYSquared);
}

std::unique_ptr<Map> mapFromPeaksReference(std::uint32_t width, std::uint32_t length,
                                           const std::vector<Peak>& peaks)
{
    return mapFromPeaksReference(Region::whole(width, length), peaks);
}

std::unique_ptr<Map> mapFromPeaksReference(const Region& window, const std::vector<Peak>& peaks)
{
    auto map = std::make_unique<Map>(window.width, window.length);
    if (peaks.empty()) {
        return map;
    }
    for (MapPoint& point : map->points()) {
        const float x = float(window.x + std::uint32_t(point.x()));
        const float y = float(window.y + std::uint32_t(point.y()));
        float highest = peaks.front().heightAt(x, y);
        for (std::size_t i = 1; i < peaks.size(); ++i) {
            const float value = peaks[i].heightAt(x, y);
            if (value > highest) {
                highest = value;
            }
        }
        point.setZ(highest);
    }
    return map;
}
