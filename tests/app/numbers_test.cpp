#include <gtest/gtest.h>

#include <cmath>

#include "app/numbers.h"

using numbers::leadingNumber;

TEST(LeadingNumber, ReadsTheNumberATextBeginsWith) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"12abc", 12},   {"abc", 0},
        {"", 0},         {"15:00", 15},
        {"0:30", 0},     {"  42", 42},
        {"4 2", 42},     {"\t7\r\n", 7},
        {"-5", -5},      {"+5", 5},
        {"- 5", -5},     {"2.5", 2.5},
        {".5", 0.5},     {"5.", 5},
        {"1e3", 1000},   {"1e", 1},
        {"1E-2x", 0.01}, {"--5", 0},
        {"-", 0},        {".", 0},
        {"12:3", 12},    {" 16711680 ", 16711680},
        {"-1 ", -1},     {"0", 0},
        {"x12", 0},      {"99999", 99999},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(leadingNumber(QString::fromUtf8(c.text)), c.value) << '"' << c.text << '"';
    }
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const double cases[][2] = {{0.5, 0},   {1.5, 2},   {2.5, 2},    {3.5, 4},    {-0.5, 0},
                               {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {7, 7}};
    for (const auto& c : cases) {
        EXPECT_EQ(numbers::roundHalfEven(c[0]), c[1]) << c[0];
    }
}

TEST(ToInt16, OutOfRangeIsRefusedNeverWrapped) {
    EXPECT_EQ(numbers::toInt16(32767.0), 32767);
    EXPECT_EQ(numbers::toInt16(32767.4), 32767);
    EXPECT_EQ(numbers::toInt16(-32768.0), -32768);
    EXPECT_EQ(numbers::toInt16(-32768.5), -32768);       // rounds to the even -32768
    EXPECT_EQ(numbers::toInt16(32767.5), std::nullopt);  // would round to 32768
    EXPECT_EQ(numbers::toInt16(40000.0), std::nullopt);
    EXPECT_EQ(numbers::toInt16(-32769.0), std::nullopt);
    EXPECT_EQ(numbers::toInt16(std::nan("")), std::nullopt);
    EXPECT_EQ(numbers::textToInt16(QStringLiteral("99999")), std::nullopt);
    EXPECT_EQ(numbers::textToInt16(QStringLiteral("60 seconds")), 60);
    EXPECT_EQ(numbers::textToInt16(QStringLiteral("none")), 0);
}

TEST(ToInt32, ColoursFitAndHugeValuesAreRefused) {
    EXPECT_EQ(numbers::textToInt32(QStringLiteral(" 16711680 ")), 16711680);
    EXPECT_EQ(numbers::textToInt32(QStringLiteral("-2147483648")), -2147483647 - 1);
    EXPECT_EQ(numbers::textToInt32(QStringLiteral("2147483648")), std::nullopt);
    EXPECT_EQ(numbers::textToInt32(QStringLiteral("red")), 0);
}

TEST(PrintNumber, UsesTheSetupFileStyle) {
    EXPECT_EQ(numbers::printNumber(0), QStringLiteral(" 0 "));
    EXPECT_EQ(numbers::printNumber(5), QStringLiteral(" 5 "));
    EXPECT_EQ(numbers::printNumber(16711680), QStringLiteral(" 16711680 "));
    EXPECT_EQ(numbers::printNumber(-1), QStringLiteral("-1 "));
    EXPECT_EQ(numbers::printNumber(-32768), QStringLiteral("-32768 "));
    // What is printed reads back as the same number.
    for (long long v : {0LL, 1LL, -1LL, 12LL, -32768LL, 32767LL, 16777215LL}) {
        EXPECT_EQ(leadingNumber(numbers::printNumber(v)), static_cast<double>(v));
    }
}

TEST(SaturatingAdd, StopsAtTheLimits) {
    EXPECT_EQ(numbers::saturatingAdd(32760, 10), 32767);
    EXPECT_EQ(numbers::saturatingAdd(-32760, -10), -32768);
    EXPECT_EQ(numbers::saturatingAdd(5, -3), 2);
    EXPECT_EQ(numbers::saturatingAdd(32767, 32767LL * 10), 32767);
}
