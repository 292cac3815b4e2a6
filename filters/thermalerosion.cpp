#include "filters/thermalerosion.h"

#include "filters/droplet.h"
#include "filters/erosionmasks.h"
#include "terrain/map.h"
#include "terrain/parallelranges.h"
#include "terrain/workprogress.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using Settings = ThermalErosion::Settings;

// Four floats at once through the vector extension GCC and clang share; the
// lane-wise operations round exactly like scalar ones.
using Floats = float __attribute__((vector_size(16)));
using Mask = std::int32_t __attribute__((vector_size(16)));
constexpr std::size_t kLanes = 4;
// Below this many points per range a column range is not worth a thread.
constexpr std::size_t kPointsPerRange = 16384;

// The same kernel on one float or on four: how each kind loads, stores and
// chooses.
struct Scalar
{
    using Value = float;
    static Value splat(float value) { return value; }
    static Value load(const float* from) { return *from; }
    static void store(float* to, Value value) { *to = value; }
    static Value select(bool condition, Value yes, Value no) { return condition ? yes : no; }
};

struct Vector
{
    using Value = Floats;
    static Value splat(float value) { return Floats{value, value, value, value}; }
    static Value load(const float* from)
    {
        Value value;
        std::memcpy(&value, from, sizeof value);
        return value;
    }
    static void store(float* to, Value value) { std::memcpy(to, &value, sizeof value); }
    static Value select(Mask condition, Value yes, Value no)
    {
        return Floats((condition & Mask(yes)) | (~condition & Mask(no)));
    }
};

// The map's heights with walls (heights that are not erodible) held as NaN,
// and a frame of NaN all round: a difference with a NaN is never above the
// talus, so walls and the frame neither give nor take, every point has four
// neighbours and no loop tests an edge or a wall.
class FramedHeights
{
public:
    FramedHeights(std::uint32_t width, std::uint32_t length)
        : width_(width), length_(length), stride_(std::size_t(length) + 2),
          values_((std::size_t(width) + 2) * stride_, std::numeric_limits<float>::quiet_NaN())
    {}

    std::size_t stride() const { return stride_; }
    // Point (x, y) of the map.
    float* at(std::size_t x, std::size_t y) { return values_.data() + (x + 1) * stride_ + y + 1; }
    const float* at(std::size_t x, std::size_t y) const
    {
        return values_.data() + (x + 1) * stride_ + y + 1;
    }

    void copyFrom(const std::vector<MapPoint>& points)
    {
        for (std::size_t x = 0; x < width_; ++x) {
            float* column = at(x, 0);
            for (std::size_t y = 0; y < length_; ++y) {
                const float height = points[x * length_ + y].z();
                column[y] = isErodible(height) ? height : std::numeric_limits<float>::quiet_NaN();
            }
        }
    }

private:
    std::size_t width_;
    std::size_t length_;
    std::size_t stride_;
    std::vector<float> values_;
};

// How one iteration moves material, given the talus slope and half the rate.
class Slides
{
public:
    Slides(float talus, float halfRate) : talus_(talus), halfRate_(halfRate) {}

    // How far high stands above low beyond the talus slope, or 0; the same
    // number whether the higher point or the lower one asks, so that what
    // one gives is what the other takes.
    template <typename K>
    typename K::Value excess(typename K::Value high, typename K::Value low) const
    {
        const typename K::Value over = high - low - K::splat(talus_);
        return K::select(over > K::splat(0.0f), over, K::splat(0.0f));
    }

    // Per point of column x: its share (what it gives each lower neighbour
    // per unit of excess) and its whole outflow.
    template <typename K>
    void shares(const FramedHeights& heights, std::size_t x, std::size_t y, float* share,
                float* outflow) const
    {
        using V = typename K::Value;
        const float* at = heights.at(x, y);
        const std::size_t stride = heights.stride();
        const V h = K::load(at);
        const V left = excess<K>(h, K::load(at - stride));
        const V right = excess<K>(h, K::load(at + stride));
        const V down = excess<K>(h, K::load(at - 1));
        const V up = excess<K>(h, K::load(at + 1));
        const V total = ((left + right) + down) + up;
        const V steepest = larger<K>(larger<K>(left, right), larger<K>(down, up));
        const V given = K::splat(halfRate_) * steepest;
        const auto positive = total > K::splat(0.0f);
        K::store(share + y, K::select(positive, given / total, K::splat(0.0f)));
        K::store(outflow + y, K::select(positive, given, K::splat(0.0f)));
    }

    // The new height of point (x, y): its own, less what it gives, plus what
    // each higher neighbour gives it. shares holds columns x - 1, x, x + 1.
    template <typename K>
    typename K::Value slid(const FramedHeights& heights, std::size_t x, std::size_t y,
                           const std::array<const float*, 3>& shares, const float* outflow) const
    {
        using V = typename K::Value;
        const float* at = heights.at(x, y);
        const std::size_t stride = heights.stride();
        const V h = K::load(at);
        const V fromLeft = K::load(shares[0] + y) * excess<K>(K::load(at - stride), h);
        const V fromRight = K::load(shares[2] + y) * excess<K>(K::load(at + stride), h);
        const V fromDown = K::load(shares[1] + y - 1) * excess<K>(K::load(at - 1), h);
        const V fromUp = K::load(shares[1] + y + 1) * excess<K>(K::load(at + 1), h);
        return (h - K::load(outflow + y)) + (((fromLeft + fromRight) + fromDown) + fromUp);
    }

private:
    template <typename K> static typename K::Value larger(typename K::Value a, typename K::Value b)
    {
        return K::select(a > b, a, b);
    }

    float talus_;
    float halfRate_;
};

// Shares and outflows of three consecutive columns, in a ring; each column
// has a zero share before and after it for the frame's points.
class ShareRing
{
public:
    explicit ShareRing(std::size_t length)
        : stride_(length + 2), shares_(3 * stride_, 0.0f), outflows_(3 * stride_, 0.0f)
    {}

    float* share(std::int64_t x) { return shares_.data() + slot(x) + 1; }
    float* outflow(std::int64_t x) { return outflows_.data() + slot(x) + 1; }
    void clear(std::int64_t x)
    {
        std::fill_n(share(x) - 1, stride_, 0.0f);
        std::fill_n(outflow(x) - 1, stride_, 0.0f);
    }

private:
    std::size_t slot(std::int64_t x) const { return std::size_t((x + 3) % 3) * stride_; }

    std::size_t stride_;
    std::vector<float> shares_;
    std::vector<float> outflows_;
};

// One iteration: from `from` into `to`, columns spread over the pool.
void iterate(const Slides& slides, const FramedHeights& from, FramedHeights& to,
             std::uint32_t width, std::uint32_t length)
{
    const std::size_t grain = std::max<std::size_t>(1, kPointsPerRange / length);
    const std::size_t vectorEnd = length / kLanes * kLanes;
    ParallelRanges::run(width, grain, [&](std::size_t begin, std::size_t end) {
        ShareRing ring(length);
        const auto sharesOf = [&](std::int64_t x) {
            if (x < 0 || x >= std::int64_t(width)) {
                ring.clear(x);
                return;
            }
            float* share = ring.share(x);
            float* outflow = ring.outflow(x);
            std::size_t y = 0;
            for (; y < vectorEnd; y += kLanes) {
                slides.shares<Vector>(from, std::size_t(x), y, share, outflow);
            }
            for (; y < length; ++y) {
                slides.shares<Scalar>(from, std::size_t(x), y, share, outflow);
            }
        };
        sharesOf(std::int64_t(begin) - 1);
        sharesOf(std::int64_t(begin));
        for (std::size_t x = begin; x < end; ++x) {
            sharesOf(std::int64_t(x) + 1);
            const std::array<const float*, 3> shares = {ring.share(std::int64_t(x) - 1),
                                                        ring.share(std::int64_t(x)),
                                                        ring.share(std::int64_t(x) + 1)};
            const float* outflow = ring.outflow(std::int64_t(x));
            float* column = to.at(x, 0);
            std::size_t y = 0;
            for (; y < vectorEnd; y += kLanes) {
                Vector::store(column + y, slides.slid<Vector>(from, x, y, shares, outflow));
            }
            for (; y < length; ++y) {
                column[y] = slides.slid<Scalar>(from, x, y, shares, outflow);
            }
        }
    });
}

// What the filter took from each point and laid on it, net.
void addToMasks(ErosionMasks& masks, const std::vector<MapPoint>& before,
                const FramedHeights& after, std::uint32_t length)
{
    for (std::size_t i = 0; i < before.size(); ++i) {
        const float old = before[i].z();
        const float now = *after.at(i / length, i % length);
        if (now < old) {
            masks.erosion[i] = masks.erosion[i] + (old - now);
        } else if (now > old) {
            masks.deposition[i] = masks.deposition[i] + (now - old);
        }
    }
}

} // namespace

bool ThermalErosion::Settings::operator==(const Settings& other) const
{
    return talusAngle == other.talusAngle && iterations == other.iterations && rate == other.rate;
}

const NumberSettings<Settings>& ThermalErosion::numberSettings()
{
    // clang-format off
    static const NumberSettings<Settings> table = {
        {"talusAngle", "Talus angle (degrees)", 0, 89.9, 1,
         [](const Settings& s) { return s.talusAngle; },
         [](Settings& s, double v) { s.talusAngle = v; }},
        {"iterations", "Iterations", 0, 10000, 0,
         [](const Settings& s) { return double(s.iterations); },
         [](Settings& s, double v) { s.iterations = int(v); }},
        {"rate", "Rate", 0, 1, 2,
         [](const Settings& s) { return s.rate; }, [](Settings& s, double v) { s.rate = v; }},
    };
    // clang-format on
    return table;
}

const TextSettings<ThermalErosion::Settings>& ThermalErosion::textSettings()
{
    static const TextSettings<Settings> table;
    return table;
}

ThermalErosion::ThermalErosion() : Filter(QString::fromLatin1(Title)) {}

ThermalErosion::ThermalErosion(const QString& name) : Filter(name) {}

std::unique_ptr<Filter> ThermalErosion::clone() const
{
    return std::make_unique<ThermalErosion>(*this);
}

bool ThermalErosion::sameSettings(const Filter& other) const
{
    return settings_ == static_cast<const ThermalErosion&>(other).settings_;
}

std::unique_ptr<Map> ThermalErosion::apply(const Map& input) const
{
    auto output = std::make_unique<Map>(input.width(), input.length());
    applyInto(input, *output);
    return output;
}

void ThermalErosion::applyInto(const Map& input, Map& output) const
{
    applyWithin(input, output, {});
}

void ThermalErosion::applyWithin(const Map& input, Map& output, const FilterRun& run) const
{
    Q_ASSERT(output.width() == input.width() && output.length() == input.length());
    const std::uint32_t width = input.width();
    const std::uint32_t length = input.length();
    // The tangent from the sine and cosine in double, rounded once: glibc's
    // double sine and cosine agree across the processors worlds are built on.
    const double radians = settings_.talusAngle * 3.14159265358979323846 / 180.0;
    const Slides slides(float(std::sin(radians) / std::cos(radians)), float(settings_.rate / 2.0));
    FramedHeights current(width, length);
    FramedHeights next(width, length);
    current.copyFrom(input.points());
    for (int i = 0; i < settings_.iterations && width > 0 && length > 0; ++i) {
        iterate(slides, current, next, width, length);
        std::swap(current, next);
        if (!advance(run.progress, double(i + 1) / settings_.iterations)) {
            return;
        }
    }
    if (run.masks != nullptr && run.masks->fits(input)) {
        addToMasks(*run.masks, input.points(), current, length);
    }
    // Walls neither gave nor took, but arithmetic would quieten a signalling
    // NaN: they are copied as they came.
    std::vector<MapPoint>& points = output.points();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const float before = input.points()[i].z();
        points[i].setZ(isErodible(before) ? *current.at(i / length, i % length) : before);
    }
}
