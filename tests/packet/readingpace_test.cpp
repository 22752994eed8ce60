#include <gtest/gtest.h>

#include "packet/readingpace.h"

namespace {

using packet::ReadingPace;

// A moderator reading two words a second, every toss-up to its end.
void readWholeTossups(ReadingPace* pace, int count, double* clock) {
    for (int i = 0; i < count; ++i) {
        pace->startTossup(*clock, 60);
        *clock += 30;
        pace->finishTossup(*clock);
        *clock += 20;
    }
}

TEST(ReadingPace, StartsAtATypicalPaceAndLearnsTheModerators) {
    ReadingPace pace;
    double clock = 100;
    pace.startTossup(clock, 120);
    EXPECT_EQ(pace.propose(clock + 10), 30);  // three words a second
    pace.confirm(clock + 10, 20);             // this moderator is slower
    pace.startTossup(clock + 60, 120);        // the last one ended at a correct answer
    EXPECT_LT(pace.wordsPerSecond(), ReadingPace::typicalWordsPerSecond);

    clock += 100;
    readWholeTossups(&pace, 6, &clock);
    EXPECT_NEAR(pace.wordsPerSecond(), 2.0, 0.1);
    pace.startTossup(clock, 100);
    EXPECT_NEAR(pace.propose(clock + 20.25), 40, 1);
}

// Time spent on an answer is no reading: after a wrong answer the next buzz
// is placed by the reading time alone, at this toss-up's own pace.
TEST(ReadingPace, LeavesOutTheTimeAnswersTook) {
    ReadingPace pace;
    double clock = 0;
    readWholeTossups(&pace, 4, &clock);
    pace.startTossup(clock, 100);
    EXPECT_EQ(pace.propose(clock + 5.25), 10);
    pace.confirm(clock + 5.25, 10);
    pace.resume(clock + 15);
    EXPECT_EQ(pace.propose(clock + 20.1), 20);
    // Long after the end: after the question, which teaches nothing.
    pace.confirm(clock + 20.1, 20);
    pace.resume(clock + 30);
    const double before = pace.wordsPerSecond();
    EXPECT_EQ(pace.propose(clock + 500), 100);
    pace.confirm(clock + 500, 100);
    EXPECT_DOUBLE_EQ(pace.wordsPerSecond(), before);
}

}  // namespace
