#include "drop/droprun.h"

#include "terrain/map.h"

namespace DropRun {

void runSteps(Map& map, int count)
{
    for (int i = 0; i < count; ++i) {
        map.stepDrops(StepLength);
    }
}

long runToEnd(Map& map, long limit)
{
    long steps = 0;
    while (steps < limit) {
        ++steps;
        if (!map.stepDrops(StepLength)) {
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
        if (steps % StepsPerFrame == 0) {
            showFrame();
        }
        running = map.stepDrops(StepLength);
        ++steps;
    }
    return steps;
}

} // namespace DropRun
