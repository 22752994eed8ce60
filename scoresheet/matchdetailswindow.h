#pragma once

#include <QWidget>
#include <functional>

#include "scoresheet/resultfiles.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace scoresheet {

// "Match Details": what the stats room needs to place the match's result
// file (tournament, round, room, moderator) and the folder it goes to.
// OK hands the details to `accepted` (which keeps them) and closes.
class MatchDetailsWindow final : public QWidget {
    Q_OBJECT
public:
    MatchDetailsWindow(const MatchDetails& details, QString lastResult,
                       std::function<void(const MatchDetails&)> accepted,
                       QWidget* parent = nullptr);

    MatchDetails details() const;

    QLineEdit* tournament;
    QLineEdit* round;
    QLineEdit* room;
    QLineEdit* moderator;
    QLineEdit* folder;
    QPushButton* browseButton;
    QPushButton* okButton;
    QPushButton* cancelButton;
    QLabel* lastResult;

    void accept();

private:
    std::function<void(const MatchDetails&)> accepted_;
};

}  // namespace scoresheet
