// The reader's side of the workbook socket, in a file of its own: only the
// reader links FreeXL, the program does not.
#include "core/family/SocketIo.h"
#include "core/family/Spreadsheet.h"
#include "core/family/WorkbookStream.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <freexl.h>
#include <string>

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

int ServeWorkbooks(int fd) {
    std::string out;
    for (;;) {
        uint32_t n = 0;
        if (!ReceiveAll(fd, reinterpret_cast<char*>(&n), 4)) return 0;
        std::string path(n, '\0');
        if (!ReceiveAll(fd, path.data(), n)) return 0;
        out.assign(9, '\0'); // status, length
        const bool ok = StreamWorkbook(path.c_str(), out);
        if (!ok) out.resize(9); // a failure carries no stream
        const uint64_t len = out.size() - 9;
        out[0] = ok ? 1 : 0;
        std::memcpy(&out[1], &len, 8);
        if (!SendAll(fd, out.data(), out.size())) return 0;
        if (out.capacity() > (size_t(1) << 20)) std::string().swap(out);
    }
}
