#pragma once

#include "world/world.h"

#include <QUndoCommand>
#include <functional>

// One change of the world in the window's history. It keeps the world's state
// before and after the change, as values (recipes and filter records, never
// maps), and undoes or redoes the change by restoring one of them: a world
// rebuilds bit for bit from its state.
class WorldStep : public QUndoCommand
{
public:
    using Restore = std::function<void(const WorldState&)>;

    WorldStep(const QString& name, WorldState before, WorldState after, Restore restore);

    void undo() override;
    // The change has already been made when the step is pushed: its first
    // redo, which QUndoStack::push calls, has nothing to do.
    void redo() override;

private:
    WorldState before_;
    WorldState after_;
    Restore restore_;
    bool done_ = true;
};
