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
    if (state_.SecondPlaceHeld) {
        // A code that names nobody here (a transmitter the screen has no
        // player for, the spare handset while unassigned) is no respondent:
        // captured, it would hold nobody and shut out the real second.
        if (!namesPlayer(settings)) return;
        const bool held =
            secondplace::capture(state_, screen_, ResponseCode) == secondplace::Step::Held;
        if (held) view_.stopPolling();
        view_.reportCapture({ResponseCode, state_.SecondResponder, held});
        if (held) reportHeld(settings);
        return;
    }

    // The wired decoders read their second byte into ResponseCode; the
    // first respondent is the code the poll read.
    const std::int16_t first = ResponseCode;
    bool shown = false;
    // Where two decoders run on one code (model 200 on two of the screens)
    // the screen shows the press twice, but it is one press: told once.
    oneReportPerCode_ = true;
    reported_ = false;
    for (Decoder decoder : pollDecoders(state_.InterfaceModel, screen_)) {
        shown = runDecoder(decoder, settings) || shown;
    }
    oneReportPerCode_ = false;
    if (shown && lockUpOn(settings)) secondplace::markFirst(state_, first);
}

bool ScreenLink::namesPlayer(const ScreenSettings& settings) const {
    Code code;
    code.first = static_cast<std::uint8_t>(ResponseCode & 0xFF);
    for (Decoder decoder : pollDecoders(state_.InterfaceModel, screen_)) {
        // A wired code cannot be judged without its second byte, which a
        // capture does not read.
        if (readsSecondByte(decoder)) return true;
        if (decode(decoder, screen_, code, settings.extraTransmitter, random_).isPlayer()) {
            return true;
        }
    }
    return false;
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

bool ScreenLink::runDecoder(Decoder decoder, const ScreenSettings& settings) {
    Code code;
    code.first = static_cast<std::uint8_t>(ResponseCode & 0xFF);
    if (readsSecondByte(decoder)) {
        // A failed second read shows nothing; the poll goes on.
        if (!sdata()) return false;
        code.second = static_cast<std::uint8_t>(ResponseCode & 0xFF);
    }
    const Decoded found = decode(decoder, screen_, code, settings.extraTransmitter, random_);
    if (!found.isPlayer()) return false;
    ResponderNumber = static_cast<std::int16_t>(found.player);
    view_.showResponder(
        responderActions(decoder, screen_, found.player, settings, state_.StopTimerOnBuzz));
    if (oneReportPerCode_ && std::exchange(reported_, true)) return true;
    view_.reportBuzzIn({decoder,
                        {code.first, code.second},
                        readsSecondByte(decoder) ? 2 : 1,
                        found.player,
                        found.pressedPlayers,
                        releasing_});
    if (found.pressed > 1) {
        Decision tie;
        for (int p = 1; p < 16; ++p) {
            if (found.pressedPlayers & (1u << p)) tie.pressed.push_back(p);
        }
        tie.player = found.player;
        view_.reportDecision(tie);
    }
    return true;
}

void ScreenLink::reportHeld(const ScreenSettings& settings) {
    Decision held;
    held.kind = Decision::Kind::Waiting;
    held.transmitter = state_.SecondResponder;
    // Who the release will show: the held code through the release decoder
    // (a wireless one, which draws nothing).
    if (const std::optional<Decoder> decoder = releaseDecoder(state_.InterfaceModel, screen_)) {
        Code code;
        code.first = static_cast<std::uint8_t>(state_.SecondResponder & 0xFF);
        const Decoded found = decode(*decoder, screen_, code, settings.extraTransmitter, random_);
        if (found.isPlayer()) held.player = found.player;
    }
    view_.reportDecision(held);
}

}  // namespace buzzlink
