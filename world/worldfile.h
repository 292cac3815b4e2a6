#pragma once

#include "world/worldrecipe.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// World files (.terravik): a world's recipe as JSON. The bounds keep a hostile
// file from asking for unbounded memory or time; a real world stays far inside.
namespace WorldFile {

constexpr int Format = 1;
constexpr std::uint32_t MaxSide = 4096;
constexpr std::int64_t MaxFileBytes = std::int64_t(16) * 1024 * 1024;
constexpr int MaxFilters = 1000;
constexpr int MaxDrops = 10000;
// All drops' steps together: each step may add a 12-byte path point.
constexpr std::int64_t MaxDropSteps = 20000000;
constexpr int CoefficientLimit = 100;

QByteArray toJson(const WorldRecipe& recipe);
QByteArray filterToJson(const FilterRecord& filter);

// What a reading gives: the recipe, or the first problem found (empty when
// there is none). Messages from the path readers start with the file's name.
struct Reading
{
    WorldRecipe recipe;
    QString error;
};
struct FilterReading
{
    std::optional<FilterRecord> filter;
    QString error;
};

Reading fromJson(const QByteArray& json);
FilterReading filterFromJson(const QByteArray& json);
Reading read(const QString& path);
FilterReading readFilter(const QString& path);

// Writes the recipe's world file at path; an empty text on success, else one
// line naming the file and the problem. A world file that this reader would
// refuse to open is never written: the message then gives the reader's reason.
QString save(const QString& path, const WorldRecipe& recipe);
// The message save would give for a recipe beyond the reader's bounds, empty
// when its file would open: for checking before a long build.
QString reopenProblem(const QString& path, const WorldRecipe& recipe);

} // namespace WorldFile
