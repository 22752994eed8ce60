// The poll step and the code read, against the simulated box and a
// hand-timed port on a manual clock.
#include <gtest/gtest.h>

#include <vector>

#include "app/clock.h"
#include "link/poll.h"
#include "sim/simulatedinterface.h"

using buzzlink::PollOutcome;

namespace {

// A box whose buzz-in codes the test queues directly.
struct Box final : SimulatedInterface {
    using SimulatedInterface::queueCode;
    using SimulatedInterface::SimulatedInterface;
};

struct Rig {
    ManualClock clock{2000.0, 1e-5};
    Box box{170, clock};
    buzzlink::LinkPort link() { return {box, clock, 888}; }
};

// Presents eight bits at once, each toggle answered in no time, and moves
// the clock on by `perBit` with every acknowledgement.
class TimedBitPort final : public PortLibrary {
public:
    TimedBitPort(ManualClock& clock, int value, double perBit)
        : clock_(clock), value_(value), perBit_(perBit) {}
    int version() override { return 0; }
    std::uint16_t lptPortAddress(int) override { return 888; }
    bool isWinNT() override { return false; }
    QString lastState() override { return {}; }
    void outport(std::uint16_t, std::uint8_t v) override {
        writes.push_back(v);
        if (v == 2 || v == 18) {
            ++bit_;
            clock_.advance(perBit_);
        }
    }
    std::uint8_t inport(std::uint16_t) override {
        if (bit_ >= 8) return 0x20;
        std::uint8_t s = (bit_ % 2) ? 0x20 : 0x00;
        if ((value_ >> bit_) & 1) s |= 0x10;
        return s;
    }
    std::vector<int> writes;

private:
    ManualClock& clock_;
    int value_;
    double perBit_;
    int bit_ = 0;
};

}  // namespace

TEST(PollStep, AnIdleBoxIsAskedOnceAndNothingIsRead) {
    Rig rig;
    for (int tick = 0; tick < 3; ++tick) {
        const auto poll = buzzlink::pollStep(rig.link());
        EXPECT_EQ(poll.outcome, PollOutcome::NothingWaiting);
        EXPECT_EQ(poll.readyLine, 32);
    }
    EXPECT_EQ(rig.box.dataWrites(), (std::vector<int>{19, 19, 19})) << "no acknowledgement";
}

TEST(PollStep, AWaitingCodeIsReadLeastSignificantBitFirst) {
    for (int value : {1, 128, 0xAA, 0x0E, 0}) {
        Rig rig;
        rig.box.queueCode({static_cast<std::uint8_t>(value)});
        const auto poll = buzzlink::pollStep(rig.link());
        EXPECT_EQ(poll.outcome, PollOutcome::CodeRead);
        EXPECT_EQ(poll.readyLine, 0) << "the ready line is low while a code waits";
        EXPECT_EQ(poll.read.code, value);
        EXPECT_EQ(rig.box.dataWrites(), (std::vector<int>{19, 2, 18, 2, 18, 2, 18, 2, 18}));
        EXPECT_EQ(buzzlink::pollStep(rig.link()).outcome, PollOutcome::NothingWaiting);
    }
}

TEST(PollStep, TheBudgetCoversTheWholeByte) {
    struct Case {
        double latency;  // before each toggle
        PollOutcome outcome;
    };
    // Once the first bit is up, seven more toggles follow: 80 ms is nothing
    // for one bit, but seven of them pass half a second.
    for (const Case c : {Case{0.05, PollOutcome::CodeRead}, Case{0.07, PollOutcome::CodeRead},
                         Case{0.08, PollOutcome::ReadFailed}, Case{0.6, PollOutcome::ReadFailed}}) {
        Rig rig;
        rig.box.queueCode({0x05}, c.latency);
        // The box is slow to raise its first bit: the poll sees nothing yet.
        EXPECT_EQ(buzzlink::pollStep(rig.link()).outcome, PollOutcome::NothingWaiting);
        rig.clock.advance(c.latency);
        const double start = rig.clock.peek();
        const auto poll = buzzlink::pollStep(rig.link());
        EXPECT_EQ(poll.outcome, c.outcome) << c.latency;
        if (c.outcome == PollOutcome::CodeRead) {
            EXPECT_EQ(poll.read.code, 0x05);
        } else {
            EXPECT_FALSE(poll.read.complete);
            EXPECT_GT(rig.clock.peek() - start, 0.5);
            EXPECT_LT(rig.clock.peek() - start, 0.51) << "gives up as soon as the budget is spent";
        }
    }
}

TEST(ReadCode, HalfASecondExactlyFailsThoughEveryBitArrived) {
    struct Case {
        double perBit;
        bool succeeded;
    };
    for (const Case c : {Case{0.0625, false}, Case{0.0624, true}, Case{0.07, false}}) {
        ManualClock clock(0.0, 0.0);
        TimedBitPort port(clock, 0xD2, c.perBit);
        const auto read = buzzlink::readCode({port, clock, 888});
        // The last acknowledgement is what takes the byte over the budget.
        EXPECT_TRUE(read.complete) << c.perBit;
        EXPECT_EQ(read.succeeded, c.succeeded) << c.perBit;
        if (read.complete) {
            EXPECT_EQ(read.code, 0xD2);
        }
    }
}

TEST(PollStep, ABoxThatStopsInTheMiddleOfACodeFailsTheRead) {
    for (int bits : {0, 1, 5, 7}) {
        Rig rig;
        rig.box.queueCode({0xFF}, 0.0, bits);
        const auto poll = buzzlink::pollStep(rig.link());
        EXPECT_EQ(poll.outcome, bits == 0 ? PollOutcome::NothingWaiting : PollOutcome::ReadFailed)
            << bits;
        EXPECT_FALSE(poll.read.complete);
        EXPECT_EQ(poll.read.code, (1 << bits) - 1) << "the bits that did arrive";
    }
}

TEST(PollStep, AWiredBoxThatStallsAfterItsFirstByteFailsTheSecondRead) {
    ManualClock clock(0.0, 1e-5);
    SimulatedInterface box(180, clock);
    buzzlink::LinkPort link{box, clock, 888};
    EXPECT_EQ(buzzlink::pollStep(link).outcome, PollOutcome::NothingWaiting);
    box.stallNextCode(8);
    box.press(4);  // first byte bit 0x10: player 1
    const auto poll = buzzlink::pollStep(link);
    ASSERT_EQ(poll.outcome, PollOutcome::CodeRead);
    EXPECT_EQ(poll.read.code, 0xEF);
    const double start = clock.peek();
    const auto second = buzzlink::readCode(link);
    EXPECT_FALSE(second.complete);
    EXPECT_FALSE(second.succeeded);
    EXPECT_NEAR(clock.peek() - start, 0.5, 0.001);
}
