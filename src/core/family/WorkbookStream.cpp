#include "core/family/WorkbookStream.h"

#include <charconv>
#include <cstring>
#include <freexl.h>

namespace {
void PutU32(std::string& out, uint32_t v) {
    char b[4];
    std::memcpy(b, &v, 4);
    out.append(b, 4);
}

void PutText(std::string& out, std::string_view t) {
    PutU32(out, uint32_t(t.size()));
    out.append(t);
}

// Appends the cell's text; false for an empty cell.
bool PutCellText(std::string& out, const FreeXL_CellValue& v) {
    char buf[32];
    switch (v.type) {
    case FREEXL_CELL_INT: {
        auto r = std::to_chars(buf, buf + sizeof buf, v.value.int_value);
        PutText(out, std::string_view(buf, size_t(r.ptr - buf)));
        return true;
    }
    case FREEXL_CELL_DOUBLE:
        PutText(out, NumberText(v.value.double_value));
        return true;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        PutText(out, v.value.text_value ? v.value.text_value : "");
        return true;
    default:
        return false;
    }
}

} // namespace

bool StreamWorkbook(const char* path, std::string& out) {
    const void* h = nullptr;
    if (freexl_open(path, &h) != FREEXL_OK) {
        if (h) freexl_close(h);
        return false;
    }
    unsigned int count = 0;
    bool ok = freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &count) == FREEXL_OK;
    for (unsigned int i = 0; ok && i < count && i <= 0xFFFF; ++i) {
        const auto index = static_cast<unsigned short>(i);
        const char* name = nullptr;
        ok = freexl_get_worksheet_name(h, index, &name) == FREEXL_OK && name;
        if (!ok) break;
        unsigned int rows = 0;
        unsigned short cols = 0;
        if (freexl_select_active_worksheet(h, index) != FREEXL_OK ||
            freexl_worksheet_dimensions(h, &rows, &cols) != FREEXL_OK) {
            out += 'U';
            PutText(out, name);
            continue;
        }
        out += 'S';
        PutText(out, name);
        PutU32(out, rows);
        PutU32(out, cols);
        for (unsigned int r = 0; ok && r < rows; ++r) {
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v{};
                const size_t mark = out.size();
                if (freexl_get_cell_value(h, r, c, &v) != FREEXL_OK) {
                    out += 'X';
                    PutU32(out, r);
                    PutU32(out, c);
                    continue;
                }
                out += 'C';
                PutU32(out, r);
                PutU32(out, c);
                if (!PutCellText(out, v)) out.resize(mark);
            }
            ok = out.size() <= StreamLimit;
        }
    }
    freexl_close(h);
    if (!ok) return false;
    out += 'E';
    PutU32(out, count);
    return true;
}

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
