#pragma once

#include <cstdint>

#include "app/clock.h"
#include "app/portlibrary.h"

namespace buzzlink {

// The time one code may take from start to last bit.
inline constexpr double kReadBudget = 0.5;
// The pause after the reset pulse before the second attempt.
inline constexpr double kResetPause = 1.0;

inline constexpr std::uint8_t kStatusReady = 0x20;
inline constexpr std::uint8_t kStatusData = 0x10;
inline constexpr std::uint8_t kAckEven = 2;
inline constexpr std::uint8_t kAckOdd = 18;
inline constexpr std::uint8_t kRequestCode = 223;
inline constexpr std::uint8_t kResetRequest = 32;
inline constexpr std::uint8_t kPollRequest = 19;

struct SerialRead {
    // All eight bits arrived before the budget ran out at one of the waits.
    bool complete = false;
    // The bits gathered so far, least significant first.
    int value = 0;
    // Seconds from the start time to the end of the read.
    double elapsed = 0.0;
};

// Clocks one 8-bit code out of the interface at the data register `base`
// (status register base + 1): for each bit k, waits for the ready line to be
// low (even k) or high (odd k), takes the bit from the data line and
// acknowledges with 2 or 18. Each pass of a wait reads the clock before the
// status, and gives up once more than the budget has passed since `start`,
// so the budget covers the whole byte rather than each bit. The waits spin
// without sleeping: the box answers within microseconds.
SerialRead readSerialByte(PortLibrary& port, Clock& clock, std::uint16_t base, double start,
                          double budget = kReadBudget);

// The read of a buzz-in code: complete and within the budget ("0.5 s or
// more" fails even when every bit arrived).
inline bool readSucceeded(const SerialRead& read, double budget = kReadBudget) {
    return read.complete && read.elapsed < budget;
}

}  // namespace buzzlink
