#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class Map;
class WorkProgress;

// The export formats of a filtered world, chosen by the file name's extension.
enum class ExportFormat
{
    Png,
    Raw16,
    AsciiGrid,
    Obj
};

// The format whose extension the file name ends with (any letter case).
std::optional<ExportFormat> exportFormatOf(const QString& path);
QString exportSuffix(ExportFormat format);
// File dialog filters, one per format, in the order of the enumeration.
QStringList exportFileFilters();
// The extensions known, for messages: ".png, .r16, .asc, .obj".
QString knownExportSuffixes();

// Writes the world to path in the format; an empty text on success, else a
// message naming the file and the problem. An empty world cannot be exported.
// Once progress is cancelled the file is not written, and the old one stays.
QString exportMap(const Map& map, ExportFormat format, const QString& path,
                  const WorkProgress* progress = nullptr);
