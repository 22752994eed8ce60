#pragma once

#include <optional>

#include <QDateTime>
#include <QJsonObject>

#include "app/matchboards.h"
#include "app/matchrecorder.h"
#include "packet/readingpace.h"
#include "packet/words.h"
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
//   BounceBack    {"tossup": n, "team": t, "part": i, "points": v}  a missed part to the other team
//   TimeoutCalled {"team": t, "tossup": n, ["withdrawn": true]}
// (a bonus correction may carry "bounceback": [v...] beside "bonus").
// and it reads MatchStarted (teams, players, boards), BuzzIn and
// SecondPlaceReleased (the buzzer goes into the current toss-up), the boards' changes, and ties,
// second places and the buttons' decisions with the gap to the next press (kept as lockout notes).
// The buzz on the screen is the one a ruling key rules; a clear withdraws a buzz nobody ruled. A
// team that has answered a toss-up cannot buzz on it again: its press waits on the screen, and
// TossupStarted (the next-toss-up key) puts it on the new toss-up. The toss-up timer and any
// buzz mark a toss-up heard; the bonus timer, a part and play on a later toss-up mark a bonus
// read. MatchEnded closes the match: nothing after it changes the sheet.
// With a packet (PacketChosen) each toss-up reads the packet's next unread
// toss-up in order, and a toss-up answered the next unread bonus; a question
// thrown out (QuestionThrownOut) is replaced by the last unread one of its
// kind. Each buzz is given the word it came on: proposed from the time since
// the toss-up's reading began (the clear that started it, or the end of the
// bonus read before it) at the pace this match's confirmed words show, and
// confirmed by its ruling's "word".
// NamesChanged and MatchResumed rename the teams and the players at the buttons whose names
// changed: a player renamed is the same player, buzzes and toss-ups heard included, and every
// output names them as the match ended. A name typed at a button that is a benched player's brings
// that player in. Teams keep their place on the sheet when they change sides (Switch Sides moves
// every name to another side): the program's events name sides (a board, a button's player number),
// the sheet's own events name the sheet's teams.
namespace scoresheet {

// Whether a board's change (a ScoreChanged's data) is the sheet's own
// (a ruling, a bonus part, a correction) or moved with the teams (Switch
// Sides); any other is the operator's own, beside the sheet.
bool sheetsOwnMove(const QJsonObject& scoreChanged);

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

// Under rules with a toss-up count: whether the toss-ups on the sheet reach
// the end of regulation, whether the scores are level there, and whether the
// match is decided (overtime played to its minimum, the scores apart).
struct RegulationState {
    bool reached = false;
    bool tied = false;
    bool over = false;
};
RegulationState regulationState(const Sheet& sheet);
// "Alpha 120, Beta 95": the sheet's totals.
QString leaderText(const Sheet& sheet);

// What a scorekeeper checks before a result is written, one line each:
// buzzes not ruled, open protests, scores tied when the rules call for
// overtime.
QStringList endOfMatchChecks(const Sheet& sheet);

// The most points an open protest could give its team: the difference to a
// correct answer and the bonus that comes with it, or a bonus part.
int protestStakes(const Sheet& sheet, const Protest& protest);
// Whether the open protests could change the result, in a line for the
// operator; empty when none is open.
QString protestOutlook(const Sheet& sheet);
// The protests as a tournament director would write them up, a line each.
QStringList protestNotes(const Sheet& sheet);

class SheetBuilder {
public:
    // Applies one event of the match, recorded at `when`; false when the
    // sheet did not change.
    bool apply(record::EventKind kind, const QJsonObject& data, const QDateTime& when);

    const Sheet& sheet() const { return sheet_; }

    // The buzz on the screen: its toss-up (index) and team when it is on the
    // sheet. `waiting` when a press is shown that the sheet could not take
    // (its team had answered the toss-up, or the toss-up was answered).
    struct Shown {
        int tossup = -1;
        int team = -1;
        bool waiting = false;
    };
    std::optional<Shown> shown() const;
    // The roster index sitting in each seat (button) of the team from now on.
    const std::vector<int>& seats(int team) const;
    int playersPerTeam() const { return perTeam_; }
    int teams() const { return int(sheet_.teams.size()); }
    // The index of the toss-up by its number; -1 when there is none.
    int tossupIndex(int number) const;
    // The sheet's team playing on a side (the board and buttons of team
    // `side` on the play screen), and back; -1 when there is none.
    int teamAtSide(int side) const;
    int sideOfTeam(int team) const;

    // The packet's toss-up numbered for buzz points; null without a packet or
    // for a place beyond it.
    const packet::QuestionWords* questionWords(int question) const;
    // The place (0-based) of the last question of the kind nobody has read
    // yet, which a question thrown out is replaced by; -1 when none is left.
    int lastUnread(bool bonus) const;
    // Whether the bonus of the toss-up (index) has been read to its end, and
    // the part being read (0-based: the first part not yet scored or timed).
    bool bonusRead(int tossup) const;
    int bonusPartReading(int tossup) const;

private:
    // Who pressed: a roster player of a team, or (team -1) someone the
    // sheet has no seat for, by the name the event gave.
    struct Presser {
        int team = -1;
        int player = -1;
        QString name;
    };
    // What the lockout saw, kept by who pressed rather than as text, so the
    // notes name players by the names in use at the end.
    struct Evidence {
        enum class Kind { Tie, Held, Next } kind = Kind::Tie;
        int tossup = 0;                // 0: before the first toss-up
        std::vector<Presser> pressed;  // Tie: all of them; Held: the one; Next: first, next
        Presser drawn;                 // Tie: the one shown
        double gapMs = 0.0;            // Next: from the first press to the next
    };
    Presser presserOf(int playerNumber) const;
    QString nameOf(const Presser& p) const;
    void noteLockout(Evidence e);
    void writeLockoutNotes();
    bool rename(const record::NamesData& names);
    bool switchSides(const QStringList& teams, const std::vector<QStringList>& players);

    void matchStarted(const QJsonObject& data, const QDateTime& when);
    void startTossup(const QDateTime& when);
    bool nextTossup(const QDateTime& when);
    bool enterBuzz(const QJsonObject& data, const QDateTime& when);
    bool withdrawUnruled();
    void markHeard(std::size_t tossup);
    bool timerStarted(const QJsonObject& data);
    void boardMoved(record::EventKind kind, const QJsonObject& data);
    void startAdjustments();
    bool secondCorrect(const Tossup& t, int team, int value) const;
    bool correct(Tossup& tossup, int team, const QJsonObject& data);
    void settleBonus(Tossup& tossup, const QDateTime& when);
    Tossup* tossupFor(const QJsonObject& data);
    // The packet's part.
    void choosePacket(const QJsonObject& data, const QDateTime& when);
    int firstUnread(bool bonus) const;
    void assignQuestion(Tossup& t);
    void assignBonus(Tossup& t);
    bool throwOut(const QJsonObject& data, const QDateTime& when);
    void bonusActivity(int tossup, int part, const QDateTime& when);
    void startPace();
    void proposeWord(Buzz& b, const QDateTime& when);

    Sheet sheet_;
    std::vector<std::vector<int>> seats_;
    std::vector<int> sides_;  // the sheet's team on each side
    // The names at each side's buttons as last told: a change of names
    // renames only the buttons whose name changed.
    std::vector<QStringList> told_;
    std::vector<Evidence> evidence_;
    int perTeam_ = 0;
    // The press on the screen: on the sheet (toss-up index and team), or
    // waiting with what the event said, for the next toss-up.
    struct OnScreen {
        Shown where;
        QJsonObject data;
        QDateTime when;
    };
    std::optional<OnScreen> shown_;

    // The packet's questions numbered for buzz points, shared by copies.
    std::shared_ptr<const std::vector<packet::QuestionWords>> words_;
    std::vector<bool> tossupUsed_, bonusUsed_;  // read, or set aside to be read
    packet::ReadingPace pace_;
    // The reading of the last toss-up: when it began (seconds since the
    // epoch), whether the pace has been told, whether the moderator read it
    // to its end, whether a buzz stopped it.
    double readingFrom_ = 0;
    bool paceStarted_ = false, paceFinished_ = false, pacePaused_ = false;
    // Per toss-up (index): its bonus read to the end; the parts read.
    std::vector<bool> bonusRead_;
    std::vector<int> bonusPartsRead_;
};

// The builder of a recorded match, its events folded: `events` in order,
// each with `kind`, `wallMs` (milliseconds since the epoch) and `data`, as
// the record keeps them. A resumed match goes on from here.
template <class Events>
SheetBuilder builderFromEvents(const Events& events) {
    SheetBuilder builder;
    for (const auto& e : events)
        builder.apply(e.kind, e.data, QDateTime::fromMSecsSinceEpoch(e.wallMs));
    return builder;
}

// The sheet of a recorded match.
template <class Events>
Sheet sheetFromEvents(const Events& events) {
    return builderFromEvents(events).sheet();
}

}  // namespace scoresheet
