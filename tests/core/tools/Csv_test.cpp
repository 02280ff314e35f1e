#include "core/tools/Csv.h"

#include <gtest/gtest.h>

namespace {
struct ParseCase {
    const char* name;
    std::string text;
    char separator;
    std::vector<CsvRecord> records;
};

class CsvParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CsvParse, Records) {
    CsvText csv = ParseCsv(GetParam().text, 100);
    EXPECT_EQ(csv.errors, std::vector<std::string>{});
    EXPECT_EQ(csv.separator, GetParam().separator);
    EXPECT_EQ(csv.records, GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(
    Rfc4180, CsvParse,
    ::testing::Values(
        ParseCase{"Plain", "a,b\r\n1,2\r\n", ',', {{"a", "b"}, {"1", "2"}}},
        ParseCase{"NoLastLineEnd", "a,b\n1,2", ',', {{"a", "b"}, {"1", "2"}}},
        ParseCase{"Semicolon", "a;b;c,d\n1;2,5;x\n", ';', {{"a", "b", "c,d"}, {"1", "2,5", "x"}}},
        ParseCase{"CommaWinsTie", "a;b,c\n", ',', {{"a;b", "c"}}},
        ParseCase{"SeparatorInQuotesNotCounted", "\"a;b;c\",d\n", ',', {{"a;b;c", "d"}}},
        ParseCase{"Bom", "\xEF\xBB\xBFx,y\r\n", ',', {{"x", "y"}}},
        ParseCase{"QuotedSeparatorQuoteBreak",
                  "\"a,b\",\"say \"\"hi\"\"\",\"l1\r\nl2\"\r\n",
                  ',',
                  {{"a,b", "say \"hi\"", "l1\r\nl2"}}},
        ParseCase{"EmptyFields", ",,\n\"\",x\n", ',', {{"", "", ""}, {"", "x"}}},
        ParseCase{"BlankLinesSkipped", "a\r\n\r\n\nb\n", ',', {{"a"}, {"b"}}},
        ParseCase{"OldMacLineEnds", "a\rb\r", ',', {{"a"}, {"b"}}},
        ParseCase{"Utf8Kept", "N°,Zürich\n", ',', {{"N°", "Zürich"}}},
        ParseCase{"QuoteInsideUnquoted", "a\"b,c\n", ',', {{"a\"b", "c"}}},
        // Texts the project files can hold come back as they are: only NUL is not text.
        ParseCase{"Latin1Kept", "a\nZ\xFCrich\n", ',', {{"a"}, {"Z\xFCrich"}}},
        ParseCase{"InvalidUtf8Kept",
                  "\xC0\xAF,\xED\xA0\x80,\xE2\x82\n",
                  ',',
                  {{"\xC0\xAF", "\xED\xA0\x80", "\xE2\x82"}}},
        ParseCase{"ControlBytesKept",
                  "bel\x07,\x01,del\x7F,\"t\tcr\r\"\n",
                  ',',
                  {{"bel\x07", "\x01", "del\x7F", "t\tcr\r"}}},
        ParseCase{"ApostropheRemovedOnlyBeforeAFormula",
                  "'=1,'-5,'abc,''+x,'\n",
                  ',',
                  {{"=1", "'-5", "'abc", "'+x", "'"}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
    const char* name;
    std::string text;
    std::vector<std::string> errors;
};

class CsvBad : public ::testing::TestWithParam<BadCase> {};

TEST_P(CsvBad, Refused) {
    EXPECT_EQ(ParseCsv(GetParam().text, 100).errors, GetParam().errors);
}

INSTANTIATE_TEST_SUITE_P(
    NotCsv, CsvBad,
    ::testing::Values(
        BadCase{
            "NulByte", std::string("a,b\n1,\0", 7), {"Row 2: the file is not text (NUL byte)."}},
        BadCase{"OpenQuote", "a\n\"never closed,\n", {"Row 2: a quoted field is never closed."}},
        BadCase{"TextAfterQuote", "\"a\"b,c\n", {"Row 1: text after a closing quote."}},
        // Every bad record is named, once each, and reading goes on past it.
        BadCase{"EveryBadRecord",
                std::string("ok\n\"a\"b\"c\"d\nok\nx\0\0\n\"q\"z\n\"open", 29),
                {"Row 2: text after a closing quote.", "Row 4: the file is not text (NUL byte).",
                 "Row 5: text after a closing quote.", "Row 6: a quoted field is never closed."}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Csv, StopsAtMaxRecordsAndSaysMoreFollowed) {
    bool more = false;
    CsvText csv = ParseCsv("1\n2\n3\n", 2, &more);
    EXPECT_EQ(csv.records.size(), 2u);
    EXPECT_TRUE(more);
    ParseCsv("1\n2\n\n", 2, &more);
    EXPECT_FALSE(more);
}

TEST(Csv, LineQuotesOnlyWhereNeededAndReadsBack) {
    const CsvRecord fields = {"plain", "a,b", "q\"q", "two\nlines", " pad", "", "a;b"};
    EXPECT_EQ(CsvLine(fields), "plain,\"a,b\",\"q\"\"q\",\"two\nlines\",\" pad\",,\"a;b\"\r\n");
    EXPECT_EQ(CsvLine({"a;b"}, ';'), "\"a;b\"\r\n");
    // A field starting with U+FEFF (found by the fuzzer) is not read back as a byte order mark.
    EXPECT_EQ(ParseCsv(CsvLine({"\xEF\xBB\xBFx"}), 10).records,
              std::vector<CsvRecord>{{"\xEF\xBB\xBFx"}});
    EXPECT_EQ(ParseCsv(CsvLine(fields), 10).records, std::vector<CsvRecord>{fields});
}

// Formula-like cells get one apostrophe a spreadsheet shows as text; plain
// numbers do not; reading removes exactly that apostrophe.
TEST(Csv, FormulaCellsNeutralisedAndReadBack) {
    const struct {
        std::string cell, written;
    } cases[] = {
        {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
        {"+1+1", "'+1+1"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1:A2)", "'@SUM(A1:A2)"},
        {"\t=1", "\"'\t=1\""},
        {"\r=1", "\"'\r=1\""},
        {"-", "'-"},
        {"-X10", "'-X10"}, // a cell reference, not one of the files' numbers
        {"-$10", "'-$10"},
        {"-1e5", "'-1e5"},
        {"-0x", "'-0x"},
        {"'=A1", "''=A1"}, // an apostrophe of its own before a formula is kept
        {"''@x", "'''@x"},
        {"-5", "-5"},
        {"+3", "+3"},
        {"-2.5", "-2.5"},
        {"-.5", "-.5"},
        {"-0x10", "-0x10"},
        {"+0XfF", "+0XfF"},
        {"'-5", "'-5"},
        {"'abc", "'abc"},
        {"'", "'"},
        {"a=b", "a=b"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CsvLine({c.cell}), c.written + "\r\n") << c.cell;
        EXPECT_EQ(ParseCsv(CsvLine({c.cell, "x"}), 10).records,
                  std::vector<CsvRecord>({{c.cell, "x"}}))
            << c.cell;
    }
}

TEST(Csv, CellsNoSpreadsheetTakesBareAreQuoted) {
    const CsvRecord fields = {"bel\x07", "\x01", "del\x7F", "caf\xE9", "t\tx", "ok"};
    EXPECT_EQ(CsvLine(fields), "\"bel\x07\",\"\x01\",\"del\x7F\",\"caf\xE9\",\"t\tx\",ok\r\n");
    EXPECT_EQ(ParseCsv(CsvLine(fields), 10).records, std::vector<CsvRecord>{fields});
}

TEST(Csv, AppendQuotedDoublesEveryQuoteAndKeepsWhatCameBefore) {
    const struct {
        const char* before;
        const char* text;
        const char* after;
    } cases[] = {
        {"", "", "\"\""},
        {"a,", "b", "a,\"b\""},
        {"", "\"", "\"\"\"\""},
        {"x\t", "\"say \"\"hi\"", "x\t\"\"\"say \"\"\"\"hi\"\"\""},
        {"", "tab\tand\nline", "\"tab\tand\nline\""},
    };
    for (const auto& c : cases) {
        std::string out = c.before;
        AppendQuoted(out, c.text);
        EXPECT_EQ(out, c.after) << c.text;
    }
}
} // namespace
