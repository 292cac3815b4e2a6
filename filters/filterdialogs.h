#pragma once

#include <QString>
#include <memory>
#include <vector>

class Filter;
class QWidget;

// The dialogs of the filter kinds, found by the filter's kind: the window
// edits any filter without knowing which kind it is.

// Opens the dialog of the filter's kind and lets the user change it. The
// convolution's dialog takes its contents however it is closed; the others
// change the filter only on OK.
void editFilter(Filter& filter, QWidget* parent);

// The kinds the Filters tab adds from its Add erosion menu, with their titles.
struct FilterChoice
{
    const char* title;
    std::unique_ptr<Filter> (*make)();
};
const std::vector<FilterChoice>& erosionChoices();
