#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The checks of an editable table of the project: the rows that count run
// from the first down to the first whose key cell is empty; each of them
// passes its checks in order, and a failing check reads
// "Error row <n>!! [<table>] <message>" (rows numbered from 1).
template <class Row> struct CellCheck {
    const char* table; // named in brackets in the message
    int field;         // the cell it looks at, in the table's own numbering
    std::function<bool(const Row&)> passes;
    std::string message;
};

struct CheckFailure {
    size_t row; // from 0
    int field;
    std::string message;
};

template <class Row> struct CheckedTable {
    std::string Row::*key;
    std::vector<CellCheck<Row>> checks;
};

// True when the text is an integer from low to high; any other text is not.
bool IntegerInRange(std::string_view text, int64_t low, int64_t high);

std::string RowFailure(size_t row, const char* table, const std::string& message);

// Number of leading rows whose key cell is not empty.
template <class Row> size_t CheckedRun(const std::vector<Row>& rows, std::string Row::*key) {
    size_t n = 0;
    while (n < rows.size() && !(rows[n].*key).empty())
        ++n;
    return n;
}

// Appends the failures of the table's run, row by row and check by check,
// until `out` holds `limit` messages.
template <class Row>
void AppendFailures(const CheckedTable<Row>& table, const std::vector<Row>& rows, size_t limit,
                    std::vector<CheckFailure>& out) {
    const size_t run = CheckedRun(rows, table.key);
    for (size_t i = 0; i < run && out.size() < limit; ++i)
        for (const CellCheck<Row>& c : table.checks) {
            if (out.size() >= limit) return;
            if (!c.passes(rows[i]))
                out.push_back({i, c.field, RowFailure(i + 1, c.table, c.message)});
        }
}
