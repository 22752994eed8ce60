// A box whose status lines do whatever the fuzz input says, and a record of
// everything the link did with the port and the clock, in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/clock.h"
#include "app/portlibrary.h"

namespace fuzzing {

[[noreturn]] inline void fail(const char* what, long detail = 0) {
    std::fprintf(stderr, "link: %s (%ld)\n", what, detail);
    std::abort();
}

inline void check(bool condition, const char* what, long detail = 0) {
    if (!condition) fail(what, detail);
}

// The fuzz input taken a byte at a time; past its end every byte is 0.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    std::uint8_t take() { return pos_ < size_ ? data_[pos_++] : 0; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

struct Event {
    enum class Kind { Clock, Status, Write };
    Kind kind;
    double time;         // Clock: the reading; Status: the clock when read
    std::uint8_t value;  // Status: what the box showed; Write: the byte written
    std::uint16_t address;
};

// The link's clock: a ManualClock moving on a small step per reading, with
// every reading recorded.
class WatchedClock final : public Clock {
public:
    WatchedClock(double start, double step, std::vector<Event>& log)
        : clock_(start, step), log_(log) {}
    double now() override {
        const double t = clock_.now();
        log_.push_back({Event::Kind::Clock, t, 0, 0});
        return t;
    }
    void waitUntil(double time) override { clock_.waitUntil(time); }
    void advance(double seconds) { clock_.advance(seconds); }
    double peek() const { return clock_.peek(); }

private:
    ManualClock clock_;
    std::vector<Event>& log_;
};

// Each status read shows the next input byte. Its top two bits also stand
// for time the box takes before it answers (nothing, 0.1 ms, 10 ms or
// 0.2 s), so reads that complete close to the budget are reachable. Once the
// input is used up the lines stay as the last byte left them: a box that
// stopped toggling.
class ScriptedPort final : public PortLibrary {
public:
    ScriptedPort(Input& input, WatchedClock& clock, std::vector<Event>& log)
        : input_(input), clock_(clock), log_(log) {}

    int version() override { return 0; }
    std::uint16_t lptPortAddress(int) override { return 888; }
    bool isWinNT() override { return false; }
    QString lastState() override { return {}; }

    void outport(std::uint16_t address, std::uint8_t value) override {
        log_.push_back({Event::Kind::Write, clock_.peek(), value, address});
    }

    std::uint8_t inport(std::uint16_t address) override {
        if (!input_.empty()) {
            status_ = input_.take();
            static constexpr double kDelay[4] = {0.0, 1e-4, 1e-2, 0.2};
            clock_.advance(kDelay[status_ >> 6]);
        } else {
            ++stalledReads;
        }
        log_.push_back({Event::Kind::Status, clock_.peek(), status_, address});
        return status_;
    }

    // Status reads after the input ran out.
    long stalledReads = 0;

private:
    Input& input_;
    WatchedClock& clock_;
    std::vector<Event>& log_;
    std::uint8_t status_ = 0x20;  // idle: ready line high
};

// What a bit-serial read looks like from the port: for each bit k, wait
// passes (a clock reading within the budget, then a status read) until the
// ready line is low for even k and high for odd k, a status read for the
// data line, and the acknowledgement 2 or 18; then one clock reading for the
// time taken. A read that runs out of time ends at the first wait pass whose
// clock reading is over the budget. Checks the log from `pos` against that
// and returns the result it implies.
struct ExpectedRead {
    bool complete = false;
    int value = 0;
    double elapsed = 0.0;
    std::size_t end = 0;  // the log position after the read
};

inline ExpectedRead checkSerialRead(const std::vector<Event>& log, std::size_t pos, double start,
                                    double budget, std::uint16_t base) {
    const auto status = static_cast<std::uint16_t>(base + 1);
    ExpectedRead r;
    auto at = [&](std::size_t i) -> const Event& {
        check(i < log.size(), "the read's log ends early", static_cast<long>(i));
        return log[i];
    };
    for (int k = 0; k < 8; ++k) {
        const bool wantHigh = (k % 2) == 1;
        for (;;) {
            const Event& c = at(pos++);
            check(c.kind == Event::Kind::Clock, "a wait pass starts with the clock", k);
            if (c.time - start > budget) {
                check(pos == log.size() || log[pos].kind != Event::Kind::Status,
                      "status read after the budget ran out", k);
                r.elapsed = c.time - start;
                r.end = pos;
                return r;
            }
            const Event& s = at(pos++);
            check(s.kind == Event::Kind::Status && s.address == status, "wait reads the status", k);
            if (((s.value & 0x20) != 0) == wantHigh) break;
        }
        const Event& d = at(pos++);
        check(d.kind == Event::Kind::Status && d.address == status, "data read", k);
        if (d.value & 0x10) r.value += 1 << k;
        const Event& ack = at(pos++);
        check(ack.kind == Event::Kind::Write && ack.address == base, "acknowledgement", k);
        check(ack.value == (wantHigh ? 18 : 2), "acknowledgement byte", ack.value);
    }
    const Event& c = at(pos++);
    check(c.kind == Event::Kind::Clock, "the time taken is read at the end");
    r.complete = true;
    r.elapsed = c.time - start;
    r.end = pos;
    return r;
}

}  // namespace fuzzing
