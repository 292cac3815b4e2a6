#include "filters/filtermatrix.h"

#include "terrain/map.h"

FilterMatrix::FilterMatrix() : Filter(QStringLiteral("Matrix")) {}

FilterMatrix::FilterMatrix(const QString& name) : Filter(name) {}

std::unique_ptr<Map> FilterMatrix::apply(const Map& input) const
{
    return input.copy(); // placeholder
}
