#include "packet/readingpace.h"

#include <algorithm>
#include <cmath>

namespace packet {

namespace {

// How many seconds of reading the starting pace counts for against what the
// match shows: a few, so that the first toss-up read already outweighs it.
constexpr double startingWeightSeconds = 8.0;
// Each earlier toss-up counts this much less than the one after it: a
// moderator settles into a pace, and warms up or tires over a match.
constexpr double forgetting = 0.85;
// A buzz already confirmed on this toss-up says more about its pace than the
// whole match does: the match's pace counts as this many seconds beside it.
constexpr double matchWeightSeconds = 1.0;

}  // namespace

ReadingPace::ReadingPace(double startingWordsPerSecond)
    : starting_(startingWordsPerSecond > 0 ? startingWordsPerSecond : typicalWordsPerSecond) {}

void ReadingPace::startTossup(double time, int words) {
    if (reading_ || !current_.empty()) {
        // The last toss-up ended at a correct answer: what it showed is kept.
        reading_ = false;
        finishTossup(time);
    }
    words_ = std::max(words, 0);
    start_ = time;
    paused_ = 0;
    pausedAt_ = -1;
    reading_ = true;
    current_.clear();
}

double ReadingPace::readingSeconds(double time) const {
    const double until = pausedAt_ >= 0 ? std::min(time, pausedAt_) : time;
    return std::max(0.0, until - start_ - paused_);
}

double ReadingPace::wordsPerSecond() const {
    double words = starting_ * startingWeightSeconds;
    double seconds = startingWeightSeconds;
    double weight = 1;
    for (auto it = match_.rbegin(); it != match_.rend(); ++it) {
        words += weight * it->words;
        seconds += weight * it->seconds;
        weight *= forgetting;
    }
    const double matchPace = words / seconds;
    if (current_.empty()) return matchPace;
    // The latest confirmed buzz spans all the reading before it.
    const Sample& latest = current_.back();
    return (latest.words + matchPace * matchWeightSeconds) / (latest.seconds + matchWeightSeconds);
}

int ReadingPace::propose(double time) {
    const double seconds = readingSeconds(time);
    if (pausedAt_ < 0) pausedAt_ = time;
    const double word = std::floor(seconds * wordsPerSecond());
    if (!std::isfinite(word)) return words_;
    return static_cast<int>(std::clamp(word, 0.0, static_cast<double>(words_)));
}

void ReadingPace::confirm(double time, int word) {
    const double seconds = readingSeconds(time);
    if (pausedAt_ < 0) pausedAt_ = time;
    // A buzz after the question says only that reading took no longer.
    if (word < 0 || word >= words_ || seconds < 0.5) return;
    // The word the buzz cut into was, on average, half read.
    Sample s{word + 0.5, seconds};
    if (!current_.empty() && current_.back().seconds > s.seconds) return;
    current_.push_back(s);
}

void ReadingPace::resume(double time) {
    if (pausedAt_ < 0) return;
    paused_ += std::max(0.0, time - pausedAt_);
    pausedAt_ = -1;
}

void ReadingPace::finishTossup(double time) {
    if (reading_ && pausedAt_ < 0) {
        const double seconds = readingSeconds(time);
        if (seconds >= 0.5 && words_ > 0)
            current_.push_back({static_cast<double>(words_), seconds});
    }
    reading_ = false;
    if (!current_.empty()) match_.push_back(current_.back());
    current_.clear();
    // Only the latest few carry weight; the rest need not be kept.
    if (match_.size() > 64) match_.erase(match_.begin());
}

void ReadingPace::abandonTossup() {
    reading_ = false;
    pausedAt_ = -1;
    if (!current_.empty()) match_.push_back(current_.back());
    current_.clear();
}

}  // namespace packet
