#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

struct ErosionMasks;

// What erosion did, as 16-bit PNG images of the map's size beside its height
// map, for texturing in game engines: PREFIX-erosion.png (material removed),
// PREFIX-deposition.png (laid down) and PREFIX-flow.png (water that passed).
// Each is scaled like a height map, from its lowest value (0) to its highest
// (65535), with the two in its text chunks.
namespace MaskImages {

// The three files' names, in that order.
QStringList paths(const QString& prefix);
// Writes all three; an empty text, or the first problem, naming its file.
QString write(const ErosionMasks& masks, std::uint32_t width, std::uint32_t length,
              const QString& prefix);

} // namespace MaskImages
