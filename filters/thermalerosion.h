#pragma once

#include "filters/filter.h"
#include "filters/filtersettings.h"

// Scree that slides: wherever a point stands higher above one of its four
// neighbours than the talus angle allows (height difference per point of
// distance, in the map's own units, as the view shows it), it gives a share
// (rate) of half its steepest excess to its lower neighbours, split in
// proportion to their excess. Every iteration reads the map the one before
// it made, so neither order nor threads change a bit; what one point gives
// its neighbour receives, so the heights' sum stays (up to float rounding).
// Heights that are not finite or beyond 2^64 neither give nor take.
class ThermalErosion : public Filter
{
public:
    static constexpr const char* Kind = "thermal-erosion";
    // The default name, and the dialog's and the Add erosion menu's title.
    static constexpr const char* Title = "Thermal erosion";

    struct Settings
    {
        double talusAngle = 40.0;
        int iterations = 50;
        double rate = 0.5;

        bool operator==(const Settings& other) const;
        bool operator!=(const Settings& other) const { return !(*this == other); }
    };

    // Every setting in the order the dialog shows them.
    static const NumberSettings<Settings>& numberSettings();
    // None: every setting is a number.
    static const TextSettings<Settings>& textSettings();

    ThermalErosion();
    explicit ThermalErosion(const QString& name);

    const char* kind() const override { return Kind; }
    bool runsLong() const override { return true; }
    std::unique_ptr<Filter> clone() const override;

    const Settings& settings() const { return settings_; }
    void setSettings(const Settings& settings) { settings_ = settings; }

    std::unique_ptr<Map> apply(const Map& input) const override;
    void applyInto(const Map& input, Map& output) const override;
    void applyWithin(const Map& input, Map& output, const FilterRun& run) const override;

protected:
    bool sameSettings(const Filter& other) const override;

private:
    Settings settings_;
};
