#pragma once
#include "family/ImportExport.h"

#include <functional>
#include <string>
#include <vector>

class FormBase;

// The Import and Export buttons of the family editors. Both use the main
// window's shared objects: OpenExcel (file dialog settings, remembers the last
// workbook), ADOConnection1 and ADOQuery1.
//
// Import (BitBtn4Click):
//   FamilyImport(*this, SdoTable, [&] { /* clear what the editor clears */ },
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
std::optional<ImportOutcome> FamilyImport(FormBase& form, const FamilyTable& table,
                                          const std::function<void()>& clear,
                                          const ImportHandlers& handlers);

// True when the file was written completely.
bool FamilyExport(FormBase& form, const FamilyTable& table,
                  const std::vector<std::vector<std::string>>& lines);

class StringGrid;
class GridModel;

// Fills many cells of a grid at once: `fill` sets cells on the grid's model
// with its signals held back, then the view is told once.
void FillGrid(StringGrid* grid, const std::function<void(GridModel&)>& fill);
