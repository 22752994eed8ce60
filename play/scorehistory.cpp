#include "play/scorehistory.h"

namespace scoring {

void ScoreHistory::push(const ScoreStep& step) {
    steps_.resize(done_);
    steps_.push_back(step);
    done_ = steps_.size();
}

std::optional<ScoreStep> ScoreHistory::undo() {
    if (!canUndo()) return std::nullopt;
    return steps_[--done_];
}

std::optional<ScoreStep> ScoreHistory::redo() {
    if (!canRedo()) return std::nullopt;
    return steps_[done_++];
}

void ScoreHistory::clear() {
    steps_.clear();
    done_ = 0;
}

void ScoreHistory::switchSides(int teams) {
    if (teams < 2) return;
    for (ScoreStep& step : steps_)
        step.team = (step.team + 1) % teams;
}

}  // namespace scoring
