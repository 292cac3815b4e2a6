#pragma once

#include "filters/filtermatrix.h"

#include <vector>

// Ready filters for the Presets menu, each an ordinary matrix filter that the
// user may then edit. Coefficient k weights the point at offset
// (k mod 5 - 2, k div 5 - 2); all lie within the filter dialog's range.
struct FilterPreset
{
    const char* name;
    FilterMatrix::Coefficients coefficients;
};

const std::vector<FilterPreset>& filterPresets();
