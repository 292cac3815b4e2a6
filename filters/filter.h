#pragma once

#include <QString>
#include <memory>

class Map;

// A map filter: apply reads a map and returns a new one of the same width and
// length, leaving its input unchanged. The name is what the filter list shows.
class Filter
{
public:
    virtual ~Filter() = default;

    virtual std::unique_ptr<Map> apply(const Map& input) const = 0;
    // Writes the heights apply would give into output, a map of the input's
    // size, so that a chain of filters can reuse its maps instead of making
    // one per filter. This default copies them from apply's new map.
    virtual void applyInto(const Map& input, Map& output) const;

    const QString& name() const { return name_; }
    void setName(const QString& name) { name_ = name; }

protected:
    Filter() = default;
    explicit Filter(const QString& name) : name_(name) {}

private:
    QString name_;
};
