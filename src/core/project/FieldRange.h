#pragma once
// What a numeric edit box accepts while the user types, and how its range is
// told: the same integer rule (ParseInteger) that the checks on OK use.
#include <cstdint>
#include <string>
#include <string_view>

enum class EntryState {
    Invalid,      // no further typing can make it a number: the keystroke is refused
    Intermediate, // empty, a bare prefix, or a number outside the range
    Acceptable,   // a number within the range
};

// Leading blanks, decimal digits or hex digits after "$", "x", "X", "0x",
// "0X"; a sign only where the range holds negative values.
EntryState RangeEntryState(std::string_view text, int32_t low, int32_t high);

// "0 to 10000 ms (decimal, or hexadecimal as 0x...)"; no unit: "0 to 63 (...)".
std::string RangeHint(int32_t low, int32_t high, std::string_view unit);
