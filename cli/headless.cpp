#include "cli/headless.h"

#include "cli/areajob.h"
#include "cli/commandline.h"
#include "exports/exportformat.h"
#include "exports/maskimages.h"
#include "filters/erosionmasks.h"
#include "terrain/map.h"
#include "terrain/workprogress.h"
#include "world/safefiles.h"
#include "world/world.h"
#include "world/worldfile.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThreadPool>
#include <cstdio>

namespace {

constexpr qint64 QuietMilliseconds = 1000;

void printLine(std::FILE* stream, const QString& text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

int fail(int status, const QString& message)
{
    printLine(stderr, QStringLiteral("terravik: ") + message);
    return status;
}

// Progress lines on standard error, once the work has taken about a second:
// short jobs stay silent. A long stage reports often; its line is repeated at
// most once a second.
class ProgressLines
{
public:
    explicit ProgressLines(bool quiet) : quiet_(quiet) { clock_.start(); }

    void operator()(const QString& stage, int percent)
    {
        const qint64 now = clock_.elapsed();
        if (quiet_ || now < QuietMilliseconds ||
            (stage == lastStage_ && now - lastLine_ < QuietMilliseconds)) {
            return;
        }
        printed_ = true;
        lastStage_ = stage;
        lastLine_ = now;
        printLine(stderr, QStringLiteral("terravik: %1 (%2%)").arg(stage).arg(percent));
    }

    void finished(const QString& output)
    {
        if (printed_) {
            printLine(stderr, QStringLiteral("terravik: wrote %1 (100%)").arg(output));
        }
    }

private:
    QElapsedTimer clock_;
    bool quiet_;
    bool printed_ = false;
    QString lastStage_;
    qint64 lastLine_ = 0;
};

bool isWorldFile(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("terravik"), Qt::CaseInsensitive) == 0;
}

// The job's recipe: its world file's or its options', with its filter files
// after the world's own filters. An empty text when all was read.
QString readRecipe(const HeadlessJob& job, WorldRecipe& recipe)
{
    if (!job.worldFile.isEmpty()) {
        WorldFile::Reading reading = WorldFile::read(job.worldFile);
        if (!reading.error.isEmpty()) {
            return reading.error;
        }
        recipe = reading.recipe;
    } else {
        recipe.origin = job.origin;
    }
    // Filters given here follow the world's applied ones; edits the world
    // kept for its window do not belong to what is built here.
    if (!job.filterFiles.isEmpty()) {
        recipe.editedFilters.reset();
    }
    for (const QString& path : job.filterFiles) {
        const WorldFile::FilterReading reading = WorldFile::readFilter(path);
        if (!reading.error.isEmpty()) {
            return reading.error;
        }
        recipe.filters.push_back(*reading.filter);
    }
    return {};
}

QString offSurfaceDrop(const HeadlessJob& job, const WorldOrigin& origin)
{
    for (const NewDrop& drop : job.newDrops) {
        if (!Map::isOnSurface(origin.width, origin.length, drop.start.x, drop.start.y)) {
            return QStringLiteral("--drop %1: the entered coordinates are not within the %2 x %3 "
                                  "map")
                .arg(drop.typed)
                .arg(origin.width)
                .arg(origin.length);
        }
    }
    return {};
}

// Why the output cannot take what the job writes, found before the work: a
// special file, or a world file beyond the reader's bounds (the steps of new
// drops are known only once they ran).
QString outputProblem(const HeadlessJob& job, const WorldRecipe& recipe, bool writesWorld)
{
    if (QString problem = writeTargetProblem(job.output); !problem.isEmpty() || !writesWorld) {
        return problem;
    }
    WorldRecipe planned = recipe;
    for (const NewDrop& drop : job.newDrops) {
        planned.drops.push_back(drop.start);
    }
    return WorldFile::reopenProblem(job.output, planned);
}

ExportSettings exportSettings(const HeadlessJob& job)
{
    ExportSettings settings;
    settings.heightRange = job.heightRange;
    settings.normals = job.normals;
    settings.splat = job.splat;
    return settings;
}

// The normal and splat maps the job asks for besides its export.
QString writeDerivedMaps(const HeadlessJob& job, const Map& map)
{
    QString problem;
    if (!job.normalMap.isEmpty()) {
        problem = exportMap(map, ExportFormat::NormalMap, job.normalMap, exportSettings(job));
    }
    if (problem.isEmpty() && !job.splatMap.isEmpty()) {
        problem = exportMap(map, ExportFormat::SplatMap, job.splatMap, exportSettings(job));
    }
    return problem;
}

} // namespace

int runHeadless(const QByteArrayList& arguments)
{
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    if (parsed.finished) {
        if (parsed.status != ExitStatus::Success) {
            return fail(parsed.status, parsed.text);
        }
        printLine(stdout, parsed.text);
        return ExitStatus::Success;
    }
    const HeadlessJob& job = parsed.job;
    const bool writesWorld = isWorldFile(job.output);
    const std::optional<ExportFormat> format = exportFormatOf(job.output);
    if (!writesWorld && !format && !job.printHeightRange) {
        return fail(ExitStatus::UsageError,
                    QStringLiteral("%1: unknown export format: give a file name ending in %2 or "
                                   ".terravik")
                        .arg(job.output, knownExportSuffixes()));
    }
    WorldRecipe recipe;
    const QString readProblem = readRecipe(job, recipe);
    if (!readProblem.isEmpty()) {
        return fail(ExitStatus::BadInputFile, readProblem);
    }
    if (job.threads > 0) {
        QThreadPool::globalInstance()->setMaxThreadCount(job.threads);
    }
    if (job.byRegions() || recipe.origin.region) {
        if (!job.masksPrefix.isEmpty()) {
            return fail(ExitStatus::UsageError,
                        QStringLiteral("--masks %1: erosion needs the whole world, so it has no "
                                       "masks with --region or tiles")
                            .arg(job.masksPrefix));
        }
        ProgressLines progress(job.quiet);
        WorkProgress building(std::ref(progress));
        const int status = runRegionJob(job, recipe, building);
        if (status == ExitStatus::Success && !job.output.isEmpty()) {
            progress.finished(job.output);
        }
        return status;
    }
    const QString dropProblem = offSurfaceDrop(job, recipe.origin);
    if (!dropProblem.isEmpty()) {
        return fail(ExitStatus::UsageError, dropProblem);
    }
    const bool writesImages = !writesWorld || !job.masksPrefix.isEmpty();
    if (writesImages && (recipe.origin.width == 0 || recipe.origin.length == 0)) {
        return fail(ExitStatus::UsageError,
                    QStringLiteral("%1: the world is empty (%2 x %3 points): there is nothing to "
                                   "export")
                        .arg(job.output)
                        .arg(recipe.origin.width)
                        .arg(recipe.origin.length));
    }

    if (const QString problem = outputProblem(job, recipe, writesWorld); !problem.isEmpty()) {
        return fail(ExitStatus::WriteFailed, problem);
    }
    for (const QString& mask :
         job.masksPrefix.isEmpty() ? QStringList() : MaskImages::paths(job.masksPrefix)) {
        if (const QString problem = writeTargetProblem(mask); !problem.isEmpty()) {
            return fail(ExitStatus::WriteFailed, problem);
        }
    }
    ProgressLines progress(job.quiet);
    QString writeProblem;
    // A world file holds the recipe only: the terrain is built when new drops
    // need it to run on, or masks and derived maps are asked for.
    if (writesWorld && job.newDrops.empty() && job.masksPrefix.isEmpty() &&
        job.normalMap.isEmpty() && job.splatMap.isEmpty()) {
        writeProblem = WorldFile::save(job.output, recipe);
    } else {
        // The command line keeps no base map: the filters work in two maps.
        World world;
        WorkProgress building(std::ref(progress));
        ErosionMasks masks;
        world.open(recipe, &building, false, job.masksPrefix.isEmpty() ? nullptr : &masks);
        if (!job.masksPrefix.isEmpty()) {
            progress(QStringLiteral("writing the masks"), 98);
            writeProblem = MaskImages::write(masks, recipe.origin.width, recipe.origin.length,
                                             job.masksPrefix);
            if (!writeProblem.isEmpty()) {
                return fail(ExitStatus::WriteFailed, writeProblem);
            }
        }
        if (!job.newDrops.empty()) {
            for (const NewDrop& drop : job.newDrops) {
                world.startDrop(drop.start.x, drop.start.y);
            }
            world.runDropsToEnd();
        }
        progress(QStringLiteral("writing %1").arg(job.output), 99);
        if (writesWorld) {
            recipe = world.recipe();
            writeProblem = WorldFile::save(job.output, recipe);
        } else {
            writeProblem =
                exportMap(*world.filteredMap(), *format, job.output, exportSettings(job));
        }
        writeProblem =
            writeProblem.isEmpty() ? writeDerivedMaps(job, *world.filteredMap()) : writeProblem;
    }
    if (!writeProblem.isEmpty()) {
        return fail(ExitStatus::WriteFailed, writeProblem);
    }
    progress.finished(job.output);
    return ExitStatus::Success;
}
