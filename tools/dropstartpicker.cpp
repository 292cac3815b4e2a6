#include "tools/dropstartpicker.h"

#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "terrain/map.h"

#include <QLineF>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// Starts between grid points, so that a start never sits on a ridge line.
constexpr double CandidateOffset = 0.35;
constexpr double CandidateSpacing = 1.5;

// How far the drop got from where it started. A drop that zigzags down a
// narrow valley makes a long path that shows as a short smudge, so the path's
// own length would be the wrong measure.
double horizontalReach(const WaterDrop& drop)
{
    const MapPoint& first = drop.path().front();
    const MapPoint& last = drop.path().back();
    return std::hypot(double(last.x()) - double(first.x()), double(last.y()) - double(first.y()));
}

} // namespace

double dropReach(const Map& map, const QPointF& start)
{
    std::unique_ptr<Map> trial = map.copy();
    trial->startDrop(float(start.x()), float(start.y()));
    DropRun::runToEnd(*trial);
    return horizontalReach(*trial->drops().front());
}

QVector<QPointF> farthestDropStarts(const Map& map, int count, double minimumSpacing)
{
    struct Candidate
    {
        QPointF start;
        double reach;
    };
    std::vector<Candidate> candidates;
    const double lastX = double(map.width()) - 2.0;
    const double lastY = double(map.length()) - 2.0;
    for (double x = CandidateOffset; x < lastX; x += CandidateSpacing) {
        for (double y = CandidateOffset; y < lastY; y += CandidateSpacing) {
            candidates.push_back({QPointF(x, y), dropReach(map, QPointF(x, y))});
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.reach > b.reach; });
    QVector<QPointF> starts;
    for (const Candidate& candidate : candidates) {
        if (starts.size() == count) {
            break;
        }
        const bool apart = std::all_of(starts.begin(), starts.end(), [&](const QPointF& start) {
            return QLineF(start, candidate.start).length() >= minimumSpacing;
        });
        if (apart) {
            starts.append(candidate.start);
        }
    }
    return starts;
}
