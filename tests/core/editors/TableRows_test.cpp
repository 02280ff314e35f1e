#include "core/editors/TableRows.h"

#include <gtest/gtest.h>

namespace {
// Rows of "key|value|swap" cells.
std::vector<TextRow> Rows(std::initializer_list<const char*> lines) {
    std::vector<TextRow> out;
    for (const char* l : lines) {
        TextRow row;
        std::string s = l;
        size_t start = 0;
        for (size_t bar; (bar = s.find('|', start)) != std::string::npos; start = bar + 1)
            row.push_back(s.substr(start, bar - start));
        row.push_back(s.substr(start));
        out.push_back(row);
    }
    return out;
}
const RowRule kRule{0, {2}};
} // namespace

TEST(TableRows, RowHasDataIgnoresUntouchedAndNSwap) {
    struct Case {
        const char* row;
        bool data;
    } cases[] = {{"||", false}, {"||N", false}, {"||Y", true}, {"a||", true},
                 {"|x|", true}, {"|N|", true},  {"||n", true}};
    for (const auto& c : cases)
        EXPECT_EQ(RowHasData(Rows({c.row})[0], kRule), c.data) << c.row;
}

TEST(TableRows, EndAndStrandedRows) {
    struct Case {
        std::vector<TextRow> rows;
        size_t end;
        std::vector<size_t> stranded;
    } cases[] = {
        {Rows({"a|1|", "b|2|"}), 2, {}},
        {Rows({"a|1|", "||", "||N", "||"}), 1, {}},
        {Rows({"a|1|", "||", "c|3|", "||", "|5|"}), 1, {2, 4}},
        {Rows({"a|1|", "|x|"}), 1, {1}},
        {Rows({"|1|", "b|2|"}), 0, {0, 1}},
        {Rows({}), 0, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TableEnd(c.rows, kRule), c.end);
        EXPECT_EQ(StrandedRows(c.rows, kRule), c.stranded);
    }
}

TEST(TableRows, CloseGapsKeepsOrderAndCount) {
    auto closed = CloseGaps(Rows({"a|1|", "||N", "c|3|Y", "||", "|5|"}), kRule);
    EXPECT_EQ(closed, Rows({"a|1|", "c|3|Y", "|5|", "||", "||"}));
    // The row ending the table holds data itself: it stays where it is.
    EXPECT_FALSE(StrandedRows(closed, kRule).empty());
    EXPECT_EQ(CloseGaps(Rows({"a|1|", "b|2|"}), kRule), Rows({"a|1|", "b|2|"}));
}
