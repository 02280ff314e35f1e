#include "gui/family/FamilyIO.h"
#include "gui/widgets/Controls.h"
#include "gui/widgets/FormBase.h"
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/project/Workspace.h"
#include "gui/family/SpreadsheetSession.h"
#include "gui/widgets/StringGrid.h"

#include <QFile>

std::optional<ImportOutcome> FamilyImport(FormBase& form, SpreadsheetSession& session,
                                          const FamilyTable& table,
                                          const std::function<void()>& clear,
                                          const ImportHandlers& handlers) {
    FileDialogSettings& dlg = session.workbookChooser();

    // The last workbook is preselected; without one the dialog starts in its folder.
    const QString start = dlg.fileName.isEmpty() ? dlg.initialDir : dlg.fileName;
    auto picked = form.prompt().openFile("Open", start, dlg.filter);
    if (!picked || picked->isEmpty()) return std::nullopt;
    dlg.fileName = *picked;

    if (clear) clear();
    return ImportWorksheet(session.workbookConnection(), session.workbookQuery(),
                           QFile::encodeName(*picked).toStdString(), table, handlers);
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
