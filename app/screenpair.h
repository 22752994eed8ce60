#pragma once

#include <QString>

// The four play screens: teams x players per team.
enum class ScreenPair { P2_4, P2_5, P3_4, P3_5 };

// The two set-up menus: four or five players per team.
enum class MenuKind { Players4, Players5 };

inline constexpr ScreenPair kAllScreens[] = {ScreenPair::P2_4, ScreenPair::P3_4, ScreenPair::P2_5,
                                             ScreenPair::P3_5};

inline int teamsOf(ScreenPair s) {
    return (s == ScreenPair::P2_4 || s == ScreenPair::P2_5) ? 2 : 3;
}
inline int playersPerTeamOf(ScreenPair s) {
    return (s == ScreenPair::P2_4 || s == ScreenPair::P3_4) ? 4 : 5;
}
inline MenuKind menuOf(ScreenPair s) {
    return playersPerTeamOf(s) == 4 ? MenuKind::Players4 : MenuKind::Players5;
}
inline ScreenPair screenFor(int teams, int playersPerTeam) {
    if (teams == 3) return playersPerTeam == 5 ? ScreenPair::P3_5 : ScreenPair::P3_4;
    return playersPerTeam == 5 ? ScreenPair::P2_5 : ScreenPair::P2_4;
}
// This menu's 2-team and 3-team screens.
inline ScreenPair twoTeamScreenOf(MenuKind m) {
    return m == MenuKind::Players4 ? ScreenPair::P2_4 : ScreenPair::P2_5;
}
inline ScreenPair threeTeamScreenOf(MenuKind m) {
    return m == MenuKind::Players4 ? ScreenPair::P3_4 : ScreenPair::P3_5;
}

// The windows' own names, for messages and tests.
QString screenName(ScreenPair s);
QString menuName(MenuKind m);
