#pragma once

#include "app/screenpair.h"

class MatchScreen;
class QString;
class QWidget;

// What the capabilities and the simulated box ask of the program's windows,
// so that none of them needs to know a window class or read another's
// widgets. The windows' registry answers; the program's start makes it.
class ProgramWindows {
public:
    virtual ~ProgramWindows() = default;

    // The screen pair the title form's team and player counts select.
    virtual ScreenPair currentScreen() = 0;
    // Brings that screen pair up, as the team and player counts chosen for
    // it would, so that every team of a match played on it has a board.
    virtual void bringUpScreen(ScreenPair screen) = 0;
    // A play screen, as such a window may use it.
    virtual MatchScreen& matchScreen(ScreenPair screen) = 0;
    // A set-up menu's window.
    virtual QWidget& setupMenuWindow(MenuKind menu) = 0;
    // The set-up menu in front, if one is (a parent for the operator's
    // boxes).
    virtual QWidget* visibleMenu() = 0;
    // The play screen a set-up menu works with for the current team count
    // (the current screen pair when `menu` is no set-up menu).
    virtual ScreenPair menuScreen(const QWidget* menu) = 0;
    // What the set-up menu of these players per team says: a team's name
    // (0 Alpha to 2 Gamma), a player's name (1 to the screen's players), the
    // sound source chosen.
    virtual QString teamName(MenuKind menu, int team) = 0;
    virtual QString playerName(MenuKind menu, int player) = 0;
    // Puts a name in a player's box, as typing it would (a substitute the
    // scoresheet's lineups brought in).
    virtual void setPlayerName(MenuKind menu, int player, const QString& name) = 0;
    virtual int soundSource(MenuKind menu) = 0;
    // The player the extra transmitter stands in for, as an entry of the
    // extra transmitter's list (its last entry: not in use).
    virtual int extraTransmitterEntry() = 0;

    // Whether a window exists yet; asking the questions above makes the
    // windows they read.
    virtual bool isLoaded(ScreenPair screen) const = 0;
    virtual bool isLoaded(MenuKind menu) const = 0;
    virtual bool titleFormLoaded() const = 0;
    virtual bool formextraxLoaded() const = 0;
};
