#include "core/tools/Csv.h"

#include "core/project/Errors.h"

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
        ParseCase{"QuoteInsideUnquoted", "a\"b,c\n", ',', {{"a\"b", "c"}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
    const char* name;
    std::string text;
    const char* message;
};

class CsvBad : public ::testing::TestWithParam<BadCase> {};

TEST_P(CsvBad, Refused) {
    try {
        ParseCsv(GetParam().text, 100);
        FAIL() << "accepted";
    } catch (const TessaroError& e) {
        EXPECT_STREQ(e.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    NotCsv, CsvBad,
    ::testing::Values(
        BadCase{"NulByte", std::string("a,b\n1,\0", 7),
                "Row 2: the file is not text (control byte 0)."},
        BadCase{"Latin1", "a\nZ\xFCrich\n", "Row 2: the file is not UTF-8 text."},
        BadCase{"Overlong", "\xC0\xAF\n", "Row 1: the file is not UTF-8 text."},
        BadCase{"Truncated", "ok\n\xE2\x82", "Row 2: the file is not UTF-8 text."},
        BadCase{"Binary", "\x89PNG\r\n\x1a\n", "Row 1: the file is not UTF-8 text."},
        BadCase{"OpenQuote", "a\n\"never closed,\n", "Row 2: a quoted field is never closed."},
        BadCase{"TextAfterQuote", "\"a\"b,c\n", "Row 1: text after a closing quote."}),
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
