#include "drop/droprun.h"

#include "terrain/map.h"

namespace DropRun {

void runSteps(Map& map, int count)
{
    for (int i = 0; i < count; ++i) {
        map.stepDrops(kStepLength);
    }
}

long runToEnd(Map& map, long limit)
{
    long steps = 0;
    while (steps < limit) {
        ++steps;
        if (!map.stepDrops(kStepLength)) {
            break;
        }
    }
    return steps;
}

long runAnimated(Map& map, const std::function<void()>& showFrame, long limit)
{
    long steps = 0;
    bool running = true;
    while (running && steps < limit) {
        if (steps % kStepsPerFrame == 0) {
            showFrame();
        }
        running = map.stepDrops(kStepLength);
        ++steps;
    }
    return steps;
}

} // namespace DropRun
