#pragma once
#include <cstddef>
#include <string>
#include <vector>

// One row of a table as the grid holds it: the text of each cell.
using TextRow = std::vector<std::string>;

// How a table reads its rows: the cell whose emptiness ends the table (e.g.
// Slave ID), and SWAP cells, which hold "" until touched and "N" when cleared.
struct RowRule {
    size_t endColumn = 0;
    std::vector<size_t> swapColumns;
};

// A row holds data when any cell holds text, other than an untouched SWAP or
// an "N" SWAP.
bool RowHasData(const TextRow& row, const RowRule& rule);

// Position of the row that ends the table (the first with an empty end cell),
// rows.size() when every row has one.
size_t TableEnd(const std::vector<TextRow>& rows, const RowRule& rule);

// Rows that hold data from the one ending the table on (that one included,
// when only its end cell is empty): saving drops them.
std::vector<size_t> StrandedRows(const std::vector<TextRow>& rows, const RowRule& rule);

// Drops the rows without data, keeping the order of the others, and fills up
// with empty rows to the same count.
std::vector<TextRow> CloseGaps(const std::vector<TextRow>& rows, const RowRule& rule);
