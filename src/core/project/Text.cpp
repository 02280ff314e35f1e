#include "core/project/Text.h"

#include <cstdint>
#include <cstdio>

size_t Utf8SequenceLength(std::string_view s, size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t n;
    uint32_t cp;
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0)
        n = 2, cp = b & 0x1F;
    else if ((b & 0xF0) == 0xE0)
        n = 3, cp = b & 0x0F;
    else if ((b & 0xF8) == 0xF0)
        n = 4, cp = b & 0x07;
    else
        return 0;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    static const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const size_t n = Utf8SequenceLength(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

namespace {
// Calls emit(code point, its UTF-8 bytes) for each character of the text read
// by the ValidUtf8 rule.
template <class Emit> void ForEachChar(std::string_view s, Emit emit) {
    for (size_t i = 0; i < s.size();) {
        const size_t n = Utf8SequenceLength(s, i);
        const auto b = static_cast<unsigned char>(s[i]);
        if (n == 0) {
            const char latin1[2] = {char(0xC0 | (b >> 6)), char(0x80 | (b & 0x3F))};
            emit(uint32_t(b), std::string_view(latin1, 2));
            ++i;
            continue;
        }
        // Only the first two bytes matter for the C1 test below.
        uint32_t cp = n == 1 ? b : n == 2 ? ((b & 0x1Fu) << 6) | (s[i + 1] & 0x3F) : 0x800;
        emit(cp, s.substr(i, n));
        i += n;
    }
}

void AppendHex(std::string& out, const char* format, uint32_t v) {
    char buf[12];
    std::snprintf(buf, sizeof buf, format, unsigned(v));
    out += buf;
}
} // namespace

std::string ValidUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    ForEachChar(bytes, [&](uint32_t, std::string_view u) { out += u; });
    return out;
}

std::string LineText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    ForEachChar(bytes, [&](uint32_t cp, std::string_view u) {
        if (cp == '\\')
            out += "\\\\";
        else if (cp == '\n')
            out += "\\n";
        else if (cp == '\r')
            out += "\\r";
        else if (cp == '\t')
            out += "\\t";
        else if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F))
            AppendHex(out, "\\x%02X", cp);
        else
            out += u;
    });
    return out;
}

std::string JsonString(std::string_view bytes) {
    std::string out = "\"";
    ForEachChar(bytes, [&](uint32_t cp, std::string_view u) {
        switch (cp) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (cp < 0x20)
                AppendHex(out, "\\u%04x", cp);
            else
                out += u;
        }
    });
    return out + "\"";
}

std::string HtmlText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    ForEachChar(bytes, [&](uint32_t cp, std::string_view u) {
        switch (cp) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += u;
        }
    });
    return out;
}
