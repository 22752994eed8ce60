#pragma once

#include <optional>
#include <vector>

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "app/matchrecorder.h"

// The events every capability reads, read once: what they say of the
// names, the scores and the match clock, as the format table above says
// they are written. And the one fold of those into what the boards show,
// which the record window, the live page and the scoresheet share.
namespace record {

// The names in use, from an event that names the teams: match-started,
// names-changed, and a match-resumed that put names back.
struct NamesData {
    QString screen;  // "2_4"...; empty when the event does not say
    QStringList teams;
    std::vector<QStringList> players;  // per team
};
std::optional<NamesData> readNames(EventKind kind, const QJsonObject& data);

// Every team's score, from an event that carries them all: match-started,
// match-resumed, and a names-changed that says them.
std::optional<std::vector<int>> readScores(EventKind kind, const QJsonObject& data);

// One board changed: score-changed, score-undone, score-redone.
struct ScoreData {
    int team = 0;  // 0 Alpha to 2 Gamma
    int before = 0;
    int after = 0;
    QString name;  // the team's, as shown then
    QString how;   // score-changed only
};
std::optional<ScoreData> readScore(EventKind kind, const QJsonObject& data);
QJsonObject scoreData(const ScoreData& score);

// The match clock set: seconds left (a fraction kept as recorded) and
// whether it runs from the event on. match-started and match-resumed (whose
// clock stands until started), clock-started, -stopped, -expired.
// `stoppedAt` gives the seconds left for a clock-stopped that does not say.
struct ClockData {
    double left = 0.0;
    bool running = false;
};
std::optional<ClockData> readClock(EventKind kind, const QJsonObject& data, double stoppedAt);

// What the boards show, folded from the events in order.
struct Boards {
    QString screen;
    QStringList teams;
    std::vector<QStringList> players;  // per team
    std::vector<int> scores;           // per team, at least one per team
    // The match clock: seconds left when it last started or stopped, and
    // whether it has been running from clockSince on.
    double clockLeft = 0.0;
    bool clockRunning = false;
    double clockSince = 0.0;

    // Whole seconds left at `time`: a running clock shows one second less
    // for every whole second since it started, and stops at 0.
    int clockLeftAt(double time) const;
    // The score of a team; 0 for a team the match does not have.
    int score(int team) const;
};

// Applies one event at `time` (seconds, on the clock the caller keeps the
// clock's start in). True when the names, scores or clock changed.
bool fold(Boards& boards, EventKind kind, const QJsonObject& data, double time);

}  // namespace record
