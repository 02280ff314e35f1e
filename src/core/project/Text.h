#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Texts from the project files are bytes: mostly UTF-8, sometimes the 8-bit
// code page older files were written in. Every output states one rule for them.

// Length of the valid UTF-8 sequence at s[i], 0 when there is none (lone
// continuation byte, overlong form, surrogate, past U+10FFFF, cut short).
size_t Utf8SequenceLength(std::string_view s, size_t i);
bool IsValidUtf8(std::string_view s);

// Valid UTF-8: valid sequences are kept, every byte of an invalid one is read
// as Latin-1 (E9 gives U+00E9 "é"), so no byte is lost or hidden.
std::string ValidUtf8(std::string_view bytes);

// The text on one line of a line-oriented output: valid UTF-8 as above, then
// "\" as "\\", line feed, carriage return and tab as "\n", "\r", "\t", every
// other C0 control, DEL and C1 control (U+0080..U+009F) as "\xNN" with its
// code in upper-case hex. Nothing else changes.
std::string LineText(std::string_view bytes);

// JSON string literal (quotes included) of the text made valid UTF-8.
std::string JsonString(std::string_view bytes);

// The text made valid UTF-8 with & < > " ' as HTML entities.
std::string HtmlText(std::string_view bytes);

// Equal but for the letter case of ASCII letters, whatever the locale.
inline bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x == y) continue;
        if ((x | 0x20) != (y | 0x20) || (x | 0x20) < 'a' || (x | 0x20) > 'z') return false;
    }
    return true;
}
