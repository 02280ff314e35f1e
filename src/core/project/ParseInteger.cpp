#include "core/project/ParseInteger.h"

#include "core/project/Errors.h"

#include <string>

std::optional<int32_t> TryParseInteger(std::string_view s) {
    // Plain decimal, the usual text: nine digits cannot overflow.
    if (!s.empty() && s.size() <= 9) {
        uint32_t v = 0;
        size_t i = 0;
        for (; i < s.size(); ++i) {
            const unsigned d = unsigned(static_cast<unsigned char>(s[i])) - '0';
            if (d > 9) break;
            v = v * 10 + d;
        }
        if (i == s.size()) return static_cast<int32_t>(v);
    }
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return std::nullopt;

    if (hex) {
        uint64_t v = 0;
        for (; i < s.size(); ++i) {
            int d = HexDigit(s[i]);
            if (d < 0) return std::nullopt;
            v = v * 16 + static_cast<uint64_t>(d);
            if (v > 0xFFFFFFFFull) return std::nullopt;
        }
        // Taken as a 32-bit pattern, then signed.
        uint32_t bits = static_cast<uint32_t>(v);
        if (negative) bits = 0u - bits;
        return static_cast<int32_t>(bits);
    }

    uint64_t v = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
        if (v > 0x80000000ull) return std::nullopt;
    }
    if (!negative && v > 0x7FFFFFFFull) return std::nullopt;
    int64_t r = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    return static_cast<int32_t>(r);
}

int32_t ParseInteger(std::string_view text, int32_t def) {
    auto v = TryParseInteger(text);
    return v ? *v : def;
}

int32_t ParseInteger(std::string_view text) {
    auto v = TryParseInteger(text);
    if (!v) throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return *v;
}
