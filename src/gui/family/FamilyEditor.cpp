#include "gui/family/FamilyEditor.h"

#include "core/project/Errors.h"
#include "core/project/Workspace.h"
#include "gui/family/SpreadsheetSession.h"
#include "gui/widgets/Controls.h"

#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

FamilyEditor::FamilyEditor(Workspace& ws, SpreadsheetSession* excel, const Look& look,
                           std::string Workspace::*file, QWidget* parent)
    : EditorWindow(ws, parent, look, file), excel_(excel) {}

void FamilyEditor::newPages() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
}

QPushButton* FamilyEditor::layOut(const char* okName) {
    QPushButton* ok = NewPlainButton(this, okName, "OK");
    bitbtn2 = NewPlainButton(this, "bitbtn2", "Cancel");
    auto* row = buttonRow = new QHBoxLayout;
    if (excel_) {
        bitbtn4 = NewPlainButton(this, "bitbtn4", "Import");
        button1 = NewPlainButton(this, "button1", "Export");
        row->addWidget(bitbtn4);
        row->addWidget(button1);
    }
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(bitbtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(row);
    setButtons(ok, bitbtn2, bitbtn4, button1);
    return ok;
}

QHBoxLayout* FamilyEditor::EntryButtonRow(QPushButton* del, QPushButton* add, QPushButton* modify) {
    auto* row = new QHBoxLayout;
    row->addWidget(del);
    row->addStretch();
    row->addWidget(add);
    row->addWidget(modify);
    return row;
}

void FamilyEditor::loadEnded(bool missing, bool readError) {
    if (missing) prompt().message("File XML not found");
    if (readError) throw TessaroError("Error in reading file XML");
}

std::optional<ImportOutcome> FamilyEditor::importTable(const FamilyTable& table,
                                                       const ImportHandlers& handlers,
                                                       const std::function<void()>& commit) {
    FileDialogSettings& dlg = excel_->workbookChooser();
    // The last workbook is preselected; without one the dialog starts in its folder.
    const QString start = dlg.fileName.isEmpty() ? dlg.initialDir : dlg.fileName;
    auto picked = prompt().openFile("Open", start, dlg.filter);
    if (!picked || picked->isEmpty()) return std::nullopt;
    dlg.fileName = *picked;

    ImportOutcome outcome =
        ImportWorksheet(excel_->workbookConnection(), excel_->workbookQuery(),
                        QFile::encodeName(*picked).toStdString(), table, handlers);
    if (outcome.end != ImportEnd::Completed)
        throw TessaroError("Import from \"" + picked->toStdString() +
                           "\" failed, nothing was changed. " + outcome.reason);
    if (commit) commit();
    return outcome;
}

void FamilyEditor::exportTable(const FamilyTable& table,
                               const std::vector<std::vector<std::string>>& lines) {
    WriteCsv(CsvPath(ws().ProjectFolder, table), lines);
}

void FamilyEditor::followResize(std::initializer_list<QWidget*> watched,
                                std::function<void()> relayout) {
    relayout_ = std::move(relayout);
    for (QWidget* w : watched) {
        w->installEventFilter(this);
        resizeWatched_.push_back(w);
    }
}

void FamilyEditor::resizeEvent(QResizeEvent* e) {
    EditorWindow::resizeEvent(e);
    if (relayout_) relayout_();
}

bool FamilyEditor::eventFilter(QObject* o, QEvent* e) {
    // Pages take their size after the window's own resize.
    if (e->type() == QEvent::Resize && relayout_)
        for (QWidget* w : resizeWatched_)
            if (o == w) relayout_();
    return EditorWindow::eventFilter(o, e);
}

void FamilyEditor::AddLinesState(const std::vector<std::vector<std::string>>& lines,
                                 std::vector<QString>& into) {
    for (const auto& line : lines) {
        into.push_back(QString::number(line.size()));
        for (const std::string& field : line)
            into.push_back(QString::fromStdString(field));
    }
}
