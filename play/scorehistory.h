#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// The score changes of a match, for taking them back and making them again.
// Each step remembers the team's score before and after, so taking it back
// puts back exactly what was on the board, whatever the arithmetic (a step
// that hit the 16-bit limit is not a plain sum).
namespace scoring {

struct ScoreStep {
    int team = 0;  // 0 Alpha, 1 Beta, 2 Gamma
    std::int16_t before = 0;
    std::int16_t after = 0;

    bool operator==(const ScoreStep&) const = default;
};

class ScoreHistory {
public:
    // A new change: whatever had been taken back can no longer be made again.
    void push(const ScoreStep& step);

    // The step to take back (put `before` on its team's board), or nothing at
    // the start of the match.
    std::optional<ScoreStep> undo();
    // The step to make again (put `after` on the board), or nothing when no
    // step has been taken back since the last change.
    std::optional<ScoreStep> redo();

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    // The steps undo() and redo() would give, left where they are.
    std::optional<ScoreStep> nextUndo() const {
        return canUndo() ? std::optional(steps_[done_ - 1]) : std::nullopt;
    }
    std::optional<ScoreStep> nextRedo() const {
        return canRedo() ? std::optional(steps_[done_]) : std::nullopt;
    }

    // A new match.
    void clear();

    // The sides were switched: every team moved one seat on (Alpha to Beta,
    // Beta to Gamma or back to Alpha, Gamma to Alpha), taking its score with
    // it, so each step follows its team to the new seat.
    void switchSides(int teams);

private:
    std::vector<ScoreStep> steps_;
    std::size_t done_ = 0;  // steps_[0, done_) are on the boards
};

}  // namespace scoring
