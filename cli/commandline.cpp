#include "cli/commandline.h"

#include "generators/generatorchoice.h"
#include "terrain/map.h"
#include "world/regionbuild.h"
#include "world/worldfile.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>
#include <cmath>
#include <initializer_list>

namespace {

// More threads than this only wait for each other.
constexpr int MaxThreads = 1024;

struct Options
{
    QCommandLineOption exportTo{QStringLiteral("export"),
                                QStringLiteral("Build the world with no window and write it to "
                                               "<file>: .png, .r16, .asc, .obj or .terravik."),
                                QStringLiteral("file")};
    QCommandLineOption world{QStringLiteral("world"),
                             QStringLiteral("Start from the world of this world file."),
                             QStringLiteral("file")};
    QCommandLineOption generator{QStringLiteral("generator"),
                                 QStringLiteral("The generator: %1.").arg(generatorNames()),
                                 QStringLiteral("name")};
    QCommandLineOption seed{QStringLiteral("seed"), QStringLiteral("The seed text, as typed."),
                            QStringLiteral("text")};
    QCommandLineOption clockSeed{QStringLiteral("clock-seed"),
                                 QStringLiteral("Seed from the clock instead of a text.")};
    QCommandLineOption size{QStringLiteral("size"),
                            QStringLiteral("Width and length, 0 to 4096 each, e.g. 512x512."),
                            QStringLiteral("WxL")};
    QCommandLineOption filter{QStringLiteral("filter"),
                              QStringLiteral("Apply the filter of this JSON file; repeat for "
                                             "more, applied in order."),
                              QStringLiteral("file")};
    QCommandLineOption drop{QStringLiteral("drop"),
                            QStringLiteral("Start a drop at X,Y after the filters; all drops "
                                           "then run to their end. Repeatable."),
                            QStringLiteral("X,Y")};
    QCommandLineOption quiet{QStringLiteral("quiet"),
                             QStringLiteral("Print no progress on standard error.")};
    QCommandLineOption masks{QStringLiteral("masks"),
                             QStringLiteral("Also write what erosion did as 16-bit PNG images: "
                                            "<prefix>-erosion.png, <prefix>-deposition.png and "
                                            "<prefix>-flow.png."),
                             QStringLiteral("prefix")};
    QCommandLineOption threads{QStringLiteral("threads"),
                               QStringLiteral("Work on N threads (default: all cores); the "
                                              "world is the same on any number."),
                               QStringLiteral("N")};

    QCommandLineOption region{QStringLiteral("region"),
                              QStringLiteral("Build only the region of W x L points from point "
                                             "(X, Y) of the world, at most 4096 x 4096; the "
                                             "world may then be up to 65536 x 65536."),
                              QStringLiteral("X,Y,W,L")};
    QCommandLineOption tiles{QStringLiteral("tiles"),
                             QStringLiteral("Write the world (or region) as N x N tiles that "
                                            "share their edges, NAME_x{i}_y{j}.EXT, with an "
                                            "index NAME.tiles.json."),
                             QStringLiteral("N")};
    QCommandLineOption tileSize{QStringLiteral("tile-size"),
                                QStringLiteral("Write tiles of S x S points instead (the last "
                                               "ones smaller), 2 to 4096."),
                                QStringLiteral("S")};
    QCommandLineOption tile{QStringLiteral("tile"),
                            QStringLiteral("Write only tile I,J of --tiles or --tile-size: one "
                                           "job of a batch."),
                            QStringLiteral("I,J")};
    QCommandLineOption heightRange{QStringLiteral("height-range"),
                                   QStringLiteral("Scale 16-bit heights and place splat bands "
                                                  "in LOW to HIGH: the range all tiles share."),
                                   QStringLiteral("LOW,HIGH")};
    QCommandLineOption printHeightRange{QStringLiteral("print-height-range"),
                                        QStringLiteral("Print the lowest and highest height as "
                                                       "LOW,HIGH (of --tile's tile only, if "
                                                       "given) and write nothing.")};
    QCommandLineOption normalMap{QStringLiteral("normal-map"),
                                 QStringLiteral("Also write the normal map (RGB PNG, OpenGL "
                                                "convention)."),
                                 QStringLiteral("file.png")};
    QCommandLineOption normalScale{QStringLiteral("normal-scale"),
                                   QStringLiteral("A height unit's length in grid steps, for "
                                                  "normal and splat maps (default 1)."),
                                   QStringLiteral("Z")};
    QCommandLineOption splatMap{QStringLiteral("splat-map"),
                                QStringLiteral("Also write the splat map (RGBA PNG: low, middle "
                                               "and high ground, steep ground)."),
                                QStringLiteral("file.png")};
    QCommandLineOption splatHeights{QStringLiteral("splat-heights"),
                                    QStringLiteral("Where low ground ends and high ground "
                                                   "begins, as shares of the height range "
                                                   "(default 0.3,0.7)."),
                                    QStringLiteral("LOW,HIGH")};
    QCommandLineOption splatSlope{QStringLiteral("splat-slope"),
                                  QStringLiteral("Slopes steeper than this are steep ground "
                                                 "(degrees, default 35)."),
                                  QStringLiteral("degrees")};

    QList<QCommandLineOption> headlessOnly() const
    {
        return {exportTo,  world,       generator, seed,         clockSeed,
                size,      filter,      drop,      quiet,        region,
                tiles,     tileSize,    tile,      heightRange,  printHeightRange,
                normalMap, normalScale, splatMap,  splatHeights, splatSlope,
                masks,     threads};
    }
    // A second value would leave one of the two unused.
    QList<QCommandLineOption> singleValued() const
    {
        return {exportTo, world,        generator,  seed,        size,      region,
                tiles,    tileSize,     tile,       heightRange, normalMap, normalScale,
                splatMap, splatHeights, splatSlope, masks,       threads};
    }
    // The empty seed is a seed like any other text, as in the New world
    // dialog; an empty name, size or drop is a mistake.
    QList<QCommandLineOption> neverEmpty() const
    {
        return {exportTo,    world,    generator,    size,       filter,      drop,
                region,      tiles,    tileSize,     tile,       heightRange, normalMap,
                normalScale, splatMap, splatHeights, splatSlope, masks,       threads};
    }
};

QString sizeProblem(const QString& typed)
{
    return QStringLiteral("--size %1: give WxL with whole numbers from 0 to %2 (up to %3 with "
                          "--region or tiles), e.g. 512x512")
        .arg(typed)
        .arg(WorldFile::MaxSide)
        .arg(RegionLimits::MaxWorldSide);
}

QString helpDescription()
{
    return QStringLiteral(
        "Terravik makes terrain from a seed, shapes it with filters and lets water drops run "
        "over it.\n\n"
        "  terravik [world.terravik]      opens the window, with that world if one is given.\n"
        "  terravik --export OUT ...      builds a world and writes it, with no window.\n\n"
        "Only regular files are read or written, a link to a file is written through, and\n"
        "a world file is written only if Terravik can open it again.\n\n"
        "Exit statuses: 0 done, 1 terravik-cli (which does the work) could not be started,\n"
        "2 usage error, 3 bad input file, 4 the output could not be written.");
}

void describe(QCommandLineParser& parser, const Options& options)
{
    parser.setApplicationDescription(helpDescription());
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(options.headlessOnly());
    parser.addPositionalArgument(QStringLiteral("world"),
                                 QStringLiteral("A world file to open in the window."),
                                 QStringLiteral("[world.terravik]"));
}

ParsedCommandLine usageError(const QString& message)
{
    ParsedCommandLine result;
    result.finished = true;
    result.status = ExitStatus::UsageError;
    result.text = message + QStringLiteral(" (see --help)");
    return result;
}

QStringList decoded(const QByteArrayList& arguments)
{
    QStringList texts;
    for (const QByteArray& argument : arguments) {
        texts << QFile::decodeName(argument);
    }
    return texts;
}

QString valueProblem(const QCommandLineParser& parser, const Options& options)
{
    for (const QCommandLineOption& option : options.singleValued()) {
        if (parser.values(option).size() > 1) {
            return QStringLiteral("--%1 is given more than once: give it once")
                .arg(option.names().constFirst());
        }
    }
    for (const QCommandLineOption& option : options.neverEmpty()) {
        if (parser.values(option).contains(QString())) {
            return QStringLiteral("--%1 needs a value, not an empty text")
                .arg(option.names().constFirst());
        }
    }
    return {};
}

// Up to the largest world a region may come from; whether the size needs
// a region is judged once the other options are known.
bool parseSize(const QString& text, WorldOrigin& origin)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^(\\d{1,9})[xX](\\d{1,9})$")).match(text);
    if (!match.hasMatch()) {
        return false;
    }
    const std::uint32_t width = match.captured(1).toUInt();
    const std::uint32_t length = match.captured(2).toUInt();
    if (width > RegionLimits::MaxWorldSide || length > RegionLimits::MaxWorldSide) {
        return false;
    }
    origin.width = width;
    origin.length = length;
    return true;
}

bool parseDrop(const QString& text, DropRecord& drop)
{
    const QStringList parts = text.split(QLatin1Char(','));
    bool xOk = false;
    bool yOk = false;
    if (parts.size() != 2) {
        return false;
    }
    const double x = parts[0].trimmed().toDouble(&xOk);
    const double y = parts[1].trimmed().toDouble(&yOk);
    drop = {float(x), float(y), 0};
    return xOk && yOk;
}

// The world's origin from --generator, --seed or --clock-seed and --size.
QString readOrigin(const QCommandLineParser& parser, const Options& options, WorldOrigin& origin)
{
    if (!parser.isSet(options.generator)) {
        return QStringLiteral("--generator is missing: give %1").arg(generatorNames());
    }
    origin.generatorIndex = generatorIndexOf(parser.value(options.generator));
    if (origin.generatorIndex < 0) {
        return QStringLiteral("--generator %1 is not a generator: give %2")
            .arg(parser.value(options.generator), generatorNames());
    }
    if (parser.isSet(options.seed) == parser.isSet(options.clockSeed)) {
        return QStringLiteral("give either --seed TEXT or --clock-seed");
    }
    // A seed is its bytes, also those that are no text in the locale's encoding.
    origin.seed = parser.isSet(options.seed)
                      ? SeedRecord::ofText(QFile::encodeName(parser.value(options.seed)))
                      : SeedRecord::ofClock();
    if (!parser.isSet(options.size)) {
        return QStringLiteral("--size is missing: give the width and length, e.g. 512x512");
    }
    if (!parseSize(parser.value(options.size), origin)) {
        return sizeProblem(parser.value(options.size));
    }
    return {};
}

// Whole numbers separated by commas, as many as `values` holds.
bool parseWholeNumbers(const QString& text, std::initializer_list<std::uint32_t*> values)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != int(values.size())) {
        return false;
    }
    int i = 0;
    for (std::uint32_t* value : values) {
        const QString part = parts[i++].trimmed();
        bool ok = false;
        *value = part.toUInt(&ok);
        if (!ok || part.startsWith(QLatin1Char('+'))) {
            return false;
        }
    }
    return true;
}

// Two finite numbers LOW,HIGH with LOW <= HIGH.
bool parsePair(const QString& text, double& low, double& high)
{
    const QStringList parts = text.split(QLatin1Char(','));
    bool lowOk = false;
    bool highOk = false;
    if (parts.size() != 2) {
        return false;
    }
    low = parts[0].trimmed().toDouble(&lowOk);
    high = parts[1].trimmed().toDouble(&highOk);
    return lowOk && highOk && std::isfinite(low) && std::isfinite(high) && low <= high;
}

bool parseNumber(const QString& text, double& value)
{
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

// --region, --tiles, --tile-size, --tile and --height-range: an empty text
// when they make sense on their own.
QString readAreaOptions(const QCommandLineParser& parser, const Options& options, HeadlessJob& job)
{
    if (parser.isSet(options.region)) {
        Region region;
        job.regionTyped = parser.value(options.region);
        if (!parseWholeNumbers(job.regionTyped,
                               {&region.x, &region.y, &region.width, &region.length})) {
            return QStringLiteral("--region %1: give X,Y,W,L with whole numbers, e.g. "
                                  "4096,0,2048,2048")
                .arg(job.regionTyped);
        }
        job.region = region;
    }
    if (parser.isSet(options.tiles) && parser.isSet(options.tileSize)) {
        return QStringLiteral("give either --tiles N or --tile-size S, not both");
    }
    if (parser.isSet(options.tiles) &&
        (!parseWholeNumbers(parser.value(options.tiles), {&job.tiles.count}) ||
         job.tiles.count == 0)) {
        return QStringLiteral("--tiles %1: give the number of tiles along each side, e.g. 4")
            .arg(parser.value(options.tiles));
    }
    if (parser.isSet(options.tileSize) &&
        (!parseWholeNumbers(parser.value(options.tileSize), {&job.tiles.size}) ||
         job.tiles.size < 2 || job.tiles.size > RegionLimits::MaxSide)) {
        return QStringLiteral("--tile-size %1: give the points along a tile's side, 2 to %2")
            .arg(parser.value(options.tileSize))
            .arg(RegionLimits::MaxSide);
    }
    if (parser.isSet(options.tile)) {
        std::pair<std::uint32_t, std::uint32_t> tile;
        if (!job.tiles.any()) {
            return QStringLiteral("--tile needs --tiles N or --tile-size S: the grid it is "
                                  "a tile of");
        }
        if (!parseWholeNumbers(parser.value(options.tile), {&tile.first, &tile.second})) {
            return QStringLiteral("--tile %1: give the tile's column and row as I,J, e.g. 0,3")
                .arg(parser.value(options.tile));
        }
        job.tiles.only = tile;
    }
    if (parser.isSet(options.heightRange)) {
        double low = 0;
        double high = 0;
        if (!parsePair(parser.value(options.heightRange), low, high) ||
            !std::isfinite(float(low)) || !std::isfinite(float(high))) {
            return QStringLiteral("--height-range %1: give LOW,HIGH with LOW at most HIGH, "
                                  "e.g. 0,1000")
                .arg(parser.value(options.heightRange));
        }
        job.heightRange = HeightMap::Range{float(low), float(high), true};
    }
    job.printHeightRange = parser.isSet(options.printHeightRange);
    return {};
}

// A PNG file to write a derived map to.
QString readMapName(const QCommandLineParser& parser, const QCommandLineOption& option,
                    QString& name)
{
    if (!parser.isSet(option)) {
        return {};
    }
    name = parser.value(option);
    if (!name.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        return QStringLiteral("--%1 %2: give a file name ending in .png")
            .arg(option.names().constFirst(), name);
    }
    return {};
}

// --normal-map, --splat-map and their settings.
QString readMapOptions(const QCommandLineParser& parser, const Options& options, HeadlessJob& job)
{
    if (QString problem = readMapName(parser, options.normalMap, job.normalMap);
        !problem.isEmpty()) {
        return problem;
    }
    if (QString problem = readMapName(parser, options.splatMap, job.splatMap); !problem.isEmpty()) {
        return problem;
    }
    if (parser.isSet(options.normalScale) &&
        (!parseNumber(parser.value(options.normalScale), job.normals.verticalScale) ||
         !(job.normals.verticalScale > 0.0))) {
        return QStringLiteral("--normal-scale %1: give a number above 0, e.g. 1 or 0.05")
            .arg(parser.value(options.normalScale));
    }
    if (parser.isSet(options.splatHeights) &&
        (!parsePair(parser.value(options.splatHeights), job.splat.lowUpTo, job.splat.highFrom) ||
         job.splat.lowUpTo < 0.0 || job.splat.highFrom > 1.0)) {
        return QStringLiteral("--splat-heights %1: give LOW,HIGH from 0 to 1 with LOW at most "
                              "HIGH, e.g. 0.3,0.7")
            .arg(parser.value(options.splatHeights));
    }
    if (parser.isSet(options.splatSlope) &&
        (!parseNumber(parser.value(options.splatSlope), job.splat.steepFrom) ||
         job.splat.steepFrom < 0.0 || job.splat.steepFrom > 90.0)) {
        return QStringLiteral("--splat-slope %1: give an angle in degrees from 0 to 90")
            .arg(parser.value(options.splatSlope));
    }
    const bool setsMaps = parser.isSet(options.normalScale) || parser.isSet(options.splatHeights) ||
                          parser.isSet(options.splatSlope);
    if (setsMaps && job.normalMap.isEmpty() && job.splatMap.isEmpty()) {
        return QStringLiteral("--normal-scale, --splat-heights and --splat-slope need "
                              "--normal-map or --splat-map");
    }
    return {};
}

// What cannot go together once every option is read.
QString combinationProblem(const HeadlessJob& job)
{
    const bool byRegions = job.region || job.tiles.any();
    if (byRegions && !job.newDrops.empty()) {
        return QStringLiteral("--drop: drops run over the whole world, so they cannot go with "
                              "--region, --tiles or --tile-size");
    }
    if (job.printHeightRange && (!job.output.isEmpty() || !job.normalMap.isEmpty() ||
                                 !job.splatMap.isEmpty() || !job.newDrops.empty())) {
        return QStringLiteral("--print-height-range writes nothing: leave out --export, "
                              "--normal-map, --splat-map and --drop");
    }
    if (job.tiles.any() && job.output.endsWith(QStringLiteral(".terravik"), Qt::CaseInsensitive)) {
        return QStringLiteral("--tiles and --tile-size write height maps, meshes or images, not "
                              "world files");
    }
    const bool worldTooLarge =
        job.origin.width > WorldFile::MaxSide || job.origin.length > WorldFile::MaxSide;
    if (!byRegions && job.worldFile.isEmpty() && worldTooLarge) {
        return QStringLiteral("--size %1x%2: a world beyond %3 x %3 is built a region at a "
                              "time: give --region, --tiles or --tile-size")
            .arg(job.origin.width)
            .arg(job.origin.length)
            .arg(WorldFile::MaxSide);
    }
    return {};
}

} // namespace

bool wantsHeadless(const QByteArrayList& arguments)
{
    QCommandLineParser parser;
    const Options options;
    describe(parser, options);
    // Unknown options are Qt's own (-platform, -style, ...): not ours to judge.
    parser.parse(decoded(arguments));
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("version"))) {
        return true;
    }
    for (const QCommandLineOption& option : options.headlessOnly()) {
        if (parser.isSet(option)) {
            return true;
        }
    }
    return false;
}

ParsedCommandLine parseCommandLine(const QByteArrayList& arguments)
{
    QCommandLineParser parser;
    const Options options;
    describe(parser, options);
    if (!parser.parse(decoded(arguments))) {
        return usageError(parser.errorText());
    }
    ParsedCommandLine result;
    if (parser.isSet(QStringLiteral("help"))) {
        result.finished = true;
        result.text = parser.helpText();
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.finished = true;
        result.text = QStringLiteral("terravik %1").arg(QCoreApplication::applicationVersion());
        return result;
    }
    HeadlessJob& job = result.job;
    if (const QString problem = valueProblem(parser, options); !problem.isEmpty()) {
        return usageError(problem);
    }
    if (!parser.isSet(options.exportTo) && !parser.isSet(options.printHeightRange)) {
        return usageError(QStringLiteral("--export is missing: give the file to write (to open a "
                                         "world in the window, run terravik FILE.terravik)"));
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usageError(QStringLiteral("unexpected argument %1: start from a world file with "
                                         "--world FILE")
                              .arg(parser.positionalArguments().constFirst()));
    }
    job.output = parser.value(options.exportTo);
    job.quiet = parser.isSet(options.quiet);
    job.masksPrefix = parser.value(options.masks);
    if (parser.isSet(options.threads)) {
        bool whole = false;
        job.threads = parser.value(options.threads).toInt(&whole);
        if (!whole || job.threads < 1 || job.threads > MaxThreads) {
            return usageError(QStringLiteral("--threads %1: give a whole number from 1 to %2")
                                  .arg(parser.value(options.threads))
                                  .arg(MaxThreads));
        }
    }
    job.filterFiles = parser.values(options.filter);
    if (parser.isSet(options.world)) {
        if (parser.isSet(options.generator) || parser.isSet(options.seed) ||
            parser.isSet(options.clockSeed) || parser.isSet(options.size)) {
            return usageError(QStringLiteral("--world comes with its own generator, seed and "
                                             "size: leave out --generator, --seed, --clock-seed "
                                             "and --size"));
        }
        job.worldFile = parser.value(options.world);
    } else {
        const QString problem = readOrigin(parser, options, job.origin);
        if (!problem.isEmpty()) {
            return usageError(problem);
        }
    }
    for (const QString& text : parser.values(options.drop)) {
        DropRecord drop;
        if (!parseDrop(text, drop)) {
            return usageError(
                QStringLiteral("--drop %1: give the start as X,Y, e.g. 20,20").arg(text));
        }
        job.newDrops.push_back({text, drop});
    }
    for (const QString& problem : {readAreaOptions(parser, options, job),
                                   readMapOptions(parser, options, job), combinationProblem(job)}) {
        if (!problem.isEmpty()) {
            return usageError(problem);
        }
    }
    return result;
}
