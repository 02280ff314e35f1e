#include "core/family/WorkbookStream.h"

#include <charconv>
#include <cstring>

std::optional<std::vector<WorksheetCells>> ParseWorkbookStream(std::string_view s) {
    size_t pos = 0;
    auto u32 = [&](uint32_t& v) {
        if (s.size() - pos < 4) return false;
        std::memcpy(&v, s.data() + pos, 4);
        pos += 4;
        return true;
    };
    auto text = [&](std::string_view& t) {
        uint32_t n = 0;
        if (!u32(n) || s.size() - pos < n) return false;
        t = s.substr(pos, n);
        pos += n;
        return true;
    };
    std::vector<WorksheetCells> sheets;
    auto closeRows = [&] {
        // Rows after the last one with a cell have no entry.
        if (!sheets.empty()) sheets.back().rowStart.push_back(unsigned(sheets.back().cells.size()));
    };
    unsigned int lastRow = 0;
    int lastCol = -1;
    while (pos < s.size()) {
        const char tag = s[pos++];
        if (tag == 'S' || tag == 'U') {
            closeRows();
            WorksheetCells w;
            std::string_view name;
            uint32_t rows = 0, cols = 0;
            if (!text(name)) return std::nullopt;
            if (tag == 'S' && (!u32(rows) || !u32(cols) || rows > MaxRows || cols > 0xFFFF))
                return std::nullopt;
            w.name = name;
            w.readable = tag == 'S';
            w.rows = rows;
            w.cols = static_cast<unsigned short>(cols);
            w.rowStart.push_back(0);
            w.text = s;
            // A cell takes 13 bytes at least: one allocation, not a growing series.
            if (sheets.empty()) w.cells.reserve((s.size() - pos) / 13);
            sheets.push_back(std::move(w));
            lastRow = 0;
            lastCol = -1;
        } else if (tag == 'C' || tag == 'X') {
            if (sheets.empty() || !sheets.back().readable) return std::nullopt;
            WorksheetCells& w = sheets.back();
            uint32_t r = 0, c = 0;
            if (!u32(r) || !u32(c) || r >= w.rows || c >= w.cols) return std::nullopt;
            if (r < lastRow || (r == lastRow && int(c) <= lastCol)) return std::nullopt;
            WorksheetCells::Cell cell;
            cell.col = static_cast<unsigned short>(c);
            cell.readable = tag == 'C';
            if (cell.readable) {
                std::string_view t;
                if (!text(t)) return std::nullopt;
                cell.offset = unsigned(t.data() - s.data());
                cell.length = unsigned(t.size());
            }
            // Rows before r end here.
            while (w.rowStart.size() <= r)
                w.rowStart.push_back(unsigned(w.cells.size()));
            w.cells.push_back(cell);
            lastRow = r;
            lastCol = int(c);
        } else if (tag == 'E') {
            uint32_t count = 0;
            if (!u32(count) || pos != s.size() || count != sheets.size()) return std::nullopt;
            closeRows();
            return sheets;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}
