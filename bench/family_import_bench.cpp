// Import of a 1500-record worksheet into the SDO access table, next to FreeXL
// merely reading every cell of the same sheet.
#include "core/family/FamilyTables.h"
#include "core/family/ImportExport.h"

#include "../tests/support/XlsWriter.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <freexl.h>

namespace {
const std::string& Workbook() {
    static const std::string path = [] {
        char tmpl[] = "/tmp/family_bench_XXXXXX";
        const char* dir = mkdtemp(tmpl);
        if (!dir) std::abort();
        std::string p = std::string(dir) + "/sdo.xls";
        xls::Sheet sheet{"sdo",
                         {{"conf", "Index", "Sub", "devID", "Index", "Sub", "nbyte", "name"}}};
        for (int i = 0; i < 1500; ++i)
            sheet.rows.push_back({double((i % 2) | 16), "0x" + std::to_string(2000 + i / 2),
                                  double(i % 256), double(i % 127 + 1), double(0x6000 + i),
                                  double(i % 8), 2.0, "entry " + std::to_string(i)});
        xls::WriteWorkbook(p, {sheet});
        std::atexit([] { std::filesystem::remove_all(std::filesystem::path(path).parent_path()); });
        return p;
    }();
    return path;
}

void BM_ImportSdoWorksheet(benchmark::State& state) {
    const std::string& path = Workbook();
    SpreadsheetConnection conn;
    SpreadsheetQuery query(conn);
    for (auto _ : state) {
        SdoAccessTables t;
        ImportHandlers h;
        h.record = [&](int32_t conf, const std::vector<std::string>& f) {
            ImportSdoRecord(t, conf, f);
        };
        auto out = ImportWorksheet(conn, query, path, SdoTable, h);
        if (out.end != ImportEnd::Completed || out.records != 1500)
            state.SkipWithError("import incomplete");
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_ImportSdoWorksheet)->Unit(benchmark::kMillisecond);

void BM_FreeXLReadEveryCell(benchmark::State& state) {
    const std::string& path = Workbook();
    for (auto _ : state) {
        const void* h = nullptr;
        if (freexl_open(path.c_str(), &h) != FREEXL_OK) state.SkipWithError("open failed");
        freexl_select_active_worksheet(h, 0);
        unsigned int rows = 0;
        unsigned short cols = 0;
        freexl_worksheet_dimensions(h, &rows, &cols);
        size_t cells = 0;
        for (unsigned int r = 0; r < rows; ++r)
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(h, r, c, &v) == FREEXL_OK && v.type != FREEXL_CELL_NULL)
                    ++cells;
            }
        freexl_close(h);
        benchmark::DoNotOptimize(cells);
    }
}
BENCHMARK(BM_FreeXLReadEveryCell)->Unit(benchmark::kMillisecond);
} // namespace
