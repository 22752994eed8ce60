#pragma once

#include <QObject>

#include "app/decisionnote.h"

// What the program announces to whoever listens: windows and capabilities
// subscribe here instead of being told by name, so that the foundation
// knows none of them.
class ProgramNotifier final : public QObject {
    Q_OBJECT

signals:
    // The line that says how the last buzz-in was decided changed; an empty
    // note when it was cleared.
    void decisionChanged(const DecisionNote& note);
    // The toss-up in play while a scoresheet is kept (numbered from 1); 0
    // when none is. The scoresheet announces it; the live page shows it.
    void tossUpChanged(int number);
};
