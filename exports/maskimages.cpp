#include "exports/maskimages.h"

#include "exports/heightgrid.h"
#include "exports/heightmap.h"
#include "filters/erosionmasks.h"
#include "terrain/map.h"
#include "world/safefiles.h"

#include <vector>

namespace MaskImages {

QStringList paths(const QString& prefix)
{
    return {prefix + QStringLiteral("-erosion.png"), prefix + QStringLiteral("-deposition.png"),
            prefix + QStringLiteral("-flow.png")};
}

QString write(const ErosionMasks& masks, std::uint32_t width, std::uint32_t length,
              const QString& prefix)
{
    const QStringList files = paths(prefix);
    const std::vector<float>* values[] = {&masks.erosion, &masks.deposition, &masks.flow};
    for (int i = 0; i < files.size(); ++i) {
        // A map of the mask's values: the height map's writer scales and
        // encodes it as it does heights.
        Map image(width, length);
        std::vector<MapPoint>& points = image.points();
        for (std::size_t k = 0; k < points.size(); ++k) {
            points[k].setZ((*values[i])[k]);
        }
        const HeightGrid grid(image);
        const HeightMap::Range range = HeightMap::rangeOf(grid);
        QString problem = writeFileSafely(
            files[i], [&](QIODevice& device) { return HeightMap::writePng(grid, range, device); });
        if (!problem.isEmpty()) {
            return problem;
        }
    }
    return {};
}

} // namespace MaskImages
