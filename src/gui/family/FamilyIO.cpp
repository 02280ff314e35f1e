#include "gui/family/FamilyIO.h"
#include "gui/widgets/Controls.h"
#include "gui/widgets/FormBase.h"
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Forms.h"
#include "app/MainWindow.h"
#include "core/project/Workspace.h"

#include "gui/widgets/StringGrid.h"

#include <QFile>

namespace {
// Stand-ins for a dialog built without the program's windows (tests).
struct Shared {
    FileDialogSettings settings{"File EXCEL (*.xls)|*.xls", {}, {}, {}};
    SpreadsheetConnection connection;
    SpreadsheetQuery query{connection};
};

Shared& Fallback() {
    static Shared s;
    return s;
}
} // namespace

std::optional<ImportOutcome> FamilyImport(FormBase& form, const FamilyTable& table,
                                          const ImportHandlers& handlers,
                                          const std::function<void()>& commit) {
    TFTessaroFirmWare* main = form.forms() ? form.forms()->FTessaroFirmWare : nullptr;
    FileDialogSettings& dlg = main ? main->OpenExcel : Fallback().settings;
    SpreadsheetConnection& conn = main ? main->ADOConnection1 : Fallback().connection;
    SpreadsheetQuery& query = main ? main->ADOQuery1 : Fallback().query;

    // The last workbook is preselected; without one the dialog starts in its folder.
    const QString start = dlg.fileName.isEmpty() ? dlg.initialDir : dlg.fileName;
    auto picked = form.prompt().openFile("Open", start, dlg.filter);
    if (!picked || picked->isEmpty()) return std::nullopt;
    dlg.fileName = *picked;

    const std::string path = QFile::encodeName(*picked).toStdString();
    ImportOutcome outcome = ImportWorksheet(conn, query, path, table, handlers);
    if (outcome.end != ImportEnd::Completed)
        throw TessaroError("Import from \"" + picked->toStdString() +
                           "\" failed, nothing was changed. " + outcome.reason);
    if (commit) commit();
    return outcome;
}

bool FamilyExport(FormBase& form, const FamilyTable& table,
                  const std::vector<std::vector<std::string>>& lines) {
    return form.run([&] { WriteCsv(CsvPath(form.ws().ProjectFolder, table), lines); });
}

void FillGrid(StringGrid* grid, const std::function<void(GridModel&)>& fill) {
    // The views hear once of what changed; unchanged row titles keep the
    // header's measured size.
    GridUpdate hold(grid);
    fill(*grid->gridModel());
}

FamilyButtons LayOutFamilyEditor(FormBase& form, QWidget* pages, const char* okName,
                                 std::function<void()> onOk, std::function<void()> onImport,
                                 std::function<void()> onExport) {
    FamilyButtons b;
    b.ok = NewPlainButton(&form, okName, "OK");
    b.cancel = NewPlainButton(&form, "bitbtn2", "Cancel");
    b.import = NewPlainButton(&form, "bitbtn4", "Import");
    b.exportButton = NewPlainButton(&form, "button1", "Export");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(b.import);
    buttons->addWidget(b.exportButton);
    buttons->addStretch();
    buttons->addWidget(b.ok);
    buttons->addWidget(b.cancel);
    auto* layout = new QVBoxLayout(&form);
    layout->addWidget(pages, 1);
    layout->addLayout(buttons);

    form.bindModalButton(b.ok, std::move(onOk), QDialog::Accepted);
    QObject::connect(b.cancel, &QPushButton::clicked, &form, &QDialog::reject);
    QObject::connect(b.import, &QPushButton::clicked, &form,
                     [&form, onImport = std::move(onImport)] { form.run(onImport); });
    QObject::connect(b.exportButton, &QPushButton::clicked, &form, std::move(onExport));
    return b;
}
