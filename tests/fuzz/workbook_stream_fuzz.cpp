// The program's side of the workbook helper over arbitrary bytes, as a
// helper broken by a hostile workbook might send: the stream is refused, or
// every worksheet it gives holds together.
#include "core/family/WorkbookStream.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto sheets = ParseWorkbookStream(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!sheets) return 0;
    for (const WorksheetCells& w : *sheets) {
        if (w.rows > MaxRows) abort();
        if (w.rowStart.empty() || w.rowStart.back() != w.cells.size()) abort();
        for (size_t i = 1; i < w.rowStart.size(); ++i)
            if (w.rowStart[i] < w.rowStart[i - 1]) abort();
        for (const WorksheetCells::Cell& c : w.cells)
            if (c.col >= w.cols || size_t(c.offset) + c.length > w.text.size()) abort();
        for (unsigned int r = 0; r < w.rows && r < 4096; ++r)
            for (unsigned short c = 0; c < w.cols && c < 64; ++c)
                (void)w.find(r, c);
    }
    return 0;
}
