// The spreadsheet layer over arbitrary .xls bytes: opening either fails with
// SpreadsheetError or gives worksheets whose every cell can be read.
#include "FuzzScratch.h"
#include "core/family/Spreadsheet.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path =
        FuzzPut("book.xls", std::string_view(reinterpret_cast<const char*>(data), size));
    SpreadsheetConnection conn;
    conn.ConnectionString = SpreadsheetConnectionString(path);
    try {
        conn.Open();
        for (const std::string& table : conn.GetTableNames(true)) {
            SpreadsheetQuery query(conn);
            query.SQL = {"select * from [" + table + "]"};
            try {
                query.Open();
            } catch (const SpreadsheetError&) {
                continue; // a worksheet name holding "]" cannot be named in a query
            }
            const int fields = query.FieldCount();
            for (int k = 0; k < query.RecordCount() && k < 2000; ++k) {
                if (query.Eof()) abort();
                for (int f = 0; f < fields; ++f)
                    (void)query.Field(f);
                query.Next();
            }
            query.Close();
        }
    } catch (const SpreadsheetError&) {
    }
    return 0;
}
