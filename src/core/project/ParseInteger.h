#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// The one text-to-integer rule of the program: leading spaces, an optional sign,
// decimal digits or hex digits after "$", "x", "X", "0x" or "0X", nothing after.
std::optional<int32_t> TryParseInteger(std::string_view text);

// Invalid text gives the default.
int32_t ParseInteger(std::string_view text, int32_t def);

// Invalid text raises EConvertError "'<text>' is not a valid integer value".
int32_t ParseInteger(std::string_view text);
