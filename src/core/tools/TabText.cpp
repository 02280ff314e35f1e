#include "core/tools/TabText.h"

#include "core/tools/Csv.h"

namespace {
bool NeedsQuotes(const std::string& cell) {
    return cell.find_first_of("\t\r\n\"") != std::string::npos;
}

// A quoted cell starting at text[i] (the opening quote). On success the cell is
// in `out` and i is past the closing quote, which a separator or the end must
// follow; otherwise false and nothing is consumed.
bool QuotedCell(std::string_view text, size_t& i, std::string& out) {
    std::string cell;
    for (size_t j = i + 1; j < text.size(); ++j) {
        if (text[j] != '"') {
            cell += text[j];
            continue;
        }
        if (j + 1 < text.size() && text[j + 1] == '"') {
            cell += '"';
            ++j;
            continue;
        }
        size_t next = j + 1;
        if (next < text.size() && text[next] != '\t' && text[next] != '\n' && text[next] != '\r')
            return false;
        out = std::move(cell);
        i = next;
        return true;
    }
    return false;
}
} // namespace

TabRows ParseTabText(std::string_view text) {
    TabRows rows;
    if (text.empty()) return rows;
    std::vector<std::string> row;
    std::string cell;
    size_t i = 0;
    bool atCellStart = true;
    while (i < text.size()) {
        char c = text[i];
        if (atCellStart && c == '"' && QuotedCell(text, i, cell)) {
            atCellStart = false;
            continue;
        }
        atCellStart = false;
        if (c == '\t') {
            row.push_back(std::move(cell));
            cell.clear();
            atCellStart = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            row.push_back(std::move(cell));
            cell.clear();
            rows.push_back(std::move(row));
            row.clear();
            atCellStart = true;
        } else {
            cell += c;
        }
        ++i;
    }
    // The last row without a line end.
    if (!atCellStart || !row.empty()) {
        row.push_back(std::move(cell));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string FormatTabText(const TabRows& rows) {
    std::string out;
    for (const auto& row : rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            if (c > 0) out += '\t';
            if (NeedsQuotes(row[c]))
                AppendQuoted(out, row[c]);
            else
                out += row[c];
        }
        out += '\n';
    }
    return out;
}
