// The bit-serial read and the poll step against a box whose status lines
// do anything at all: the read follows the handshake exactly, gives up at
// the first look at the clock past its budget, and is complete only when
// all eight bits were acknowledged; the poll reads a code only when the
// ready line is low.
//
// Input: byte 0 chooses the read or the poll step, byte 1 the clock's step
// per reading, bytes 2 and 3 the port address; every further byte is one
// status read (see ScriptedPort).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/poll.h"
#include "link/serialread.h"
#include "scriptedport.h"

using fuzzing::check;
using fuzzing::Event;

namespace {

// A stalled box costs one status read per clock step until the budget runs
// out, and the data reads of the bits that came before: this many at most.
long stallLimit(double step) { return static_cast<long>(buzzlink::kReadBudget / step) + 16; }

void fuzzRead(fuzzing::ScriptedPort& port, fuzzing::WatchedClock& clock, std::uint16_t base,
              std::vector<Event>& log) {
    const double start = clock.now();
    const buzzlink::SerialRead read = buzzlink::readSerialByte(port, clock, base, start);
    const fuzzing::ExpectedRead expected =
        fuzzing::checkSerialRead(log, 1, start, buzzlink::kReadBudget, base);
    check(expected.end == log.size(), "the read did more than the handshake");
    check(read.complete == expected.complete, "complete", read.complete);
    check(read.value == expected.value, "value", read.value);
    check(read.value >= 0 && read.value <= 255, "value beyond eight bits", read.value);
    check(read.elapsed == expected.elapsed, "elapsed");
    if (!read.complete) check(read.elapsed > buzzlink::kReadBudget, "gave up within the budget");
    check(buzzlink::readSucceeded(read) == (read.complete && read.elapsed < buzzlink::kReadBudget),
          "success");
}

void fuzzPoll(fuzzing::ScriptedPort& port, fuzzing::WatchedClock& clock, std::uint16_t base,
              std::vector<Event>& log) {
    const auto status = static_cast<std::uint16_t>(base + 1);
    const buzzlink::Poll poll = buzzlink::pollStep(buzzlink::LinkPort{port, clock, base});
    check(log.size() >= 3, "poll's first steps");
    check(log[0].kind == Event::Kind::Write && log[0].address == base &&
              log[0].value == buzzlink::kPollRequest,
          "poll request first");
    check(log[1].kind == Event::Kind::Status && log[1].address == status, "first status read");
    check(log[2].kind == Event::Kind::Status && log[2].address == status, "second status read");
    check(poll.readyLine == (log[1].value & 0x20), "diagnostic is the first read's ready line");
    if (log[2].value & 0x20) {
        check(poll.outcome == buzzlink::PollOutcome::NothingWaiting, "nothing waiting");
        check(log.size() == 3, "nothing waiting, nothing more read");
        return;
    }
    check(log.size() >= 4 && log[3].kind == Event::Kind::Clock, "the read's start time");
    const fuzzing::ExpectedRead expected =
        fuzzing::checkSerialRead(log, 4, log[3].time, buzzlink::kReadBudget, base);
    check(expected.end == log.size(), "the poll did more than one read");
    check(poll.read.code == expected.value, "code", poll.read.code);
    check(poll.read.complete == expected.complete, "complete");
    const bool inTime = expected.complete && expected.elapsed < buzzlink::kReadBudget;
    check(poll.read.succeeded == inTime, "succeeded");
    check(poll.outcome ==
              (inTime ? buzzlink::PollOutcome::CodeRead : buzzlink::PollOutcome::ReadFailed),
          "outcome");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::Input input(data, size);
    const bool poll = (input.take() & 1) != 0;
    // 10 us to 10 ms per reading of the clock: a stalled box then costs
    // from 50000 passes down to 50.
    static constexpr double kSteps[4] = {1e-5, 1e-4, 1e-3, 1e-2};
    const double step = kSteps[input.take() & 3];
    const auto base = static_cast<std::uint16_t>(input.take() | (input.take() << 8));

    std::vector<Event> log;
    log.reserve(1024);
    fuzzing::WatchedClock clock(1000.0, step, log);
    fuzzing::ScriptedPort port(input, clock, log);
    if (poll) {
        fuzzPoll(port, clock, base, log);
    } else {
        fuzzRead(port, clock, base, log);
    }
    check(port.stalledReads <= stallLimit(step), "reads of a stalled box", port.stalledReads);
    return 0;
}
