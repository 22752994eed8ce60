// When the match box says there is no time left.
#include <gtest/gtest.h>

#include "menu/matchbox.h"

TEST(MatchBox, ReadsAsZeroOnlyWithoutMinutesAndSeconds) {
    struct Case {
        const char* text;
        bool zero;
        bool minutes;
    };
    const Case cases[] = {
        {"0:00", true, false},  {"", true, false},      {"0", true, false},
        {" 0:00", true, false}, {"0:30", false, false}, {"15:00", false, true},
        {"1:00", false, true},  {"abc", true, false},   {"0:05", false, false},
        {"10:00", false, true}, {"12", false, true},    {"-1:00", false, true},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(matchbox::readsAsZero(text), c.zero) << '"' << c.text << '"';
        EXPECT_EQ(matchbox::hasMinutes(text), c.minutes) << '"' << c.text << '"';
    }
}
