#pragma once

#include <cstdint>
#include <vector>

#include <QJsonObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include "app/screenpair.h"

class QWidget;

// What windows beside the original ones may ask of a play screen, in place
// of reaching into its widgets.
class MatchScreen {
public:
    virtual ScreenPair screenPair() const = 0;
    // The screen's window.
    virtual QWidget* screenWidget() = 0;

    // Puts an interrupted match back: its team and player names in the
    // set-up menu's boxes, its scores on the boards and its clock, stopped,
    // at `clockLeft` seconds, where the set-up menu hands it to the screen
    // when it comes to the front.
    virtual void restoreMatch(const std::vector<int>& scores, int clockLeft,
                              const QStringList& teams,
                              const std::vector<QStringList>& players) = 0;
    // The team and player names now in use: {"teams": [...], "players":
    // [[...]...]}.
    virtual QJsonObject namesInUse() const = 0;
    // Tells the record the names now in use when they differ from what it
    // last heard: names typed a moment ago reach it before a match's end.
    virtual void recordNames() = 0;

    // Another window talks to the interface for a while: the screen's own
    // poll leaves it alone until the pause ends. The clocks are the
    // operator's and go on as they were.
    virtual void pauseLink(bool paused) = 0;
    // Whether the screen's poll reads the interface now.
    virtual bool polling() const = 0;

    // Moves a team's board (0 Alpha) by `points` the way F1 to F4 do, for
    // what scores beside the operator's keys (the scoresheet's rulings):
    // recorded as a score change `how`. It is not one of the screen's own
    // steps: the capability that moved the board takes it back.
    virtual void moveScore(int team, int points, const QString& how) = 0;
    // Takes back (makes again) the operator's own last board change (F1 to
    // F4, a click), for the match's one history when a capability keeps it;
    // false when there was none.
    virtual bool undoBoard() = 0;
    virtual bool redoBoard() = 0;
    // The match's one history changed: the screen's Undo and Redo follow it.
    virtual void undoHistoryChanged() = 0;

    // The match is over: its clock stops where it is (recorded as stopped).
    virtual void stopClock() = 0;

    // One read of the USB lockout, as the screen's own poll reads it.
    virtual std::int16_t readUsbPort() = 0;

    // With one display: the window takes the room the operator's windows
    // leave, unless the operator has moved or resized it since.
    virtual void fitBesideOperatorWindows() = 0;
    // The size the screen is laid out for, before any scaling.
    virtual QSize designSize() const = 0;

protected:
    ~MatchScreen() = default;
};
