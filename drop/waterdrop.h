#pragma once

#include "terrain/mappoint.h"

#include <QVector3D>
#include <cstdint>
#include <vector>

// One water drop running downhill: the positions it visited, oldest first (the
// last is where it is now), and whether it has come to rest or left the map.
// The path is never empty.
class WaterDrop
{
public:
    WaterDrop(float x, float y, float z);

    const std::vector<MapPoint>& path() const { return path_; }
    // The drop's current position. Valid until the next advance.
    MapPoint* currentPoint() { return &path_.back(); }
    const MapPoint* currentPoint() const { return &path_.back(); }
    bool isStopped() const { return stopped_; }
    // Whether the drop stopped by leaving the map rather than coming to rest.
    bool hasLeftMap() const { return leftMap_; }
    // How many times the drop has been moved while running, the step that
    // stopped it included: with its start, all it takes to run it again.
    std::int64_t stepCount() const { return stepCount_; }
    void stop() { stopped_ = true; }

    // Moves the drop by step along direction, or stops it when it stagnates,
    // leaves the map of the given size or reaches a non-finite position. A
    // stopped drop stays where it is.
    void advance(const QVector3D& direction, float step, std::uint32_t width, std::uint32_t length);

private:
    // True when candidate lies within a small distance of the point 50 places
    // before the candidate's place in the path.
    bool returnsToRest(const MapPoint& candidate) const;

    std::vector<MapPoint> path_;
    bool stopped_ = false;
    bool leftMap_ = false;
    std::int64_t stepCount_ = 0;
};
