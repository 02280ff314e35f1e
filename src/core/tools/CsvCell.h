#pragma once
#include <string>
#include <string_view>

// Spreadsheet formulas: a cell that begins with = + - @ tab or CR, after any
// apostrophes, and is not a plain number (optional sign, then decimal digits
// with an optional fraction, or 0x/0X and hex digits: -5, +3, -2.5, -0x10).
bool CsvFormulaLike(std::string_view text);
// The cell as written: a leading apostrophe before a formula-like text, so a
// spreadsheet shows it as text.
std::string CsvCell(std::string_view text);
// The inverse: removes the one apostrophe CsvCell adds, nothing else.
std::string CsvCellRead(std::string_view cell);
