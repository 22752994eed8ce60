#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "packet/packet.h"

// A played match as a quiz competition keeps it: the scoring rules, who
// played, and toss-up by toss-up who buzzed, how each buzz was ruled and
// what the bonus gave. Plain data: the scoresheet fills it as the match is
// played, the result file, the report and the record window read it.
namespace scoresheet {

// How a match is scored. Modelled on the field's own scoring rules: toss-up
// answer values, a regulation toss-up count, bonuses of a number of parts.
struct ScoringRules {
    QString name;
    // Toss-up answer values, highest first, e.g. {15, 10, -5}; every
    // positive value but the smallest is a power level, the highest first
    // (20 / 15 / 10 / -5: two levels). Empty for the plain rules, where the
    // operator scores with the program's own increment and no toss-up cycles
    // are kept.
    std::vector<int> answerValues;
    int regulationTossups = 0;  // 0: no set count
    bool timed = false;         // the match ends on the clock, not on a count
    int bonusParts = 0;         // 0: no bonuses
    int pointsPerBonusPart = 0;
    bool bonusesBounceBack = false;
    int minimumOvertimeTossups = 0;  // 0: no overtime
    bool overtimeIncludesBonuses = false;
    // Time-outs each team may call: in the match, or in each half when
    // `timeoutsPerHalf` (the halves of the regulation toss-ups). 0: no limit.
    int timeoutsPerTeam = 0;
    bool timeoutsPerHalf = false;

    bool plain() const { return answerValues.empty(); }
};

// One player's press on a toss-up and how it was ruled.
struct Buzz {
    int team = 0;              // 0-based team of the match
    int player = 0;            // index into that team's `players`
    QDateTime time;            // when the press was decided, with its zone
    std::optional<int> value;  // the ruling's points; unset until ruled
    // With a packet: the word of the toss-up's question the buzz came on
    // (packet/words.h numbering; the word count: after the question), as
    // proposed from the reading pace until a ruling confirms it.
    std::optional<int> word{};
    bool wordConfirmed{false};
};

struct Tossup {
    int number = 1;  // 1-based cycle number
    QDateTime startTime;
    std::vector<Buzz> buzzes;  // in the order they came, at most one per team
    // Read to the moderator's last word: buzzed on, timed, or ended with the
    // next-toss-up key. A toss-up opened by the last clear and never read is
    // not counted.
    bool heard = false;
    // The bonus: which team controlled it and the points of each part
    // heard (empty when no bonus was read).
    std::optional<int> bonusTeam;
    std::vector<int> bonusParts;
    QDateTime bonusStartTime;
    // Whether the bonus was read: a part given, its timer started, or play
    // gone on past it. A timed match's clock can end before its last bonus.
    bool bonusHeard = false;
    // The parts of a bonus taken away by a ruling that moved the answer
    // elsewhere, given back with the answer if the ruling is put right.
    std::optional<int> setAsideTeam;
    std::vector<int> setAsideParts, setAsideBouncebacks;
    // Under rules with bounce-backs: per part, what the other team took of
    // a part the controlling team missed (as long as bonusParts then).
    std::vector<int> bouncebackParts;
    // The players on each team's lineup while this toss-up was read.
    std::vector<std::vector<int>> lineups;
    // With a packet: the place (0-based) in the packet of the toss-up read
    // and of its bonus (-1: none, the packet had run out). A question thrown
    // out stays named as the first read; `question` is then its replacement.
    int question = -1;
    int thrownOutQuestion = -1;
    int bonusQuestion = -1;
    int thrownOutBonus = -1;
    // The words of the toss-up's question (its afterQuestion()); 0 without.
    int questionWords = 0;
};

struct SheetTeam {
    QString name;
    QStringList players;  // the roster: starters first, then substitutes
    int points = 0;       // the board at the end (for the plain rules)
    // Points on the board that are not the sheet's: the operator's own
    // changes (F1 to F4, clicks) since the rules began keeping toss-ups, and
    // what the board held then. The board is the sheet's total plus these.
    int adjustments = 0;
    // The school the team was entered under in the QBJ file it came from
    // (its registration's id and name); empty when it was typed.
    QString registrationId{};
    QString registrationName{};
};

// A time-out called by a team, before the toss-up of that number was read
// (0: before the first).
struct Timeout {
    int team = 0;
    int tossup = 0;
    QDateTime time;
};

// A protest of a ruling: a team's answer on a toss-up, or on a bonus part,
// taken as wrong. Upheld, the answer counts; denied, nothing changes.
struct Protest {
    int tossup = 0;  // its number
    int team = 0;
    int part = -1;  // the bonus part, 0 upwards; -1 for the toss-up
    QString answer, reason;
    enum class State { Open, Upheld, Denied } state = State::Open;
    QDateTime time;
};

struct Sheet {
    ScoringRules rules;
    std::vector<SheetTeam> teams;  // two or three
    std::vector<Tossup> tossups;
    QDateTime started;
    // Match details for the stats room.
    QString tournament, round, room, moderator;
    // Lockout evidence kept with the match: ties drawn, second places held,
    // gaps to the next press, as text lines.
    QStringList lockoutNotes;
    std::vector<Timeout> timeouts;  // in the order they were called
    std::vector<Protest> protests;  // in the order they were lodged
    // The operator ended the match: nothing after that is part of it.
    bool ended = false;
    // The packet read from, as the record keeps it; null without one.
    std::shared_ptr<const packet::Packet> packet;
    QString packetFile;
};

}  // namespace scoresheet
