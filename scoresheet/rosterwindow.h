#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "scoresheet/qbjreader.h"

class Dialogs;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace scoresheet {

// "Teams from a QBJ File": opens a tournament or registration file, lists
// its teams with their players, and hands the teams the operator checks (in
// the order checked) to `use`, which puts them in the set-up menu.
class RosterWindow final : public QWidget {
    Q_OBJECT
public:
    using Use = std::function<void(const std::vector<RosterTeam>&)>;
    // `teams`: how many teams the match has (two or three).
    RosterWindow(Dialogs& dialogs, int teams, Use use, QWidget* parent = nullptr);

    QPushButton* openButton;
    QTreeWidget* teamList;
    QLabel* status;
    QPushButton* useButton;

    // Reads the file; a file that cannot be used is explained in a message.
    bool openFile(const QString& path);
    // Asks for a file and reads it off the window thread (a large file on a
    // slow share would hold the window still); the list fills when it is
    // read, and readFinished() follows.
    void openAsked();
    bool reading() const { return reading_ != nullptr; }
    void useChecked();
    std::vector<RosterTeam> checkedTeams() const;

signals:
    void readFinished(bool ok);

private:
    void updateButtons();
    bool showRoster(const QString& path, Roster roster);

    Dialogs& dialogs_;
    int teams_;
    Use use_;
    std::vector<RosterTeam> roster_;
    std::vector<int> checkedOrder_;
    QObject* reading_ = nullptr;  // the watcher of the read under way
};

}  // namespace scoresheet
