#pragma once

#include <cstdint>

#include <QString>

// The arithmetic of the match clock and the response timer, apart from the
// window that shows them. Both count ticks: nothing here reads the time.
namespace countdown {

struct ClockTime {
    std::int16_t minutes = 0;
    std::int16_t seconds = 0;

    bool operator==(const ClockTime&) const = default;
};

// A match time as the set-up menu holds it ("15:00", " 14:32"): minutes from
// the number in its first three characters, seconds from its last two. A part
// without a number, or one too large for 16 bits, counts as 0.
ClockTime readMatchTime(const QString& text);

// The clock as the audience sees it: one space, the minutes unpadded, ":",
// and the seconds as two digits (a leading 0 below 10, the last two digits
// above 99).
QString clockText(ClockTime time);

// Whether the next tick of a running clock finds it run out: the tick after
// the one that showed 0:00.
inline bool clockExpired(ClockTime time) { return time.minutes == 0 && time.seconds == 0; }

// One second off the clock. A clock still running borrows a minute at :00;
// one that has just run out stays at 0:00.
ClockTime clockStep(ClockTime time, bool running);

// One second off the response timer; the timer has run out when the result
// is below 1.
std::int16_t timerStep(std::int16_t secondsLeft);
inline bool timerExpired(std::int16_t secondsLeft) { return secondsLeft < 1; }

// A timer length typed in the set-up menu: its leading number, rounded half
// to even. A text without a number, or a number outside 16 bits, gives 0, so
// the timer shows 0 and runs out on its first tick instead of running for a
// wrapped length.
std::int16_t readLength(const QString& text);

}  // namespace countdown
