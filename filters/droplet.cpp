#include "filters/droplet.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float kLargestFloat = std::numeric_limits<float>::max();

// Where a position lies: its cell (the node below and left of it), the
// fractions across the cell and the cell's four corner heights.
struct Cell
{
    std::uint32_t x;
    std::uint32_t y;
    float fx;
    float fy;
    std::size_t index; // of node (x, y)
    float h00, h01, h10, h11;

    Cell(const ErosionGrid& grid, float px, float py)
        : x(std::uint32_t(px)), y(std::uint32_t(py)), fx(px - float(x)), fy(py - float(y)),
          index(std::size_t(x) * grid.length + y)
    {
        const float* h = grid.heights + index;
        h00 = h[0];
        h01 = h[1];
        h10 = h[grid.length];
        h11 = h[grid.length + 1];
    }

    bool erodible() const
    {
        return isErodible(h00) && isErodible(h01) && isErodible(h10) && isErodible(h11);
    }

    float height() const
    {
        return (h00 * (1.0f - fx) + h10 * fx) * (1.0f - fy) + (h01 * (1.0f - fx) + h11 * fx) * fy;
    }
    float gradientX() const { return (h10 - h00) * (1.0f - fy) + (h11 - h01) * fy; }
    float gradientY() const { return (h01 - h00) * (1.0f - fx) + (h11 - h10) * fx; }

    // The node nearest the position: the centre of the erosion brush.
    std::uint32_t nearestX() const { return x + (fx >= 0.5f ? 1u : 0u); }
    std::uint32_t nearestY() const { return y + (fy >= 0.5f ? 1u : 0u); }
};

// Adds amount to the cell's four corners, shared bilinearly.
void addBilinear(float* values, std::uint32_t length, const Cell& cell, float amount)
{
    float* v = values + cell.index;
    v[0] = v[0] + amount * ((1.0f - cell.fx) * (1.0f - cell.fy));
    v[1] = v[1] + amount * ((1.0f - cell.fx) * cell.fy);
    v[length] = v[length] + amount * (cell.fx * (1.0f - cell.fy));
    v[length + 1] = v[length + 1] + amount * (cell.fx * cell.fy);
}

void depositOnCell(ErosionGrid& grid, const Cell& cell, float amount, bool masks)
{
    if (amount == 0.0f) {
        return;
    }
    addBilinear(grid.heights, grid.length, cell, amount);
    if (masks) {
        addBilinear(grid.deposition, grid.length, cell, amount);
    }
}

bool onCells(const ErosionGrid& grid, float x, float y)
{
    return x >= 0.0f && x < float(grid.width - 1) && y >= 0.0f && y < float(grid.length - 1);
}

} // namespace

bool everyHeightErodible(const float* heights, std::size_t count)
{
    return std::all_of(heights, heights + count, isErodible);
}

ErosionBrush::ErosionBrush(double radius)
{
    // Points nearer than the radius; a radius of at most 1 is the centre alone.
    reach_ = std::max(0, int(std::ceil(radius)) - 1);
    for (int dx = -reach_; dx <= reach_; ++dx) {
        int halfSpan = -1;
        for (int dy = 0; dy <= reach_; ++dy) {
            if (double(dx) * dx + double(dy) * dy < radius * radius) {
                halfSpan = dy;
            }
        }
        if (halfSpan < 0) {
            continue;
        }
        rows_.push_back({dx, halfSpan, rawWeights_.size()});
        for (int dy = -halfSpan; dy <= halfSpan; ++dy) {
            rawWeights_.push_back(radius - std::sqrt(double(dx) * dx + double(dy) * dy));
            rawTotal_ += rawWeights_.back();
        }
    }
    for (double raw : rawWeights_) {
        weights_.push_back(float(raw / rawTotal_));
    }
}

namespace {

// Lowers height by want, but not below base, and says by how much it went.
inline float takenFrom(float& height, float want, float base)
{
    const float lowered = std::max(height - want, base);
    const float taken = height - lowered;
    height = lowered;
    return taken;
}

} // namespace

// Taking subtracts from the heights and adds to the erosion mask; laying down
// adds to both the heights and the deposition mask.
template <bool Take>
float ErosionBrush::spread(ErosionGrid& grid, std::uint32_t x, std::uint32_t y, float amount) const
{
    const auto r = std::uint32_t(reach_);
    if (!grid.everyHeightErodible || x < r || y < r || x + r >= grid.width ||
        y + r >= grid.length) {
        return spreadChecked<Take>(grid, x, y, amount);
    }
    const std::size_t centre = std::size_t(x) * grid.length + y;
    float* mask = Take ? grid.erosion : grid.deposition;
    float spread = 0.0f;
    for (const Row& row : rows_) {
        const std::size_t first = centre + std::ptrdiff_t(row.dx) * grid.length - row.halfSpan;
        const float* weights = weights_.data() + row.firstWeight;
        const int span = 2 * row.halfSpan + 1;
        float* heights = grid.heights + first;
        if (Take) {
            for (int k = 0; k < span; ++k) {
                const float share = takenFrom(heights[k], amount * weights[k], grid.baseLevel);
                spread = spread + share;
                if (mask != nullptr) {
                    mask[first + k] = mask[first + k] + share;
                }
            }
            continue;
        }
        for (int k = 0; k < span; ++k) {
            heights[k] = heights[k] + amount * weights[k];
        }
        if (mask != nullptr) {
            for (int k = 0; k < span; ++k) {
                mask[first + k] = mask[first + k] + amount * weights[k];
            }
        }
    }
    return Take ? spread : amount;
}

template <bool Take>
float ErosionBrush::spreadChecked(ErosionGrid& grid, std::uint32_t x, std::uint32_t y,
                                  float amount) const
{
    const auto inside = [&](const Row& row, int dy) {
        const std::int64_t px = std::int64_t(x) + row.dx;
        const std::int64_t py = std::int64_t(y) + dy;
        return px >= 0 && px < std::int64_t(grid.width) && py >= 0 &&
               py < std::int64_t(grid.length) &&
               isErodible(grid.heights[std::size_t(px) * grid.length + std::size_t(py)]);
    };
    double total = 0.0;
    for (const Row& row : rows_) {
        for (int dy = -row.halfSpan; dy <= row.halfSpan; ++dy) {
            if (inside(row, dy)) {
                total += rawWeights_[row.firstWeight + std::size_t(dy + row.halfSpan)];
            }
        }
    }
    if (total == 0.0) {
        return 0.0f;
    }
    float* mask = Take ? grid.erosion : grid.deposition;
    float spread = 0.0f;
    for (const Row& row : rows_) {
        for (int dy = -row.halfSpan; dy <= row.halfSpan; ++dy) {
            if (!inside(row, dy)) {
                continue;
            }
            const double raw = rawWeights_[row.firstWeight + std::size_t(dy + row.halfSpan)];
            const std::size_t index = std::size_t(std::int64_t(x) + row.dx) * grid.length +
                                      std::size_t(std::int64_t(y) + dy);
            float share = amount * float(raw / total);
            if (Take) {
                share = takenFrom(grid.heights[index], share, grid.baseLevel);
                spread = spread + share;
            } else {
                grid.heights[index] = grid.heights[index] + share;
            }
            if (mask != nullptr) {
                mask[index] = mask[index] + share;
            }
        }
    }
    return Take ? spread : amount;
}

DropletModel::DropletModel(const DropletConstants& constants, double radius)
    : constants_(constants), brush_(radius)
{}

int DropletModel::reach(std::uint32_t mapSide) const
{
    // A step moves one point along a unit direction, give or take the
    // roundings of the direction and of the position (half a float's spacing
    // at the map's far side), so after `lifetime` steps a droplet's cell lies
    // within lifetime + slack cells of its start cell. From a cell it reads
    // one node on, and its brush centre, one node on, reaches further.
    const double drift = double(mapSide) * 0x1p-24 + 0x1p-21;
    const int slack = int(std::ceil(constants_.lifetime * drift));
    return constants_.lifetime + slack + 1 + brush_.reach();
}

DropletModel::Run DropletModel::run(ErosionGrid& grid, float x, float y) const
{
    if (grid.width < 2 || grid.length < 2 || !onCells(grid, x, y)) {
        return {};
    }
    return grid.hasMasks() ? runFrom<true>(grid, x, y) : runFrom<false>(grid, x, y);
}

// A droplet ends after its lifetime, when it leaves the map's cells (taking
// its sediment over the edge), when it stands still on flat ground, or when
// a cell it reads has a corner that is not erodible (inf, NaN or beyond
// 2^64): it never reads or moves such heights, so non-finite ones cannot
// spread. Wherever it ends on the map it lays down what it still carries.
template <bool Masks>
DropletModel::Run DropletModel::runFrom(ErosionGrid& grid, float px, float py) const
{
    const DropletConstants& c = constants_;
    float dx = 0.0f;
    float dy = 0.0f;
    float speed = 1.0f;
    float water = 1.0f;
    float sediment = 0.0f;
    Cell cell(grid, px, py);
    int step = 0;
    for (; step < c.lifetime && cell.erodible(); ++step) {
        const float height = cell.height();
        dx = dx * c.inertia - cell.gradientX() * c.gradientWeight;
        dy = dy * c.inertia - cell.gradientY() * c.gradientWeight;
        const float length2 = dx * dx + dy * dy;
        if (!(length2 > 0.0f && length2 <= kLargestFloat)) {
            break;
        }
        const float length = std::sqrt(length2);
        dx = dx / length;
        dy = dy / length;
        const float nx = px + dx;
        const float ny = py + dy;
        if (Masks) {
            addBilinear(grid.flow, grid.length, cell, water);
        }
        if (!onCells(grid, nx, ny)) {
            return {sediment, step + 1};
        }
        const Cell next(grid, nx, ny);
        if (!next.erodible()) {
            break;
        }
        const float drop = next.height() - height;
        const float capacity = std::max(-drop, c.minimumDrop) * speed * water * c.capacity;
        if (sediment > capacity || drop > 0.0f) {
            // Uphill it fills the pit behind it, as far as its load goes.
            const float amount =
                drop > 0.0f ? std::min(drop, sediment) : (sediment - capacity) * c.depositionRate;
            sediment = sediment - amount;
            depositOnCell(grid, cell, amount, Masks);
        } else {
            // Never more than the drop itself, so it cannot dig below where it goes.
            float amount = (capacity - sediment) * c.erosionRate;
            if (!(amount < -drop)) {
                amount = -drop;
            }
            sediment = sediment + brush_.erode(grid, cell.nearestX(), cell.nearestY(), amount);
        }
        const float speed2 = speed * speed - drop * c.gravityPerHeight;
        speed = std::sqrt(speed2 > 0.0f ? speed2 : 0.0f);
        water = water * c.keepWater;
        px = nx;
        py = ny;
        cell = Cell(grid, px, py);
    }
    // What it still carries, spread like what it took so that no spike stays.
    if (sediment == 0.0f) {
        return {0.0f, step};
    }
    return {sediment - brush_.layDown(grid, cell.nearestX(), cell.nearestY(), sediment), step};
}
