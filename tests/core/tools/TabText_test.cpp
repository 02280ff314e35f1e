#include "core/tools/TabText.h"

#include <gtest/gtest.h>

TEST(TabText, ParsesWhatSpreadsheetsCopy) {
    const struct {
        const char* text;
        TabRows rows;
    } cases[] = {
        {"", {}},
        {"a\tb\nc\td\n", {{"a", "b"}, {"c", "d"}}},
        {"a\tb\r\nc\td", {{"a", "b"}, {"c", "d"}}},
        {"a\t\t\n", {{"a", "", ""}}},
        {"\"x\ty\"\t\"two\nlines\"\n", {{"x\ty", "two\nlines"}}},
        {"\"say \"\"hi\"\"\"\tz\n", {{"say \"hi\"", "z"}}},
        // A quote not at a cell's start, or one never closed, is plain text.
        {"5\" disk\t\"open\n", {{"5\" disk", "\"open"}}},
        {"\"ab\"c\td\n", {{"\"ab\"c", "d"}}},
        {"\n\n", {{""}, {""}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseTabText(c.text), c.rows) << c.text;
}

TEST(TabText, WhatIsWrittenReadsBackUnchanged) {
    const TabRows rows = {{"1", "Holding Register", "", "Y"},
                          {"tab\there", "line\nend", "cr\rlf", "\"quoted\""},
                          {"", "", "", ""}};
    const std::string text = FormatTabText(rows);
    EXPECT_EQ(text.substr(0, 26), "1\tHolding Register\t\tY\n\"tab");
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(ParseTabText(text), rows);
}
