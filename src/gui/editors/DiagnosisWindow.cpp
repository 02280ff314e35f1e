#include "gui/editors/DiagnosisWindow.h"

#include "core/editors/DiagnosisIds.h"
#include "core/editors/TableCsv.h"
#include "core/model/Project.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/widgets/StringGrid.h"

#include "gui/widgets/Controls.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TFSetDiagnosis::TFSetDiagnosis(Workspace& ws, QWidget* parent, Build build)
    : EditorWindow(ws, parent,
                   {"FSetDiagnosis", "Error/Diagnosis", {302, 443}, Resizable, SizableFrame},
                   &Workspace::DiagnosisPath) {
    buildIfNow(build);
}

void TFSetDiagnosis::buildControls() {
    ACG = Named(new StringGrid(this), "ACG");
    ACG->setAccessibleName("Error/Diagnosis");
    ACG->setColCount(2);
    ACG->setRowCount(DiagnosisEntries + 1);
    ACG->setCell(0, 0, "Index/Bit-Mapping");
    ACG->setCell(1, 0, "Modbus Slave ID");
    ACG->setColWidth(0, 136);
    ACG->setColWidth(1, 122);

    Panel1 = NewOkCancelPanel(this, bitbtn1, bitbtn2);
    AddCsvButtons(Panel1, btnImportCsv, btnExportCsv);
    QVBoxLayout* main = NewColumn(this, {ACG, Panel1});
    auto* buttons = static_cast<QHBoxLayout*>(Panel1->layout());
    buttons->insertSpacing(3, 16); // after Cancel
    addCheck(buttons, 4, main, 1);

    setButtons(bitbtn1, bitbtn2, btnImportCsv, btnExportCsv);
    addTable({ACG, {1}, 1, {}});
}

void TFSetDiagnosis::clearControls() {
    for (int n = 1; n <= DiagnosisEntries; ++n) {
        ACG->setCellText(0, n, DiagnosisLabel(n));
        ACG->setCell(1, n, QString());
    }
}

void TFSetDiagnosis::loadControls() {
    // A malformed file is rejected whole, so column 1 stays empty then.
    Project& project = ws().project();
    project.reloadDiagnosis();
    const DiagnosisPart& part = project.diagnosis();
    part.report.requireReadable();
    const std::vector<std::string>& ids = part.ids;
    for (size_t i = 0; i < ids.size() && i < size_t(DiagnosisEntries); ++i)
        ACG->setCellText(1, static_cast<int>(i) + 1, ids[i]);
}

std::vector<EditorWindow::Failure> TFSetDiagnosis::allFailures() {
    std::vector<Failure> all;
    for (const auto& f : LocatedDiagnosisFailures(fromGrid()))
        all.push_back(FailAt(f.message, ACG, 1, static_cast<int>(f.entry) + 1));
    return all;
}

void TFSetDiagnosis::save() {
    ws().project().saveDiagnosis(fromGrid());
}

std::vector<std::string> TFSetDiagnosis::fromGrid() const {
    std::vector<std::string> ids;
    for (int n = 1; n <= DiagnosisEntries; ++n)
        ids.push_back(ACG->cellText(1, n));
    return ids;
}

bool TFSetDiagnosis::importData() {
    const auto path = csvToImport();
    if (!path) return false;
    DiagnosisCsvImport in = ReadDiagnosisCsv(*path);
    if (!in.ok()) {
        prompt().error(QString::fromStdString(in.message()));
        return false;
    }
    for (int n = 1; n <= DiagnosisEntries; ++n)
        ACG->setCellText(1, n,
                         static_cast<size_t>(n) <= in.rows.size() ? in.rows[size_t(n) - 1] : "");
    return true;
}

void TFSetDiagnosis::exportData() {
    if (const auto path = csvToExport()) WriteFileAtomic(*path, DiagnosisCsv(fromGrid()));
}
