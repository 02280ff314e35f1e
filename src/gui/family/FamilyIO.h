#pragma once
#include "core/family/ImportExport.h"
#include <array>

#include <functional>
#include <string>
#include <vector>

class FormBase;
class SpreadsheetSession;

// The Import and Export buttons of the family editors. Import uses the
// spreadsheet session the editor was handed (the main window's OpenExcel,
// ADOConnection1 and ADOQuery1 in the program).
//
// Import (BitBtn4Click):
//   FamilyImport(*this, excel(), SdoTable, [&] { /* clear what the editor clears */ },
//                {.worksheetFound = ..., .record = [&](int32_t dir, const auto& f) { ... }});
// Shows OpenExcel through the form's prompt; a cancel stops with nothing
// changed. Otherwise `clear` runs, then ImportWorksheet; every failure ends the
// import silently, keeping the records already handed over. Returns the
// outcome (nullopt when cancelled) so that callers and tests can see it.
//
// Export (Button1Click):
//   FamilyExport(*this, SdoTable, lines);
// Writes <ProjectFolder>/<name>.csv; a failure is shown through the general
// error report ("File access denied", "I/O error <n>").
std::optional<ImportOutcome> FamilyImport(FormBase& form, SpreadsheetSession& session,
                                          const FamilyTable& table,
                                          const std::function<void()>& clear,
                                          const ImportHandlers& handlers);

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
