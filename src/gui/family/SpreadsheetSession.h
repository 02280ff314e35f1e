#pragma once
#include "core/family/Spreadsheet.h"
#include "gui/widgets/Prompt.h"

// What the family editors' Import shares between showings and editors: the
// workbook chooser (it remembers the last workbook) and the open workbook.
// The program's main window keeps it; each editor is handed it when created.
class SpreadsheetSession {
public:
    virtual FileDialogSettings& workbookChooser() = 0;
    virtual SpreadsheetConnection& workbookConnection() = 0;
    virtual SpreadsheetQuery& workbookQuery() = 0;

protected:
    ~SpreadsheetSession() = default;
};
