#pragma once

#include <QJsonObject>
#include <QString>

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

// Each kind is stored under its name (kindName), so the names are part of
// the record's file format: add new kinds, never rename one.
enum class EventKind {
    ProgramStarted,       // {"interface": text, "simulated": bool}
    ProgramEnded,         // {"how": "exit" | "cancel" | "closed"}
    MatchStarted,         // {"screen": "2_4"..., "teams": [names], "players": [[names]...],
                          //  "scores": [n...], "clock": seconds left}
    Cleared,              // {"how": "space" | "mouse" | "tab" | "f7" | ..., "cleared": name shown}
    Armed,                // {"how": ...}
    BuzzIn,               // {"model": n, "screen": "2_4", "bytes": [b...], "player": p,
                          //  "name": text, "team": t}
    Tie,                  // {"pressed": [p...], "drawn": p}
    SecondPlaceCaptured,  // {"player": p, "name": text}
    SecondPlaceReleased,  // {"player": p, "name": text}
    TimerStarted,         // {"kind": "response" | ..., "seconds": n}
    TimerStopped,         // {"kind": ..., "left": n}
    TimerExpired,         // {"kind": ...}
    ClockStarted,         // {"left": seconds}
    ClockStopped,         // {"left": seconds}
    ClockExpired,         // {}
    ScoreChanged,         // {"team": t, "before": n, "after": n, "how": "F1" | "board" | "tab" |
                          //  "left-click" | "right-click" | "switch-sides" | "undo" | "redo" ...}
    ScoreUndone,          // {"team": t, "before": n, "after": n}
    ScoreRedone,          // {"team": t, "before": n, "after": n}
    SetupOpened,          // {"file": path}
    SetupSaved,           // {"file": path}
    CommFailed,           // {"what": text}
    CommRecovered,        // {"what": text}
    OptionChanged,        // {"option": name, "value": ...}
    Decision,             // how a buzz-in was decided: {"text": line shown to the operator, ...}
    MatchResumed,         // an interrupted match put back on the boards: {"from": match id,
                          //  "scores": [n...], "clock": seconds left}
    // The scoresheet's (their data: scoresheet/sheetbuilder.h).
    RulesChosen,     // the scoring rules the match is played under
    TossupStarted,   // the next toss-up is read
    Ruling,          // a buzz ruled: power, correct, neg, no penalty
    BonusPart,       // a bonus part converted or not
    SheetCorrected,  // a cell of the scoresheet put right afterwards
    LineupChanged,   // players in and out of a team's lineup
};

// The stored name of a kind, such as "buzz-in"; and back (false when unknown).
QString kindName(EventKind kind);
bool kindFromName(const QString& name, EventKind& kind);

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
