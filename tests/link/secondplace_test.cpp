// Second-place lock-up: who is held, who is passed over, and what a clear
// shows, through a play screen's link and the simulated box.
#include <gtest/gtest.h>

#include "link/secondplace.h"
#include "linkrig.h"

namespace sp = buzzlink::secondplace;

namespace {

// A rig with "Lock up second place respondent" ticked, which also puts
// the sound on the sound card.
struct LockUpRig : LinkRig {
    LockUpRig(int model, ScreenPair screen) : LinkRig(model, screen) {
        view.screenSettings.lockUpSecondPlace = 1;
        view.screenSettings.soundSource = buzzlink::kSoundCard;
    }
};

// The operator clears with the mouse: a held respondent is shown, then
// polling resumes.
void mouseClear(LinkRig& rig) {
    if (rig.state.SecondPlaceHeld) rig.link.PlayerWaiting();
    rig.clear();
}

void buzzAndTick(LinkRig& rig, int input) {
    rig.box.press(input);
    rig.tick();
}

}  // namespace

TEST(SecondPlace, TeamOfATransmitterNumberPerScreen) {
    struct Case {
        ScreenPair screen;
        int firstOfTeam2, firstOfTeam3;  // 0: no third team
    };
    for (const Case c : {Case{ScreenPair::P2_4, 5, 0}, Case{ScreenPair::P2_5, 6, 0},
                         Case{ScreenPair::P3_4, 5, 9}, Case{ScreenPair::P3_5, 6, 11}}) {
        for (int t = 0; t < 16; ++t) {
            int expected = t < c.firstOfTeam2 ? 1 : 2;
            if (c.firstOfTeam3 && t >= c.firstOfTeam3) expected = 3;
            EXPECT_EQ(sp::teamOfTransmitter(c.screen, t), expected) << t;
        }
    }
}

TEST(SecondPlace, SameTeamIsPassedOverAndAnotherTeamIsHeldThenShown) {
    // Two teams of four, wireless: 2 buzzes, then 3, then 6.
    LockUpRig rig(170, ScreenPair::P2_4);
    rig.tick();
    buzzAndTick(rig, 2);
    ASSERT_EQ(rig.view.shownPlayers(), std::vector<int>{2});
    EXPECT_TRUE(rig.porttimer) << "the wireless decoder keeps polling for a second respondent";
    EXPECT_TRUE(rig.state.SecondPlaceHeld);
    EXPECT_EQ(rig.state.FirstResponder, 2);

    rig.tick();  // listens again
    buzzAndTick(rig, 3);
    EXPECT_EQ(rig.view.shownPlayers(), std::vector<int>{2}) << "a team mate is not shown";
    EXPECT_TRUE(rig.porttimer);
    EXPECT_EQ(rig.state.SecondResponder, 3);

    rig.tick();
    buzzAndTick(rig, 6);
    EXPECT_EQ(rig.view.shownPlayers(), std::vector<int>{2}) << "held, not shown yet";
    EXPECT_FALSE(rig.porttimer) << "nothing more is read";
    EXPECT_EQ(rig.view.stops, 1);
    EXPECT_EQ(rig.state.SecondResponder, 6);
    EXPECT_EQ(rig.state.FirstResponderTeam, 1);
    EXPECT_EQ(rig.state.SecondResponderTeam, 2);

    mouseClear(rig);
    EXPECT_EQ(rig.view.shownPlayers(), (std::vector<int>{2, 6}));
    EXPECT_FALSE(rig.state.SecondPlaceHeld);
    EXPECT_EQ(rig.link.ResponseCode, 6);
    // The held player is shown as a buzz-in, and the lock-up being on, the
    // poll is not stopped by it.
    EXPECT_FALSE(rig.view.shown[1].stopPortTimer);
    EXPECT_TRUE(rig.view.shown[1].playTeamSound);

    // The next buzz-in is a new first respondent.
    rig.tick();
    buzzAndTick(rig, 1);
    EXPECT_EQ(rig.view.shownPlayers(), (std::vector<int>{2, 6, 1}));
    EXPECT_TRUE(rig.state.SecondPlaceHeld);
    EXPECT_EQ(rig.state.FirstResponder, 1);
}

TEST(SecondPlace, ThreeTeamsHoldTheFirstRespondentFromAnotherTeam) {
    LockUpRig rig(200, ScreenPair::P3_5);
    rig.tick();
    buzzAndTick(rig, 12);  // Gamma
    rig.tick();
    buzzAndTick(rig, 15);  // Gamma: passed over
    rig.tick();
    buzzAndTick(rig, 7);  // Beta: held
    EXPECT_FALSE(rig.porttimer);
    mouseClear(rig);
    EXPECT_EQ(rig.view.shownPlayers(), (std::vector<int>{12, 7}));
}

TEST(SecondPlace, AClearWithNobodyCapturedNeverBringsBackAnEarlierHeldPlayer) {
    LockUpRig rig(170, ScreenPair::P2_4);
    rig.tick();
    buzzAndTick(rig, 2);
    rig.tick();
    buzzAndTick(rig, 6);  // held
    mouseClear(rig);      // shows 6
    ASSERT_EQ(rig.view.shownPlayers(), (std::vector<int>{2, 6}));

    // A new question: 3 buzzes and nobody after.
    rig.tick();
    buzzAndTick(rig, 3);
    ASSERT_EQ(rig.view.shownPlayers(), (std::vector<int>{2, 6, 3}));
    EXPECT_EQ(rig.state.SecondResponder, 0);
    EXPECT_EQ(rig.state.FirstResponderTeam, 0);
    EXPECT_EQ(rig.state.SecondResponderTeam, 0);
    mouseClear(rig);
    EXPECT_EQ(rig.view.shownPlayers(), (std::vector<int>{2, 6, 3})) << "6 must not come back";
    EXPECT_FALSE(rig.state.SecondPlaceHeld);
}

TEST(SecondPlace, TheSpaceKeyStartsANewQuestionSoTheNextBuzzInIsShown) {
    LockUpRig rig(170, ScreenPair::P2_4);
    rig.tick();
    buzzAndTick(rig, 2);
    rig.tick();
    buzzAndTick(rig, 6);  // held
    ASSERT_FALSE(rig.porttimer);

    sp::startNewQuestion(rig.state);  // space: the held player is dropped unseen
    rig.clear();
    EXPECT_FALSE(rig.state.SecondPlaceHeld);
    EXPECT_EQ(rig.view.shownPlayers(), std::vector<int>{2});

    rig.tick();
    buzzAndTick(rig, 7);
    EXPECT_EQ(rig.view.shownPlayers(), (std::vector<int>{2, 7}))
        << "shown as a new first respondent, not captured";
    EXPECT_TRUE(rig.state.SecondPlaceHeld);
    EXPECT_EQ(rig.state.FirstResponder, 7);
}

TEST(SecondPlace, AHeldExtraTransmitterOnModel200IsReleasedThroughTheFirstSeriesRules) {
    // On the 2-team 4-player screen the release uses the model 170 decoder,
    // for which 0 is no transmitter at all.
    LockUpRig rig(200, ScreenPair::P2_4);
    rig.view.screenSettings.extraTransmitter = 0;  // lent to player 1
    rig.tick();
    buzzAndTick(rig, 6);  // Beta
    rig.tick();
    buzzAndTick(rig, 0);  // the extra transmitter counts as Alpha by its number
    EXPECT_FALSE(rig.porttimer) << "held";
    mouseClear(rig);
    EXPECT_EQ(rig.view.shownPlayers(), std::vector<int>{6});

    // On the 3-team 5-player screen it is released through its own rules.
    LockUpRig own(200, ScreenPair::P3_5);
    own.view.screenSettings.extraTransmitter = 0;
    own.tick();
    buzzAndTick(own, 7);
    own.tick();
    buzzAndTick(own, 0);
    mouseClear(own);
    EXPECT_EQ(own.view.shownPlayers(), (std::vector<int>{7, 1}));
}

TEST(SecondPlace, WithTheOptionOffNothingIsEverHeld) {
    for (int option : {0, 2}) {
        LinkRig rig(170, ScreenPair::P2_4);
        rig.view.screenSettings.lockUpSecondPlace = option;
        rig.tick();
        buzzAndTick(rig, 2);
        EXPECT_FALSE(rig.state.SecondPlaceHeld);
        EXPECT_FALSE(rig.porttimer);
        rig.clear();
        rig.tick();
        buzzAndTick(rig, 6);
        EXPECT_EQ(rig.view.shownPlayers(), (std::vector<int>{2, 6}));
    }
}

TEST(SecondPlace, ACaptureOnAWiredModelChangesNothingOnTheScreen) {
    // Start-up takes the option away from the wired models; with the state
    // set anyway, a capture records the code and nothing else.
    ProgramState state;
    state.InterfaceModel = 180;
    sp::markFirst(state, 0xEF);
    EXPECT_EQ(sp::capture(state, ScreenPair::P2_4, 0xFE), sp::Step::Captured);
    EXPECT_EQ(state.SecondResponder, 0xFE);
    EXPECT_EQ(state.FirstResponder, 0xEF) << "only the wireless models reduce the codes";
    EXPECT_FALSE(sp::release(state).has_value()) << "no teams were worked out";
    EXPECT_FALSE(state.SecondPlaceHeld);
}

TEST(SecondPlace, ACodeThatNamesNobodyLeavesTheLockUpAsItWas) {
    // A box input that no player of the screen owns, then a real first
    // respondent and (wireless) another team's player to hold; the nobody
    // comes again while the first respondent waits.
    struct Case {
        const char* what;
        int model;
        ScreenPair screen;
        int nobody;  // transmitter number, or wired box line
        int first, second;
    };
    const Case cases[] = {
        {"transmitter 9 with two teams of four", 170, ScreenPair::P2_4, 9, 1, 8},
        {"unassigned spare handset, first series", 170, ScreenPair::P3_4, 14, 1, 12},
        {"unassigned spare handset, second series", 200, ScreenPair::P2_4, 0, 8, 1},
        {"wired button the screen ignores", 180, ScreenPair::P2_4, 8, 1, 0},
        {"wired button the screen throws away", 210, ScreenPair::P2_4, 12, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LockUpRig rig(c.model, c.screen);
        rig.view.screenSettings.extraTransmitter = buzzlink::kExtraNotInUse;
        auto nobodyPresses = [&] {
            rig.tick();
            rig.box.press(c.nobody);
            rig.tick();
            rig.box.release(c.nobody);
        };

        nobodyPresses();
        EXPECT_TRUE(rig.view.shown.empty());
        EXPECT_FALSE(rig.state.SecondPlaceHeld);
        EXPECT_TRUE(rig.porttimer);

        rig.tick();
        rig.buzz(c.first);
        rig.tick();
        ASSERT_EQ(rig.view.shownPlayers(), std::vector<int>{c.first}) << "the next press is shown";
        EXPECT_TRUE(rig.state.SecondPlaceHeld);
        if (c.second == 0) continue;  // a wired box stops polling at once
        EXPECT_EQ(rig.state.FirstResponder, c.first);

        nobodyPresses();
        EXPECT_TRUE(rig.porttimer) << "nobody is held";
        EXPECT_EQ(rig.state.SecondResponder, 0);
        rig.tick();
        rig.buzz(c.second);
        rig.tick();
        EXPECT_FALSE(rig.porttimer) << "the real second respondent is held";
        mouseClear(rig);
        EXPECT_EQ(rig.view.shownPlayers(), (std::vector<int>{c.first, c.second}));
    }
}
