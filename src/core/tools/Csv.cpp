#include "core/tools/Csv.h"

#include "core/project/Text.h"

namespace {
bool HasControlOrNonUtf8(std::string_view v) {
    for (char c : v)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return !IsValidUtf8(v);
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
    // One fault a record, and reading goes on, so every bad record is named.
    size_t faultRecord = 0;
    auto fault = [&](const char* what) {
        if (faultRecord == recordNo) return;
        faultRecord = recordNo;
        out.errors.push_back("Row " + std::to_string(recordNo) + ": " + what);
    };
    auto endField = [&] {
        record.push_back(CsvCellRead(field));
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
        // Any byte but NUL is text: control bytes and bytes that are not
        // UTF-8 are cells the project files can hold, and come back as they are.
        if (u == 0) {
            fault("the file is not text (NUL byte).");
            ++i;
            continue;
        }
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
        } else {
            if (afterQuote) fault("text after a closing quote.");
            field += c;
            atFieldStart = false;
        }
        ++i;
    }
    if (quoted) fault("a quoted field is never closed.");
    if (!atFieldStart || !record.empty()) endRecord();
    return out;
}

std::string CsvLine(const CsvRecord& fields, char separator) {
    std::string out;
    for (size_t f = 0; f < fields.size(); ++f) {
        if (f) out += separator;
        const std::string v = CsvCell(fields[f]);
        // Both separators are quoted, so the reader detects the one used.
        // Leading or trailing blanks are quoted too, so no reader trims them,
        // and a leading U+FEFF, which a reader takes for a byte order mark.
        bool quote = v.find_first_of("\"\r\n,;") != std::string::npos ||
                     (!v.empty() && (v.front() == ' ' || v.back() == ' ')) ||
                     v.rfind("\xEF\xBB\xBF", 0) == 0 || HasControlOrNonUtf8(v);
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
