#pragma once

#include <QPointF>
#include <QVector>

class Map;

// Finds where on the map drops run the farthest: every start on a regular grid
// is tried on a copy of the map, so the map itself keeps its drops. Returns up
// to count starts, farthest first, each at least minimumSpacing map units from
// the others so that their paths do not all run down the same slope.
QVector<QPointF> farthestDropStarts(const Map& map, int count, double minimumSpacing);

// How far, horizontally and in map units, a drop started at start gets from
// its start before it stops, run on a copy of the map.
double dropReach(const Map& map, const QPointF& start);
