#include "record/matchstate.h"

#include <algorithm>
#include <cmath>

#include <QJsonArray>

namespace record {

int MatchState::clockLeftAt(double matchTime) const {
    double left = clockLeft;
    if (clockRunning) left -= std::floor(std::max(0.0, matchTime - clockSince));
    return std::max(0, int(std::lround(left)));
}

int MatchState::score(int team) const {
    return team >= 0 && std::size_t(team) < scores.size() ? scores[std::size_t(team)] : 0;
}

namespace {

void setScores(MatchState& s, const QJsonArray& scores) {
    s.scores.clear();
    for (const QJsonValue& v : scores)
        s.scores.push_back(v.toInt());
}

}  // namespace

bool followNames(QStringList& teams, std::vector<QStringList>* players, const RecordedEvent& e) {
    const bool names =
        e.kind == EventKind::MatchStarted || e.kind == EventKind::NamesChanged ||
        (e.kind == EventKind::MatchResumed && e.data.contains(QLatin1String("teams")));
    if (!names) return false;
    teams.clear();
    for (const QJsonValue& v : e.data.value(QLatin1String("teams")).toArray())
        teams << v.toString();
    if (players) {
        players->clear();
        for (const QJsonValue& team : e.data.value(QLatin1String("players")).toArray()) {
            QStringList list;
            for (const QJsonValue& v : team.toArray())
                list << v.toString();
            players->push_back(list);
        }
    }
    return true;
}

void apply(MatchState& s, const RecordedEvent& e) {
    s.lastTime = std::max(s.lastTime, e.matchTime);
    const QJsonObject& d = e.data;
    // The boards a match is on change with the number of teams: the names
    // that come with the change say which they are now.
    if (followNames(s.teams, &s.players, e) && d.contains(QLatin1String("screen")))
        s.screen = d.value(QLatin1String("screen")).toString();
    switch (e.kind) {
    case EventKind::NamesChanged:
        if (d.contains(QLatin1String("scores")))
            setScores(s, d.value(QLatin1String("scores")).toArray());
        break;
    case EventKind::MatchStarted:
        setScores(s, d.value(QLatin1String("scores")).toArray());
        s.clockLeft = d.value(QLatin1String("clock")).toDouble();
        s.clockRunning = false;
        break;
    case EventKind::MatchResumed:
        setScores(s, d.value(QLatin1String("scores")).toArray());
        s.clockLeft = d.value(QLatin1String("clock")).toDouble();
        s.clockRunning = false;
        break;
    case EventKind::ScoreChanged:
    case EventKind::ScoreUndone:
    case EventKind::ScoreRedone: {
        const int team = d.value(QLatin1String("team")).toInt(-1);
        if (team < 0 || team > 2) break;
        if (s.scores.size() <= std::size_t(team)) s.scores.resize(std::size_t(team) + 1, 0);
        s.scores[std::size_t(team)] = d.value(QLatin1String("after")).toInt();
        break;
    }
    case EventKind::ClockStarted:
        s.clockLeft = d.value(QLatin1String("left")).toDouble();
        s.clockRunning = true;
        s.clockSince = e.matchTime;
        break;
    case EventKind::ClockStopped:
        s.clockLeft = d.value(QLatin1String("left")).toDouble();
        s.clockRunning = false;
        break;
    case EventKind::ClockExpired:
        s.clockLeft = 0;
        s.clockRunning = false;
        break;
    default: break;
    }
}

MatchState replay(const std::vector<RecordedEvent>& events) {
    MatchState s;
    for (const RecordedEvent& e : events)
        apply(s, e);
    return s;
}

}  // namespace record
