#pragma once

#include <vector>

#include <QString>
#include <QStringList>

#include "app/matchboards.h"
#include "record/recordstore.h"

namespace record {

// What was on the boards at some point of a match, from its events; the
// times are match time.
struct MatchState : Boards {
    // The match time of the last event.
    double lastTime = 0.0;
};

// The names in use from an event that names the teams (a start, a change of
// names, a resume that put names back): true, and `teams` (and `players`
// when given) now hold them; false for any other event.
bool followNames(QStringList& teams, std::vector<QStringList>* players, const RecordedEvent& event);

// Applies one event to the state.
void apply(MatchState& state, const RecordedEvent& event);
MatchState replay(const std::vector<RecordedEvent>& events);

}  // namespace record
