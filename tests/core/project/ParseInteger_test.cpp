#include "core/project/Errors.h"
#include "core/project/ParseInteger.h"

#include <gtest/gtest.h>

namespace {
struct Case {
    const char* text;
    std::optional<int32_t> value;
};

class ParseIntegerCases : public ::testing::TestWithParam<Case> {};

TEST_P(ParseIntegerCases, MatchesRule) {
    const Case& c = GetParam();
    EXPECT_EQ(TryParseInteger(c.text), c.value) << "text: [" << c.text << "]";
    EXPECT_EQ(ParseInteger(c.text, -1), c.value.value_or(-1));
}

INSTANTIATE_TEST_SUITE_P(
    All, ParseIntegerCases,
    ::testing::Values(
        // decimal, signs, leading blanks
        Case{"0", 0}, Case{"31", 31}, Case{"+31", 31}, Case{"-31", -31}, Case{"  31", 31},
        Case{"007", 7}, Case{" -5", -5},
        // every hex prefix, both letter cases
        Case{"0x1F", 31}, Case{"0X1f", 31}, Case{"$1F", 31}, Case{"x1F", 31}, Case{"X1f", 31},
        Case{"-$10", -16}, Case{"0x00", 0}, Case{"$ff", 255},
        // invalid forms
        Case{"", std::nullopt}, Case{" ", std::nullopt}, Case{"+", std::nullopt},
        Case{"-", std::nullopt}, Case{"$", std::nullopt}, Case{"0x", std::nullopt},
        Case{"x", std::nullopt}, Case{"31 ", std::nullopt}, Case{"3 1", std::nullopt},
        Case{"1.5", std::nullopt}, Case{"0x1G", std::nullopt}, Case{"\t31", std::nullopt},
        Case{"+-1", std::nullopt}, Case{"- 1", std::nullopt}, Case{"abc", std::nullopt},
        // 32-bit limits
        Case{"2147483647", 2147483647}, Case{"-2147483648", INT32_MIN},
        Case{"2147483648", std::nullopt}, Case{"-2147483649", std::nullopt},
        Case{"99999999999999999999", std::nullopt}, Case{"$FFFFFFFF", -1},
        Case{"0x80000000", INT32_MIN}, Case{"$7FFFFFFF", 2147483647},
        Case{"$100000000", std::nullopt}, Case{"0x000000001", 1},
        // around the nine digits read the short way
        Case{"999999999", 999999999}, Case{"000000000", 0}, Case{"1000000000", 1000000000},
        Case{"0000000001", 1}, Case{"12345678/", std::nullopt}, Case{"1234:", std::nullopt},
        Case{"\xB1", std::nullopt}, Case{"4294967295", std::nullopt}));

TEST(ParseIntegerStrict, RaisesWithTheText) {
    EXPECT_EQ(ParseInteger(" 0x1F"), 31);
    for (const char* bad : {"", "12 ", "$", "abc"}) {
        try {
            ParseInteger(bad);
            FAIL() << "accepted [" << bad << "]";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(bad) + "' is not a valid integer value");
        }
    }
}
} // namespace
