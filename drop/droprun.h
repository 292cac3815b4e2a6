#pragma once

#include <functional>

class Map;

// How the drop commands run the drops of a map. Every run is bounded: drops
// normally stop by themselves (they rest, stagnate or leave the map), and the
// bound is the last guard that keeps the window from freezing for good.
namespace DropRun {

constexpr float kStepLength = 0.01f;
constexpr int kStepsPerNext = 51;
constexpr int kStepsPerFrame = 50;
constexpr long kDefaultStepLimit = 1000000;

// Each run returns the number of its steps that found a drop running, the
// steps the user sees the drops make: a step that finds every drop stopped
// moves nothing and is not counted.

// Next: exactly kStepsPerNext steps, whether or not the drops still run.
int runSteps(Map& map, int count = kStepsPerNext);

// Result: steps until a step finds every drop stopped, or until limit steps.
long runToEnd(Map& map, long limit = kDefaultStepLimit);

// Dynamic display: the steps of Result, with showFrame called before the
// first step and after every kStepsPerFrame steps.
long runAnimated(Map& map, const std::function<void()>& showFrame, long limit = kDefaultStepLimit);

// Dynamic display a frame at a time, for an animation that the event loop
// drives: the same steps as runAnimated, in the same order, with a frame shown
// before each call of advance.
class Animation
{
public:
    explicit Animation(long limit = kDefaultStepLimit) : limit_(limit) {}

    // Moves the drops by the steps between two frames, kStepsPerFrame or until
    // a step finds every drop stopped. False once the run has ended.
    bool advance(Map& map);
    // The steps so far that found a drop running.
    long steps() const { return steps_; }
    bool ended() const { return ended_; }

private:
    long limit_;
    long steps_ = 0;
    bool ended_ = false;
};

} // namespace DropRun
