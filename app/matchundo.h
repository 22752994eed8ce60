#pragma once

#include <QString>

// One history of a match's changes, whatever made them: when a capability
// keeps it (the scoresheet, under rules that keep toss-ups), the play
// screen's and the set-up menu's Undo and Redo Score Change go through it,
// so that every key that takes a step back takes back the same last step.
class MatchUndo {
public:
    // Whether it keeps the match's history now; when not, the play screen
    // keeps its own history of the boards.
    virtual bool keepsHistory() const = 0;
    // Takes back (makes again) the last step; false when there is none.
    virtual bool undo() = 0;
    virtual bool redo() = 0;
    // What undo() and redo() would do, in the operator's words; empty when
    // there is nothing.
    virtual QString undoText() const = 0;
    virtual QString redoText() const = 0;

protected:
    ~MatchUndo() = default;
};
