// The simulated box's players: what a wired and a wireless box present for
// the buttons pressed, when they listen, and how they pace the transfer.
#include <gtest/gtest.h>

#include <vector>

#include "app/clock.h"
#include "link/poll.h"
#include "sim/simulatedinterface.h"
#include "support/recordingsound.h"

using buzzlink::PollOutcome;

namespace {

struct Rig {
    explicit Rig(int model) : box(model, clock) {}
    ManualClock clock{500.0, 1e-5};
    SimulatedInterface box;
    buzzlink::LinkPort link() { return {box, clock, 888}; }
    buzzlink::Poll poll() { return buzzlink::pollStep(link()); }
    // The code of the next poll, -1 when nothing was waiting.
    int next() {
        const auto p = poll();
        return p.outcome == PollOutcome::CodeRead ? p.read.code : -1;
    }
    int second() { return buzzlink::readCode(link()).code; }
    std::uint8_t status() { return box.inport(889); }
};

}  // namespace

TEST(SimulatedBox, AWiredBoxPresentsTheActiveLowMapOfTheLinesDown) {
    struct Case {
        std::vector<int> lines;
        int first, second;
    };
    const Case cases[] = {
        {{4}, 0xEF, 0xFF},         // first byte 0x10
        {{0}, 0xFE, 0xFF},         // first byte 0x01
        {{8}, 0xFF, 0xFE},         // second byte 0x01
        {{14}, 0xFF, 0xBF},        // second byte 0x40
        {{4, 0, 13}, 0xEE, 0xDF},  // three together
        {{7, 15}, 0x7F, 0x7F},
    };
    for (int model : {180, 210}) {
        for (const Case& c : cases) {
            Rig rig(model);
            EXPECT_EQ(rig.next(), -1);
            rig.box.pressTogether(c.lines);
            EXPECT_EQ(rig.next(), c.first);
            EXPECT_EQ(rig.second(), c.second);
            EXPECT_FALSE(rig.box.sending());
            EXPECT_EQ(SimulatedInterface::wiredMap(0), (std::vector<std::uint8_t>{0xFF, 0xFF}));
        }
    }
}

TEST(SimulatedBox, AWiredCodeHoldsEveryPressUntilTheFetchBegins) {
    Rig rig(180);
    rig.next();
    rig.box.press(4);
    rig.box.release(4);  // a quick press is latched
    rig.box.press(9);    // another before the poll: a tie
    EXPECT_EQ(rig.next(), 0xEF);
    // The map was taken when the fetch began: a press now is not in it.
    rig.box.press(10);
    EXPECT_EQ(rig.second(), 0xFD);
    EXPECT_FALSE(rig.box.buttonCodePending());

    // Held buttons are in the next code, once the box listens again.
    EXPECT_EQ(rig.next(), -1) << "held buttons do not buzz again by themselves";
    rig.box.press(0);
    EXPECT_EQ(rig.next(), 0xFE);
    EXPECT_EQ(rig.second(), 0xF9) << "9 and 10 are still held down";
}

TEST(SimulatedBox, PressesAreTakenOnlyWhileTheProgramPolls) {
    for (int model : {170, 180, 200, 210}) {
        Rig rig(model);
        rig.box.press(3);  // before any poll: the program is not listening
        EXPECT_FALSE(rig.box.buttonCodePending()) << model;
        rig.box.release(3);
        EXPECT_EQ(rig.next(), -1) << model;
        EXPECT_TRUE(rig.box.listening());
        rig.box.press(5);
        EXPECT_FALSE(rig.box.listening()) << "one code at a time";
        EXPECT_NE(rig.next(), -1);
        if (model == 180 || model == 210) rig.second();
        rig.box.release(5);
        // Locked out: the program fetched the code and stopped polling.
        EXPECT_FALSE(rig.box.listening());
        rig.box.press(6);
        rig.box.release(6);
        EXPECT_EQ(rig.next(), -1) << model << ": a press during the lock-out is lost";
    }
}

TEST(SimulatedBox, AWirelessBoxSendsTheFirstTransmitterItHears) {
    for (int model : {170, 200}) {
        Rig rig(model);
        rig.next();
        rig.box.pressTogether({9, 3});
        rig.box.press(4);
        EXPECT_EQ(rig.next(), 9) << model;
        EXPECT_EQ(rig.next(), -1) << "the others were locked out";
        rig.box.press(rig.box.extraTransmitter());
        EXPECT_EQ(rig.next(), model == 170 ? 14 : 0);
        EXPECT_FALSE(rig.box.isPressed(3)) << "a transmitter sends once";
    }
}

TEST(SimulatedBox, TheReadyLineMovesOnlyWhenTheProgramAcknowledges) {
    Rig rig(170);
    rig.next();
    rig.box.press(0b0110);
    // Bit 0 (0): ready low, data low, for as long as nobody acknowledges.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rig.status() & 0x30, 0x00);
    rig.box.outport(888, 18);  // the odd-bit acknowledgement is the wrong one
    EXPECT_EQ(rig.status() & 0x30, 0x00);
    rig.box.outport(888, 2);
    EXPECT_EQ(rig.status() & 0x30, 0x30) << "bit 1 (1): ready high, data high";
    rig.box.outport(888, 2);
    EXPECT_EQ(rig.status() & 0x30, 0x30);
    rig.box.outport(888, 18);
    EXPECT_EQ(rig.status() & 0x30, 0x10) << "bit 2 (1): ready low, data high";
}

TEST(SimulatedBox, AScriptedStallOrSilenceStopsTheCode) {
    {
        Rig rig(180);
        rig.next();
        rig.box.stallNextCode(10);
        rig.box.press(8);
        EXPECT_EQ(rig.next(), 0xFF);
        const auto second = buzzlink::readCode(rig.link());
        EXPECT_FALSE(second.complete);
        EXPECT_EQ(second.code, 0x02) << "bits 0 and 1 of 0xFE came";
        // Asked for its model code the box drops the hung code and answers.
        rig.box.release(8);
        rig.box.outport(888, 223);
        EXPECT_FALSE(rig.box.buttonCodePending());
        EXPECT_EQ(buzzlink::readCode(rig.link()).code, 180);
        EXPECT_EQ(rig.next(), -1);
        rig.box.press(9);
        EXPECT_EQ(rig.next(), 0xFF) << "the stall was for one code only";
        EXPECT_EQ(rig.second(), 0xFD);
    }
    {
        Rig rig(170);
        rig.next();
        rig.box.setSilent(true);
        rig.box.press(2);
        EXPECT_EQ(rig.next(), -1) << "a box that is off never signals";
        rig.box.setSilent(false);
        rig.box.press(2);
        EXPECT_EQ(rig.next(), 2);
    }
}

TEST(SimulatedBox, TheResetRequestDropsAWaitingCode) {
    Rig rig(200);
    rig.next();
    rig.box.press(5);
    EXPECT_TRUE(rig.box.buttonCodePending());
    rig.box.outport(888, 32);
    EXPECT_FALSE(rig.box.buttonCodePending());
    EXPECT_EQ(rig.next(), -1);
}

TEST(SimulatedBox, SpeakerBytesReachTheListenerAndTheSoundCard) {
    Rig rig(210);
    std::vector<int> heard;
    RecordingSound sound;
    rig.box.setSpeakerListener([&](int b) { heard.push_back(b); });
    rig.box.soundSpeakerThrough(&sound);
    for (int b : {0, 194, 19, 129, 65, 0, 146, 82, 2})
        rig.box.outport(888, static_cast<std::uint8_t>(b));
    EXPECT_EQ(heard, (std::vector<int>{0, 194, 129, 65, 0, 146, 82}));
    // The tone sounds while the speaker is on: a buzz-in high, the timers'
    // ends low; an off while it is silent asks for nothing.
    EXPECT_EQ(sound.tones, (std::vector<int>{880, 880, 880, 0, 440, 440}));
    EXPECT_TRUE(rig.box.speakerOn());
    rig.box.outport(956, 0);  // another port's write does not reach the box
    EXPECT_TRUE(rig.box.speakerOn());
}

TEST(SimulatedBox, TheUsbModelHasNoButtonsOnTheParallelPort) {
    Rig rig(199);
    EXPECT_FALSE(rig.box.hasButtons());
    rig.next();
    rig.box.press(3);
    EXPECT_FALSE(rig.box.buttonCodePending());
    EXPECT_EQ(rig.next(), -1);
    EXPECT_EQ(rig.box.extraTransmitter(), -1);
}
