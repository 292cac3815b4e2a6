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
    Animation animation(limit);
    do {
        showFrame();
    } while (animation.advance(map));
    return animation.steps();
}

bool Animation::advance(Map& map)
{
    for (int i = 0; i < kStepsPerFrame && !ended_; ++i) {
        if (steps_ >= limit_ || !map.stepDrops(kStepLength)) {
            ended_ = true;
        } else {
            ++steps_;
        }
    }
    return !ended_ && steps_ < limit_;
}

} // namespace DropRun
