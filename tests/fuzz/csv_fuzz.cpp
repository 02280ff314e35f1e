#include "core/editors/TableCsv.h"
#include "core/tools/Csv.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// Any bytes: what the reader accepts comes back unchanged when written and
// read again. The table imports never throw, give rows only when they give no
// error, and what they accept exports and imports back to the same rows.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CsvText csv = ParseCsv(text, 500);
    if (csv.errors.empty()) {
        // A first record of one field shows no separator: the reader then
        // takes ',', so the text is written again with ','.
        const char sep = csv.records.empty() || csv.records[0].size() < 2 ? ',' : csv.separator;
        std::string again;
        for (const CsvRecord& r : csv.records)
            again += CsvLine(r, sep);
        CsvText back = ParseCsv(again, 500);
        // A record of one empty field is read as a blank line and dropped.
        std::vector<CsvRecord> kept;
        for (const CsvRecord& r : csv.records)
            if (!(r.size() == 1 && r[0].empty())) kept.push_back(r);
        if (!back.errors.empty() || back.records != kept) std::abort();
    }
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        AccessCsvImport in = ParseAccessTableCsv(text, t, 455);
        if (!in.ok() && !in.rows.empty()) std::abort();
        if (!in.ok()) continue;
        // Export writes the run: rows up to the first empty Slave ID.
        std::vector<AccessRow> run(in.rows.begin(), in.rows.begin() + long(RunLength(in.rows)));
        AccessCsvImport back = ParseAccessTableCsv(AccessTableCsv(in.rows), t, 455);
        if (!back.ok() || back.rows != run) std::abort();
    }
    DiagnosisCsvImport d = ParseDiagnosisCsv(text);
    if (!d.ok() && !d.rows.empty()) std::abort();
    if (d.ok()) {
        DiagnosisCsvImport back = ParseDiagnosisCsv(DiagnosisCsv(d.rows));
        if (!back.ok() || back.rows != d.rows) std::abort();
    }
    return 0;
}
