#pragma once

#include <functional>

class Map;

// How the drop commands run the drops of a map. Every run is bounded: drops
// normally stop by themselves (they rest, stagnate or leave the map), and the
// bound is the last guard that keeps the window from freezing for good.
namespace DropRun {

constexpr float StepLength = 0.01f;
constexpr int StepsPerNext = 51;
constexpr int StepsPerFrame = 50;
constexpr long DefaultStepLimit = 1000000;

// Next: exactly StepsPerNext steps, whether or not the drops still run.
void runSteps(Map& map, int count = StepsPerNext);

// Result: steps until a step finds every drop stopped, or until limit steps.
// Returns the number of steps made.
long runToEnd(Map& map, long limit = DefaultStepLimit);

// Dynamic display: like runToEnd, with showFrame called before the first step
// and after every StepsPerFrame steps. Returns the number of steps made.
long runAnimated(Map& map, const std::function<void()>& showFrame, long limit = DefaultStepLimit);

} // namespace DropRun
