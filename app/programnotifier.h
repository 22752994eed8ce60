#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

#include "app/decisionnote.h"

// What the program announces to whoever listens: windows and capabilities
// subscribe here instead of being told by name, so that the foundation
// knows none of them.
// A team's name and its players, as a roster file brings them.
struct TeamNames {
    QString team;
    QStringList players;
};

class ProgramNotifier final : public QObject {
    Q_OBJECT

signals:
    // The line that says how the last buzz-in was decided changed; an empty
    // note when it was cleared.
    void decisionChanged(const DecisionNote& note);
    // Teams for the set-up menus' name boxes, left to right: each menu takes
    // the names and as many players as it has boxes.
    void namesOffered(const std::vector<TeamNames>& teams);
    // The toss-up in play while a scoresheet is kept (numbered from 1); 0
    // when none is. The scoresheet announces it; the live page shows it.
    void tossUpChanged(int number);
};
