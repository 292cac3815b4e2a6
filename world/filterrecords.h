#pragma once

#include "world/worldrecipe.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>

class JsonChecker;

// The file records of the filter kinds: a JSON object per filter with its
// "name", its kind's key under "kind" and its settings as keys of their own.
// A record without "kind" is a convolution matrix, as every file was before
// there were other kinds, and a matrix is written without one.
namespace FilterRecords {

QJsonObject toJson(const Filter& filter);

// The filter of a record, or nothing once check holds the first problem.
// where names the record in messages ("\"filters\"[2]"); empty, the record is
// a whole filter file and its keys are named alone.
std::optional<FilterRecord> fromJson(JsonChecker& check, const QJsonValue& value,
                                     const QString& where);

} // namespace FilterRecords
