#pragma once

#include "terrain/region.h"

#include <QString>
#include <cstdint>
#include <vector>

struct HeadlessJob;
struct TileRequest;
struct WorldRecipe;
class WorkProgress;

// One tile of a grid: its column i along x, its row j along y, and its points.
struct GridTile
{
    std::uint32_t column = 0;
    std::uint32_t row = 0;
    Region region;
};

// The tiles that cover `area`, column by column, neighbours sharing their
// edge row and column; without a request, the area itself as the one tile.
// An empty text when the request fits the area, else why not (to follow the
// option's name).
QString tileGrid(const Region& area, const TileRequest& request, std::vector<GridTile>& tiles);

// The name of tile (i, j) of an output: NAME_x{i}_y{j}.EXT, the file name's
// known ending kept whole ("w.normal.png" gives "w_x0_y1.normal.png").
QString tileFileName(const QString& path, std::uint32_t column, std::uint32_t row);
// The index of a tiled output: NAME.tiles.json.
QString tileIndexName(const QString& path);

// Builds a job's region or tiles one at a time, each from the recipe alone,
// and writes them, or prints their range; returns the exit status. Problems
// of the job that need the recipe are found before any work.
int runRegionJob(const HeadlessJob& job, const WorldRecipe& recipe, WorkProgress& progress);
