#pragma once

#include <QString>
#include <vector>

#include "scoresheet/sheet.h"

// The figures a moderator and the teams look for after a match, counted from
// the scoresheet: per player the toss-ups heard and the answers by value, per
// team the bonuses heard and what they gave.
namespace scoresheet {

struct PlayerStats {
    int team = 0;
    int player = 0;  // index into the team's roster
    QString name;
    int tossupsHeard = 0;
    std::vector<int> answers;  // per SheetStats::answerValues
    int points = 0;            // toss-up points, every ruled value counted
    // Correct buzzes on a word of the packet, and their buzz points summed
    // as shares of their questions.
    int correctWithWord = 0;
    double correctShareSum = 0;
    bool played() const;  // heard a toss-up or buzzed
};

struct TeamStats {
    QString name;
    int tossupPoints = 0;
    int bonusesHeard = 0;
    int bonusPoints = 0;
    // Correct toss-ups that earned no bonus (overtime without bonuses, the
    // last toss-up of a timed match): left out of points per bonus.
    int correctWithoutBonus = 0;
    // Under rules with bounce-backs: the parts the other team missed, which
    // this team could take, and what it took of them.
    int bouncebackPartsHeard = 0;
    int bouncebackPoints = 0;
    int bouncebackParts = 0;  // parts taken
    int total = 0;            // the board for the plain rules, else toss-ups + bonuses
    double pointsPerBonus() const;
    // The share of the missed parts it took: 0 to 1.
    double bouncebackConversion() const;
};

struct SheetStats {
    // The answer values counted, highest first: the rules' values and any
    // other value a ruling gave, a wrong answer without penalty (0) among
    // them, so that every ruled buzz is an answer of its kind.
    std::vector<int> answerValues;
    std::vector<PlayerStats> players;  // team after team, roster order
    std::vector<TeamStats> teams;
    int tossupsRead = 0;
    int overtimeTossups = 0;
    // The points come from the board alone: plain rules, or nothing ruled.
    bool boardOnly = true;
    bool bouncebacks = false;  // the rules let missed parts bounce back
};

// Plain names for unnamed teams and players, as every output shows them.
QString teamName(const Sheet& sheet, int team);
QString playerName(const Sheet& sheet, int team, int player);

// Who was on a team's lineup for a toss-up: its lineup when one was kept,
// else the whole roster.
std::vector<int> lineupOf(const Sheet& sheet, const Tossup& tossup, int team);

// Of every toss-up on the sheet: pass playedSheet() for a match's figures.
SheetStats computeSheetStats(const Sheet& sheet);

// The sheet as played: the toss-up the operator's last clear opened, still
// without a buzz or a bonus when the match ends, was never read and is left
// out of every count.
Sheet playedSheet(const Sheet& sheet);

// "-5" for a neg, "10", "15": a column heading for an answer value.
QString answerLabel(int value);

// How far into its question a buzz came: the word's share of the question's
// words, 0 to 1; and as the tables write it, "62 %".
double buzzShare(const Tossup& tossup, int word);
QString shareText(double share);

}  // namespace scoresheet

namespace scoresheet {

// The stats as the record window and the report show them: a heading row,
// then one row a player (who played) and one a team.
struct StatsTable {
    QStringList heading;
    std::vector<QStringList> rows;
};
// Player, team, toss-ups heard, one column an answer value, points; with
// buzz points, the average correct buzz as a share of the question.
StatsTable playerTable(const SheetStats& stats);
// Team, toss-up points, bonuses heard, bonus points, points per bonus, under
// rules with bounce-backs the bounce-back ("BB") points and parts taken, total.
StatsTable teamTable(const SheetStats& stats);
// With a packet, toss-up by toss-up: the packet's question, the first and
// the correct buzz with their words and shares. Empty without a packet.
StatsTable buzzPointTable(const Sheet& sheet);

}  // namespace scoresheet
