#include "core/editors/TableRows.h"

#include <algorithm>

namespace {
bool IsSwap(size_t col, const RowRule& rule) {
    return std::find(rule.swapColumns.begin(), rule.swapColumns.end(), col) !=
           rule.swapColumns.end();
}
} // namespace

bool RowHasData(const TextRow& row, const RowRule& rule) {
    for (size_t c = 0; c < row.size(); ++c) {
        const std::string& text = row[c];
        if (text.empty()) continue;
        if (IsSwap(c, rule) && text == "N") continue;
        return true;
    }
    return false;
}

size_t TableEnd(const std::vector<TextRow>& rows, const RowRule& rule) {
    for (size_t r = 0; r < rows.size(); ++r)
        if (rule.endColumn >= rows[r].size() || rows[r][rule.endColumn].empty()) return r;
    return rows.size();
}

std::vector<size_t> StrandedRows(const std::vector<TextRow>& rows, const RowRule& rule) {
    std::vector<size_t> out;
    for (size_t r = TableEnd(rows, rule); r < rows.size(); ++r)
        if (RowHasData(rows[r], rule)) out.push_back(r);
    return out;
}

std::vector<TextRow> CloseGaps(const std::vector<TextRow>& rows, const RowRule& rule) {
    std::vector<TextRow> out;
    out.reserve(rows.size());
    size_t width = 0;
    for (const TextRow& row : rows) {
        width = std::max(width, row.size());
        if (RowHasData(row, rule)) out.push_back(row);
    }
    out.resize(rows.size(), TextRow(width));
    return out;
}
