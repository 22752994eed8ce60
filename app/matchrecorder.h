#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// What the windows tell the match record. The play screens, the set-up menus
// and the link report each thing that changes a match after they have done
// it; the recorder stamps it with the match time and the wall-clock time and
// keeps it. The windows never wait for it: a recorder that writes to disk
// queues the event and returns.
//
// A match begins with MatchStarted (the screen pair is shown, or the
// operator chose New Match) and carries everything needed to put it back on
// the boards; ScoreChanged and the clock's events after it keep that state
// current. ProgramEnded ends the current match cleanly; a match with no end
// was interrupted (the process died or the machine lost power). Events
// before the first MatchStarted belong to the match that follows.
namespace record {

enum class EventKind {
    ProgramStarted,
    ProgramEnded,
    MatchStarted,
    Cleared,
    Armed,
    BuzzIn,
    Tie,
    SecondPlaceCaptured,
    SecondPlaceReleased,
    TimerStarted,
    TimerStopped,
    TimerExpired,
    ClockStarted,
    ClockStopped,
    ClockExpired,
    ScoreChanged,
    ScoreUndone,
    ScoreRedone,
    SetupOpened,
    SetupSaved,
    CommFailed,
    CommRecovered,
    OptionChanged,
    Decision,
    MatchResumed,
    NamesChanged,
    // The scoresheet's.
    RulesChosen,
    TossupStarted,
    Ruling,
    BonusPart,
    SheetCorrected,
    LineupChanged,
    MatchEnded,
    // The packet read from.
    PacketChosen,
    QuestionThrownOut,
    BonusRead,
    // Tournament procedure.
    BounceBack,
    TimeoutCalled,
    ProtestFiled,
    ProtestResolved,
};

// The record's stored format. Each event is kept as its kind's name, the
// match time and the wall-clock time it was recorded at, and its data: a
// JSON object with no keys but those listed for its kind (the tests hold
// every event they record to this table). The names and keys are part of
// the file format: add kinds and keys, never rename one.
struct KindFormat {
    EventKind kind;
    const char* name;
    // The data's keys, separated by spaces; some are written only when they
    // apply (said below).
    const char* keys;
};

inline constexpr KindFormat kKindFormats[] = {
    // interface: its description; simulated: true for the simulated box.
    {EventKind::ProgramStarted, "program-started", "interface simulated"},
    // how: "exit" (the Exit item), "cancel" (the operator gave up on the
    // interface), "closed" (the last window was closed).
    {EventKind::ProgramEnded, "program-ended", "how"},
    // Everything needed to put the match back on the boards. screen: "2_4",
    // "3_5"...; model: the interface model; teams: names; players: per team,
    // names; scores: per team; clock: seconds left; clockRunning: bool;
    // matchTime: the setup's match time ("15:00"); how: "start-up" or
    // "new-match".
    {EventKind::MatchStarted, "match-started",
     "screen model teams players scores clock clockRunning matchTime how"},
    // how: "space", "left-click", "double-click", "bonus", "auxiliary";
    // cleared: the name the screen showed.
    {EventKind::Cleared, "cleared", "how cleared"},
    // A mouse button other than the left clicked the screen: it arms and
    // clears nothing. how: "other-click".
    {EventKind::Armed, "armed", "how"},
    // player: 1 upwards; name, team (0 Alpha), teamName: as shown; model;
    // screen as in match-started; decoder: the decoder that read it; bytes:
    // what the box sent.
    {EventKind::BuzzIn, "buzz-in", "player name team teamName model screen decoder bytes"},
    // pressed: the players read together; drawn: the one shown.
    {EventKind::Tie, "tie", "pressed drawn"},
    // code, transmitter: as read; held: whether it was kept for second
    // place; player and name only on a wireless box, where the transmitter
    // is a player.
    {EventKind::SecondPlaceCaptured, "second-place-captured", "code transmitter held player name"},
    // The held second place shown: as buzz-in's player, name, team, teamName.
    {EventKind::SecondPlaceReleased, "second-place-released", "player name team teamName"},
    // kind: "toss-up", "bonus", "auxiliary", "time-out"; seconds: its length.
    {EventKind::TimerStarted, "timer-started", "kind seconds"},
    // kind as above; left: seconds left when it stopped.
    {EventKind::TimerStopped, "timer-stopped", "kind left"},
    {EventKind::TimerExpired, "timer-expired", "kind"},
    // left: seconds left; shown: the clock's text.
    {EventKind::ClockStarted, "clock-started", "left shown"},
    {EventKind::ClockStopped, "clock-stopped", "left shown"},
    {EventKind::ClockExpired, "clock-expired", ""},
    // team: 0 Alpha; name: the team's; before, after: the board; how: "board"
    // (a click), "tab" (a click times the tab's factor), "F1" "F2" "F3" "F4"
    // "F11" "F12" (the keys), "switch-sides", "ruling" "bonus" "correction"
    // (the scoresheet's); button: "left", "right"...
    // only for a click; tab: the factor, only when not 1.
    {EventKind::ScoreChanged, "score-changed", "team name before after how button tab"},
    // A change taken back or done again: as score-changed without how.
    {EventKind::ScoreUndone, "score-undone", "team name before after"},
    {EventKind::ScoreRedone, "score-redone", "team name before after"},
    // file: the setup file's path.
    {EventKind::SetupOpened, "setup-opened", "file"},
    {EventKind::SetupSaved, "setup-saved", "file"},
    // what: "read" (the poll could not read the box).
    {EventKind::CommFailed, "comm-failed", "what"},
    {EventKind::CommRecovered, "comm-recovered", "what"},
    // option: the check box's name; value: 0 or 1.
    {EventKind::OptionChanged, "option-changed", "option value"},
    // text: the line shown to the operator. kind: "tie" (with pressed,
    // drawn), "waiting" (a second place held: player, transmitter) or
    // "buttons" (buttons on input devices: transmitter, and when another
    // pressed after it, next and nextAfterMs), "undone" or "redone" (a
    // score change taken back or made again: team), "sheet" (the
    // scoresheet's word: a key it could not act on, a step taken back);
    // name: the player's, when there is one.
    {EventKind::Decision, "decision",
     "text kind pressed drawn player transmitter name next nextAfterMs team"},
    // An interrupted match put back: from: its match id; scores: per team;
    // clock: seconds left; teams, players: the names put back with it.
    {EventKind::MatchResumed, "match-resumed", "from scores clock teams players"},
    // The names in use from now on (a name box was changed): screen as in
    // match-started; teams: names; players: per team, names; scores: what
    // the boards of that screen show (other boards after a change of the
    // number of teams).
    {EventKind::NamesChanged, "names-changed", "screen teams players scores"},
    // The scoresheet's (how the sheet is rebuilt from them:
    // scoresheet/sheetbuilder.h). rules: the scoring rules the match is
    // played under from here on, as an object (name, answerValues...).
    {EventKind::RulesChosen, "rules-chosen", "rules"},
    // tossup: the number of the toss-up now read, 1 upwards.
    {EventKind::TossupStarted, "tossup-started", "tossup"},
    // A buzz ruled. tossup; team; player: the roster index of the team's
    // player; value: the points; ruling: "power", "correct", "neg",
    // "no-penalty"; word: the word of the packet's question the buzz came on,
    // as the operator confirmed it (0 the first word read, the question's
    // word count after the question), only when a packet is read.
    {EventKind::Ruling, "ruling", "tossup team player value ruling word"},
    // part: 0 upwards; points: what it gave the team that had the bonus.
    {EventKind::BonusPart, "bonus-part", "tossup team part points"},
    // A cell put right: the team's buzz (player and value; neither when the
    // team did not buzz, no value when not ruled) or its bonus (bonus: the
    // parts' points); before: the cell as it was; undo: true when it takes
    // back an earlier change; word: the buzz's word, as the ruling's.
    // bounceback: per part, what the other team took of the bonus, beside
    // bonus under rules with bounce-backs.
    {EventKind::SheetCorrected, "sheet-corrected",
     "tossup team player value bonus bounceback before undo word"},
    // A team's players: roster: names, starters and substitutes; seats: the
    // roster index at each button; tossup: the first toss-up they play.
    {EventKind::LineupChanged, "lineup-changed", "team tossup roster seats"},
    // The operator ended the match (End Match): what comes after it belongs
    // to the next match. how: "end-match".
    {EventKind::MatchEnded, "match-ended", "how"},
    // The packet the match is read from, from here on: name: the packet's;
    // file: the file it was read from; packet: the whole packet in the
    // field's packet JSON (packet/packetjson.h), so that the match can be
    // shown and exported without the file. Every toss-up on the sheet reads
    // the packet's question of its number, in order.
    {EventKind::PacketChosen, "packet-chosen", "name file packet"},
    // The question being read was thrown out. tossup: the sheet's toss-up;
    // bonus: true for its bonus, else the toss-up's question; question: the
    // place in the packet (1 upwards) of the question thrown out;
    // replacement: the place of the question read instead, the last unread
    // one of the packet (absent when none is left).
    {EventKind::QuestionThrownOut, "question-thrown-out", "tossup bonus question replacement"},
    // The bonus of the toss-up was read to its end: the next toss-up is read
    // from now on. tossup: the toss-up the bonus went with.
    {EventKind::BonusRead, "bonus-read", "tossup"},
    // A bonus part the controlling team missed, taken by the other team under
    // rules with bounce-backs. tossup; team: the team that took it (not the
    // bonus's); part: 0 upwards; points: what it gave (0 takes it back).
    {EventKind::BounceBack, "bounce-back", "tossup team part points"},
    // A time-out a team called. team; tossup: the toss-up read last (0 before
    // the first); withdrawn: true when it takes back the team's last one.
    {EventKind::TimeoutCalled, "timeout-called", "team tossup withdrawn"},
    // A protest lodged: team; tossup; part: the bonus part (0 upwards), or
    // -1 for the toss-up; answer: the answer given; reason: the team's
    // words; withdrawn: true when it takes back the last one lodged.
    {EventKind::ProtestFiled, "protest-filed", "team tossup part answer reason withdrawn"},
    // A protest resolved. protest: its index (0 upwards); ruling: "upheld",
    // "denied", or "open" (a resolution taken back); cell: the sheet's
    // correction that comes with it (as sheet-corrected's data), the cell
    // put back when taken back; before: the cell as it was.
    {EventKind::ProtestResolved, "protest-resolved", "protest ruling cell before"},
};

// The stored name of a kind, such as "buzz-in"; and back (false when unknown).
QString kindName(EventKind kind);
bool kindFromName(const QString& name, EventKind& kind);
// The keys its data may hold, from the table above.
QStringList kindKeys(EventKind kind);

class MatchRecorder {
public:
    virtual ~MatchRecorder() = default;

    // Records one event of the current match. Returns at once.
    virtual void record(EventKind kind, const QJsonObject& data = {}) = 0;
};

// The recorder a program has until a real one is set: it keeps nothing.
class NoRecorder final : public MatchRecorder {
public:
    void record(EventKind, const QJsonObject&) override {}
};

}  // namespace record
