#pragma once

#include <vector>

#include <QString>
#include <QStringList>

#include "record/recordstore.h"

namespace record {

// A team's score from one match time on.
struct ScorePoint {
    double time = 0.0;
    int score = 0;
};

// One player's line of the record window's table.
struct PlayerLine {
    int player = 0;  // numbered team after team from 1
    QString name;
    int team = 0;
    int buzzIns = 0;
    int tiesIn = 0;   // ties the player was drawn for
    int tiesWon = 0;  // ties the draw gave to the player
    int points = 0;   // what the team received while the player held the floor
};

struct MatchStats {
    QStringList teams;
    std::vector<int> scores;                      // per team, as the match ended
    std::vector<std::vector<ScorePoint>> series;  // per team, from the start to endTime
    std::vector<PlayerLine> players;
    double endTime = 0.0;
};

// Everything the chart and the player table show. The floor is a player's
// from the buzz-in to the next clear (or re-arm, or a new start).
MatchStats computeStats(const std::vector<RecordedEvent>& events);

// A player's line as shown: name (or number), team, buzz-ins, ties drawn
// for, ties won, points on the floor.
QStringList playerCells(const MatchStats& stats, const PlayerLine& line);

// One line in words, such as "Anna (Beta) buzzed in" or "Beta 10 -> 20 (F3)".
QString describe(const RecordedEvent& event, const QStringList& teams);

// "12:05.3": match time as minutes and seconds.
QString matchTimeText(double seconds);

// The match as CSV: a header row, one event a line, UTF-8.
QByteArray toCsv(const std::vector<RecordedEvent>& events);

}  // namespace record
