#pragma once
#include "core/family/ImportExport.h"
#include <array>

#include <functional>
#include <string>
#include <vector>

class FormBase;

// The Import and Export buttons of the family editors. Both use the main
// window's shared objects: OpenExcel (file dialog settings, remembers the last
// workbook), ADOConnection1 and ADOQuery1.
//
// Import (BitBtn4Click):
//   FamilyImport(*this, SdoTable, {.record = [&](int32_t dir, const auto& f) { ... }},
//                [&] { /* show what the handlers built */ });
// Shows OpenExcel through the form's prompt; a cancel stops with nothing
// changed. The handlers build the import aside (a copy of the editor's
// content); `commit` shows it, and runs only when the whole worksheet was
// read and taken. Any failure leaves the editor exactly as it was and throws
// TessaroError with the file and the reason, for the general error report.
// Returns the outcome (nullopt when cancelled).
//
// Export (Button1Click):
//   FamilyExport(*this, SdoTable, lines);
// Writes <ProjectFolder>/<name>.csv; a failure is shown through the general
// error report ("File access denied", "I/O error <n>").
std::optional<ImportOutcome> FamilyImport(FormBase& form, const FamilyTable& table,
                                          const ImportHandlers& handlers,
                                          const std::function<void()>& commit);

// True when the file was written completely.
bool FamilyExport(FormBase& form, const FamilyTable& table,
                  const std::vector<std::vector<std::string>>& lines);

class StringGrid;
class GridModel;
class QPushButton;
class QWidget;

// The buttons of a table editor below `pages`: Import and Export on the left,
// OK (named `okName`) and Cancel on the right. OK runs `onOk` and closes only
// when it ended normally, Import runs under the general error report, Export
// reports its own failure.
struct FamilyButtons {
    QPushButton* ok;
    QPushButton* cancel;
    QPushButton* import;
    QPushButton* exportButton;
};
FamilyButtons LayOutFamilyEditor(FormBase& form, QWidget* pages, const char* okName,
                                 std::function<void()> onOk, std::function<void()> onImport,
                                 std::function<void()> onExport);

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
                m.setCell(int(c) + 1, int(r) + 1, QString::fromStdString(rows[r][c]));
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
