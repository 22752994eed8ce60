#pragma once

#include <QWidget>

#include "app/program.h"

class QTreeWidget;

// Every key the operator and the contestants have, in one window: the play
// screen's (space, the function keys, taking back score changes, full
// screen) and the simulated interface's contestant panel's.
class OperatorKeys final : public QWidget {
    Q_OBJECT
public:
    // Opens the window (one per parent), or brings it forward. `more`: the
    // capabilities' keys, each under its heading after the program's own.
    static OperatorKeys* open(QWidget* parent, const std::vector<Program::KeySection>& more = {});

    explicit OperatorKeys(QWidget* parent = nullptr,
                          const std::vector<Program::KeySection>& more = {});

    // One row per key or group of keys: the keys as written in the first
    // column ("F1 / F2", "Q W E R T"), under a heading per window.
    QTreeWidget* Listkeys;

    // Each single key named in the first column, e.g. "F1", "Ctrl+Shift+Z".
    QStringList keyNames() const;
};
