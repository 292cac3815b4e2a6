#pragma once

#include "filters/filter.h"

#include <memory>
#include <vector>

class Map;

using FilterList = std::vector<std::unique_ptr<Filter>>;

// A fresh copy of base passed through every filter in list order; each filter
// sees the output of the one before it. At most the base, the map being read
// and the map being written live at once (and a few padded columns a thread):
// once a filter has read a map, the next filter writes its output there.
// Within a run, each filter is one stage of its progress; a cancelled run
// returns null.
std::unique_ptr<Map> applyFilterList(const Map& base, const FilterList& filters,
                                     const FilterRun& run = {});
// The same heights for a caller that does not keep the base map: the filters
// take turns writing into the base map and one more, so two maps do all the
// work. A cancelled run returns null.
std::unique_ptr<Map> applyFilterListConsuming(std::unique_ptr<Map> base, const FilterList& filters,
                                              const FilterRun& run = {});
// The same through the filters' plain serial loops (FilterMatrix::applyReference).
std::unique_ptr<Map> applyFilterListReference(const Map& base, const FilterList& filters);

// A new list of copies of the filters, in the same order.
FilterList copyFilterList(const FilterList& filters);
