#include "link/screenlink.h"

#include <utility>

#include "link/dispatch.h"
#include "link/secondplace.h"

namespace buzzlink {

ScreenLink::ScreenLink(ScreenPair screen, PortLibrary& port, Clock& clock, Random& random,
                       ProgramState& state, LinkView& view)
    : screen_(screen), port_(port), clock_(clock), random_(random), state_(state), view_(view) {}

void ScreenLink::porttimerTick() {
    if (usesUsbPoll(state_.InterfaceModel, screen_)) return;

    const Poll poll = pollStep(link());
    view_.showDiagnostic(poll.readyLine);
    if (poll.outcome == PollOutcome::NothingWaiting) return;

    ResponseCode = static_cast<std::int16_t>(poll.read.code);
    if (poll.read.complete) view_.showDiagnostic(poll.read.code);
    if (poll.outcome == PollOutcome::ReadFailed) {
        view_.reportCommunicationProblem();
        handshake();
        return;
    }

    const ScreenSettings settings = view_.settings();
    switch (secondplace::onCodeRead(state_, screen_, lockUpOn(settings), ResponseCode)) {
    case secondplace::Step::Decode: break;
    case secondplace::Step::Captured:
        view_.reportCapture({ResponseCode, state_.SecondResponder, false});
        return;
    case secondplace::Step::Held:
        view_.stopPolling();
        view_.reportCapture({ResponseCode, state_.SecondResponder, true});
        return;
    }

    for (Decoder decoder : pollDecoders(state_.InterfaceModel, screen_)) {
        runDecoder(decoder, settings);
    }
}

bool ScreenLink::sdata() {
    ResponseCode = 0;
    const CodeRead read = readCode(link());
    ResponseCode = static_cast<std::int16_t>(read.code);
    if (read.complete) view_.showDiagnostic(read.code);
    if (read.succeeded) return true;
    view_.reportCommunicationProblem();
    handshake();
    return false;
}

void ScreenLink::handshake() {
    if (!rehandshake(link(), screen_, view_, ResponseCode)) {
        view_.endProgram();
        return;
    }
    view_.reportRecovered();
}

void ScreenLink::PlayerWaiting() {
    ResponseCode = state_.SecondResponder;
    const std::optional<std::int16_t> held = secondplace::release(state_);
    if (!held) return;
    const std::optional<Decoder> decoder = releaseDecoder(state_.InterfaceModel, screen_);
    if (!decoder) return;
    const bool wasReleasing = std::exchange(releasing_, true);
    struct Restore {
        bool& flag;
        bool value;
        ~Restore() { flag = value; }
    } restore{releasing_, wasReleasing};
    runDecoder(*decoder, view_.settings());
}

void ScreenLink::runDecoder(Decoder decoder, const ScreenSettings& settings) {
    Code code;
    code.first = static_cast<std::uint8_t>(ResponseCode & 0xFF);
    if (readsSecondByte(decoder)) {
        // A failed second read shows nothing; the poll goes on.
        if (!sdata()) return;
        code.second = static_cast<std::uint8_t>(ResponseCode & 0xFF);
    }
    const Decoded found = decode(decoder, screen_, code, settings.extraTransmitter, random_);
    if (!found.isPlayer()) return;
    ResponderNumber = static_cast<std::int16_t>(found.player);
    view_.showResponder(
        responderActions(decoder, screen_, found.player, settings, state_.StopTimerOnBuzz));
    view_.reportBuzzIn({decoder,
                        {code.first, code.second},
                        readsSecondByte(decoder) ? 2 : 1,
                        found.player,
                        found.pressedPlayers,
                        releasing_});
}

}  // namespace buzzlink
