#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <QJsonObject>

#include "app/matchrecorder.h"
#include "scoresheet/sheetbuilder.h"
#include "scoresheet/sheetkeys.h"

// The scoresheet of the match being played. It watches the match as the
// program records it (a buzz-in puts the buzzer in the current toss-up, the
// operator's clear moves on to the next toss-up when this one is over) and
// takes the operator's rulings, bonus parts, corrections and lineups. Each
// of those is recorded as an event, so a past match's sheet is rebuilt from
// its record (sheetFromEvents) exactly as it was kept; each one that changes
// a team's points moves its board by the difference.
namespace scoresheet {

// The boards the sheet's points go onto.
class ScoreBoard {
public:
    virtual ~ScoreBoard() = default;
    // Moves a team's board (0 Alpha) by `points`; `how` says why in the
    // record ("ruling", "bonus", "correction").
    virtual void moveScore(int team, int points, const QString& how) = 0;
};

class SheetModel final : public record::MatchRecorder {
public:
    // `recorder`: where the sheet's own events go (the program's recorder,
    // which hands them on to the observers, this one included). `rules`: the
    // operator's choice, for the matches to come.
    SheetModel(record::MatchRecorder& recorder, ScoreBoard& board, ScoringRules rules);

    // The program's events of the match, as an observer hears them.
    void record(record::EventKind kind, const QJsonObject& data) override;

    const Sheet& sheet() const { return builder_.sheet(); }
    const SheetBuilder& builder() const { return builder_; }

    // The rules chosen for the matches to come. Changing them changes the
    // match being played too, and the record says so.
    const ScoringRules& chosenRules() const { return chosen_; }
    void chooseRules(const ScoringRules& rules);

    enum class Ruling { Power, Correct, Neg, NoPenalty };
    // Rules the last buzz of the current toss-up (of the one before while the
    // current one has no buzz yet); false when there is nothing to rule or
    // the rules have no such answer.
    bool rule(Ruling ruling);
    // Converted / not converted, in turn, for a part of the bonus being read.
    bool toggleBonusPart(int part);
    // A toss-up nobody answered: the next one begins.
    bool nextTossup();
    // The key's action; false when the key is not one of the sheet's or did
    // nothing.
    bool key(int key, int modifiers);

    // The toss-up (index) a ruling or a bonus part goes to now; -1 for none.
    int rulingTarget() const;
    int bonusTarget() const;

    // Corrections afterwards. A buzz cell: `player` (roster index) or none
    // for no buzz by the team; `value` none for a buzz not ruled.
    bool correctBuzz(int tossup, int team, std::optional<int> player, std::optional<int> value);
    // The bonus of the toss-up, part by part.
    bool correctBonus(int tossup, const std::vector<int>& parts);
    // Takes back the last ruling, bonus part or correction, as a correction.
    bool undo();
    bool canUndo() const { return !undo_.empty(); }

    // Who plays for the team: `roster` the names (starters and substitutes),
    // `seats` the roster index of the player at each button. From the current
    // toss-up when nobody has buzzed on it yet, else from the next.
    bool setLineup(int team, const QStringList& roster, const std::vector<int>& seats);

    // Each is called after every change of the sheet, on the thread that
    // made it (the window thread), in the order they were added.
    void addChangeHandler(std::function<void()> handler) { changed_.push_back(std::move(handler)); }

private:
    // Records one of the sheet's own events, applies it, moves the boards by
    // what it changed and remembers how to take it back.
    bool act(record::EventKind kind, const QJsonObject& data, const char* how,
             std::optional<QJsonObject> inverse);
    QJsonObject cellOf(int tossup, int team, bool bonus) const;
    void notify();

    record::MatchRecorder& recorder_;
    ScoreBoard& board_;
    ScoringRules chosen_;
    SheetBuilder builder_;
    std::vector<QJsonObject> undo_;  // corrections that take changes back, last on top
    bool acting_ = false;            // applying one of its own changes
    bool recording_ = false;         // its own event on its way through the observers
    std::vector<std::function<void()>> changed_;
};

}  // namespace scoresheet
