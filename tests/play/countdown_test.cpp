// The clock's arithmetic and its display, apart from the window.
#include <gtest/gtest.h>

#include "play/countdown.h"

using countdown::ClockTime;

TEST(Countdown, ClockText) {
    struct Case {
        ClockTime time;
        const char* text;
    };
    const Case cases[] = {
        {{15, 0}, " 15:00"}, {{0, 0}, " 0:00"},   {{9, 5}, " 9:05"},   {{120, 59}, " 120:59"},
        {{1, 100}, " 1:00"}, {{1, 123}, " 1:23"}, {{-3, 7}, " -3:07"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(countdown::clockText(c.time), QString::fromLatin1(c.text))
            << c.time.minutes << ":" << c.time.seconds;
    }
}

TEST(Countdown, ReadMatchTime) {
    struct Case {
        const char* text;
        ClockTime time;
    };
    const Case cases[] = {
        {"15:00", {15, 0}},
        {" 14:32", {14, 32}},
        {"7:30", {7, 30}},
        {"abc", {0, 0}},
        {"", {0, 0}},
        {"5", {5, 5}},
        {"100:00", {100, 0}},
        {"1e9:00", {0, 0}},  // too large for the clock:
                             // counts as no number
        {"12ab", {12, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(countdown::readMatchTime(QString::fromLatin1(c.text)), c.time) << c.text;
    }
}

TEST(Countdown, ClockStepsDownAndStopsAtZero) {
    ClockTime t{1, 1};
    const char* expected[] = {" 1:00", " 0:59", " 0:58"};
    for (const char* text : expected) {
        t = countdown::clockStep(t, true);
        EXPECT_EQ(countdown::clockText(t), QString::fromLatin1(text));
    }
    EXPECT_FALSE(countdown::clockExpired({0, 1}));
    const ClockTime last = countdown::clockStep({0, 1}, true);
    EXPECT_EQ(last, (ClockTime{0, 0}));
    EXPECT_TRUE(countdown::clockExpired(last));
    // The tick that finds it expired has stopped the clock: no minute is
    // borrowed and the seconds stay at 0.
    EXPECT_EQ(countdown::clockStep(last, false), (ClockTime{0, 0}));
    // The extremes do not wrap.
    EXPECT_EQ(countdown::clockStep({-32768, 0}, true), (ClockTime{-32768, 59}));
}

TEST(Countdown, ResponseTimer) {
    EXPECT_EQ(countdown::timerStep(5), 4);
    EXPECT_FALSE(countdown::timerExpired(1));
    EXPECT_TRUE(countdown::timerExpired(0));
    EXPECT_TRUE(countdown::timerExpired(-1));
    EXPECT_EQ(countdown::timerStep(-32768), -32768);
    EXPECT_EQ(countdown::readLength(QStringLiteral("10")), 10);
    EXPECT_EQ(countdown::readLength(QStringLiteral(" 2.5 s")), 2);
    EXPECT_EQ(countdown::readLength(QStringLiteral("32767")), 32767);
    EXPECT_EQ(countdown::readLength(QStringLiteral("32768")), 0);
    EXPECT_EQ(countdown::readLength(QStringLiteral("-32768")), -32768);
    EXPECT_EQ(countdown::readLength(QStringLiteral("none")), 0);
}
