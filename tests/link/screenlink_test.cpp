// A play screen's whole buzz-in road against the simulated box: a player
// presses, the poll reads the code, the decoders name the player, and the
// screen is told what to show.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "linkrig.h"

using buzzlink::Team;

namespace {
constexpr ScreenPair kScreens[] = {ScreenPair::P2_4, ScreenPair::P2_5, ScreenPair::P3_4,
                                   ScreenPair::P3_5};
int players(ScreenPair s) { return teamsOf(s) * playersPerTeamOf(s); }
bool decodesTwice(int model, ScreenPair s) {
    return model == 200 && (s == ScreenPair::P2_5 || s == ScreenPair::P3_4);
}
int count(const std::vector<int>& v, int value) {
    return static_cast<int>(std::count(v.begin(), v.end(), value));
}
}  // namespace

TEST(ScreenLink, EveryPlayerOfEveryModelAndScreenIsShownAndLocksOut) {
    for (int model : {170, 180, 200, 210}) {
        for (ScreenPair screen : kScreens) {
            for (int p = 1; p <= players(screen); ++p) {
                LinkRig rig(model, screen);
                rig.tick();
                ASSERT_TRUE(rig.view.shown.empty());
                rig.buzz(p);
                rig.tick();
                SCOPED_TRACE(testing::Message() << model << " " << screenName(screen).toStdString()
                                                << " player " << p);
                const std::vector<int> expected(decodesTwice(model, screen) ? 2 : 1, p);
                ASSERT_EQ(rig.view.shownPlayers(), expected);
                EXPECT_EQ(rig.link.ResponderNumber, p);
                EXPECT_EQ(static_cast<int>(rig.view.shown[0].team),
                          (p - 1) / playersPerTeamOf(screen));
                EXPECT_FALSE(rig.porttimer) << "the others are locked out";
                EXPECT_EQ(rig.view.communicationProblems, 0);
                EXPECT_FALSE(rig.box.sending()) << "the whole code was fetched";
            }
        }
    }
}

TEST(ScreenLink, AnIdleTickShowsTheReadyLineAndReadsNothing) {
    LinkRig rig(170, ScreenPair::P3_4);
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.view.diagnostics, (std::vector<int>{32, 32}));
    EXPECT_EQ(rig.box.dataWrites(), (std::vector<int>{19, 19}));
}

TEST(ScreenLink, TheDiagnosticEndsOnTheCodeRead) {
    LinkRig rig(180, ScreenPair::P2_4);
    rig.tick();
    rig.buzz(5);  // first byte bit 0x01 low
    rig.tick();
    EXPECT_EQ(rig.view.diagnostics, (std::vector<int>{32, 0, 0xFE, 0xFF}))
        << "ready line, first byte, second byte";
    EXPECT_EQ(rig.link.ResponseCode, 0xFF);
}

TEST(ScreenLink, ButtonsHeldTogetherOnAWiredBoxGiveOneOfThem) {
    for (int model : {180, 210}) {
        std::set<int> winners;
        for (std::uint64_t seed = 1; seed <= 40; ++seed) {
            LinkRig rig(model, ScreenPair::P3_5, seed);
            rig.tick();
            rig.box.pressTogether({rig.inputOf(2), rig.inputOf(12)});
            rig.tick();
            ASSERT_EQ(rig.view.shown.size(), 1u);
            const int p = rig.view.shown[0].player;
            EXPECT_TRUE(p == 2 || p == 12) << p;
            winners.insert(p);
        }
        EXPECT_EQ(winners, (std::set<int>{2, 12})) << model;
    }
}

TEST(ScreenLink, ModelTwoHundredDecodesTwiceOnTheMixedScreens) {
    LinkRig rig(200, ScreenPair::P2_5);
    rig.view.screenSettings.soundSource = buzzlink::kSoundSpeaker;
    rig.tick();
    rig.buzz(7);
    rig.tick();
    ASSERT_EQ(rig.view.shownPlayers(), (std::vector<int>{7, 7}));
    EXPECT_EQ(rig.view.shown[0].speakerBytes, (std::vector<std::uint8_t>{0, 194}));
    EXPECT_EQ(rig.view.shown[1].speakerBytes, (std::vector<std::uint8_t>{0, 194}));

    // The box's own extra transmitter (0) is only the second-series rules'
    // extra; 14, the first series' extra, is no player of ten.
    struct Case {
        int transmitter;
        int entry;
        std::vector<int> shown;
    };
    for (const Case& c : {Case{0, 4, {5}}, Case{0, 12, {}}, Case{14, 4, {5}}, Case{14, 12, {}}}) {
        LinkRig r(200, ScreenPair::P3_4);
        r.view.screenSettings.extraTransmitter = c.entry;
        r.tick();
        r.box.press(c.transmitter);
        r.tick();
        EXPECT_EQ(r.view.shownPlayers(), c.shown) << c.transmitter << " " << c.entry;
        EXPECT_EQ(r.porttimer, c.shown.empty()) << "nothing shown, the poll goes on";
    }
}

TEST(ScreenLink, TheExtraTransmitterStandsForThePlayerItIsLentTo) {
    for (int model : {170, 200}) {
        LinkRig rig(model, ScreenPair::P2_4);
        rig.view.screenSettings.extraTransmitter = 6;  // player 7
        rig.tick();
        rig.box.press(rig.box.extraTransmitter());
        rig.tick();
        EXPECT_EQ(rig.view.shownPlayers(), std::vector<int>{7}) << model;
        EXPECT_EQ(rig.view.shown[0].team, Team::Beta);
    }
}

TEST(ScreenLink, AFailedReadTellsTheOperatorOnceRecoversAndDecodesNothing) {
    LinkRig rig(170, ScreenPair::P2_4);
    rig.tick();
    rig.box.stallNextCode(3);
    rig.buzz(2);
    rig.tick();
    EXPECT_EQ(rig.view.communicationProblems, 1);
    EXPECT_TRUE(rig.view.shown.empty());
    EXPECT_TRUE(rig.porttimer) << "polling goes on after the recovery";
    EXPECT_EQ(rig.view.diagnostics.back(), 170) << "the box's answer to the re-handshake";
    EXPECT_EQ(rig.link.ResponseCode, 170);
    EXPECT_EQ(rig.box.codeRequests().size(), 1u);
    EXPECT_EQ(rig.view.ends, 0);

    // Back in step: the next press is read normally.
    rig.tick();
    rig.buzz(3);
    rig.tick();
    EXPECT_EQ(rig.view.shownPlayers(), std::vector<int>{3});
    EXPECT_EQ(rig.view.communicationProblems, 1);
}

TEST(ScreenLink, AWiredBoxStallingInItsSecondByteShowsNobody) {
    for (int model : {180, 210}) {
        LinkRig rig(model, ScreenPair::P3_4);
        rig.tick();
        rig.box.stallNextCode(12);
        rig.buzz(1);
        rig.tick();
        EXPECT_EQ(rig.view.communicationProblems, 1) << model;
        EXPECT_TRUE(rig.view.shown.empty());
        EXPECT_TRUE(rig.porttimer);
        EXPECT_EQ(rig.box.resets(), 0) << "the box answered the first request";
    }
}

TEST(ScreenLink, CancelInTheRecoveryEndsTheProgram) {
    LinkRig rig(210, ScreenPair::P2_5);
    rig.tick();
    rig.box.stallNextCode(4);
    rig.buzz(1);
    rig.box.scriptReplies({SimulatedInterface::Reply{SimulatedInterface::Reply::Kind::Silent},
                           SimulatedInterface::Reply{SimulatedInterface::Reply::Kind::Silent}});
    rig.tick();
    EXPECT_EQ(rig.view.communicationProblems, 1);
    EXPECT_EQ(rig.view.retryQuestions, 1);
    EXPECT_EQ(rig.view.ends, 1);
    EXPECT_TRUE(rig.view.shown.empty());
}

TEST(ScreenLink, TheUsbModelIsNotPolledOverTheParallelPortOnItsScreen) {
    LinkRig usb(199, ScreenPair::P2_4);
    usb.tick();
    EXPECT_TRUE(usb.box.dataWrites().empty());
    EXPECT_TRUE(usb.view.diagnostics.empty());

    LinkRig other(199, ScreenPair::P3_4);
    other.tick();
    EXPECT_EQ(other.box.dataWrites(), std::vector<int>{19});
}

TEST(ScreenLink, AnUnknownModelCodeIsReadAndIgnored) {
    LinkRig rig(170, ScreenPair::P2_4);
    rig.state.InterfaceModel = 190;
    rig.tick();
    rig.buzz(1);
    rig.tick();
    EXPECT_TRUE(rig.view.shown.empty());
    EXPECT_EQ(count(rig.box.dataWrites(), 2), 4) << "the code was fetched";
    EXPECT_TRUE(rig.porttimer);
}
