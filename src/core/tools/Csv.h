#pragma once
#include "core/tools/CsvCell.h"

#include <string>
#include <string_view>
#include <vector>

// RFC 4180 text: fields separated by ',' or ';', records by CRLF (LF and CR
// alone are read too), fields with a separator, quote or line break quoted with
// '"' and inner quotes doubled.
using CsvRecord = std::vector<std::string>;

struct CsvText {
    std::vector<CsvRecord> records;
    char separator = ',';
    // "Row n: ..." for each record that is not well formed (a NUL byte, text
    // after a closing quote, a quote never closed); the records are only
    // meaningful when there are none.
    std::vector<std::string> errors;
};

// Largest CSV file read: a full table is a few tens of kB.
inline constexpr size_t MaxCsvBytes = size_t(4) << 20;

// Parses UTF-8 text; a leading byte order mark is skipped and the separator is
// the one of ',' and ';' found more often outside quotes in the first record.
// At most maxRecords records are kept; `more` then tells whether others
// followed. Every byte but NUL is text (control bytes and bytes that are not
// UTF-8 are kept as they are). Every field is read back with CsvCellRead.
// Throws TessaroError for a NUL byte, a quote that is never closed, or text
// after a closing quote, naming the record.
CsvText ParseCsv(std::string_view text, size_t maxRecords, bool* more = nullptr);

// One record with CRLF, every field through CsvCell, quoted where needed
// (separators, quotes, line breaks, other control bytes, bytes that are not
// UTF-8, leading or trailing blanks).
std::string CsvLine(const CsvRecord& fields, char separator = ',');

// Appends the text in double quotes with its quotes doubled, as CSV and the
// clipboard's tab text quote a cell.
void AppendQuoted(std::string& out, std::string_view text);
