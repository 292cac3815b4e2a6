#include "cli/commandline.h"

#include "generators/generatorchoice.h"
#include "terrain/map.h"
#include "world/worldfile.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>

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

    QList<QCommandLineOption> headlessOnly() const
    {
        return {exportTo, world, generator, seed,  clockSeed, size,
                filter,   drop,  quiet,     masks, threads};
    }
    // A second value would leave one of the two unused.
    QList<QCommandLineOption> singleValued() const
    {
        return {exportTo, world, generator, seed, size, masks, threads};
    }
    // The empty seed is a seed like any other text, as in the New world
    // dialog; an empty name, size or drop is a mistake.
    QList<QCommandLineOption> neverEmpty() const
    {
        return {exportTo, world, generator, size, filter, drop, masks, threads};
    }
};

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

bool parseSize(const QString& text, WorldOrigin& origin)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^(\\d{1,9})[xX](\\d{1,9})$")).match(text);
    if (!match.hasMatch()) {
        return false;
    }
    const std::uint32_t width = match.captured(1).toUInt();
    const std::uint32_t length = match.captured(2).toUInt();
    if (width > WorldFile::MaxSide || length > WorldFile::MaxSide) {
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
        return QStringLiteral("--size %1: give WxL with whole numbers from 0 to %2, e.g. 512x512")
            .arg(parser.value(options.size))
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
    if (!parser.isSet(options.exportTo)) {
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
    return result;
}
