#include "app/statustexts.h"

#include "drop/waterdrop.h"
#include "exports/heightmap.h"
#include "generators/generatorchoice.h"
#include "terrain/map.h"
#include "world/worldrecipe.h"

#include <QCoreApplication>

namespace StatusTexts {

namespace {

QString translated(const char* text)
{
    return QCoreApplication::translate("MainWindow", text);
}

QString seedText(const SeedRecord& seed)
{
    return seed.fromClock ? translated("clock seed")
                          : translated("seed \"%1\"").arg(QString::fromLocal8Bit(seed.text));
}

} // namespace

QString worldSummary(const WorldOrigin& origin, const Map& filtered)
{
    const HeightMap::Range range = HeightMap::rangeOf(filtered);
    const QString heights = range.any ? translated("heights %1 to %2")
                                            .arg(double(range.lowest), 0, 'f', 2)
                                            .arg(double(range.highest), 0, 'f', 2)
                                      : translated("no heights");
    if (origin.region) {
        return translated("%1, %2, region %3, %4")
            .arg(generatorTitle(origin.generatorIndex), seedText(origin.seed), regionText(origin),
                 heights);
    }
    return translated("%1, %2, %3 x %4, %5")
        .arg(generatorTitle(origin.generatorIndex), seedText(origin.seed))
        .arg(origin.width)
        .arg(origin.length)
        .arg(heights);
}

QString regionText(const WorldOrigin& origin)
{
    const Region region = origin.area();
    return translated("%1 x %2 at %3,%4 of %5 x %6")
        .arg(region.width)
        .arg(region.length)
        .arg(region.x)
        .arg(region.y)
        .arg(origin.width)
        .arg(origin.length);
}

QString filtersChanged()
{
    return translated("Filters changed \u2014 press Update (F5) to apply");
}

QString dropState(const QString& command, long steps, const Map& filtered)
{
    int running = 0;
    int resting = 0;
    int gone = 0;
    for (const WaterDrop* drop : filtered.drops()) {
        if (!drop->isStopped()) {
            ++running;
        } else if (drop->hasLeftMap()) {
            ++gone;
        } else {
            ++resting;
        }
    }
    const QString done = steps < 0    ? command
                         : steps == 1 ? translated("%1: 1 step").arg(command)
                                      : translated("%1: %2 steps").arg(command).arg(steps);
    return translated("%1. Drops: %2 running, %3 at rest, %4 left the map.")
        .arg(done)
        .arg(running)
        .arg(resting)
        .arg(gone);
}

} // namespace StatusTexts
