#include "app/worldstep.h"

#include <utility>

WorldStep::WorldStep(const QString& name, State before, State after, Restore restore)
    : QUndoCommand(name), before_(std::move(before)), after_(std::move(after)),
      restore_(std::move(restore))
{}

void WorldStep::undo()
{
    restore_(before_);
}

void WorldStep::redo()
{
    if (std::exchange(done_, false)) {
        return;
    }
    restore_(after_);
}
