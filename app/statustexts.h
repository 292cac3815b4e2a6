#pragma once

#include <QString>

class Map;
struct WorldOrigin;

// The texts of the main window's status bar.
namespace StatusTexts {

// The world on screen: generator, seed, size and the filtered heights' range.
QString worldSummary(const WorldOrigin& origin, const Map& filtered);
// Where a region lies in its world: "256 x 256 at 1024,0 of 65536 x 65536".
QString regionText(const WorldOrigin& origin);
QString filtersChanged();
// What a drop command did and where the drops stand now. A negative step
// count is left out (Start makes no steps).
QString dropState(const QString& command, long steps, const Map& filtered);

} // namespace StatusTexts
