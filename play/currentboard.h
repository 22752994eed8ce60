#pragma once

#include "app/scoreboard.h"

class Program;

// The boards of the play screen of the current screen pair, as the program's
// ScoreBoard: what a capability scores goes the way of F1 to F4 there.
class CurrentBoard final : public ScoreBoard {
public:
    explicit CurrentBoard(Program& program) : program_(program) {}
    void moveScore(int team, int points, const QString& how) override;

private:
    Program& program_;
};
