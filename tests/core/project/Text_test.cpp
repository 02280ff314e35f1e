#include "core/project/Text.h"

#include <gtest/gtest.h>

namespace {
// Bytes that are not UTF-8, each with what the Latin-1 rule makes of it.
struct BadBytes {
    const char* name;
    std::string bytes, utf8;
};

const BadBytes kBad[] = {
    {"Latin1E9", "caf\xE9", "caf\xC3\xA9"},
    {"LoneContinuation", "a\x80z", "a\xC2\x80z"},
    {"OverlongSlash", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
    {"OverlongThreeBytes", "\xE0\x80\xAF", "\xC3\xA0\xC2\x80\xC2\xAF"},
    {"Surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
    {"Truncated", "\xE2\x82", "\xC3\xA2\xC2\x82"},
    {"TruncatedThenAscii", "\xE2\x82x", "\xC3\xA2\xC2\x82x"},
    {"PastUnicode", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},
    {"F5", "\xF5", "\xC3\xB5"},
    {"FF", "\xFF", "\xC3\xBF"},
    {"ValidAroundInvalid", "\xC3\xA9\xE9\xE2\x82\xAC", "\xC3\xA9\xC3\xA9\xE2\x82\xAC"},
};

class InvalidUtf8 : public ::testing::TestWithParam<BadBytes> {};

TEST_P(InvalidUtf8, EachByteReadAsLatin1InEveryOutput) {
    const BadBytes& c = GetParam();
    EXPECT_FALSE(IsValidUtf8(c.bytes));
    EXPECT_EQ(ValidUtf8(c.bytes), c.utf8);
    EXPECT_TRUE(IsValidUtf8(ValidUtf8(c.bytes)));
    EXPECT_EQ(JsonString(c.bytes), "\"" + c.utf8 + "\"");
    EXPECT_EQ(HtmlText(c.bytes), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(Text, InvalidUtf8, ::testing::ValuesIn(kBad),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Text, ValidUtf8IsKeptByteForByte) {
    for (const std::string& s :
         {std::string(), std::string("N\xC2\xB0 Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80"),
          std::string("\xEF\xBF\xBD")})
        EXPECT_EQ(ValidUtf8(s), s);
}

TEST(Text, LineTextIsOneLineAndUnambiguous) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"plain text", "plain text"},
        {"a\nb", "a\\nb"},
        {"a\r\nb\tc", "a\\r\\nb\\tc"},
        {"bell\x07 soh\x01 del\x7F esc\x1B", "bell\\x07 soh\\x01 del\\x7F esc\\x1B"},
        {"C:\\temp\\n", "C:\\\\temp\\\\n"},  // a backslash never reads as an escape
        {"c1 \xC2\x9B csi", "c1 \\x9B csi"}, // U+009B is a terminal's CSI
        {std::string("nul\0x", 5), "nul\\x00x"},
        {"caf\xE9\x85", "caf\xC3\xA9\\x85"},                // Latin-1 byte 85 is a C1 control too
        {"<h1>BIG</h1> \xC3\xA9", "<h1>BIG</h1> \xC3\xA9"}, // markup is not its business
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LineText(c.in), c.out) << c.in;
        EXPECT_EQ(LineText(c.in).find_first_of("\r\n"), std::string::npos);
    }
}

TEST(Text, JsonAndHtmlEscapes) {
    EXPECT_EQ(JsonString("q\"b\\n\nr\rt\t\x01\x1F\x7F"),
              "\"q\\\"b\\\\n\\nr\\rt\\t\\u0001\\u001f\x7F\"");
    EXPECT_EQ(HtmlText("<img src=\"file:///etc/passwd\"> & 'x'"),
              "&lt;img src=&quot;file:///etc/passwd&quot;&gt; &amp; &#39;x&#39;");
}
TEST(Text, EqualsAsciiNoCaseFoldsLettersOnly) {
    struct Case {
        const char *a, *b;
        bool same;
    };
    for (const Case& c :
         {Case{"Coil Status", "COIL STATUS", true}, Case{"y", "Y", true}, Case{"", "", true},
          Case{"Y", "YY", false}, Case{"@", "`", false}, Case{"[", "{", false},
          Case{"]", "}", false}, Case{"^", "~", false}, Case{"\xC9", "\xE9", false},
          Case{"a1", "A1", true}, Case{"Input Status", "Input Statu5", false}})
        EXPECT_EQ(EqualsAsciiNoCase(c.a, c.b), c.same) << c.a << " / " << c.b;
}
} // namespace
