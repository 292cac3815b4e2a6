#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Heights beyond this size, like inf and NaN, are walls that erosion leaves
// alone: below it no sum of droplets or slides can overflow a float.
constexpr float kErodibleHeight = 18446744073709551616.0f; // 2^64

inline bool isErodible(float height)
{
    return height >= -kErodibleHeight && height <= kErodibleHeight;
}

// Heights and masks that droplets work on: float arrays in a map's own order
// (x-major, point (x, y) at x * length + y). The masks are all present or all
// null.
struct ErosionGrid
{
    float* heights = nullptr;
    float* erosion = nullptr;
    float* deposition = nullptr;
    float* flow = nullptr;
    std::uint32_t width = 0;
    std::uint32_t length = 0;
    // When some height is not erodible, every brush checks each of its points.
    bool everyHeightErodible = false;
    // Rain lowers no point below this: the lowest height the land had before
    // it, its base level, as streams cut down to the sea and not below. Without
    // it, the droplets that take their load over the map's edge dig that edge
    // ever deeper once there are a few of them per point.
    float baseLevel = -kErodibleHeight;

    bool hasMasks() const { return erosion != nullptr; }
};

bool everyHeightErodible(const float* heights, std::size_t count);

// The points a droplet takes material from: those nearer than the radius to
// the node it stands by, each weighted by radius - distance, the weights
// normalised to sum to one. Rows run along x, each a contiguous span along y.
class ErosionBrush
{
public:
    explicit ErosionBrush(double radius);

    // How far, in points along either axis, the brush reaches from its centre.
    int reach() const { return reach_; }

    // Takes amount * weight from each point of the brush around node (x, y),
    // but none below the grid's base level (and adds what it took to the
    // erosion mask). Near the map's edge, or next to heights that are not
    // erodible, only the erodible points on the map take part, their weights
    // normalised again among themselves. Returns what it took: at most
    // amount, 0 when no point could take part.
    float erode(ErosionGrid& grid, std::uint32_t x, std::uint32_t y, float amount) const
    {
        return spread<true>(grid, x, y, amount);
    }
    // Adds amount * weight to the same points (and to the deposition mask).
    float layDown(ErosionGrid& grid, std::uint32_t x, std::uint32_t y, float amount) const
    {
        return spread<false>(grid, x, y, amount);
    }

private:
    struct Row
    {
        int dx;
        int halfSpan; // dy runs from -halfSpan to halfSpan
        std::size_t firstWeight;
    };

    template <bool Take>
    float spread(ErosionGrid& grid, std::uint32_t x, std::uint32_t y, float amount) const;
    template <bool Take>
    float spreadChecked(ErosionGrid& grid, std::uint32_t x, std::uint32_t y, float amount) const;

    int reach_ = 0;
    std::vector<Row> rows_;
    std::vector<float> weights_;     // normalised, row by row
    std::vector<double> rawWeights_; // radius - distance, in the same order
    double rawTotal_ = 0.0;
};

// The droplet model's numbers in the map's own height units (see
// HydraulicErosion for how the settings become these).
struct DropletConstants
{
    float inertia = 0.0f;
    float gradientWeight = 0.0f; // (1 - inertia) / height unit
    float capacity = 0.0f;
    float minimumDrop = 0.0f; // minimum slope * height unit
    float erosionRate = 0.0f;
    float depositionRate = 0.0f;
    float keepWater = 1.0f; // 1 - evaporation
    float gravityPerHeight = 0.0f;
    int lifetime = 0;
};

// One droplet after another over a grid: the standard particle model.
class DropletModel
{
public:
    DropletModel(const DropletConstants& constants, double radius);

    // What one droplet did besides changing the grid.
    struct Run
    {
        // The sediment it did not lay down on the map: what it carried over
        // the edge, or (next to heights that are not erodible) found no point
        // to lie on.
        float lost = 0.0f;
        int steps = 0;
    };

    // Runs one droplet from (x, y) to its end. A start off the map's cells
    // does nothing.
    Run run(ErosionGrid& grid, float x, float y) const;

    // How many points beyond its start cell a droplet can read or change,
    // along either axis, on a map whose longer side is mapSide.
    int reach(std::uint32_t mapSide) const;

private:
    template <bool Masks> Run runFrom(ErosionGrid& grid, float x, float y) const;

    DropletConstants constants_;
    ErosionBrush brush_;
};
