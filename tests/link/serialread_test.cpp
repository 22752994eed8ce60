// The bit-serial read against a hand-driven port, independent of the
// simulated box.
#include <gtest/gtest.h>

#include <vector>

#include "app/clock.h"
#include "link/serialread.h"

namespace {

// Presents the given bits: the ready line low for even bits and high for odd
// ones, moving on at each acknowledgement.
class BitPort final : public PortLibrary {
public:
    explicit BitPort(std::vector<int> bits) : bits_(std::move(bits)) {}
    int version() override { return 0; }
    std::uint16_t lptPortAddress(int) override { return 888; }
    bool isWinNT() override { return false; }
    QString lastState() override { return {}; }
    void outport(std::uint16_t, std::uint8_t value) override {
        acks.push_back(value);
        if (bit_ < static_cast<int>(bits_.size())) ++bit_;
    }
    std::uint8_t inport(std::uint16_t address) override {
        EXPECT_EQ(address, 889);
        if (bit_ >= static_cast<int>(bits_.size())) return 0x20;  // idle, ready high
        std::uint8_t status = (bit_ % 2) ? 0x20 : 0x00;
        if (bits_[bit_]) status |= 0x10;
        return status;
    }
    std::vector<int> acks;

private:
    std::vector<int> bits_;
    int bit_ = 0;
};

}  // namespace

TEST(SerialRead, BitZeroIsTheLeastSignificant) {
    struct Case {
        std::vector<int> bits;
        int value;
    };
    const Case cases[] = {{{1, 0, 0, 0, 0, 0, 0, 0}, 1},
                          {{0, 0, 0, 0, 0, 0, 0, 1}, 128},
                          {{0, 1, 0, 1, 0, 1, 0, 1}, 0xAA},
                          {{0, 1, 0, 0, 1, 0, 1, 1}, 0xD2},
                          {{1, 1, 1, 1, 1, 1, 1, 1}, 255}};
    for (const Case& c : cases) {
        ManualClock clock(0.0, 1e-6);
        BitPort port(c.bits);
        const auto read = buzzlink::readSerialByte(port, clock, 888, clock.now());
        EXPECT_TRUE(read.complete);
        EXPECT_TRUE(buzzlink::readSucceeded(read));
        EXPECT_EQ(read.value, c.value);
        EXPECT_EQ(port.acks, (std::vector<int>{2, 18, 2, 18, 2, 18, 2, 18}));
    }
}

TEST(SerialRead, ReadsTheClockBeforeEveryStatusSoTheLimitCoversTheByte) {
    // A port that never toggles: the read gives up just past the budget.
    ManualClock clock(100.0, 0.001);
    BitPort port({});
    const double start = clock.now();
    const auto read = buzzlink::readSerialByte(port, clock, 888, start);
    EXPECT_FALSE(read.complete);
    EXPECT_GT(read.elapsed, 0.5);
    EXPECT_LE(read.elapsed, 0.502);
    EXPECT_TRUE(port.acks.empty());
}

TEST(SerialRead, AByteTakingHalfASecondOrMoreFailsThoughEveryBitArrived) {
    buzzlink::SerialRead read;
    read.complete = true;
    read.elapsed = 0.5;
    EXPECT_FALSE(buzzlink::readSucceeded(read));
    read.elapsed = 0.4999;
    EXPECT_TRUE(buzzlink::readSucceeded(read));
    read.complete = false;
    EXPECT_FALSE(buzzlink::readSucceeded(read));
}
