#include <gtest/gtest.h>

#include <string>

#include "snap/settings/margin_text.h"

TEST(MarginFromText, ReadsInchesAsWholeHundredthsTowardZero)
{
    struct { const char *in; int32_t out; } cases[] = {
        {"1", 100}, {".75", 75}, {"2.5", 250}, {"0.755", 75}, {"1.999", 199},
        {"0.29", 29}, {"0.57", 57}, {"1.15", 115}, {"4.35", 435}, {"0.50", 50},
        {"abc", 0}, {"1,5", 100}, {" 1.5", 150}, {"\t\n2", 200}, {"", 0},
        {"-0.25", -25}, {"-1.999", -199}, {"-0.001", 0}, {"+3", 300}, {"0.009", 0},
        {".", 0}, {"-", 0}, {"-.5", -50}, {"5.", 500}, {"007.5", 750},
        {"1e2", 10000}, {"25e-2", 25}, {"1E+1", 1000}, {"1e", 100}, {"1e+", 100},
        {"1.5e-1x", 15}, {"0x10", 0}, {"1 2", 100}, {"nan", 0},
    };
    for (auto &c : cases)
        EXPECT_EQ(MarginFromText(c.in), c.out) << '"' << c.in << '"';
}

TEST(MarginFromText, OnlyTheFirstNineCharactersCount)
{
    EXPECT_EQ(MarginFromText("0.50000001"), 50);
    EXPECT_EQ(MarginFromText("0.0000009999"), 0);
    EXPECT_EQ(MarginFromText("        12"), 100);   // the 2 is the tenth character
    EXPECT_EQ(MarginFromText("1.2345678e2"), 123);  // exponent beyond the ninth
    EXPECT_EQ(MarginFromText("12345.6789"), 1234567);
}

TEST(MarginFromText, HundredthsOutside32BitsAreClamped)
{
    EXPECT_EQ(MarginFromText("21474836.47"), 2147483600);  // read as 21474836.
    EXPECT_EQ(MarginFromText("21474836"), 2147483600);
    EXPECT_EQ(MarginFromText("21474837"), INT32_MAX);
    EXPECT_EQ(MarginFromText("999999999"), INT32_MAX);
    EXPECT_EQ(MarginFromText("-99999999"), INT32_MIN);
    EXPECT_EQ(MarginFromText("1e9999999"), INT32_MAX);
    EXPECT_EQ(MarginFromText("-1e300"), INT32_MIN);
    EXPECT_EQ(MarginFromText("1e-999999"), 0);
    EXPECT_EQ(MarginFromText("0e9999999"), 0);
    EXPECT_EQ(MarginFromText("inf"), INT32_MAX);
    EXPECT_EQ(MarginFromText("-Infinity"), INT32_MIN);
    EXPECT_EQ(MarginFromText("2147483.6e1"), 214748360);  // the exponent is cut off
    EXPECT_EQ(MarginFromText("21474836.48e0"), 2147483600);
}

TEST(FormatMargin, InchesPointTwoDigits)
{
    struct { int32_t in; const char *out; } cases[] = {
        {50, "0.50"}, {125, "1.25"}, {5, "0.05"}, {205, "2.05"}, {100, "1.00"}, {0, "0.00"},
        {-25, "-0.25"}, {-125, "-1.25"}, {-5, "-0.05"},
        {INT32_MAX, "21474836.47"}, {INT32_MIN, "-21474836.48"},
    };
    for (auto &c : cases) {
        char text[MARGIN_TEXT_SIZE];
        FormatMargin(c.in, text, sizeof text);
        EXPECT_STREQ(text, c.out) << c.in;
    }
}

TEST(FormatMargin, ShownMarginsReadBackUnchangedWhileTheyFitNineCharacters)
{
    for (int32_t m : {0, 1, 5, 29, 50, 57, 99, 100, 115, 199, 435, 9999, 123456, 99999999,
                      -1, -25, -9999999}) {
        char text[MARGIN_TEXT_SIZE];
        FormatMargin(m, text, sizeof text);
        ASSERT_LE(std::string(text).size(), 9u) << m;
        EXPECT_EQ(MarginFromText(text), m) << text;
    }
}
