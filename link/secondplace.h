#pragma once

#include <cstdint>
#include <optional>

#include "app/programstate.h"
#include "app/screenpair.h"

// Second-place lock-up: with the option on, the respondent after the first
// is held when on another team, and shown when the operator clears by
// mouse. The state is the program-wide FirstResponder, SecondResponder,
// FirstResponderTeam, SecondResponderTeam and SecondPlaceHeld.
namespace buzzlink::secondplace {

// The team (1 Alpha, 2 Beta, 3 Gamma) of a raw transmitter number, before
// any extra-transmitter lending: the extra transmitter counts by its own
// number.
int teamOfTransmitter(ScreenPair screen, int transmitter);

enum class Step {
    Captured,  // taken as a second respondent; the screen is not changed
    Held,      // captured from another team: hold it and stop polling
};

// A first respondent was shown while the lock-up is on: from now on the
// poll captures instead of showing. Only a code that was shown as a player
// may come here; a code that names nobody must leave the lock-up alone, or
// the next real press would be swallowed.
void markFirst(ProgramState& state, std::int16_t code);

// A code naming a player was read while a first respondent is waiting
// (SecondPlaceHeld). On a wireless model a capture from another team than
// the first respondent's is held; a team mate is passed over.
Step capture(ProgramState& state, ScreenPair screen, std::int16_t code);

// The operator cleared with the mouse while SecondPlaceHeld: releases the
// lock-up. Returns the code to show as a new buzz-in, or nothing when the
// two respondents are on the same team (including when nobody was
// captured).
std::optional<std::int16_t> release(ProgramState& state);

// The operator arms the system for a new question (the space bar, the
// auxiliary and bonus starts, the full reset): any respondent held for
// second place is dropped without being shown, and the next buzz-in is a new
// first respondent.
void startNewQuestion(ProgramState& state);

}  // namespace buzzlink::secondplace
