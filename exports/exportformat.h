#pragma once

#include "exports/derivedmaps.h"
#include "exports/heightmap.h"
#include "terrain/region.h"

#include <QString>
#include <QStringList>
#include <optional>

class Map;
class WorkProgress;

// The export formats of a filtered world, chosen by the file name's ending.
enum class ExportFormat
{
    Png,
    Raw16,
    AsciiGrid,
    Obj,
    Tiff,
    Exr,
    NormalMap,
    SplatMap
};

// What an export may need besides the map.
struct ExportSettings
{
    // The part of the map to write, the whole map when absent: a region built
    // with a ring of points around it for the slopes at its edges.
    std::optional<Region> area;
    // Where the written points lie in their world, for the formats that place
    // them (.asc, .obj): x and y of the first point, width and length of the
    // world. The written points alone make the world when absent.
    std::optional<Region> place;
    // The range the 16-bit formats and the splat map's heights are placed in,
    // the written points' own when absent: tiles of one world share one.
    std::optional<HeightMap::Range> heightRange;
    NormalMapSettings normals;
    SplatMapSettings splat;
    // Where the export learns that it is cancelled, if anywhere.
    const WorkProgress* progress = nullptr;
};

// The format whose ending the file name has (any letter case): the longest
// that fits, so "w.normal.png" is a normal map and "w.png" a height map.
std::optional<ExportFormat> exportFormatOf(const QString& path);
// The ending without its first dot: "png", "normal.png".
QString exportSuffix(ExportFormat format);
// File dialog filters, one per format, in the order of the enumeration.
QStringList exportFileFilters();
// The endings known, for messages: ".png, .r16, .asc, .obj, ...".
QString knownExportSuffixes();
// Whether the format scales heights onto 16 bits.
bool isSixteenBit(ExportFormat format);

// Writes the world to path in the format; an empty text on success, else a
// message naming the file and the problem. An empty world cannot be exported.
// Once settings.progress is cancelled the file is not written, and the old
// one stays.
QString exportMap(const Map& map, ExportFormat format, const QString& path,
                  const ExportSettings& settings = {});
