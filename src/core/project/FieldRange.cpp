#include "core/project/FieldRange.h"

#include "core/project/ParseInteger.h"

#include <cctype>

EntryState RangeEntryState(std::string_view s, int32_t low, int32_t high) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (low >= 0) return EntryState::Invalid;
        ++i;
    }
    bool hex = false;
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    } else if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    }
    if (i == s.size()) return EntryState::Intermediate;
    for (size_t k = i; k < s.size(); ++k) {
        const unsigned char c = static_cast<unsigned char>(s[k]);
        if (!(hex ? std::isxdigit(c) : std::isdigit(c))) return EntryState::Invalid;
    }
    const auto v = TryParseInteger(s);
    return v && *v >= low && *v <= high ? EntryState::Acceptable : EntryState::Intermediate;
}

std::string RangeHint(int32_t low, int32_t high, std::string_view unit) {
    std::string out = std::to_string(low) + " to " + std::to_string(high);
    if (!unit.empty()) {
        out += ' ';
        out += unit;
    }
    return out + " (decimal, or hexadecimal as 0x...)";
}
