// Detection of the interface at start-up, against the simulated box on a
// manual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "app/clock.h"
#include "link/handshake.h"
#include "sim/simulatedinterface.h"

namespace {

using Reply = SimulatedInterface::Reply;

// Records what the title screen would show and answers the Retry/Cancel
// question from a script (Cancel once the script is used up).
struct RecordingView : HandshakeView {
    std::vector<std::uint16_t> addresses;
    std::vector<int> codes;
    QString libraryState;
    bool isNt = false;
    int model = 0;
    int retryQuestions = 0;
    std::deque<bool> retryAnswers;

    void showPortAddress(std::uint16_t a) override { addresses.push_back(a); }
    void showOperatingSystem(bool nt) override { isNt = nt; }
    void showLibraryState(const QString& s) override { libraryState = s; }
    void showCode(int c) override { codes.push_back(c); }
    void showModel(int m) override { model = m; }
    bool askRetry() override {
        ++retryQuestions;
        if (retryAnswers.empty()) return false;
        const bool retry = retryAnswers.front();
        retryAnswers.pop_front();
        return retry;
    }
};

struct Rig {
    explicit Rig(int model, std::uint16_t boxAt = 888) : box(model, clock, boxAt) {}
    ManualClock clock{5000.0, 1e-5};
    SimulatedInterface box;
    ProgramState state;
    RecordingView view;
    bool run() { return handshake::findInterface(box, clock, state, view); }
};

Reply code(int c) { return Reply{Reply::Kind::Code, c, 0.0, 8}; }
Reply silent() { return Reply{Reply::Kind::Silent, 0, 0.0, 8}; }
Reply late(double latency) { return Reply{Reply::Kind::Normal, 0, latency, 8}; }

}  // namespace

TEST(Handshake, EveryModelIsReadAndNamedOnTheFirstAttempt) {
    struct Case {
        int model;
        const char* maker;
    };
    for (const Case c : {Case{170, "Kestrane"}, Case{180, "Kestrane"}, Case{199, "Kestrane"},
                         Case{200, "Marlowen Tech."}, Case{210, "Marlowen Tech."}}) {
        Rig rig(c.model);
        ASSERT_TRUE(rig.run());
        EXPECT_EQ(rig.state.InterfaceModel, c.model);
        EXPECT_EQ(rig.state.PortAddress, 888);
        EXPECT_EQ(rig.view.model, c.model);
        EXPECT_EQ(handshake::makerCaption(c.model), QString::fromLatin1(c.maker));
        EXPECT_EQ(rig.view.codes, std::vector<int>{c.model});
        EXPECT_EQ(rig.box.codeRequests().size(), 1u) << "no second attempt for a good answer";
        EXPECT_EQ(rig.box.resets(), 0);
        EXPECT_EQ(rig.view.retryQuestions, 0);
    }
}

TEST(Handshake, TheRequestIsFollowedByOneAcknowledgementPerBit) {
    Rig rig(170);
    ASSERT_TRUE(rig.run());
    const std::vector<int> expected{223, 2, 18, 2, 18, 2, 18, 2, 18};
    EXPECT_EQ(rig.box.dataWrites(), expected);
}

TEST(Handshake, OnlyCodesFrom170To220AreAccepted) {
    struct Case {
        int answer;
        bool accepted;
    };
    for (const Case c : {Case{169, false}, Case{170, true}, Case{200, true}, Case{220, true},
                         Case{221, false}, Case{0, false}, Case{255, false}}) {
        Rig rig(170);
        // The first answer is the one under test; the box answers normally
        // after the reset.
        rig.box.scriptReplies({code(c.answer)});
        ASSERT_TRUE(rig.run());
        EXPECT_EQ(rig.view.codes.front(), c.answer) << "every completed read is shown";
        if (c.accepted) {
            EXPECT_EQ(rig.state.InterfaceModel, c.answer);
            EXPECT_EQ(rig.box.resets(), 0);
        } else {
            EXPECT_EQ(rig.state.InterfaceModel, 170) << c.answer << " must be retried";
            EXPECT_EQ(rig.box.resets(), 1);
            EXPECT_EQ(rig.view.codes.size(), 2u);
        }
    }
}

TEST(Handshake, ASilentFirstAnswerIsRetriedOnceAfterTheResetPause) {
    Rig rig(180);
    rig.box.scriptReplies({silent()});
    ASSERT_TRUE(rig.run());
    EXPECT_EQ(rig.state.InterfaceModel, 180);
    EXPECT_EQ(rig.box.resets(), 1);
    EXPECT_EQ(rig.view.codes, std::vector<int>{180}) << "a timed-out read shows nothing";

    // 223 (timed out), the reset pulse 32 then 0, a second 223 no sooner than
    // a second after the pulse began.
    const auto& w = rig.box.writes();
    std::vector<std::size_t> requests, resets;
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (w[i].value == 223) requests.push_back(i);
        if (w[i].value == 32) resets.push_back(i);
    }
    ASSERT_EQ(requests.size(), 2u);
    ASSERT_EQ(resets.size(), 1u);
    EXPECT_EQ(w[resets[0] + 1].value, 0);
    EXPECT_LT(requests[0], resets[0]);
    EXPECT_GT(requests[1], resets[0]);
    EXPECT_GE(w[requests[1]].time - w[resets[0]].time, 0.999);
    // The timed-out attempt gave up just past half a second.
    EXPECT_GT(w[resets[0]].time - w[requests[0]].time, 0.5);
    EXPECT_LT(w[resets[0]].time - w[requests[0]].time, 0.51);
}

TEST(Handshake, TheBudgetCoversTheWholeByteNotEachBit) {
    // A toggle 0.6 s after the request fails the attempt even though its bit
    // would be valid.
    {
        Rig rig(170);
        rig.box.scriptReplies({late(0.6)});
        ASSERT_TRUE(rig.run());
        EXPECT_EQ(rig.box.resets(), 1);
        EXPECT_EQ(rig.view.codes, std::vector<int>{170});
    }
    // 70 ms per toggle is fine for any one bit, but eight of them pass 0.5 s.
    {
        Rig rig(170);
        rig.box.scriptReplies({late(0.07)});
        ASSERT_TRUE(rig.run());
        EXPECT_EQ(rig.box.resets(), 1);
    }
    // 50 ms per toggle (0.4 s in all) is within the budget.
    {
        Rig rig(170);
        rig.box.scriptReplies({late(0.05)});
        ASSERT_TRUE(rig.run());
        EXPECT_EQ(rig.box.resets(), 0);
    }
}

TEST(Handshake, ABoxThatStopsMidByteFailsTheAttempt) {
    Rig rig(200);
    rig.box.scriptReplies({Reply{Reply::Kind::Normal, 0, 0.0, 5}});
    ASSERT_TRUE(rig.run());
    EXPECT_EQ(rig.box.resets(), 1);
    EXPECT_EQ(rig.state.InterfaceModel, 200);
}

TEST(Handshake, WithoutAnInterfaceItTriesTheLibraryAddressThen888ThenAsks) {
    Rig rig(170, /*boxAt=*/888);
    rig.box.setReportedAddress(956);
    rig.box.setSilent(true);
    rig.view.retryAnswers = {};  // Cancel
    EXPECT_FALSE(rig.run());

    const std::vector<std::uint16_t> order{956, 956, 888, 888};
    EXPECT_EQ(rig.box.codeRequests(), order);
    // The reset pulse precedes each second attempt at an address.
    std::vector<std::pair<int, int>> sequence;
    for (const auto& w : rig.box.writes()) {
        if (w.value == 223 || w.value == 32) sequence.emplace_back(w.address, w.value);
    }
    const std::vector<std::pair<int, int>> expected{{956, 223}, {956, 32}, {956, 223},
                                                    {888, 223}, {888, 32}, {888, 223}};
    EXPECT_EQ(sequence, expected);
    EXPECT_EQ(rig.view.addresses, (std::vector<std::uint16_t>{956, 888}));
    EXPECT_EQ(rig.view.retryQuestions, 1);
    EXPECT_EQ(rig.box.addressQueries(), 1);
    EXPECT_EQ(rig.state.InterfaceModel, 0) << "nothing is set when the operator gives up";
}

TEST(Handshake, RetryAsksTheLibraryAgainAndFindsABoxSwitchedOnMeanwhile) {
    Rig rig(210);
    rig.box.setSilent(true);
    int asked = 0;
    struct SwitchOnView final : RecordingView {
        SimulatedInterface* box = nullptr;
        int* asked = nullptr;
        bool askRetry() override {
            ++*asked;
            box->setSilent(false);  // the operator turned the box on
            return true;
        }
    } view;
    view.box = &rig.box;
    view.asked = &asked;
    ASSERT_TRUE(handshake::findInterface(rig.box, rig.clock, rig.state, view));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(rig.box.addressQueries(), 2);
    EXPECT_EQ(rig.state.InterfaceModel, 210);
    EXPECT_EQ(view.model, 210);
}

TEST(Handshake, ALibraryReporting888TriesItOnlyTwicePerPass) {
    Rig rig(170);
    rig.box.setSilent(true);
    rig.view.retryAnswers = {true};  // one Retry, then Cancel
    EXPECT_FALSE(rig.run());
    EXPECT_EQ(rig.box.codeRequests(), (std::vector<std::uint16_t>{888, 888, 888, 888}));
    const auto data = rig.box.dataWrites();
    EXPECT_EQ(std::count(data.begin(), data.end(), 32), 2);
    EXPECT_EQ(rig.view.retryQuestions, 2);
}

TEST(Handshake, AFullFailedPassTakesAboutFourSeconds) {
    Rig rig(170, 888);
    rig.box.setReportedAddress(956);
    rig.box.setSilent(true);
    const double start = rig.clock.peek();
    EXPECT_FALSE(rig.run());
    const double took = rig.clock.peek() - start;
    EXPECT_GT(took, 4.0);
    EXPECT_LT(took, 4.1);
}
