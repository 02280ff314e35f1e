#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// Value of a hex digit of either case, -1 for any other character.
constexpr int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The one text-to-integer rule of the program: leading spaces, an optional sign,
// decimal digits or hex digits after "$", "x", "X", "0x" or "0X", nothing after.
std::optional<int32_t> TryParseInteger(std::string_view text);

// Invalid text gives the default.
int32_t ParseInteger(std::string_view text, int32_t def);

// Invalid text raises EConvertError "'<text>' is not a valid integer value".
int32_t ParseInteger(std::string_view text);
