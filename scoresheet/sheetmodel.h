#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <QJsonObject>

#include "app/matchextras.h"
#include "app/matchrecorder.h"
#include "app/matchundo.h"
#include "packet/readerpage.h"
#include "scoresheet/sheetbuilder.h"
#include "scoresheet/sheetkeys.h"

// The scoresheet of the match being played. It watches the match as the
// program records it (a buzz-in puts the buzzer in the current toss-up, the
// operator's clear moves on to the next toss-up when this one is over) and
// takes the operator's rulings, bonus parts, corrections and lineups. Each
// of those is recorded as an event and takes effect as the sheet hears it
// back, so the sheet is the fold of the match's events (sheetFromEvents), live,
// after a resume and in every file; each event that changes a team's points
// moves its board by the difference. Under rules that keep toss-ups it keeps
// the match's one undo history: its own steps and the operator's own board
// changes, taken back in the order they were made.
namespace scoresheet {

// The boards the sheet's points go onto.
class ScoreBoard {
public:
    virtual ~ScoreBoard() = default;
    // Moves a team's board (0 Alpha) by `points`; `how` says why in the
    // record ("ruling", "bonus", "correction").
    virtual void moveScore(int team, int points, const QString& how) = 0;
    // Takes back (makes again) the operator's own last board change.
    virtual bool undoBoard() = 0;
    virtual bool redoBoard() = 0;
    // The undo history changed.
    virtual void historyChanged() {}
};

class SheetModel final : public record::MatchRecorder, public MatchUndo {
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
    // Rules the buzz on the screen; false, with a word to the operator,
    // when there is none the sheet holds or the rules have no such answer.
    // It never rules another buzz than the one shown.
    bool rule(Ruling ruling);
    // A power at `level` (0 the highest, 1 the next...) for the buzz on the
    // screen: P and O, or whatever knows the level otherwise (the word of a
    // packet's toss-up the buzz came at).
    bool rulePower(int level);
    // Gives (or takes back) a part the controlling team missed to the other
    // team, under rules with bounce-backs.
    bool bounceBack(int part);
    // A time-out called by `team`; said to the operator when it is one past
    // what the rules allow. Taken back with the one history.
    bool callTimeout(int team);
    // The time-outs `team` has called in the part of the match (the match,
    // or the half) now being played, and how many the rules allow there
    // (0: no limit).
    int timeoutsCalled(int team) const;

    // Converted / not converted, in turn, for a part of the bonus being read.
    bool toggleBonusPart(int part);
    // A toss-up nobody answered: the next one begins.
    bool nextTossup();
    // The key's action; false when the key is not one of the sheet's or did
    // nothing.
    bool key(int key, int modifiers);

    // The toss-up (index) a ruling or a bonus part goes to now; -1 for none.
    // A ruling goes to the buzz on the screen.
    int rulingTarget() const;
    int bonusTarget() const;

    // Corrections afterwards. A buzz cell: `player` (roster index) or none
    // for no buzz by the team; `value` none for a buzz not ruled.
    bool correctBuzz(int tossup, int team, std::optional<int> player, std::optional<int> value);
    // The bonus of the toss-up, part by part.
    bool correctBonus(int tossup, const std::vector<int>& parts);
    // A protest of `team`'s answer on toss-up `tossup` (index), or on a part
    // of its bonus (`part` 0 upwards; -1 for the toss-up). The match goes
    // on; the operator hears whether the open protests could change the
    // result.
    bool fileProtest(int tossup, int team, int part, const QString& answer, const QString& reason);
    // Upheld: the team's answer counts (the toss-up ruled correct, the part
    // converted), a correction of the sheet and boards; denied: nothing
    // changes. Both are steps of the one history.
    bool resolveProtest(int protest, bool upheld);
    // What the other team took of the bonus on the bounce-back, part by part.
    bool correctBounceback(int tossup, const std::vector<int>& parts);
    // The match's one history: takes back (makes again) the last ruling,
    // bonus part, correction or board change, whichever it was, and says
    // what it took back. A sheet step goes back as a correction.
    bool keepsHistory() const override;
    bool undo() override;
    bool redo() override;
    QString undoText() const override;
    QString redoText() const override;
    bool canUndo() const { return !undoText().isEmpty(); }

    // The current match's events as recorded, for putting the sheet back
    // when a match is resumed; none without a record.
    void setHistorySource(std::function<MatchEvents()> source) { history_ = std::move(source); }
    // Where a word to the operator goes: a key that could not act, a step
    // taken back.
    void setNoticeHandler(std::function<void(const QString&)> handler) {
        notice_ = std::move(handler);
    }

    // Who plays for the team: `roster` the names (starters and substitutes),
    // `seats` the roster index of the player at each button. From the current
    // toss-up when nobody has buzzed on it yet, else from the next.
    bool setLineup(int team, const QStringList& roster, const std::vector<int>& seats);

    // Each is called after every change of the sheet, on the thread that
    // made it (the window thread), in the order they were added. A mark
    // moved on the reader's page is a change too.
    void addChangeHandler(std::function<void()> handler) { changed_.push_back(std::move(handler)); }

    // The time the events the sheet hears are stamped with; the wall clock
    // unless a test says otherwise.
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

    // --- The packet ---------------------------------------------------------
    // The packet read from, for the match being played (recorded with its
    // text) and the matches to come; null: none. False when nothing changed.
    bool choosePacket(std::shared_ptr<const packet::Packet> packet, const QString& fileName);
    const std::shared_ptr<const packet::Packet>& chosenPacket() const { return packet_; }
    // What the moderator's reader shows now.
    packet::ReaderPage readerPage() const;
    // Moves the mark of the buzz awaiting a ruling to a word of the toss-up
    // (clamped to [0, after the question]); the ruling confirms it. False
    // when no buzz awaits a ruling on a toss-up of the packet.
    bool moveMark(int word);
    // Throws out the question being read (the bonus while the reader shows
    // it, else the toss-up); the last unread question of its kind is read
    // instead. A toss-up with a ruled buzz is put right first.
    bool throwOut();
    // The bonus being read was read to its end: the reader shows the next
    // toss-up, whose reading begins now.
    bool bonusRead();

private:
    // A correction of a toss-up's bonus cell: its parts under `key`
    // ("bonus" or "bounceback"), told in the undo history as `what`.
    bool correctBonusCell(int tossup, const char* key, const std::vector<int>& parts,
                          const QString& what);
    // A step of the history: one of the sheet's (the cell before and after
    // it) or the operator's own board change.
    struct Step {
        bool board = false;
        QJsonObject before, after;
        QString text;
        // The event that puts it back or makes it again: a cell's correction,
        // or `kind` itself with `before` and `after` as its data.
        record::EventKind kind = record::EventKind::SheetCorrected;
    };
    // Records one of the sheet's own events when it would change the sheet;
    // the sheet takes it as it hears it back. `step`: how to take it back.
    bool act(record::EventKind kind, const QJsonObject& data, std::optional<Step> step);
    // Rules the buzz on the screen at `value`, none when the rules have no
    // such answer (`level`: which power).
    bool ruleAt(Ruling ruling, std::optional<int> value, int level);
    // Takes the last step of `from` back (or makes it again) and hands it
    // to `to`.
    bool travel(std::vector<Step>& from, std::vector<Step>& to, bool back);
    // Records the correction that puts a cell as `cell` says.
    bool putCell(const QJsonObject& cell, bool undoing);
    QJsonObject cellOf(const SheetBuilder& builder, int tossup, int team, bool bonus) const;
    QString buzzText(int tossup, int team) const;
    void say(const QString& text) const;
    void clearHistory();
    void historyChanged();
    void notify();
    QDateTime now() const;
    QJsonObject packetData() const;
    // The word the buzz on the screen is marked at, if it is on a toss-up of
    // the packet.
    std::optional<int> awaitingWord() const;
    // The moved mark, for the buzz it was moved for.
    struct Moved {
        int tossup = -1;
        int team = -1;
        int word = 0;
    };

    record::MatchRecorder& recorder_;
    ScoreBoard& board_;
    ScoringRules chosen_;
    SheetBuilder builder_;
    std::vector<Step> undo_, redo_;  // last on top
    std::function<MatchEvents()> history_;
    std::function<void(const QString&)> notice_;
    bool bounceArmed_ = false;  // B pressed: the next part key bounces back
    std::vector<std::function<void()>> changed_;
    std::function<QDateTime()> clock_;
    std::shared_ptr<const packet::Packet> packet_;
    QString packetFile_;
    std::optional<Moved> moved_;
};

}  // namespace scoresheet
