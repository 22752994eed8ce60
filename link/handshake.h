#pragma once

#include <cstdint>

#include <QString>

#include "app/clock.h"
#include "app/portlibrary.h"
#include "app/programstate.h"

// What the start-up detection shows on the title screen and asks the
// operator.
class HandshakeView {
public:
    virtual ~HandshakeView() = default;
    virtual void showPortAddress(std::uint16_t address) = 0;  // Label3
    virtual void showOperatingSystem(bool isNt) = 0;          // Label4
    virtual void showLibraryState(const QString& state) = 0;  // Label5
    virtual void showCode(int code) = 0;                      // Label1
    virtual void showModel(int model) = 0;                    // Label7, LabelKestrane
    // The interface was not found: true to try again, false to give up.
    virtual bool askRetry() = 0;
};

namespace handshake {

// Where the first parallel port usually lives (0x378).
inline constexpr std::uint16_t kFallbackAddress = 888;

// The codes a box may answer with at start-up.
inline bool acceptedAtStartup(int code) { return code >= 170 && code <= 220; }

// One request for the model code at `address`: writes 223 and reads the
// answer within the budget. Returns the code, or -1 when the box did not
// complete it in time; `code` holds the bits gathered either way.
int requestModelCode(PortLibrary& port, Clock& clock, std::uint16_t address, std::int16_t& code);

// The reset request (32, then 0 unless `holdLine`) and the 1 s pause that
// gives the box time to start again. Start-up releases the line at once; the
// play screens leave it raised through the pause, until the next request
// for the model code lowers it.
void resetAndPause(PortLibrary& port, Clock& clock, std::uint16_t address, bool holdLine = false);

// Finds the interface: asks the port layer for the port address, tries it
// twice (with a reset between), then the usual address 888 twice, and asks
// the operator to retry when nothing answered. On success PortAddress and
// InterfaceModel are set and true is returned; false means the operator
// gave up.
bool findInterface(PortLibrary& port, Clock& clock, ProgramState& state, HandshakeView& view);

// The maker line of the title screen for an accepted model code.
QString makerCaption(int model);

}  // namespace handshake
