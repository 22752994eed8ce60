#pragma once

#include <vector>

// Which word the moderator was reading when a buzz came, from the time since
// the toss-up began and the moderator's pace, learned from this match's
// toss-ups (a typical pace until then). The times are seconds on one
// monotonic clock (the program's Clock); only the time spent reading counts,
// so the time a buzz's answer took is left out once reading resumes.
namespace packet {

class ReadingPace {
public:
    // About three words a second: how the field's moderators read.
    static constexpr double typicalWordsPerSecond = 3.0;

    explicit ReadingPace(double startingWordsPerSecond = typicalWordsPerSecond);

    // The moderator begins reading a toss-up of `words` words.
    void startTossup(double time, int words);
    // A buzz stopped the reading: the word proposed for it, in [0, words]
    // (words itself: after the question). Reading stays stopped until
    // resume().
    int propose(double time);
    // The operator confirmed (or moved the mark to) this word for the buzz
    // at `time`: the pace learns from it.
    void confirm(double time, int word);
    // Reading goes on after a wrong answer.
    void resume(double time);
    // The question was read to its end at `time` (the moderator stopped).
    void finishTossup(double time);
    // The toss-up being read was thrown out: only its confirmed buzzes say
    // anything of the pace.
    void abandonTossup();

    // The pace the next proposal uses, in words a second.
    double wordsPerSecond() const;

private:
    double readingSeconds(double time) const;

    struct Sample {
        double words;
        double seconds;
    };
    double starting_;
    std::vector<Sample> match_;    // earlier toss-ups: one sample each
    std::vector<Sample> current_;  // this toss-up's confirmed buzzes
    int words_ = 0;
    double start_ = 0;
    double paused_ = 0;     // reading time lost to answers so far
    double pausedAt_ = -1;  // when reading stopped, or -1 while reading
    bool reading_ = false;
};

}  // namespace packet
