#pragma once

#include <cstdint>

#include <QString>

// Byte access to the parallel port the lockout interface hangs on. The data
// register is at the port's base address, the status register at base + 1.
//
// Two implementations exist: the Linux parallel-port driver (ppdev) for a
// real interface, and the simulated interface box for training, demonstration
// and tests.
class PortLibrary {
public:
    virtual ~PortLibrary() = default;

    // Version number of the port access layer, for display only.
    virtual int version() = 0;

    // Base I/O address of parallel port n (the program only ever asks for 1).
    virtual std::uint16_t lptPortAddress(int n) = 0;

    // Whether the operating system mediates port access, for display only.
    virtual bool isWinNT() = 0;

    // A status text of at most 30 characters, for display only.
    virtual QString lastState() = 0;

    // Puts the byte on the port's lines before returning.
    virtual void outport(std::uint16_t address, std::uint8_t value) = 0;

    // The register's value at the time of the call.
    virtual std::uint8_t inport(std::uint16_t address) = 0;
};

// The longest text lastState() returns.
inline constexpr int kLastStateLength = 30;
