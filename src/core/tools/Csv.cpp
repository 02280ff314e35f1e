#include "core/tools/Csv.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

namespace {
// Length of the UTF-8 sequence starting at s[i], 0 when it is not valid.
size_t Utf8Length(std::string_view s, size_t i) {
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
    // Overlong forms, surrogates and values past Unicode are not text.
    static const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

[[noreturn]] void Fail(size_t record, const std::string& what) {
    throw TessaroError("Row " + std::to_string(record) + ": " + what);
}

char DetectSeparator(std::string_view s) {
    size_t commas = 0, semicolons = 0;
    bool quoted = false;
    for (char c : s) {
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == '\n' || c == '\r')
            break;
        else if (c == ',')
            ++commas;
        else if (c == ';')
            ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}
} // namespace

CsvText ParseCsv(std::string_view s, size_t maxRecords, bool* more) {
    if (more) *more = false;
    if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
    CsvText out;
    out.separator = DetectSeparator(s);
    const char sep = out.separator;

    CsvRecord record;
    std::string field;
    size_t i = 0, recordNo = 1;
    bool atFieldStart = true, quoted = false, afterQuote = false;
    auto endField = [&] {
        record.push_back(std::move(field));
        field.clear();
        atFieldStart = true;
        afterQuote = false;
    };
    auto endRecord = [&]() -> bool {
        endField();
        // A blank line (one empty field) is no record.
        if (!(record.size() == 1 && record[0].empty())) {
            if (out.records.size() == maxRecords) {
                if (more) *more = true;
                return false;
            }
            out.records.push_back(std::move(record));
        }
        record.clear();
        ++recordNo;
        return true;
    };
    while (i < s.size()) {
        const char c = s[i];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            size_t n = Utf8Length(s, i);
            if (n == 0) Fail(recordNo, "the file is not UTF-8 text.");
            if (afterQuote) Fail(recordNo, "text after a closing quote.");
            field.append(s.substr(i, n));
            i += n;
            atFieldStart = false;
            continue;
        }
        if ((u < 0x20 && c != '\t' && c != '\r' && c != '\n') || u == 0x7F)
            Fail(recordNo, "the file is not text (control byte " + std::to_string(u) + ").");
        if (quoted) {
            if (c == '"') {
                if (i + 1 < s.size() && s[i + 1] == '"') {
                    field += '"';
                    i += 2;
                    continue;
                }
                quoted = false;
                afterQuote = true;
            } else {
                field += c;
            }
            ++i;
            continue;
        }
        if (c == sep) {
            endField();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
            if (!endRecord()) return out;
        } else if (c == '"' && atFieldStart) {
            quoted = true;
            atFieldStart = false;
        } else if (afterQuote) {
            Fail(recordNo, "text after a closing quote.");
        } else {
            field += c;
            atFieldStart = false;
        }
        ++i;
    }
    if (quoted) Fail(recordNo, "a quoted field is never closed.");
    if (!atFieldStart || !record.empty()) endRecord();
    return out;
}

std::string CsvLine(const CsvRecord& fields, char separator) {
    std::string out;
    for (size_t f = 0; f < fields.size(); ++f) {
        if (f) out += separator;
        const std::string& v = fields[f];
        // Both separators are quoted, so the reader detects the one used.
        // Leading or trailing blanks are quoted too, so no reader trims them,
        // and a leading U+FEFF, which a reader takes for a byte order mark.
        bool quote = v.find_first_of("\"\r\n,;") != std::string::npos ||
                     (!v.empty() && (v.front() == ' ' || v.back() == ' ')) ||
                     v.rfind("\xEF\xBB\xBF", 0) == 0;
        if (quote)
            AppendQuoted(out, v);
        else
            out += v;
    }
    return out + "\r\n";
}

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}
