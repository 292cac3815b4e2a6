#pragma once

#include "exports/derivedmaps.h"
#include "exports/heightmap.h"
#include "terrain/region.h"
#include "world/worldrecipe.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// The headless command line: what to build and where to write it.

// Exit statuses of the headless command line.
namespace ExitStatus {
constexpr int Success = 0;
// The window's program could not start terravik-cli to do the work.
constexpr int Failure = 1;
constexpr int UsageError = 2;
constexpr int BadInputFile = 3;
constexpr int WriteFailed = 4;
} // namespace ExitStatus

// A drop to start, with its --drop value as typed, for messages.
struct NewDrop
{
    QString typed;
    DropRecord start;
};

// How the world or region is cut into tiles that share their edge row and
// column: --tiles N (N x N tiles) or --tile-size S (S points a side, the last
// ones smaller), and --tile I,J to make that one tile only.
struct TileRequest
{
    std::uint32_t count = 0;
    std::uint32_t size = 0;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> only;

    bool any() const { return count > 0 || size > 0; }
};

struct HeadlessJob
{
    QString output;
    // Either a world file to start from, or the origin given by options.
    QString worldFile;
    WorldOrigin origin;
    QStringList filterFiles;
    std::vector<NewDrop> newDrops;
    bool quiet = false;
    // Where erosion's masks go (empty: nowhere), and the worker threads (0:
    // one per core).
    QString masksPrefix;
    int threads = 0;
    // The region of the world to build, with its --region value as typed.
    std::optional<Region> region;
    QString regionTyped;
    TileRequest tiles;
    // The range 16-bit heights and splat maps are placed in, when given.
    std::optional<HeightMap::Range> heightRange;
    // Prints the heights' range instead of writing anything.
    bool printHeightRange = false;
    QString normalMap;
    QString splatMap;
    NormalMapSettings normals;
    SplatMapSettings splat;

    // Whether the world is built a region at a time rather than whole.
    bool byRegions() const { return region || tiles.any() || printHeightRange; }
};

// The outcome of reading the arguments: a job, or text to print and a status
// to end with (help and version end with Success).
struct ParsedCommandLine
{
    HeadlessJob job;
    bool finished = false;
    int status = ExitStatus::Success;
    QString text;
};

// The arguments as the process got them, arguments[0] being the program. Each
// is decoded with QFile::decodeName, and the seed and file names go back to
// bytes with QFile::encodeName: terravik-cli makes both exact for every byte.
ParsedCommandLine parseCommandLine(const QByteArrayList& arguments);

// Whether these arguments ask for the headless command line rather than the
// window: any option of its own, help or version.
bool wantsHeadless(const QByteArrayList& arguments);
