#include "core/editors/TableCsv.h"

#include "core/editors/DiagnosisIds.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/tools/Csv.h"

#include <algorithm>
#include <optional>

namespace {
std::string Trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

std::string RowHead(size_t record) {
    return "Row " + std::to_string(record + 1) + ": ";
}

// The text parsed, with the header and row count checks shared by both tables;
// nothing (and the error) when its rows cannot be read.
std::optional<CsvText> ParseTable(std::string_view text, const std::vector<std::string>& headers,
                                  size_t maxRows, std::vector<std::string>& errors) {
    bool more = false;
    CsvText csv = ParseCsv(text, maxRows + 1, &more);
    if (!csv.errors.empty()) {
        errors = std::move(csv.errors);
        return std::nullopt;
    }
    if (csv.records.empty()) {
        errors.push_back("The file is empty; the first row must name the columns.");
        return std::nullopt;
    }
    const CsvRecord& head = csv.records[0];
    // The numbering column's name is not compared: its "°" is often lost by
    // spreadsheets saving in another encoding.
    bool named = head.size() == headers.size();
    for (size_t c = 1; named && c < headers.size(); ++c)
        named = head[c] == headers[c];
    if (!named) {
        std::string list;
        for (const auto& h : headers)
            list += (list.empty() ? "" : ", ") + h;
        errors.push_back("Row 1: the columns must be " + list + ".");
        return std::nullopt;
    }
    if (more || csv.records.size() - 1 > maxRows) {
        errors.push_back("The file has more than " + std::to_string(maxRows) +
                         " rows; the table holds " + std::to_string(maxRows) + ".");
        return std::nullopt;
    }
    return csv;
}

// False (with the error) for a row of another width than the header's.
bool CheckWidth(const CsvText& csv, size_t r, std::vector<std::string>& errors) {
    const size_t want = csv.records[0].size(), got = csv.records[r].size();
    if (got == want) return true;
    errors.push_back(RowHead(r) + std::to_string(got) + " columns, expected " +
                     std::to_string(want) + ".");
    return false;
}

template <class Result, class Parse> Result ReadFile(const std::string& path, Parse parse) {
    try {
        return parse(ReadFileBytes(path, MaxCsvBytes));
    } catch (const TessaroError& e) {
        Result r;
        r.errors.push_back(e.what());
        return r;
    }
}
} // namespace

template <class Row> std::string CsvImport<Row>::message() const {
    std::string out = "The file was not imported:";
    for (const auto& e : errors)
        out += "\n" + e;
    return out;
}
template struct CsvImport<AccessRow>;
template struct CsvImport<std::string>;

std::string AccessTableCsv(const std::vector<AccessRow>& rows) {
    std::string out = CsvLine(AccessCsvHeaders);
    const size_t run = RunLength(rows);
    for (size_t i = 0; i < run; ++i) {
        const AccessRow& r = rows[i];
        out += CsvLine({std::to_string(i + 1), r.SlaveId, r.Type, r.AddressMod, r.NPoint, r.Swap,
                        r.AddressDeviceNet, r.Mnemonic});
    }
    return out;
}

std::string DiagnosisCsv(const std::vector<std::string>& ids) {
    std::string out = CsvLine(DiagnosisCsvHeaders);
    const size_t run = DiagnosisRunLength(ids);
    for (size_t i = 0; i < run; ++i)
        out += CsvLine({DiagnosisLabel(int(i) + 1), ids[i]});
    return out;
}

AccessCsvImport ParseAccessTableCsv(std::string_view text, AccessTable table, int bound) {
    AccessCsvImport out;
    const std::optional<CsvText> csv =
        ParseTable(text, AccessCsvHeaders, AccessMapRows, out.errors);
    if (!csv) return out;
    for (size_t r = 1; r < csv->records.size(); ++r) {
        if (!CheckWidth(*csv, r, out.errors)) continue;
        const CsvRecord& f = csv->records[r];
        AccessRow row{f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
        // The project check's rules, the only ones: Type of the table's list
        // in any letter case, SWAP Y, N or empty, the ranges.
        for (const std::string& failure : AccessRowFailures(row, table, bound))
            out.errors.push_back(RowHead(r) + Trimmed(failure));
        out.rows.push_back(std::move(row));
    }
    if (!out.ok()) out.rows.clear();
    return out;
}

DiagnosisCsvImport ParseDiagnosisCsv(std::string_view text) {
    DiagnosisCsvImport out;
    const std::optional<CsvText> csv =
        ParseTable(text, DiagnosisCsvHeaders, DiagnosisEntries, out.errors);
    if (!csv) return out;
    for (size_t r = 1; r < csv->records.size(); ++r) {
        if (!CheckWidth(*csv, r, out.errors)) continue;
        const std::string& id = csv->records[r][1];
        int v = ParseInteger(id, -1);
        if (v < 1 || v > 255)
            out.errors.push_back(RowHead(r) + "Modbus ID must be between 1 and 255.");
        out.rows.push_back(id);
    }
    if (!out.ok()) out.rows.clear();
    return out;
}

AccessCsvImport ReadAccessTableCsv(const std::string& path, AccessTable table, int bound) {
    return ReadFile<AccessCsvImport>(
        path, [&](const std::string& text) { return ParseAccessTableCsv(text, table, bound); });
}

DiagnosisCsvImport ReadDiagnosisCsv(const std::string& path) {
    return ReadFile<DiagnosisCsvImport>(
        path, [](const std::string& text) { return ParseDiagnosisCsv(text); });
}
