#include "core/editors/TableCsv.h"
#include "core/project/Errors.h"
#include "core/tools/Csv.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// Any bytes: the reader throws only its own error, and what it accepts comes
// back unchanged when written and read again. The table imports never throw
// and give rows only when they give no error.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        CsvText csv = ParseCsv(text, 500);
        std::string again;
        for (const CsvRecord& r : csv.records)
            again += CsvLine(r, csv.separator);
        CsvText back = ParseCsv(again, 500);
        // A record of one empty field is read as a blank line and dropped.
        std::vector<CsvRecord> kept;
        for (const CsvRecord& r : csv.records)
            if (!(r.size() == 1 && r[0].empty())) kept.push_back(r);
        if (back.records != kept) std::abort();
    } catch (const TessaroError&) {
    }
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        AccessCsvImport in = ParseAccessTableCsv(text, t, 455);
        if (!in.ok() && !in.rows.empty()) std::abort();
        if (in.ok() && AccessTableCsv(in.rows).empty()) std::abort();
    }
    DiagnosisCsvImport d = ParseDiagnosisCsv(text);
    if (!d.ok() && !d.rows.empty()) std::abort();
    return 0;
}
