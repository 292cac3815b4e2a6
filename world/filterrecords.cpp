#include "world/filterrecords.h"

#include "filters/filtermatrix.h"
#include "filters/filtersettings.h"
#include "filters/hydraulicerosion.h"
#include "filters/thermalerosion.h"
#include "world/jsonchecker.h"
#include "world/worldfile.h"

#include <QJsonArray>
#include <cstring>

namespace FilterRecords {

namespace {

// Names the keys of one record in messages.
class RecordPlace
{
public:
    explicit RecordPlace(const QString& where) : where_(where) {}

    QString whole() const { return where_.isEmpty() ? QStringLiteral("the filter") : where_; }
    QString member(const QString& key) const
    {
        return where_.isEmpty() ? quoted(key) : where_ + QLatin1Char('.') + key;
    }

private:
    QString where_;
};

QJsonObject matrixToJson(const Filter& filter)
{
    QJsonArray coefficients;
    for (const std::int32_t coefficient : static_cast<const FilterMatrix&>(filter).getMatrix()) {
        coefficients.append(coefficient);
    }
    return {{QStringLiteral("name"), filter.name()},
            {QStringLiteral("coefficients"), coefficients}};
}

std::unique_ptr<Filter> matrixFromJson(JsonChecker& check, const QJsonObject& object,
                                       const RecordPlace& place)
{
    const QString coefficientsWhere = place.member(QStringLiteral("coefficients"));
    QJsonArray coefficients;
    if (!check.has(object, QStringLiteral("coefficients"), coefficientsWhere) ||
        !check.array(object.value(QStringLiteral("coefficients")), coefficientsWhere,
                     coefficients)) {
        return nullptr;
    }
    FilterMatrix::Coefficients values{};
    if (coefficients.size() != int(values.size())) {
        check.fail(QStringLiteral("%1 must hold 25 numbers, not %2")
                       .arg(coefficientsWhere)
                       .arg(coefficients.size()));
        return nullptr;
    }
    for (int k = 0; k < coefficients.size(); ++k) {
        double coefficient = 0;
        if (!check.wholeNumber(
                coefficients.at(k), -WorldFile::CoefficientLimit, WorldFile::CoefficientLimit,
                QStringLiteral("%1[%2]").arg(coefficientsWhere).arg(k), coefficient)) {
            return nullptr;
        }
        values[std::size_t(k)] = std::int32_t(coefficient);
    }
    auto filter = std::make_unique<FilterMatrix>();
    filter->setMatrix(values);
    return filter;
}

// A kind described by its settings' tables writes each setting under its own
// key.
template <typename Kind> QJsonObject settingsToJson(const Filter& filter)
{
    const typename Kind::Settings& settings = static_cast<const Kind&>(filter).settings();
    QJsonObject object;
    for (const auto& setting : Kind::numberSettings()) {
        object.insert(QString::fromLatin1(setting.key), setting.get(settings));
    }
    for (const auto& setting : Kind::textSettings()) {
        object.insert(QString::fromLatin1(setting.key), setting.get(settings));
    }
    return object;
}

// A setting left out keeps its default; one of the wrong type or out of its
// range is refused with its name.
template <typename Kind>
std::unique_ptr<Filter> settingsFromJson(JsonChecker& check, const QJsonObject& object,
                                         const RecordPlace& place)
{
    typename Kind::Settings settings;
    for (const auto& setting : Kind::numberSettings()) {
        const QString key = QString::fromLatin1(setting.key);
        if (!object.contains(key)) {
            continue;
        }
        const QString where = place.member(key);
        double value = 0;
        const bool valid = setting.decimals == 0
                               ? check.wholeNumber(object.value(key), setting.minimum,
                                                   setting.maximum, where, value)
                               : check.numberWithin(object.value(key), setting.minimum,
                                                    setting.maximum, where, value);
        if (!valid) {
            return nullptr;
        }
        setting.set(settings, value);
    }
    for (const auto& setting : Kind::textSettings()) {
        const QString key = QString::fromLatin1(setting.key);
        if (!object.contains(key)) {
            continue;
        }
        if (!object.value(key).isString()) {
            check.fail(QStringLiteral("%1 must be a text").arg(place.member(key)));
            return nullptr;
        }
        setting.set(settings, object.value(key).toString());
    }
    auto filter = std::make_unique<Kind>();
    filter->setSettings(settings);
    return filter;
}

// How one kind's records are written and read; the name is common to all.
struct KindRecord
{
    const char* kind;
    QJsonObject (*toJson)(const Filter&);
    std::unique_ptr<Filter> (*fromJson)(JsonChecker&, const QJsonObject&, const RecordPlace&);
};

const KindRecord kinds[] = {
    {FilterMatrix::Kind, &matrixToJson, &matrixFromJson},
    {HydraulicErosion::Kind, &settingsToJson<HydraulicErosion>,
     &settingsFromJson<HydraulicErosion>},
    {ThermalErosion::Kind, &settingsToJson<ThermalErosion>, &settingsFromJson<ThermalErosion>},
};

const KindRecord* kindRecordOf(const QString& kind)
{
    for (const KindRecord& record : kinds) {
        if (kind == QLatin1String(record.kind)) {
            return &record;
        }
    }
    return nullptr;
}

QString knownKinds()
{
    QStringList keys;
    for (const KindRecord& record : kinds) {
        keys << quoted(QString::fromLatin1(record.kind));
    }
    return keys.join(QStringLiteral(", "));
}

} // namespace

QJsonObject toJson(const Filter& filter)
{
    const KindRecord* record = kindRecordOf(QString::fromLatin1(filter.kind()));
    Q_ASSERT(record != nullptr);
    QJsonObject object = record->toJson(filter);
    object.insert(QStringLiteral("name"), filter.name());
    if (std::strcmp(filter.kind(), FilterMatrix::Kind) != 0) {
        object.insert(QStringLiteral("kind"), QString::fromLatin1(filter.kind()));
    }
    return object;
}

std::optional<FilterRecord> fromJson(JsonChecker& check, const QJsonValue& value,
                                     const QString& where)
{
    const RecordPlace place(where);
    QJsonObject object;
    const QString nameWhere = place.member(QStringLiteral("name"));
    if (!check.object(value, place.whole(), object) ||
        !check.has(object, QStringLiteral("name"), nameWhere)) {
        return std::nullopt;
    }
    if (!object.value(QStringLiteral("name")).isString()) {
        check.fail(QStringLiteral("%1 must be a text").arg(nameWhere));
        return std::nullopt;
    }
    QString kind = QString::fromLatin1(FilterMatrix::Kind);
    if (object.contains(QStringLiteral("kind"))) {
        const QJsonValue given = object.value(QStringLiteral("kind"));
        if (!given.isString() || kindRecordOf(given.toString()) == nullptr) {
            check.fail(QStringLiteral("%1 must be one of %2")
                           .arg(place.member(QStringLiteral("kind")), knownKinds()));
            return std::nullopt;
        }
        kind = given.toString();
    }
    std::unique_ptr<Filter> filter = kindRecordOf(kind)->fromJson(check, object, place);
    if (filter == nullptr) {
        return std::nullopt;
    }
    filter->setName(object.value(QStringLiteral("name")).toString());
    return FilterRecord(std::move(filter));
}

} // namespace FilterRecords
