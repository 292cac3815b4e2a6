#pragma once

#include "filters/filter.h"

#include <memory>
#include <vector>

class Map;

using FilterList = std::vector<std::unique_ptr<Filter>>;

// A fresh copy of base passed through every filter in list order; each filter
// sees the output of the one before it. Intermediate maps are released as soon
// as the next filter has read them.
std::unique_ptr<Map> applyFilterList(const Map& base, const FilterList& filters);
