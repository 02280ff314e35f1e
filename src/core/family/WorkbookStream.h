#pragma once
#include "core/family/Spreadsheet.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A workbook as the reading helper sends it to the program:
//   per worksheet 'S' name rows cols, or 'U' name for one FreeXL cannot select;
//   then its non-empty cells in row order, 'C' row col text, or 'X' row col
//   for a cell FreeXL cannot read;
//   at the end 'E' and the number of worksheets.
// Numbers are 32-bit in the machine's order (both ends are this program),
// texts a length and their bytes.

// Longest stream taken; a larger workbook is not read.
inline constexpr size_t StreamLimit = size_t(64) << 20;
// Most rows a worksheet may claim, far beyond what BIFF holds.
inline constexpr uint32_t MaxRows = 1u << 20;

// Appends the whole workbook's stream to `out`; false when FreeXL cannot open
// it or the stream outgrows the limit.
bool StreamWorkbook(const char* path, std::string& out);

// The worksheets of a stream; nullopt when it is cut short, runs on after its
// end or does not hold together. Their texts lie in `stream`, which must
// outlive them.
std::optional<std::vector<WorksheetCells>> ParseWorkbookStream(std::string_view stream);
