#include "record/matchstate.h"

#include <algorithm>

namespace record {

bool followNames(QStringList& teams, std::vector<QStringList>* players, const RecordedEvent& e) {
    std::optional<NamesData> names = readNames(e.kind, e.data);
    if (!names) return false;
    teams = names->teams;
    if (players) *players = std::move(names->players);
    return true;
}

void apply(MatchState& s, const RecordedEvent& e) {
    s.lastTime = std::max(s.lastTime, e.matchTime);
    fold(s, e.kind, e.data, e.matchTime);
}

MatchState replay(const std::vector<RecordedEvent>& events) {
    MatchState s;
    for (const RecordedEvent& e : events)
        apply(s, e);
    return s;
}

}  // namespace record
