#include "drop/droprun.h"

#include "terrain/map.h"

namespace DropRun {

int runSteps(Map& map, int count)
{
    int moved = 0;
    for (int i = 0; i < count; ++i) {
        moved += map.stepDrops(kStepLength) ? 1 : 0;
    }
    return moved;
}

long runToEnd(Map& map, long limit)
{
    return runAnimated(
        map, [] {}, limit);
}

long runAnimated(Map& map, const std::function<void()>& showFrame, long limit)
{
    long steps = 0;
    while (steps < limit) {
        if (steps % kStepsPerFrame == 0) {
            showFrame();
        }
        ++steps;
        if (!map.stepDrops(kStepLength)) {
            return steps - 1;
        }
    }
    return steps;
}

} // namespace DropRun
