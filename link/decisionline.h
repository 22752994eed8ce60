#pragma once

#include <functional>

#include <QString>

#include "app/decisionnote.h"
#include "link/screenlink.h"

// The line at the foot of the set-up menus that tells the operator how the
// last buzz-in was decided, and the same as an event of the match record.
namespace buzzlink {

// "Tie: A, B pressed together; B was drawn." or "Second place: C is
// waiting." `name` gives a player's name.
QString decisionText(const Decision& decision, const std::function<QString(int)>& name);

// The decision as the operator is told of it: that line, and its parts for
// the match record.
DecisionNote decisionNote(const Decision& decision, const std::function<QString(int)>& name);

}  // namespace buzzlink
