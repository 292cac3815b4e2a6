#include "world/worldfile.h"

#include "generators/generatorchoice.h"
#include "terrain/map.h"
#include "world/filterrecords.h"
#include "world/jsonchecker.h"
#include "world/regionbuild.h"
#include "world/safefiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace WorldFile {

namespace {

QJsonValue finiteOr(double value, double fallback)
{
    // JSON has no inf or NaN (Qt would write null), and a file must always
    // read back: a camera lost at infinity is saved at its starting value.
    return std::isfinite(value) ? value : fallback;
}

QJsonObject seedObject(const SeedRecord& seed)
{
    QJsonObject object;
    if (seed.fromClock) {
        QJsonArray slotValues;
        for (const std::int32_t slot : seed.clockSlots) {
            slotValues.append(slot);
        }
        object.insert(QStringLiteral("clock"), slotValues);
    } else if (QString::fromUtf8(seed.text).toUtf8() == seed.text) {
        object.insert(QStringLiteral("text"), QString::fromUtf8(seed.text));
    } else {
        // Bytes that are not UTF-8 (a seed typed in another 8-bit encoding).
        object.insert(QStringLiteral("base64"), QString::fromLatin1(seed.text.toBase64()));
    }
    return object;
}

QJsonObject cameraObject(const CameraRecord& camera)
{
    const CameraRecord start;
    return {{QStringLiteral("distance"), finiteOr(double(camera.distance), double(start.distance))},
            {QStringLiteral("xRotation"), finiteOr(camera.xRotation, start.xRotation)},
            {QStringLiteral("yRotation"), finiteOr(camera.yRotation, start.yRotation)},
            {QStringLiteral("zRotation"), finiteOr(camera.zRotation, start.zRotation)},
            {QStringLiteral("centerX"), finiteOr(camera.centerX, start.centerX)},
            {QStringLiteral("centerY"), finiteOr(camera.centerY, start.centerY)}};
}

bool readFormat(JsonChecker& check, const QJsonObject& top)
{
    double format = 0;
    if (!check.has(top, QStringLiteral("format"), quoted(QStringLiteral("format"))) ||
        !check.wholeNumber(top.value(QStringLiteral("format")), 1, 1e9,
                           quoted(QStringLiteral("format")), format)) {
        return false;
    }
    if (format > Format) {
        return check.fail(QStringLiteral("written by a newer Terravik (format %1); this one "
                                         "reads format %2")
                              .arg(format, 0, 'f', 0)
                              .arg(Format));
    }
    return true;
}

bool readSeed(JsonChecker& check, const QJsonValue& value, SeedRecord& seed)
{
    const QString where = quoted(QStringLiteral("seed"));
    QJsonObject object;
    if (!check.object(value, where, object)) {
        return false;
    }
    if (object.contains(QStringLiteral("text"))) {
        const QJsonValue text = object.value(QStringLiteral("text"));
        if (!text.isString()) {
            return check.fail(QStringLiteral("%1.text must be a text").arg(where));
        }
        seed = SeedRecord::ofText(text.toString().toUtf8());
        return true;
    }
    if (object.contains(QStringLiteral("base64"))) {
        const QJsonValue text = object.value(QStringLiteral("base64"));
        const auto decoded = QByteArray::fromBase64Encoding(
            text.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!text.isString() || !decoded) {
            return check.fail(QStringLiteral("%1.base64 must be base64 text").arg(where));
        }
        seed = SeedRecord::ofText(*decoded);
        return true;
    }
    if (object.contains(QStringLiteral("clock"))) {
        QJsonArray slotValues;
        const QString slotsWhere = where + QStringLiteral(".clock");
        if (!check.array(object.value(QStringLiteral("clock")), slotsWhere, slotValues)) {
            return false;
        }
        if (slotValues.size() != Seed::kSlotCount) {
            return check.fail(
                QStringLiteral("%1 must hold %2 numbers").arg(slotsWhere).arg(Seed::kSlotCount));
        }
        seed.fromClock = true;
        for (int i = 0; i < Seed::kSlotCount; ++i) {
            double slot = 0;
            if (!check.wholeNumber(slotValues.at(i), std::numeric_limits<std::int32_t>::min(),
                                   std::numeric_limits<std::int32_t>::max(),
                                   QStringLiteral("%1[%2]").arg(slotsWhere).arg(i), slot)) {
                return false;
            }
            seed.clockSlots[std::size_t(i)] = std::int32_t(slot);
        }
        return true;
    }
    return check.fail(QStringLiteral("%1 must hold \"text\", \"base64\" or \"clock\"").arg(where));
}

bool readFilters(JsonChecker& check, const QJsonObject& top, const QString& key,
                 std::vector<FilterRecord>& filters)
{
    if (!top.contains(key)) {
        return true;
    }
    const QString where = quoted(key);
    QJsonArray list;
    if (!check.array(top.value(key), where, list)) {
        return false;
    }
    if (list.size() > MaxFilters) {
        return check.fail(
            QStringLiteral("%1 holds more than %2 filters").arg(where).arg(MaxFilters));
    }
    for (int i = 0; i < list.size(); ++i) {
        std::optional<FilterRecord> filter =
            FilterRecords::fromJson(check, list.at(i), QStringLiteral("%1[%2]").arg(where).arg(i));
        if (!filter) {
            return false;
        }
        filters.push_back(std::move(*filter));
    }
    return true;
}

bool readEditedFilters(JsonChecker& check, const QJsonObject& top,
                       std::optional<std::vector<FilterRecord>>& edited)
{
    const QString key = QStringLiteral("editedFilters");
    if (!top.contains(key)) {
        return true;
    }
    edited.emplace();
    return readFilters(check, top, key, *edited);
}

bool readDrops(JsonChecker& check, const QJsonObject& top, const WorldOrigin& origin,
               std::vector<DropRecord>& drops)
{
    if (!top.contains(QStringLiteral("drops"))) {
        return true;
    }
    const QString where = quoted(QStringLiteral("drops"));
    QJsonArray list;
    if (!check.array(top.value(QStringLiteral("drops")), where, list)) {
        return false;
    }
    if (list.size() > MaxDrops) {
        return check.fail(QStringLiteral("%1 holds more than %2 drops").arg(where).arg(MaxDrops));
    }
    std::int64_t totalSteps = 0;
    for (int i = 0; i < list.size(); ++i) {
        const QString dropWhere = QStringLiteral("%1[%2]").arg(where).arg(i);
        QJsonObject object;
        double x = 0;
        double y = 0;
        double steps = 0;
        if (!check.object(list.at(i), dropWhere, object) ||
            !check.has(object, QStringLiteral("x"), dropWhere + QStringLiteral(".x")) ||
            !check.has(object, QStringLiteral("y"), dropWhere + QStringLiteral(".y")) ||
            !check.has(object, QStringLiteral("steps"), dropWhere + QStringLiteral(".steps")) ||
            !check.finiteNumber(object.value(QStringLiteral("x")), dropWhere + QStringLiteral(".x"),
                                x) ||
            !check.finiteNumber(object.value(QStringLiteral("y")), dropWhere + QStringLiteral(".y"),
                                y) ||
            !check.wholeNumber(object.value(QStringLiteral("steps")), 0, double(MaxDropSteps),
                               dropWhere + QStringLiteral(".steps"), steps)) {
            return false;
        }
        if (!Map::isOnSurface(origin.width, origin.length, float(x), float(y))) {
            return check.fail(QStringLiteral("%1 starts at (%2, %3), which is not on the %4 x %5 "
                                             "map")
                                  .arg(dropWhere)
                                  .arg(x)
                                  .arg(y)
                                  .arg(origin.width)
                                  .arg(origin.length));
        }
        totalSteps += std::int64_t(steps);
        if (totalSteps > MaxDropSteps) {
            return check.fail(
                QStringLiteral("%1 take more than %2 steps in all").arg(where).arg(MaxDropSteps));
        }
        drops.push_back({float(x), float(y), std::int64_t(steps)});
    }
    return true;
}

bool readCamera(JsonChecker& check, const QJsonObject& top, CameraRecord& camera)
{
    if (!top.contains(QStringLiteral("camera"))) {
        return true;
    }
    const QString where = quoted(QStringLiteral("camera"));
    QJsonObject object;
    if (!check.object(top.value(QStringLiteral("camera")), where, object)) {
        return false;
    }
    double distance = 0;
    const auto number = [&](const char* key, double& value) {
        const QString name = QString::fromLatin1(key);
        const QString valueWhere = where + QLatin1Char('.') + name;
        return check.has(object, name, valueWhere) &&
               check.finiteNumber(object.value(name), valueWhere, value);
    };
    if (!number("distance", distance) || !number("xRotation", camera.xRotation) ||
        !number("yRotation", camera.yRotation) || !number("zRotation", camera.zRotation) ||
        !number("centerX", camera.centerX) || !number("centerY", camera.centerY)) {
        return false;
    }
    // The view keeps the distance as a float; beyond its range it would be infinite.
    if (std::abs(distance) > double(std::numeric_limits<float>::max())) {
        return check.fail(QStringLiteral("%1.distance is too far").arg(where));
    }
    camera.distance = float(distance);
    return true;
}

bool readRegion(JsonChecker& check, const QJsonObject& top, WorldOrigin& origin)
{
    const QString key = QStringLiteral("region");
    if (!top.contains(key)) {
        return true;
    }
    const QString where = quoted(key);
    QJsonObject object;
    if (!check.object(top.value(key), where, object)) {
        return false;
    }
    double values[4] = {};
    const char* names[4] = {"x", "y", "width", "length"};
    for (int i = 0; i < 4; ++i) {
        const QString name = QString::fromLatin1(names[i]);
        const QString valueWhere = where + QLatin1Char('.') + name;
        if (!check.has(object, name, valueWhere) ||
            !check.wholeNumber(object.value(name), 0, RegionLimits::MaxWorldSide, valueWhere,
                               values[i])) {
            return false;
        }
    }
    const Region region{std::uint32_t(values[0]), std::uint32_t(values[1]),
                        std::uint32_t(values[2]), std::uint32_t(values[3])};
    if (const QString problem = regionProblem(region, origin.width, origin.length);
        !problem.isEmpty()) {
        return check.fail(QStringLiteral("%1 %2").arg(where, problem));
    }
    origin.region = region;
    return true;
}

// A region's world is never built whole, so it may be larger than a world.
bool readOrigin(JsonChecker& check, const QJsonObject& top, WorldOrigin& origin)
{
    for (const char* key : {"generator", "seed", "width", "length"}) {
        if (!check.has(top, QString::fromLatin1(key), quoted(QString::fromLatin1(key)))) {
            return false;
        }
    }
    const QJsonValue generator = top.value(QStringLiteral("generator"));
    origin.generatorIndex = generatorIndexOf(generator.toString());
    if (!generator.isString() || origin.generatorIndex < 0) {
        return check.fail(
            QStringLiteral("\"generator\" must be %1").arg(generatorNames(QStringLiteral("\""))));
    }
    double width = 0;
    double length = 0;
    const double maxSide =
        top.contains(QStringLiteral("region")) ? RegionLimits::MaxWorldSide : MaxSide;
    if (!readSeed(check, top.value(QStringLiteral("seed")), origin.seed) ||
        !check.wholeNumber(top.value(QStringLiteral("width")), 0, maxSide,
                           quoted(QStringLiteral("width")), width) ||
        !check.wholeNumber(top.value(QStringLiteral("length")), 0, maxSide,
                           quoted(QStringLiteral("length")), length)) {
        return false;
    }
    origin.width = std::uint32_t(width);
    origin.length = std::uint32_t(length);
    return readRegion(check, top, origin);
}

// A region holds the whole world's heights only through filters of limited
// reach, and drops run over the whole world.
bool checkRegionRecipe(JsonChecker& check, const WorldRecipe& recipe)
{
    if (!recipe.origin.region) {
        return true;
    }
    if (const QString problem = regionFilterProblem(recipe.filters); !problem.isEmpty()) {
        return check.fail(QStringLiteral("\"filters\": %1").arg(problem));
    }
    if (!recipe.drops.empty()) {
        return check.fail(QStringLiteral("\"drops\": a region has no drops: they run over the "
                                         "whole world"));
    }
    return true;
}

// The first key that stands twice in one JSON object, found before Qt parses
// the text: Qt 5.15's parser leaks the value of such a key when it is an
// object, and a file with two values for one key is ambiguous anyway. Only the
// structure is followed here; errors of syntax are left to the parser.
std::optional<QString> repeatedKey(const QByteArray& json)
{
    struct Level
    {
        bool isObject;
        bool expectsKey;
        QSet<QString> keys;
    };
    std::vector<Level> levels;
    for (int i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '"') {
            const int start = i;
            for (++i; i < json.size() && json[i] != '"'; ++i) {
                i += json[i] == '\\' ? 1 : 0;
            }
            if (levels.empty() || !levels.back().isObject || !levels.back().expectsKey) {
                continue;
            }
            // Qt decodes the key's escapes, so that "a" and "\u0061" are one key.
            const QJsonArray key =
                QJsonDocument::fromJson('[' + json.mid(start, i - start + 1) + ']').array();
            levels.back().expectsKey = false;
            const QString name = key.isEmpty() ? QString() : key.first().toString();
            if (levels.back().keys.contains(name)) {
                return name;
            }
            levels.back().keys.insert(name);
        } else if (c == '{' || c == '[') {
            levels.push_back({c == '{', c == '{', {}});
        } else if ((c == '}' || c == ']') && !levels.empty()) {
            levels.pop_back();
        } else if (c == ',' && !levels.empty() && levels.back().isObject) {
            levels.back().expectsKey = true;
        }
    }
    return std::nullopt;
}

// The JSON object of a whole document, or the reason there is none.
// kind names the file in the refusal of one that is no JSON object at all: an
// image or some other file opened by mistake.
bool parseObject(JsonChecker& check, const QByteArray& json, QJsonObject& object,
                 const QString& kind)
{
    const QByteArray text = json.trimmed();
    if (text.isEmpty()) {
        return check.fail(QStringLiteral("the file is empty"));
    }
    if (!text.startsWith('{') && !text.startsWith('[')) {
        return check.fail(QStringLiteral("not a Terravik %1 file").arg(kind));
    }
    // JSON writes a NUL in a text as \u0000. Qt 5.15's parser takes a raw one,
    // but then holds keys such as "a<NUL>x" and "a<NUL>y" for one key and
    // leaks the first one's value.
    if (const int nul = json.indexOf('\0'); nul >= 0) {
        return check.fail(QStringLiteral("not valid JSON: a NUL byte at byte %1").arg(nul));
    }
    if (const std::optional<QString> key = repeatedKey(json)) {
        return check.fail(
            QStringLiteral("the key %1 stands twice in one object").arg(quoted(*key)));
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return check.fail(QStringLiteral("not valid JSON: %1 at byte %2")
                              .arg(parseError.errorString())
                              .arg(parseError.offset));
    }
    if (!document.isObject()) {
        return check.fail(QStringLiteral("the file does not hold a JSON object"));
    }
    object = document.object();
    return true;
}

QString tooLarge(qint64 bytes)
{
    return QStringLiteral("too large (%1 bytes; a world or filter file has at most %2)")
        .arg(bytes)
        .arg(MaxFileBytes);
}

// The whole file's contents, refusing files too large to be what they claim.
bool readWholeFile(JsonChecker& check, const QString& path, QByteArray& contents)
{
    QFile file;
    if (const QString problem = openRegularFile(path, file); !problem.isEmpty()) {
        return check.fail(QStringLiteral("cannot open: %1").arg(problem));
    }
    if (file.size() > MaxFileBytes) {
        return check.fail(tooLarge(file.size()));
    }
    contents = file.read(MaxFileBytes + 1);
    if (contents.size() > MaxFileBytes) {
        return check.fail(QStringLiteral("too large for a world or filter file"));
    }
    return true;
}

QString named(const QString& path, const QString& error)
{
    return error.isEmpty() ? error : QDir::toNativeSeparators(path) + QStringLiteral(": ") + error;
}

} // namespace

QByteArray toJson(const WorldRecipe& recipe)
{
    const auto list = [](const std::vector<FilterRecord>& records) {
        QJsonArray filters;
        for (const FilterRecord& filter : records) {
            filters.append(FilterRecords::toJson(filter.filter()));
        }
        return filters;
    };
    QJsonArray drops;
    for (const DropRecord& drop : recipe.drops) {
        drops.append(QJsonObject{{QStringLiteral("x"), double(drop.x)},
                                 {QStringLiteral("y"), double(drop.y)},
                                 {QStringLiteral("steps"), double(drop.steps)}});
    }
    QJsonObject top{
        {QStringLiteral("format"), Format},
        {QStringLiteral("generator"), generatorName(recipe.origin.generatorIndex)},
        {QStringLiteral("seed"), seedObject(recipe.origin.seed)},
        {QStringLiteral("width"), double(recipe.origin.width)},
        {QStringLiteral("length"), double(recipe.origin.length)},
        {QStringLiteral("filters"), list(recipe.filters)},
        {QStringLiteral("drops"), drops},
        {QStringLiteral("camera"), cameraObject(recipe.camera)},
    };
    if (recipe.editedFilters) {
        top.insert(QStringLiteral("editedFilters"), list(*recipe.editedFilters));
    }
    if (const std::optional<Region>& region = recipe.origin.region) {
        top.insert(QStringLiteral("region"),
                   QJsonObject{{QStringLiteral("x"), double(region->x)},
                               {QStringLiteral("y"), double(region->y)},
                               {QStringLiteral("width"), double(region->width)},
                               {QStringLiteral("length"), double(region->length)}});
    }
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

QByteArray filterToJson(const FilterRecord& filter)
{
    return QJsonDocument(FilterRecords::toJson(filter.filter())).toJson(QJsonDocument::Indented);
}

Reading fromJson(const QByteArray& json)
{
    JsonChecker check;
    Reading reading;
    QJsonObject top;
    WorldRecipe& recipe = reading.recipe;
    // Each step runs only while the ones before it found nothing wrong.
    const bool complete = parseObject(check, json, top, QStringLiteral("world")) &&
                          readFormat(check, top) && readOrigin(check, top, recipe.origin) &&
                          readFilters(check, top, QStringLiteral("filters"), recipe.filters) &&
                          readEditedFilters(check, top, recipe.editedFilters) &&
                          readDrops(check, top, recipe.origin, recipe.drops) &&
                          readCamera(check, top, recipe.camera) && checkRegionRecipe(check, recipe);
    reading.error = complete ? QString() : check.error();
    return reading;
}

FilterReading filterFromJson(const QByteArray& json)
{
    JsonChecker check;
    FilterReading reading;
    QJsonObject top;
    if (parseObject(check, json, top, QStringLiteral("filter"))) {
        reading.filter = FilterRecords::fromJson(check, top, QString());
    }
    reading.error = check.error();
    return reading;
}

namespace {

// A file read whole and parsed; every message starts with the file's name.
template <typename Result> Result readNamed(const QString& path, Result (*parse)(const QByteArray&))
{
    JsonChecker check;
    QByteArray contents;
    Result result{};
    if (readWholeFile(check, path, contents)) {
        result = parse(contents);
    } else {
        result.error = check.error();
    }
    result.error = named(path, result.error);
    return result;
}

} // namespace

Reading read(const QString& path)
{
    return readNamed(path, &fromJson);
}

FilterReading readFilter(const QString& path)
{
    return readNamed(path, &filterFromJson);
}

namespace {

// Why the reader would refuse these contents, in its own words.
QString refusalOf(const QByteArray& json)
{
    return json.size() > MaxFileBytes ? tooLarge(json.size()) : fromJson(json).error;
}

QString notWritten(const QString& path, const QString& refusal)
{
    return QStringLiteral("%1: cannot write: %2 (Terravik would refuse to open the file)")
        .arg(QDir::toNativeSeparators(path), refusal);
}

} // namespace

QString reopenProblem(const QString& path, const WorldRecipe& recipe)
{
    const QString refusal = refusalOf(toJson(recipe));
    return refusal.isEmpty() ? refusal : notWritten(path, refusal);
}

QString save(const QString& path, const WorldRecipe& recipe)
{
    const QByteArray json = toJson(recipe);
    if (const QString refusal = refusalOf(json); !refusal.isEmpty()) {
        return notWritten(path, refusal);
    }
    return writeFileSafely(path,
                           [&](QIODevice& device) { return device.write(json) == json.size(); });
}

} // namespace WorldFile
