#include "link/secondplace.h"

namespace buzzlink::secondplace {

int teamOfTransmitter(ScreenPair screen, int transmitter) {
    const int n = playersPerTeamOf(screen);
    if (transmitter <= n) return 1;
    if (teamsOf(screen) == 2 || transmitter <= 2 * n) return 2;
    return 3;
}

void markFirst(ProgramState& state, std::int16_t code) {
    state.SecondPlaceHeld = true;
    state.FirstResponder = code;
    // A new question: nothing captured before it may come back.
    state.SecondResponder = 0;
    state.FirstResponderTeam = 0;
    state.SecondResponderTeam = 0;
}

Step capture(ProgramState& state, ScreenPair screen, std::int16_t code) {
    state.SecondResponder = code;
    if (!model::isWireless(state.InterfaceModel)) return Step::Captured;
    state.FirstResponder = static_cast<std::int16_t>(state.FirstResponder & 0x0F);
    state.SecondResponder = static_cast<std::int16_t>(state.SecondResponder & 0x0F);
    state.FirstResponderTeam =
        static_cast<std::int16_t>(teamOfTransmitter(screen, state.FirstResponder));
    state.SecondResponderTeam =
        static_cast<std::int16_t>(teamOfTransmitter(screen, state.SecondResponder));
    // A team mate of the first respondent is passed over; the next buzz-in
    // takes the place.
    if (state.FirstResponderTeam == state.SecondResponderTeam) return Step::Captured;
    return Step::Held;
}

std::optional<std::int16_t> release(ProgramState& state) {
    state.SecondPlaceHeld = false;
    if (state.FirstResponderTeam == state.SecondResponderTeam) return std::nullopt;
    return state.SecondResponder;
}

void startNewQuestion(ProgramState& state) { state.SecondPlaceHeld = false; }

}  // namespace buzzlink::secondplace
