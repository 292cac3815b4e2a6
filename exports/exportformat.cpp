#include "exports/exportformat.h"

#include "exports/heightmap.h"
#include "exports/meshfile.h"
#include "terrain/map.h"
#include "terrain/workprogress.h"
#include "world/safefiles.h"

#include <QDir>
#include <QFileInfo>
#include <array>

namespace {

struct FormatEntry
{
    ExportFormat format;
    const char* suffix;
    const char* description;
};

constexpr std::array<FormatEntry, 4> formats{{
    {ExportFormat::Png, "png", "16-bit PNG height map"},
    {ExportFormat::Raw16, "r16", "Raw 16-bit height map"},
    {ExportFormat::AsciiGrid, "asc", "ESRI ASCII grid"},
    {ExportFormat::Obj, "obj", "Wavefront OBJ mesh"},
}};

} // namespace

std::optional<ExportFormat> exportFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const FormatEntry& entry : formats) {
        if (suffix == QLatin1String(entry.suffix)) {
            return entry.format;
        }
    }
    return std::nullopt;
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

QString exportMap(const Map& map, ExportFormat format, const QString& path,
                  const WorkProgress* progress)
{
    if (map.width() == 0 || map.length() == 0) {
        return QStringLiteral("%1: the world is empty (%2 x %3 points): there is nothing to export")
            .arg(QDir::toNativeSeparators(path))
            .arg(map.width())
            .arg(map.length());
    }
    const auto written = [&](QIODevice& device) {
        switch (format) {
        case ExportFormat::Png:
            return HeightMap::writePng(map, device);
        case ExportFormat::Raw16:
            return HeightMap::writeRaw16(map, device);
        case ExportFormat::AsciiGrid:
            return HeightMap::writeAsciiGrid(map, device);
        case ExportFormat::Obj:
            return writeObj(map, device);
        }
        return false;
    };
    // A cancelled export makes its contents all the same, and then keeps them.
    return writeFileSafely(path, [&](QIODevice& device) {
        return written(device) && (progress == nullptr || !progress->cancelled());
    });
}
