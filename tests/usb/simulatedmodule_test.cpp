// The control's real code against the simulated module, as the simulated
// USB lockout runs it.
#include <gtest/gtest.h>

#include <chrono>

#include "sim/simulatedusbmodule.h"
#include "usb/usbcontrol.h"

namespace {

struct Rig {
    SimulatedUsbModule module;
    UsbControl control{nullptr};
    int pausedMs = 0;

    Rig() {
        control.setPause([this](int ms) { pausedMs += ms; });
        EXPECT_TRUE(control.useTransport(&module));
    }

    // One tick of the lockout's poll: read, search, read; the second value.
    int pollTick() {
        control.RD_P0();
        control.Find_USB_Device();
        return control.RD_P0().toInt();
    }
};

TEST(SimulatedModule, ThePlayersButtonsPullTheirPort0LinesLow) {
    // Inverted, the lines are the players' bits of the USB lockout.
    const std::pair<int, int> bits[] = {{1, 0x10}, {2, 0x20}, {3, 0x40}, {4, 0x80},
                                        {5, 0x01}, {6, 0x02}, {7, 0x04}, {8, 0x08}};
    Rig rig;
    rig.control.Find_USB_Device();
    EXPECT_EQ(rig.control.RD_P0().toInt(), 0xFF);
    for (const auto& [player, bit] : bits) {
        SCOPED_TRACE(player);
        rig.module.pressPlayer(player, true);
        EXPECT_EQ(rig.control.RD_P0().toInt() ^ 0xFF, bit);
        rig.module.pressPlayer(player, false);
        EXPECT_EQ(rig.control.RD_P0().toInt(), 0xFF);
    }
    // A tie: both lines low at once.
    rig.module.pressPlayer(1, true);
    rig.module.pressPlayer(5, true);
    EXPECT_EQ(rig.control.RD_P0().toInt(), 0xEE);
    // Numbers beyond the eight buttons press nothing.
    rig.module.setPort0Lines(0xFF);
    rig.module.pressPlayer(0, true);
    rig.module.pressPlayer(9, true);
    EXPECT_EQ(rig.module.port0Lines(), 0xFF);
}

TEST(SimulatedModule, ThePollFindsTheModuleOnItsFirstTickAndReadsItOnEvery) {
    Rig rig;
    rig.module.pressPlayer(3, true);
    // The first tick's first read only searches; its second read already
    // has the module.
    EXPECT_EQ(rig.pollTick(), 0xBF);
    for (int tick = 0; tick < 2000; ++tick) {
        ASSERT_EQ(rig.pollTick(), 0xBF);
        ASSERT_EQ(rig.module.openHandles(), 2);
    }
    // Two port reads per tick, 10 ms after each command.
    EXPECT_EQ(rig.module.portReads(), 1 + 2 * 2000);
    EXPECT_EQ(rig.pausedMs, 10 * (1 + 2 * 2000));
    EXPECT_EQ(rig.control.inputReportLength(), 9);
    EXPECT_EQ(rig.control.outputReportLength(), 9);
}

TEST(SimulatedModule, APluggedOutModuleGivesNoButtonsAndIsFoundAgainWhenBack) {
    Rig rig;
    rig.module.pressPlayer(1, true);
    ASSERT_EQ(rig.pollTick(), 0xEF);
    rig.module.setAttached(false);
    // The tick's first read fails quietly, the search finds nothing, and
    // the second read searches again: nothing to decode.
    EXPECT_EQ(rig.pollTick(), 0);
    EXPECT_EQ(rig.module.openHandles(), 0);
    rig.module.setAttached(true);
    EXPECT_EQ(rig.pollTick(), 0xEF);
    EXPECT_EQ(rig.module.openHandles(), 2);
}

TEST(SimulatedModule, PortsReadTheirLatchAndTheirLines) {
    Rig rig;
    rig.control.Find_USB_Device();
    EXPECT_TRUE(rig.control.WR_P0(0x0F));
    EXPECT_EQ(rig.module.port0Latch(), 0x0F);
    rig.module.setPort0Lines(0xF5);
    EXPECT_EQ(rig.control.RD_P0().toInt(), 0x05);

    EXPECT_TRUE(rig.control.WR_P1(0xF0));
    rig.module.setPort1Lines(0x3C);
    EXPECT_EQ(rig.module.port1Latch(), 0xF0);
    EXPECT_EQ(rig.control.RD_P1(), 0x30);
}

TEST(SimulatedModule, ChannelsAreConvertedThroughP1AndReadAsP0) {
    Rig rig;
    rig.control.Find_USB_Device();
    for (int ch = 1; ch <= 4; ++ch)
        rig.module.setChannel(ch, static_cast<std::uint8_t>(ch * 50));
    rig.module.setPort0Lines(0xFE);
    EXPECT_EQ(rig.control.VOLT_CH1(), 50);
    EXPECT_EQ(rig.control.VOLT_CH2(), 100);
    EXPECT_EQ(rig.control.VOLT_CH3(), 150);
    EXPECT_EQ(rig.control.VOLT_CH4(), 200);
    // Each conversion waited 70 ms; afterwards P0 reads its lines again.
    EXPECT_EQ(rig.pausedMs, 4 * 70);
    EXPECT_EQ(rig.control.RD_P0().toInt(), 0xFE);
}

TEST(SimulatedModule, TheModuleIsListedOnlyForItsVendorAndOpensOnlyByItsPath) {
    SimulatedUsbModule module;
    EXPECT_EQ(module.enumerate(0).size(), 1u);
    EXPECT_EQ(module.enumerate(3250).size(), 1u);
    EXPECT_TRUE(module.enumerate(0x046D).empty());
    QString error;
    EXPECT_EQ(module.open("/dev/hidraw0", &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    auto handle = module.open(SimulatedUsbModule::kPath, nullptr);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(module.openHandles(), 1);
    // A report that is not a command changes nothing.
    const std::vector<std::uint8_t> shortReport = {0, 1};
    EXPECT_EQ(handle->writeReport(shortReport), -1);
    EXPECT_EQ(module.commands(), 0);
    handle.reset();
    EXPECT_EQ(module.openHandles(), 0);
}

TEST(SimulatedModule, AnAnswerOnItsWayIsWaitedForOnlyWithinTheReadsTimeLimit) {
    Rig rig;
    rig.module.pressPlayer(3, true);
    rig.control.Find_USB_Device();
    // The control's own pause is skipped here, so the read itself waits.
    rig.module.setAnswerDelay(std::chrono::milliseconds(5));
    EXPECT_EQ(rig.control.RD_P0().toInt(), 0xBF);
    // Later than the read waits for: nothing is read.
    rig.module.setAnswerDelay(std::chrono::milliseconds(UsbControl::kReadTimeoutMs * 3));
    EXPECT_EQ(rig.control.RD_P0().toInt(), 0);
}

TEST(SimulatedModule, AHandleMayOutliveTheModule) {
    auto module = std::make_unique<SimulatedUsbModule>();
    auto handle = module->open(SimulatedUsbModule::kPath, nullptr);
    module.reset();
    const std::vector<std::uint8_t> read = {0, 3, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(handle->writeReport(read), 9);
    handle.reset();  // nothing left dangling
}

}  // namespace
