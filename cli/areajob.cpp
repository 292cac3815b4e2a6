#include "cli/areajob.h"

#include "cli/commandline.h"
#include "exports/exportformat.h"
#include "exports/heightgrid.h"
#include "exports/textnumbers.h"
#include "terrain/map.h"
#include "terrain/workprogress.h"
#include "world/regionbuild.h"
#include "world/safefiles.h"
#include "world/worldbuild.h"
#include "world/worldfile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

int fail(int status, const QString& message)
{
    std::fprintf(stderr, "terravik: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    return status;
}

// The first point and the size of each tile along one side of `side` points.
struct Span
{
    std::uint32_t start;
    std::uint32_t size;
};

QString spansAlong(std::uint32_t side, const TileRequest& request, std::vector<Span>& spans)
{
    const std::uint64_t cells = side - 1u;
    if (request.count > 0) {
        const std::uint64_t most = std::max<std::uint64_t>(cells, 1);
        if (request.count > most) {
            return QStringLiteral("--tiles %1: a side of %2 points holds at most %3 tiles")
                .arg(request.count)
                .arg(side)
                .arg(most);
        }
        // Boundaries as even as whole points allow; neighbours share one.
        for (std::uint64_t k = 0; k < request.count; ++k) {
            const std::uint64_t first = k * cells / request.count;
            const std::uint64_t last = side == 1 ? 0 : (k + 1) * cells / request.count;
            spans.push_back({std::uint32_t(first), std::uint32_t(last - first + 1)});
        }
    } else {
        const std::uint64_t step = request.size - 1u;
        for (std::uint64_t start = 0; start == 0 || start < cells; start += step) {
            spans.push_back({std::uint32_t(start),
                             std::uint32_t(std::min<std::uint64_t>(request.size, side - start))});
        }
    }
    // Only --tiles can ask for tiles larger than a region: --tile-size is bounded.
    for (const Span& span : spans) {
        if (span.size > RegionLimits::MaxSide) {
            const std::uint64_t enough =
                (cells + RegionLimits::MaxSide - 2) / (RegionLimits::MaxSide - 1);
            return QStringLiteral("--tiles %1: tiles of %2 points a side; a tile has at most %3: "
                                  "give --tiles %4 or more")
                .arg(request.count)
                .arg(span.size)
                .arg(RegionLimits::MaxSide)
                .arg(enough);
        }
    }
    return {};
}

QJsonObject regionObject(const Region& region)
{
    return {{QStringLiteral("x"), double(region.x)},
            {QStringLiteral("y"), double(region.y)},
            {QStringLiteral("width"), double(region.width)},
            {QStringLiteral("length"), double(region.length)}};
}

QByteArray exactText(float value)
{
    QByteArray text;
    TextNumbers::append(text, value);
    return text;
}

// What a run writes, and where.
class RegionWriter
{
public:
    RegionWriter(const HeadlessJob& job, const WorldRecipe& recipe, const WorldOrigin& origin)
        : job_(job), recipe_(recipe), origin_(origin), filters_(makeFilterList(recipe.filters)),
          format_(exportFormatOf(job.output))
    {
        writesWorld_ = job.output.endsWith(QStringLiteral(".terravik"), Qt::CaseInsensitive);
    }

    bool needsSharedRange() const
    {
        return (!writesWorld_ && format_ && isSixteenBit(*format_)) || !job_.splatMap.isEmpty();
    }
    bool buildsMaps() const
    {
        return !writesWorld_ || !job_.normalMap.isEmpty() || !job_.splatMap.isEmpty();
    }

    // The heights' range over the tiles, each built on its own.
    HeightMap::Range rangeOver(const std::vector<GridTile>& tiles, WorkProgress& progress) const
    {
        HeightMap::Range range;
        for (std::size_t k = 0; k < tiles.size(); ++k) {
            beginTile(progress, QStringLiteral("finding the height range"), k, tiles);
            const std::unique_ptr<Map> map = build(tiles[k], 0, progress);
            range = HeightMap::unionOf(range, HeightMap::rangeOf(HeightGrid(*map)));
        }
        return range;
    }

    // Builds the tile and writes each of its files; an empty text or the
    // first failure.
    QString write(const GridTile& tile, bool tiled, WorkProgress& progress) const
    {
        // Slopes at the tile's edges read the points beyond them.
        const std::uint32_t ring = job_.normalMap.isEmpty() && job_.splatMap.isEmpty() ? 0u : 1u;
        const std::unique_ptr<Map> map = build(tile, ring, progress);
        ExportSettings settings;
        settings.area =
            tile.region.relativeTo(tile.region.grown(ring, origin_.width, origin_.length));
        settings.place = Region{tile.region.x, tile.region.y, origin_.width, origin_.length};
        settings.heightRange = sharedRange_;
        settings.normals = job_.normals;
        settings.splat = job_.splat;
        const auto name = [&](const QString& path) {
            return tiled ? tileFileName(path, tile.column, tile.row) : path;
        };
        progress.beginStage(QStringLiteral("writing %1").arg(name(job_.output)), 0.95, 1.0);
        QString problem;
        if (!writesWorld_) {
            problem = exportMap(*map, *format_, name(job_.output), settings);
        }
        if (problem.isEmpty() && !job_.normalMap.isEmpty()) {
            problem = exportMap(*map, ExportFormat::NormalMap, name(job_.normalMap), settings);
        }
        if (problem.isEmpty() && !job_.splatMap.isEmpty()) {
            problem = exportMap(*map, ExportFormat::SplatMap, name(job_.splatMap), settings);
        }
        return problem;
    }

    void setSharedRange(const std::optional<HeightMap::Range>& range) { sharedRange_ = range; }

    // The index of every tile of the grid, the same from every job.
    QString writeIndex(const Region& area, const std::vector<GridTile>& tiles) const
    {
        const QString index = tileIndexName(job_.output);
        const QDir folder = QFileInfo(index).absoluteDir();
        const auto relative = [&](const QString& path) {
            return folder.relativeFilePath(QFileInfo(path).absoluteFilePath());
        };
        QJsonArray list;
        for (const GridTile& tile : tiles) {
            QJsonObject entry = regionObject(tile.region);
            entry.insert(QStringLiteral("column"), double(tile.column));
            entry.insert(QStringLiteral("row"), double(tile.row));
            entry.insert(QStringLiteral("heights"),
                         relative(tileFileName(job_.output, tile.column, tile.row)));
            if (!job_.normalMap.isEmpty()) {
                entry.insert(QStringLiteral("normalMap"),
                             relative(tileFileName(job_.normalMap, tile.column, tile.row)));
            }
            if (!job_.splatMap.isEmpty()) {
                entry.insert(QStringLiteral("splatMap"),
                             relative(tileFileName(job_.splatMap, tile.column, tile.row)));
            }
            list.append(entry);
        }
        WorldRecipe world = recipe_;
        world.origin = origin_;
        QJsonObject top{
            {QStringLiteral("format"), 1},
            {QStringLiteral("world"), QJsonDocument::fromJson(WorldFile::toJson(world)).object()},
            {QStringLiteral("area"), regionObject(area)},
            {QStringLiteral("columns"), double(tiles.back().column + 1)},
            {QStringLiteral("rows"), double(tiles.back().row + 1)},
            {QStringLiteral("tiles"), list},
        };
        if (sharedRange_ && sharedRange_->any) {
            // Shortest texts that read back to the very floats.
            top.insert(QStringLiteral("heightRange"),
                       QJsonObject{{QStringLiteral("lowest"),
                                    QString::fromLatin1(exactText(sharedRange_->lowest))},
                                   {QStringLiteral("highest"),
                                    QString::fromLatin1(exactText(sharedRange_->highest))}});
        }
        const QByteArray json = QJsonDocument(top).toJson(QJsonDocument::Indented);
        return writeFileSafely(
            index, [&](QIODevice& device) { return device.write(json) == json.size(); });
    }

private:
    static void beginTile(WorkProgress& progress, const QString& what, std::size_t k,
                          const std::vector<GridTile>& tiles)
    {
        progress.setSpan(double(k) / double(tiles.size()), double(k + 1) / double(tiles.size()));
        progress.beginStage(
            QStringLiteral("%1: tile %2 of %3").arg(what).arg(k + 1).arg(tiles.size()), 0.0, 0.2);
    }

    std::unique_ptr<Map> build(const GridTile& tile, std::uint32_t ring,
                               WorkProgress& progress) const
    {
        WorldOrigin tileOrigin = origin_;
        tileOrigin.region = tile.region;
        return RegionBuild(tileOrigin, filters_, ring).build({&progress, nullptr});
    }

    const HeadlessJob& job_;
    const WorldRecipe& recipe_;
    const WorldOrigin& origin_;
    FilterList filters_;
    std::optional<ExportFormat> format_;
    bool writesWorld_ = false;
    std::optional<HeightMap::Range> sharedRange_;
};

// The option that asked for regions, for messages.
QString regionOption(const HeadlessJob& job)
{
    if (job.region) {
        return QStringLiteral("--region ") + job.regionTyped;
    }
    if (job.tiles.any()) {
        return job.tiles.count > 0 ? QStringLiteral("--tiles") : QStringLiteral("--tile-size");
    }
    return job.worldFile;
}

// The origin with the job's region; an empty text or why it cannot be built.
QString regionOrigin(const HeadlessJob& job, const WorldRecipe& recipe, WorldOrigin& origin)
{
    origin = recipe.origin;
    if (job.region) {
        if (origin.region) {
            return QStringLiteral("--region: %1 holds a region already").arg(job.worldFile);
        }
        if (const QString problem = regionProblem(*job.region, origin.width, origin.length);
            !problem.isEmpty()) {
            return QStringLiteral("--region %1: the region %2").arg(job.regionTyped, problem);
        }
        origin.region = job.region;
    }
    // The whole world alone (its range printed) may go through anything.
    if (!origin.region && !job.tiles.any()) {
        return {};
    }
    if (const QString problem = regionFilterProblem(recipe.filters); !problem.isEmpty()) {
        return QStringLiteral("%1: %2").arg(regionOption(job), problem);
    }
    if (!recipe.drops.empty()) {
        return QStringLiteral("%1: the world's drops run over the whole world, so a region or "
                              "tile cannot have them")
            .arg(regionOption(job));
    }
    return {};
}

} // namespace

QString tileGrid(const Region& area, const TileRequest& request, std::vector<GridTile>& tiles)
{
    tiles.clear();
    if (!request.any()) {
        tiles.push_back({0, 0, area});
        return {};
    }
    std::vector<Span> columns;
    std::vector<Span> rows;
    if (QString problem = spansAlong(area.width, request, columns); !problem.isEmpty()) {
        return problem;
    }
    if (QString problem = spansAlong(area.length, request, rows); !problem.isEmpty()) {
        return problem;
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        for (std::size_t j = 0; j < rows.size(); ++j) {
            tiles.push_back({std::uint32_t(i), std::uint32_t(j),
                             Region{area.x + columns[i].start, area.y + rows[j].start,
                                    columns[i].size, rows[j].size}});
        }
    }
    return {};
}

QString tileFileName(const QString& path, std::uint32_t column, std::uint32_t row)
{
    const std::optional<ExportFormat> format = exportFormatOf(path);
    const int ending = format ? exportSuffix(*format).size() + 1
                              : path.size() - path.lastIndexOf(QLatin1Char('.'));
    return path.left(path.size() - ending) + QStringLiteral("_x%1_y%2").arg(column).arg(row) +
           path.right(ending);
}

QString tileIndexName(const QString& path)
{
    const std::optional<ExportFormat> format = exportFormatOf(path);
    const int ending = format ? exportSuffix(*format).size() + 1 : 0;
    return path.left(path.size() - ending) + QStringLiteral(".tiles.json");
}

int runRegionJob(const HeadlessJob& job, const WorldRecipe& recipe, WorkProgress& progress)
{
    WorldOrigin origin;
    if (const QString problem = regionOrigin(job, recipe, origin); !problem.isEmpty()) {
        return fail(ExitStatus::UsageError, problem);
    }
    const Region area = origin.area();
    if (area.isEmpty()) {
        return fail(ExitStatus::UsageError,
                    QStringLiteral("%1: the world is empty (%2 x %3 points): there is nothing to "
                                   "build")
                        .arg(job.output.isEmpty() ? regionOption(job) : job.output)
                        .arg(area.width)
                        .arg(area.length));
    }
    std::vector<GridTile> tiles;
    if (const QString problem = tileGrid(area, job.tiles, tiles); !problem.isEmpty()) {
        return fail(ExitStatus::UsageError, problem);
    }
    std::vector<GridTile> chosen = tiles;
    if (job.tiles.only) {
        const auto [column, row] = *job.tiles.only;
        const GridTile& last = tiles.back();
        if (column > last.column || row > last.row) {
            return fail(ExitStatus::UsageError,
                        QStringLiteral("--tile %1,%2: the grid has %3 x %4 tiles, I from 0 to %5 "
                                       "and J from 0 to %6")
                            .arg(column)
                            .arg(row)
                            .arg(last.column + 1)
                            .arg(last.row + 1)
                            .arg(last.column)
                            .arg(last.row));
        }
        chosen = {tiles[std::size_t(column) * (last.row + 1) + row]};
    }
    RegionWriter writer(job, recipe, origin);
    if (job.tiles.only && writer.needsSharedRange() && !job.heightRange) {
        return fail(ExitStatus::UsageError,
                    QStringLiteral("--tile: the tiles of a 16-bit height map or a splat map share "
                                   "one height range: give it with --height-range LOW,HIGH (find "
                                   "it with --print-height-range)"));
    }
    std::optional<HeightMap::Range> shared = job.heightRange;
    if (!shared && (job.printHeightRange || (writer.needsSharedRange() && chosen.size() > 1))) {
        shared = writer.rangeOver(chosen, progress);
    }
    if (job.printHeightRange) {
        const QByteArray text = shared->any
                                    ? exactText(shared->lowest) + ',' + exactText(shared->highest)
                                    : QByteArray("none");
        std::printf("%s\n", text.constData());
        std::fflush(stdout);
        return ExitStatus::Success;
    }
    writer.setSharedRange(shared);
    if (job.output.endsWith(QStringLiteral(".terravik"), Qt::CaseInsensitive)) {
        WorldRecipe world = recipe;
        world.origin = origin;
        if (const QString problem = WorldFile::save(job.output, world); !problem.isEmpty()) {
            return fail(ExitStatus::WriteFailed, problem);
        }
        if (!writer.buildsMaps()) {
            return ExitStatus::Success;
        }
    }
    const bool tiled = job.tiles.any();
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        progress.setSpan(double(k) / double(chosen.size()), double(k + 1) / double(chosen.size()));
        progress.beginStage(tiled ? QStringLiteral("tile %1 of %2").arg(k + 1).arg(chosen.size())
                                  : QStringLiteral("building the region"),
                            0.0, 0.2);
        if (const QString problem = writer.write(chosen[k], tiled, progress); !problem.isEmpty()) {
            return fail(ExitStatus::WriteFailed, problem);
        }
    }
    if (tiled) {
        if (const QString problem = writer.writeIndex(area, tiles); !problem.isEmpty()) {
            return fail(ExitStatus::WriteFailed, problem);
        }
    }
    return ExitStatus::Success;
}
