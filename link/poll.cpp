#include "link/poll.h"

namespace buzzlink {

CodeRead readCode(LinkPort link) {
    const double start = link.clock.now();
    const SerialRead read = readSerialByte(link.port, link.clock, link.address, start);
    CodeRead result;
    result.code = read.value;
    result.complete = read.complete;
    result.succeeded = readSucceeded(read);
    return result;
}

Poll pollStep(LinkPort link) {
    const auto status = static_cast<std::uint16_t>(link.address + 1);
    link.port.outport(link.address, kPollRequest);
    Poll poll;
    poll.readyLine = link.port.inport(status) & kStatusReady;
    if (link.port.inport(status) & kStatusReady) return poll;
    poll.read = readCode(link);
    poll.outcome = poll.read.succeeded ? PollOutcome::CodeRead : PollOutcome::ReadFailed;
    return poll;
}

}  // namespace buzzlink
