#include <gtest/gtest.h>

#include "snap/settings/margin_text.h"

TEST(ReadMarginEntry, ReadsInchesAsWholeHundredthsTowardZero)
{
    struct { const char *in; int32_t out; } cases[] = {
        {"1", 100}, {".75", 75}, {"2.5", 250}, {"0.755", 75}, {"1.999", 199},
        {"0.29", 29}, {"0.57", 57}, {"1.15", 115}, {"4.35", 435}, {"0.50", 50},
        {" 1.5", 150}, {"\t\n2 ", 200}, {"+3", 300}, {"0.009", 0}, {"5.", 500},
        {"007.5", 750}, {"0.50000001", 50}, {"-0", 0}, {"-0.001", 0}, {"20", 2000},
        {"20.009", 2000}, {"00000000000000000001", 100},
    };
    for (auto &c : cases) {
        int32_t margin = -1;
        EXPECT_EQ(ReadMarginEntry(c.in, &margin), MARGIN_ENTRY_OK) << '"' << c.in << '"';
        EXPECT_EQ(margin, c.out) << '"' << c.in << '"';
    }
}

TEST(ReadMarginEntry, RefusesWhatIsNoMarginAndKeepsTheOldValue)
{
    struct { const char *in; MarginEntry why; } cases[] = {
        {"abc", MARGIN_ENTRY_NOT_A_NUMBER}, {"1,5", MARGIN_ENTRY_NOT_A_NUMBER},
        {"", MARGIN_ENTRY_NOT_A_NUMBER}, {"  ", MARGIN_ENTRY_NOT_A_NUMBER},
        {".", MARGIN_ENTRY_NOT_A_NUMBER}, {"-", MARGIN_ENTRY_NOT_A_NUMBER},
        {"1e2", MARGIN_ENTRY_NOT_A_NUMBER}, {"1 2", MARGIN_ENTRY_NOT_A_NUMBER},
        {"0x10", MARGIN_ENTRY_NOT_A_NUMBER}, {"1..5", MARGIN_ENTRY_NOT_A_NUMBER},
        {"inf", MARGIN_ENTRY_NOT_A_NUMBER}, {"--1", MARGIN_ENTRY_NOT_A_NUMBER},
        {"-0.25", MARGIN_ENTRY_NEGATIVE}, {"-0.01", MARGIN_ENTRY_NEGATIVE},
        {"-99999999999999999999", MARGIN_ENTRY_NEGATIVE},
        {"20.01", MARGIN_ENTRY_TOO_WIDE}, {"21", MARGIN_ENTRY_TOO_WIDE},
        {"999999999", MARGIN_ENTRY_TOO_WIDE}, {"99999999999999999999.5", MARGIN_ENTRY_TOO_WIDE},
    };
    for (auto &c : cases) {
        int32_t margin = 77;
        EXPECT_EQ(ReadMarginEntry(c.in, &margin), c.why) << '"' << c.in << '"';
        EXPECT_EQ(margin, 77) << '"' << c.in << '"';
    }
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

TEST(FormatMargin, EveryAcceptedMarginReadsBackUnchanged)
{
    for (int32_t m = 0; m <= MARGIN_LIMIT; ++m) {
        char text[MARGIN_TEXT_SIZE];
        FormatMargin(m, text, sizeof text);
        int32_t back = -1;
        ASSERT_EQ(ReadMarginEntry(text, &back), MARGIN_ENTRY_OK) << text;
        EXPECT_EQ(back, m) << text;
    }
}
