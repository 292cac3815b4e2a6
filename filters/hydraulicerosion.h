#pragma once

#include "filters/filter.h"
#include "filters/filtersettings.h"

#include <QString>
#include <cstdint>

// Rain that carves the land: the standard particle model of hydraulic erosion.
// Each droplet starts at a seeded random point with water 1 and speed 1, moves
// one point per step down the bilinear gradient (turned by its inertia),
// speeds up going down (by gravity), carries sediment up to a capacity of
// max(drop, minimum slope) * speed * water * capacity, takes a share
// (erosion rate) of what it could still carry from the points within its
// radius while under capacity, lays a share (deposition rate) of its surplus
// on its cell when over capacity, fills the pit behind it when it climbs, and
// evaporates. It ends after its lifetime, laying down what it carries, or
// when it leaves the map, taking its load over the edge. No point is worn
// below the land's lowest height before the rain, its base level.
//
// The same settings suit every map: the model measures heights in a unit of
// the map's own, 64 times its height range divided by its longer side, so
// the gradient that turns a droplet, the minimum slope and gravity mean the
// same on 0..1 random heights as on a 1024 x 1024 mountain chain thousands of
// units high, and a mountain world's slopes come to the few hundredths of a
// unit per point that the customary settings were made for. Only these three
// depend on the unit: what a droplet takes and lays down is a share of the
// drop it made, in the map's own units already. What a droplet still carries
// when it ends is spread over its brush, so sediment is conserved without
// leaving spikes.
//
// The droplets run in a schedule fixed by the seed, the settings and the map's
// size, so the eroded map is the same on any number of threads: batches of
// droplets, each spread over tiles of the map that run a checkerboard colour
// at a time (see docs/DESIGN.md).
class HydraulicErosion : public Filter
{
public:
    static constexpr const char* Kind = "hydraulic-erosion";
    // The default name, and the dialog's and the Add erosion menu's title.
    static constexpr const char* Title = "Hydraulic erosion";

    struct Settings
    {
        int droplets = 10000;
        QString seed = QStringLiteral("rain");
        double inertia = 0.3;
        double capacity = 4.0;
        double minimumSlope = 0.01;
        double erosionRate = 0.3;
        double depositionRate = 0.3;
        double evaporation = 0.01;
        double gravity = 4.0;
        double radius = 3.0;
        int lifetime = 30;

        bool operator==(const Settings& other) const;
        bool operator!=(const Settings& other) const { return !(*this == other); }
    };

    // Every numeric setting in the order the dialog shows them; the seed text
    // ("seed") is the one setting outside the table.
    static const NumberSettings<Settings>& numberSettings();
    static const TextSettings<Settings>& textSettings();

    // What a run did besides its heights.
    struct Outcome
    {
        // Sediment the droplets took over the map's edge: by this much the
        // heights' sum went down.
        double carriedOff = 0.0;
        // Steps the droplets made, all together.
        std::uint64_t steps = 0;
        // False when the run was cancelled before its end.
        bool finished = true;
    };

    HydraulicErosion();
    explicit HydraulicErosion(const QString& name);

    const char* kind() const override { return Kind; }
    bool runsLong() const override { return true; }
    std::unique_ptr<Filter> clone() const override;

    const Settings& settings() const { return settings_; }
    void setSettings(const Settings& settings) { settings_ = settings; }

    std::unique_ptr<Map> apply(const Map& input) const override;
    void applyInto(const Map& input, Map& output) const override;
    void applyWithin(const Map& input, Map& output, const FilterRun& run) const override;
    // applyWithin, and what the run did besides.
    Outcome erode(const Map& input, Map& output, const FilterRun& run) const;

protected:
    bool sameSettings(const Filter& other) const override;

private:
    Settings settings_;
};
