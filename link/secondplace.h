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
    Decode,    // no respondent waiting: the decoder shows this code
    Captured,  // taken as a second respondent; the screen is not changed
    Held,      // captured from another team: hold it and stop polling
};

// A code was read by the poll. While nobody is waiting it is shown, and
// with the lock-up on (`lockUpOn`) it becomes the first respondent. While a
// first respondent is waiting it is captured instead; on a wireless model
// a capture from another team than the first respondent's is held.
Step onCodeRead(ProgramState& state, ScreenPair screen, bool lockUpOn, std::int16_t code);

// The operator cleared with the mouse while SecondPlaceHeld: releases the
// lock-up. Returns the code to show as a new buzz-in, or nothing when the
// two respondents are on the same team (including when nobody was
// captured).
std::optional<std::int16_t> release(ProgramState& state);

// The space key starts a new question: any respondent held for second
// place is dropped without being shown, and the next buzz-in is a new first
// respondent.
void startNewQuestion(ProgramState& state);

}  // namespace buzzlink::secondplace
