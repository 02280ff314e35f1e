#pragma once
#include <array>

#include <functional>
#include <string>
#include <vector>

class StringGrid;
class GridModel;

// Fills many cells of a grid at once: `fill` sets cells on the grid's model
// with its signals held back, then the view is told once.
void FillGrid(StringGrid* grid, const std::function<void(GridModel&)>& fill);

// Shows rows of N texts in grid columns 1..N below the column titles, with the
// row numbers from 0 in the fixed column; the grid takes one row per entry.
template <size_t N, size_t T>
void ShowRows(StringGrid* grid, const std::vector<std::array<std::string, N>>& rows,
              const std::array<const char*, T>& titles);

// The texts of grid columns 1..N of every entry row.
template <size_t N> std::vector<std::array<std::string, N>> GridRows(const StringGrid* grid);

#include "gui/widgets/StringGrid.h"

template <size_t N, size_t T>
void ShowRows(StringGrid* grid, const std::vector<std::array<std::string, N>>& rows,
              const std::array<const char*, T>& titles) {
    grid->setRowCount(int(rows.size()) + 1);
    FillGrid(grid, [&](GridModel& m) {
        for (size_t c = 0; c < T; ++c)
            m.setCell(int(c), 0, titles[c]);
        for (size_t r = 0; r < rows.size(); ++r) {
            m.setCell(0, int(r) + 1, QString::number(r));
            for (size_t c = 0; c < N; ++c)
                m.setCell(int(c) + 1, int(r) + 1, FileText(rows[r][c]));
        }
    });
}

template <size_t N> std::vector<std::array<std::string, N>> GridRows(const StringGrid* grid) {
    std::vector<std::array<std::string, N>> rows(size_t(grid->rowCount() - 1));
    for (int r = 1; r < grid->rowCount(); ++r)
        for (size_t c = 0; c < N; ++c)
            rows[size_t(r - 1)][c] = grid->cellText(int(c) + 1, r);
    return rows;
}
