#pragma once

#include <QDateTime>
#include <QJsonObject>

#include "app/matchrecorder.h"
#include "scoresheet/sheet.h"

// The scoresheet of a match, built from its recorded events. The live
// scoresheet and a past match's export go through the same code: what the
// operator saw during the match is what the file says afterwards.
//
// The scoresheet's own events (recorded by the scoresheet as the operator
// rules), with their data:
//   RulesChosen   {"rules": {...}}                      the match's scoring rules
//   TossupStarted {"tossup": n}                         the next toss-up is read
//   Ruling        {"tossup": n, "team": t, "player": p, "value": v, "ruling": word}
//   BonusPart     {"tossup": n, "team": t, "part": i, "points": v}
//   SheetCorrected {"tossup": n, "team": t, ["player": p, "value": v] | ["bonus": [v...]],
//                   "before": {the cell as it was}, ["undo": true]}
//   LineupChanged {"team": t, "tossup": n, "roster": [names], "seats": [roster index...]}
// and it reads MatchStarted (teams, players, boards), BuzzIn and
// SecondPlaceReleased (the buzzer goes into the current toss-up), the boards' changes, and ties and
// second places (kept as lockout notes).
namespace scoresheet {

// The buzz of a team on a toss-up, if it buzzed.
const Buzz* buzzOf(const Tossup& tossup, int team);
Buzz* buzzOf(Tossup& tossup, int team);
// A team's points on one toss-up: its buzz's value and, when the bonus was
// its, the bonus.
int bonusPoints(const Tossup& tossup, int team);
int tossupPoints(const Tossup& tossup, int team);
// A team's points on the sheet. For the plain rules, its board.
int teamTotal(const Sheet& sheet, int team);
// Whether the toss-up has been answered, or every team has buzzed and been
// ruled: the operator's next clear starts the next toss-up.
bool tossupDone(const Tossup& tossup, int teams);

class SheetBuilder {
public:
    // Applies one event of the match, recorded at `when`; false when the
    // sheet did not change.
    bool apply(record::EventKind kind, const QJsonObject& data, const QDateTime& when);

    const Sheet& sheet() const { return sheet_; }
    // The roster index sitting in each seat (button) of the team from now on.
    const std::vector<int>& seats(int team) const;
    int playersPerTeam() const { return perTeam_; }
    // The index of the toss-up by its number; -1 when there is none.
    int tossupIndex(int number) const;
    // A player's name by the program's player number (1 to teams x players).
    QString playerName(int playerNumber) const;

private:
    void matchStarted(const QJsonObject& data, const QDateTime& when);
    void startTossup(const QDateTime& when);
    bool enterBuzz(const QJsonObject& data, const QDateTime& when);
    bool correct(Tossup& tossup, int team, const QJsonObject& data);
    void settleBonus(Tossup& tossup, const QDateTime& when);
    void setBoard(const QJsonObject& data);
    Tossup* tossupFor(const QJsonObject& data);

    Sheet sheet_;
    std::vector<std::vector<int>> seats_;
    int perTeam_ = 0;
};

// The sheet of a recorded match: `events` in order, each with `kind`,
// `wallMs` (milliseconds since the epoch) and `data`, as the record keeps
// them.
template <class Events>
Sheet sheetFromEvents(const Events& events) {
    SheetBuilder builder;
    for (const auto& e : events)
        builder.apply(e.kind, e.data, QDateTime::fromMSecsSinceEpoch(e.wallMs));
    return builder.sheet();
}

}  // namespace scoresheet
