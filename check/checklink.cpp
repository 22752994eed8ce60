#include "check/checklink.h"

namespace check {

namespace {

void recover(buzzlink::LinkPort link, ScreenPair screen, CheckView& view) {
    view.reportCommunicationProblem();
    std::int16_t answer = 0;
    if (!buzzlink::rehandshake(link, screen, view, answer)) view.endProgram();
}

}  // namespace

std::optional<buzzlink::Code> pollForCheck(buzzlink::LinkPort link, ScreenPair screen,
                                           bool secondByte, CheckView& view) {
    const buzzlink::Poll poll = buzzlink::pollStep(link);
    view.showDiagnostic(poll.readyLine);
    if (poll.outcome == buzzlink::PollOutcome::NothingWaiting) return std::nullopt;
    if (poll.read.complete) view.showDiagnostic(poll.read.code);
    if (poll.outcome == buzzlink::PollOutcome::ReadFailed) {
        recover(link, screen, view);
        return std::nullopt;
    }
    buzzlink::Code code;
    code.first = static_cast<std::uint8_t>(poll.read.code & 0xFF);
    if (!secondByte) return code;
    const buzzlink::CodeRead second = buzzlink::readCode(link);
    if (second.complete) view.showDiagnostic(second.code);
    if (!second.succeeded) {
        recover(link, screen, view);
        return std::nullopt;
    }
    code.second = static_cast<std::uint8_t>(second.code & 0xFF);
    return code;
}

}  // namespace check
