#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <cmath>
#include <limits>

// Checks parsed JSON against a file format and stops at the first problem,
// which it words for the user with the place it was found. Each check returns
// false once it found one; the first problem is kept.
class JsonChecker
{
public:
    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }

    bool fail(const QString& message)
    {
        if (error_.isEmpty()) {
            error_ = message;
        }
        return false;
    }

    bool has(const QJsonObject& object, const QString& key, const QString& where)
    {
        return object.contains(key) || fail(QStringLiteral("%1 is missing").arg(where));
    }

    // A JSON number that is a whole number within [low, high].
    bool wholeNumber(const QJsonValue& value, double low, double high, const QString& where,
                     double& result)
    {
        const double number = value.toDouble(std::numeric_limits<double>::quiet_NaN());
        if (!value.isDouble() || !(number >= low && number <= high) ||
            number != std::floor(number)) {
            return fail(QStringLiteral("%1 must be a whole number from %2 to %3")
                            .arg(where)
                            .arg(low, 0, 'f', 0)
                            .arg(high, 0, 'f', 0));
        }
        result = number;
        return true;
    }

    // A JSON number within [low, high], printed with as many decimals as the
    // bounds need.
    bool numberWithin(const QJsonValue& value, double low, double high, const QString& where,
                      double& result)
    {
        const double number = value.toDouble(std::numeric_limits<double>::quiet_NaN());
        if (!value.isDouble() || !(number >= low && number <= high)) {
            return fail(QStringLiteral("%1 must be a number from %2 to %3")
                            .arg(where)
                            .arg(low, 0, 'g', 10)
                            .arg(high, 0, 'g', 10));
        }
        result = number;
        return true;
    }

    bool finiteNumber(const QJsonValue& value, const QString& where, double& result)
    {
        if (!value.isDouble() || !std::isfinite(value.toDouble())) {
            return fail(QStringLiteral("%1 must be a number").arg(where));
        }
        result = value.toDouble();
        return true;
    }

    bool array(const QJsonValue& value, const QString& where, QJsonArray& result)
    {
        if (!value.isArray()) {
            return fail(QStringLiteral("%1 must be a list").arg(where));
        }
        result = value.toArray();
        return true;
    }

    bool object(const QJsonValue& value, const QString& where, QJsonObject& result)
    {
        if (!value.isObject()) {
            return fail(QStringLiteral("%1 must be an object").arg(where));
        }
        result = value.toObject();
        return true;
    }

private:
    QString error_;
};

// A key as messages name it: "key".
inline QString quoted(const QString& key)
{
    return QLatin1Char('"') + key + QLatin1Char('"');
}
