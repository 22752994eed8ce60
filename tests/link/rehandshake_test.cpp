// A play screen getting the box back in step after a failed read.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/clock.h"
#include "link/rehandshake.h"
#include "recordingview.h"
#include "sim/simulatedinterface.h"

namespace {

using Reply = SimulatedInterface::Reply;
Reply code(int c) { return Reply{Reply::Kind::Code, c, 0.0, 8}; }
Reply silent() { return Reply{Reply::Kind::Silent, 0, 0.0, 8}; }

struct Rig {
    explicit Rig(ScreenPair s, int model = 180) : screen(s), box(model, clock) {}
    ScreenPair screen;
    ManualClock clock{3000.0, 1e-5};
    SimulatedInterface box;
    RecordingView view;
    std::int16_t responseCode = 0;
    bool run() { return buzzlink::rehandshake({box, clock, 888}, screen, view, responseCode); }
    int count(int value) const {
        const auto w = box.dataWrites();
        return static_cast<int>(std::count(w.begin(), w.end(), value));
    }
};

}  // namespace

TEST(Rehandshake, AnsweredAtOnceNeedsNoResetAndNoPause) {
    Rig rig(ScreenPair::P2_4);
    EXPECT_TRUE(rig.run());
    EXPECT_EQ(rig.box.dataWrites(), (std::vector<int>{223, 2, 18, 2, 18, 2, 18, 2, 18}));
    EXPECT_EQ(rig.view.diagnostics, std::vector<int>{180});
    EXPECT_EQ(rig.responseCode, 180);
    EXPECT_EQ(rig.clock.waits(), 0);
    EXPECT_EQ(rig.view.retryQuestions, 0);
}

TEST(Rehandshake, ASilentBoxThatAnswersAfterTheResetCostsOnePause) {
    Rig rig(ScreenPair::P3_4);
    rig.box.scriptReplies({silent()});
    EXPECT_TRUE(rig.run());
    EXPECT_EQ(rig.clock.waits(), 1);
    EXPECT_EQ(rig.box.resets(), 1);
    EXPECT_EQ(rig.view.diagnostics, std::vector<int>{180}) << "a timed-out answer shows nothing";
    EXPECT_EQ(rig.view.retryQuestions, 0);

    // 223 (no answer), the reset request 32 held through the pause, then 223
    // again a second later.
    const auto& w = rig.box.writes();
    ASSERT_GE(w.size(), 3u);
    EXPECT_EQ(w[0].value, 223);
    EXPECT_EQ(w[1].value, 32);
    EXPECT_EQ(w[2].value, 223);
    EXPECT_GT(w[1].time - w[0].time, 0.5);
    EXPECT_LT(w[1].time - w[0].time, 0.51);
    EXPECT_GE(w[2].time - w[1].time, 0.999);
    EXPECT_LT(w[2].time - w[1].time, 1.01);
}

TEST(Rehandshake, AcceptedAnswersPerScreenAndAttempt) {
    struct Case {
        int answer;
        bool twoTeamFirst, twoTeamSecond, threeTeam;
    };
    const Case cases[] = {
        {169, false, false, false}, {170, true, true, true},   {180, true, true, true},
        {190, true, true, false},   {199, true, true, false},  {200, true, true, true},
        {210, true, true, true},    {211, true, false, false}, {220, true, false, false},
        {221, false, false, false}, {0, false, false, false},  {255, false, false, false},
    };
    for (const Case& c : cases) {
        for (ScreenPair s : {ScreenPair::P2_4, ScreenPair::P2_5}) {
            EXPECT_EQ(buzzlink::acceptedAnswer(s, 1, c.answer), c.twoTeamFirst) << c.answer;
            EXPECT_EQ(buzzlink::acceptedAnswer(s, 2, c.answer), c.twoTeamSecond) << c.answer;
        }
        for (ScreenPair s : {ScreenPair::P3_4, ScreenPair::P3_5}) {
            EXPECT_EQ(buzzlink::acceptedAnswer(s, 1, c.answer), c.threeTeam) << c.answer;
            EXPECT_EQ(buzzlink::acceptedAnswer(s, 2, c.answer), c.threeTeam) << c.answer;
        }
    }
}

TEST(Rehandshake, AnAnswerOf190IsTakenOnTwoTeamScreensOnly) {
    {
        Rig rig(ScreenPair::P2_5);
        rig.box.scriptReplies({code(190)});
        EXPECT_TRUE(rig.run());
        EXPECT_EQ(rig.box.resets(), 0);
        EXPECT_EQ(rig.view.diagnostics, std::vector<int>{190});
    }
    {
        Rig rig(ScreenPair::P3_5);
        rig.box.scriptReplies({code(190), code(190)});
        rig.view.retryAnswers = {true};  // the box then answers with its model
        EXPECT_TRUE(rig.run());
        EXPECT_EQ(rig.view.diagnostics, (std::vector<int>{190, 190, 180}))
            << "a rejected answer is shown too";
        EXPECT_EQ(rig.view.retryQuestions, 1);
        EXPECT_EQ(rig.box.resets(), 1);
    }
}

TEST(Rehandshake, TheSecondAttemptOnATwoTeamScreenTakesOnlyUpTo210) {
    Rig rig(ScreenPair::P2_4);
    rig.box.scriptReplies({silent(), code(215)});
    EXPECT_FALSE(rig.run());
    EXPECT_EQ(rig.view.diagnostics, std::vector<int>{215});
    EXPECT_EQ(rig.view.retryQuestions, 1);
}

TEST(Rehandshake, RetryStartsAgainAndCancelGivesUp) {
    Rig rig(ScreenPair::P2_4);
    rig.box.setSilent(true);
    rig.view.retryAnswers = {true, true};  // then Cancel
    EXPECT_FALSE(rig.run());
    EXPECT_EQ(rig.view.retryQuestions, 3);
    EXPECT_EQ(rig.count(223), 6) << "two attempts per round";
    EXPECT_EQ(rig.count(32), 3);
    EXPECT_EQ(rig.count(0), 0) << "the reset line is not released before the next request";
    EXPECT_EQ(rig.clock.waits(), 3);
    EXPECT_TRUE(rig.view.diagnostics.empty());
}
