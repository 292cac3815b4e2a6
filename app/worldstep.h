#pragma once

#include "world/world.h"

#include <QUndoCommand>
#include <functional>
#include <memory>

// One change of the world in the window's history. It keeps the world's state
// before and after the change, as values (recipes and filter records, never
// maps), and undoes or redoes the change by restoring one of them: a world
// rebuilds bit for bit from its state. Steps share states: one step's state
// after is the next one's before.
class WorldStep : public QUndoCommand
{
public:
    using State = std::shared_ptr<const WorldState>;
    using Restore = std::function<void(const State&)>;

    WorldStep(const QString& name, State before, State after, Restore restore);

    void undo() override;
    // The change has already been made when the step is pushed: its first
    // redo, which QUndoStack::push calls, has nothing to do.
    void redo() override;

private:
    State before_;
    State after_;
    Restore restore_;
    bool done_ = true;
};
