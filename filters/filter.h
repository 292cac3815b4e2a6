#pragma once

#include <QString>
#include <memory>

class Map;
class WorkProgress;
struct ErosionMasks;

// What a run of a filter may carry besides its maps: where to report progress
// (and learn that the run is cancelled), and the masks to which erosion adds
// what it removed, laid down and where water flowed. Both may be absent.
struct FilterRun
{
    WorkProgress* progress = nullptr;
    ErosionMasks* masks = nullptr;
};

// A map filter: apply reads a map and returns a new one of the same width and
// length, leaving its input unchanged. The name is what the filter list shows.
// Each kind of filter is a subclass with a key of its own, which world and
// filter files use to tell the kinds apart.
class Filter
{
public:
    virtual ~Filter() = default;

    // The kind's key in files: "matrix", "hydraulic-erosion", "thermal-erosion".
    virtual const char* kind() const = 0;
    // A new filter of the same kind with the same name and settings.
    virtual std::unique_ptr<Filter> clone() const = 0;
    // Whether other is of the same kind, with the same name and settings: the
    // same filter as far as a world is concerned.
    bool sameAs(const Filter& other) const;
    // Whether a run takes long enough to show its progress and offer Cancel,
    // where a convolution is one quick pass over the map.
    virtual bool runsLong() const { return false; }

    // How many points each way an output height depends on, so that a region
    // of a world can be filtered from that margin around it; negative when an
    // output height may depend on the whole map (erosion).
    virtual int reach() const { return -1; }

    virtual std::unique_ptr<Map> apply(const Map& input) const = 0;
    // Writes the heights apply would give into output, a map of the input's
    // size, so that a chain of filters can reuse its maps instead of making
    // one per filter. This default copies them from apply's new map.
    virtual void applyInto(const Map& input, Map& output) const;
    // applyInto within a run. A cancelled run may leave output half done: its
    // caller throws it away. This default ignores the run.
    virtual void applyWithin(const Map& input, Map& output, const FilterRun& run) const;

    const QString& name() const { return name_; }
    void setName(const QString& name) { name_ = name; }

protected:
    Filter() = default;
    explicit Filter(const QString& name) : name_(name) {}
    Filter(const Filter&) = default;
    Filter& operator=(const Filter&) = default;

    // Whether other, of the same kind, has the same settings (the name aside).
    virtual bool sameSettings(const Filter& other) const = 0;

private:
    QString name_;
};
