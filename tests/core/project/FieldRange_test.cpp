#include "core/project/FieldRange.h"

#include <gtest/gtest.h>

TEST(FieldRange, EntryStates) {
    using enum EntryState;
    struct Case {
        const char* text;
        int32_t low, high;
        EntryState want;
    } cases[] = {
        {"", 0, 10000, Intermediate},    {"  ", 0, 10000, Intermediate},
        {"10000", 0, 10000, Acceptable}, {"10001", 0, 10000, Intermediate},
        {" 12", 0, 10000, Acceptable},   {"12 ", 0, 10000, Invalid},
        {"0x", 0, 255, Intermediate},    {"0xFF", 0, 255, Acceptable},
        {"0x100", 0, 255, Intermediate}, {"$7f", 0, 255, Acceptable},
        {"0xG", 0, 255, Invalid},        {"1a", 0, 255, Invalid},
        {"-1", 0, 455, Invalid},         {"+", 0, 455, Invalid},
        {"-1", -5, 5, Acceptable},       {"-", -5, 5, Intermediate},
        {"0", 1, 250, Intermediate},     {"99999999999", 0, 63, Intermediate},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RangeEntryState(c.text, c.low, c.high), c.want) << '"' << c.text << '"';
}

TEST(FieldRange, Hint) {
    EXPECT_EQ(RangeHint(0, 10000, "ms"), "0 to 10000 ms (decimal, or hexadecimal as 0x...)");
    EXPECT_EQ(RangeHint(0, 63, ""), "0 to 63 (decimal, or hexadecimal as 0x...)");
}
