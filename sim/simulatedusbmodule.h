#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>

#include <QObject>

#include "usb/hidtransport.h"

// The USB digital I/O module of the USB lockout (model 199), simulated on
// its side of the HID link. The program hands it to the USB control in
// place of the hidapi backend, so the control's own search, command reports
// and input reports run against it.
//
// What the module does, as far as the lockout relies on it:
//   - it enumerates as vendor 3250, product 1, with 8-byte input and output
//     reports (no report identifiers);
//   - command 1 (2) writes the data byte to port P0's (P1's) latch;
//   - command 3 (4) answers with one input report whose byte 2 is the
//     port's value;
//   - the ports are quasi-bidirectional: a line reads high only while both
//     its latch bit and whatever drives it from outside are high, so with
//     the latch at 0xFF (as after power-up) a port reads its input lines;
//   - an analogue conversion starts when P1 bit 0 falls; bits 1 and 3 pick
//     the channel (both: 1, bit 1: 2, bit 3: 3, neither: 4) and the next
//     port-0 read answers with the channel's value instead of the lines.
//
// The player buttons pull port-0 lines low: Alpha players 1 to 4 on lines 4
// to 7, Beta players 5 to 8 on lines 0 to 3.
class SimulatedUsbModule : public QObject, public usbio::HidTransport {
    Q_OBJECT
    Q_INTERFACES(usbio::HidTransport)

public:
    static constexpr const char* kPath = "sim:usb-dio-12";
    static constexpr std::uint16_t kVendorId = 3250;
    static constexpr std::uint16_t kProductId = 1;

    explicit SimulatedUsbModule(QObject* parent = nullptr);
    ~SimulatedUsbModule() override;

    // HidTransport
    std::vector<usbio::HidDeviceInfo> enumerate(std::uint16_t vendorId) override;
    std::unique_ptr<usbio::HidHandle> open(const std::string& path, QString* error) override;

    // The module's report descriptor.
    static std::vector<std::uint8_t> descriptor();

    // --- The module's side -------------------------------------------------
    // Unplugging makes the open handles fail and the module vanish from the
    // enumeration until it is plugged in again.
    void setAttached(bool attached);
    bool attached() const;

    // How long after a port-read command its answer reaches the host; until
    // then a read waits for it (within its time limit). 0, the default,
    // answers at once.
    void setAnswerDelay(std::chrono::microseconds delay);

    // Port 0's input lines: 0xFF when nothing pulls any low.
    void setPort0Lines(std::uint8_t lines);
    std::uint8_t port0Lines() const;
    // Pulls one line (0 to 7) low or lets it go high.
    void setLine(int line, bool low);
    // Presses or releases a player's button (1 to 8); other numbers do
    // nothing.
    void pressPlayer(int player, bool pressed);
    static int lineOfPlayer(int player);

    void setPort1Lines(std::uint8_t lines);
    // Channel 1 to 4's conversion value.
    void setChannel(int channel, std::uint8_t value);

    // --- What the host did -------------------------------------------------
    std::uint8_t port0Latch() const;
    std::uint8_t port1Latch() const;
    int openHandles() const;
    // Command reports received, and of them port reads (commands 3 and 4).
    int commands() const;
    int portReads() const;

    struct Board;

private:
    std::shared_ptr<Board> board_;
};
