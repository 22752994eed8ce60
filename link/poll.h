#pragma once

#include <cstdint>

#include "app/clock.h"
#include "app/portlibrary.h"
#include "link/serialread.h"

namespace buzzlink {

// The box as a play screen reaches it: the port layer, the clock for the
// read budget, and the data register's address (status at + 1).
struct LinkPort {
    PortLibrary& port;
    Clock& clock;
    std::uint16_t address;
};

// One buzz-in code read from the box (the core of sdata).
struct CodeRead {
    // The eight bits the read gathered, least significant first; a partial
    // code when the read gave up.
    int code = 0;
    // Every bit arrived (the code is then shown, even when it took too long).
    bool complete = false;
    // Every bit arrived in less than the budget.
    bool succeeded = false;
};

// Reads one code, the budget counted from now over the whole byte.
CodeRead readCode(LinkPort link);

enum class PollOutcome {
    NothingWaiting,  // the ready line was high: no code
    CodeRead,        // a code was read in time
    ReadFailed,      // a code was waiting but did not arrive in time
};

struct Poll {
    PollOutcome outcome = PollOutcome::NothingWaiting;
    // The first status read AND 32 ("0" or "32" in the diagnostic label).
    int readyLine = 0;
    // The read, when a code was waiting.
    CodeRead read;
};

// One poll of the box: writes the poll request 19, reads the status twice
// (the first for the diagnostic, the second to decide), and when the ready
// line is low reads the waiting code.
Poll pollStep(LinkPort link);

}  // namespace buzzlink
