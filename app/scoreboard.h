#pragma once

#include <QString>

// The boards of the play screen in use, for what scores a match besides the
// operator's own keys and clicks: a change made here goes the same way as
// F1 to F4 (on the board, recorded as a score change, taken back by Undo
// Score Change).
class ScoreBoard {
public:
    virtual ~ScoreBoard() = default;

    // Moves a team's board (0 Alpha, 1 Beta, 2 Gamma) by `points`; `how`
    // says why in the record ("ruling", "bonus", "correction").
    virtual void moveScore(int team, int points, const QString& how) = 0;
};

// The board a program has until the windows give it theirs: it moves nothing.
class NoScoreBoard final : public ScoreBoard {
public:
    void moveScore(int, int, const QString&) override {}
};
