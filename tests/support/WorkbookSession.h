#pragma once
#include "gui/family/SpreadsheetSession.h"

// A workbook session of a family editor's own, where no main window is made.
struct WorkbookSession : SpreadsheetSession {
    FileDialogSettings chooser{"File EXCEL (*.xls)|*.xls", {}, {}, {}};
    SpreadsheetConnection connection;
    SpreadsheetQuery query{connection};

    FileDialogSettings& workbookChooser() override { return chooser; }
    SpreadsheetConnection& workbookConnection() override { return connection; }
    SpreadsheetQuery& workbookQuery() override { return query; }
};
