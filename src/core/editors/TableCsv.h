#pragma once
#include "core/editors/AccessMap.h"

#include <string>
#include <string_view>
#include <vector>

// CSV of the access-map tables and the diagnosis IDs, columns named as the
// grid headers. Export writes the run (rows up to the first empty one) with
// ',' and CRLF; import takes ',' or ';'.
inline const std::vector<std::string> AccessCsvHeaders = {
    "N°",   "Slave ID",          "Type",    "Address Register", "NPoint",
    "SWAP", "Address DeviceNet", "Mnemonic"};
inline const std::vector<std::string> DiagnosisCsvHeaders = {"Index/Bit-Mapping",
                                                             "Modbus Slave ID"};

std::string AccessTableCsv(const std::vector<AccessRow>& rows);
std::string DiagnosisCsv(const std::vector<std::string>& ids);

// The rows of an import, or every reason it is refused ("Row n: ...", rows
// counted as a spreadsheet does, the header being row 1). Rows are only
// meaningful when `errors` is empty.
template <class Row> struct CsvImport {
    std::vector<Row> rows;
    std::vector<std::string> errors;
    bool ok() const { return errors.empty(); }
    // "The file was not imported:" and one error per line.
    std::string message() const;
};
using AccessCsvImport = CsvImport<AccessRow>;
using DiagnosisCsvImport = CsvImport<std::string>;

// Every row gets the checks of the window's OK (Slave ID, Type, Address
// Register, NPoint, Address DeviceNet up to `bound`) and a type of the table's
// list, SWAP Y or N, the header's column count and names, at most
// AccessMapRows rows.
AccessCsvImport ParseAccessTableCsv(std::string_view text, AccessTable table, int bound);
// Modbus IDs 1 to 255, at most DiagnosisEntries rows.
DiagnosisCsvImport ParseDiagnosisCsv(std::string_view text);

// The file read within MaxCsvBytes; a file that cannot be read or parsed
// gives one error.
AccessCsvImport ReadAccessTableCsv(const std::string& path, AccessTable table, int bound);
DiagnosisCsvImport ReadDiagnosisCsv(const std::string& path);
