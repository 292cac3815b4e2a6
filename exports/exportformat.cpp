#include "exports/exportformat.h"

#include "exports/floatimages.h"
#include "exports/heightgrid.h"
#include "exports/meshfile.h"
#include "terrain/map.h"
#include "terrain/workprogress.h"
#include "world/safefiles.h"

#include <QDir>
#include <array>

namespace {

struct FormatEntry
{
    ExportFormat format;
    const char* suffix;
    const char* description;
};

constexpr std::array<FormatEntry, 8> formats{{
    {ExportFormat::Png, "png", "16-bit PNG height map"},
    {ExportFormat::Raw16, "r16", "Raw 16-bit height map"},
    {ExportFormat::AsciiGrid, "asc", "ESRI ASCII grid"},
    {ExportFormat::Obj, "obj", "Wavefront OBJ mesh"},
    {ExportFormat::Tiff, "tif", "32-bit float TIFF height map"},
    {ExportFormat::Exr, "exr", "32-bit float OpenEXR height map"},
    {ExportFormat::NormalMap, "normal.png", "Normal map"},
    {ExportFormat::SplatMap, "splat.png", "Splat map"},
}};

HeightGrid gridOf(const Map& map, const ExportSettings& settings)
{
    const Region area = settings.area.value_or(Region::whole(map.width(), map.length()));
    const Region place = settings.place.value_or(Region::whole(area.width, area.length));
    return HeightGrid(map, area, place, place.width, place.length);
}

bool write(const HeightGrid& grid, ExportFormat format, const ExportSettings& settings,
           QIODevice& device)
{
    const auto range = [&] { return settings.heightRange.value_or(HeightMap::rangeOf(grid)); };
    switch (format) {
    case ExportFormat::Png:
        return HeightMap::writePng(grid, range(), device);
    case ExportFormat::Raw16:
        return HeightMap::writeRaw16(grid, range(), device);
    case ExportFormat::AsciiGrid:
        return HeightMap::writeAsciiGrid(grid, device);
    case ExportFormat::Obj:
        return writeObj(grid, device);
    case ExportFormat::Tiff:
        return FloatImages::writeTiff(grid, device);
    case ExportFormat::Exr:
        return FloatImages::writeExr(grid, device);
    case ExportFormat::NormalMap:
        return DerivedMaps::writeNormalMap(grid, settings.normals, device);
    case ExportFormat::SplatMap:
        return DerivedMaps::writeSplatMap(grid, range(), settings.normals, settings.splat, device);
    }
    return false;
}

} // namespace

std::optional<ExportFormat> exportFormatOf(const QString& path)
{
    const QString name = path.toLower();
    std::optional<ExportFormat> found;
    int foundLength = 0;
    for (const FormatEntry& entry : formats) {
        const QString ending = QLatin1Char('.') + QString::fromLatin1(entry.suffix);
        if (name.endsWith(ending) && ending.size() > foundLength) {
            found = entry.format;
            foundLength = ending.size();
        }
    }
    return found;
}

QString exportSuffix(ExportFormat format)
{
    return QString::fromLatin1(formats[std::size_t(format)].suffix);
}

QStringList exportFileFilters()
{
    QStringList filters;
    for (const FormatEntry& entry : formats) {
        filters << QStringLiteral("%1 (*.%2)")
                       .arg(QString::fromLatin1(entry.description),
                            QString::fromLatin1(entry.suffix));
    }
    return filters;
}

QString knownExportSuffixes()
{
    QStringList suffixes;
    for (const FormatEntry& entry : formats) {
        suffixes << QLatin1Char('.') + QString::fromLatin1(entry.suffix);
    }
    return suffixes.join(QStringLiteral(", "));
}

bool isSixteenBit(ExportFormat format)
{
    return format == ExportFormat::Png || format == ExportFormat::Raw16;
}

QString exportMap(const Map& map, ExportFormat format, const QString& path,
                  const ExportSettings& settings)
{
    const HeightGrid grid = gridOf(map, settings);
    if (grid.width() == 0 || grid.length() == 0) {
        return QStringLiteral("%1: the world is empty (%2 x %3 points): there is nothing to export")
            .arg(QDir::toNativeSeparators(path))
            .arg(grid.width())
            .arg(grid.length());
    }
    // A cancelled export makes its contents all the same, and then keeps them.
    return writeFileSafely(path, [&](QIODevice& device) {
        return write(grid, format, settings, device) &&
               (settings.progress == nullptr || !settings.progress->cancelled());
    });
}
