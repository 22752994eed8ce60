#pragma once

#include <vector>

#include <QString>
#include <QStringList>

#include "record/recordstore.h"

namespace record {

// What was on the boards at some point of a match, from its events.
struct MatchState {
    QString screen;
    QStringList teams;
    std::vector<QStringList> players;  // per team
    std::vector<int> scores;           // per team
    // The match clock: seconds left when it last started or stopped, and
    // whether it was running from clockSince (match time) on.
    double clockLeft = 0.0;
    bool clockRunning = false;
    double clockSince = 0.0;
    // The match time of the last event.
    double lastTime = 0.0;

    // Whole seconds left on the clock at the given match time: a running
    // clock has shown one second less for every whole second since it
    // started.
    int clockLeftAt(double matchTime) const;
    // The score of a team, 0 for a team the match does not have.
    int score(int team) const;
};

// The names in use from an event that names the teams (a start, a change of
// names, a resume that put names back): true, and `teams` (and `players`
// when given) now hold them; false for any other event.
bool followNames(QStringList& teams, std::vector<QStringList>* players, const RecordedEvent& event);

// Applies one event to the state.
void apply(MatchState& state, const RecordedEvent& event);
MatchState replay(const std::vector<RecordedEvent>& events);

}  // namespace record
