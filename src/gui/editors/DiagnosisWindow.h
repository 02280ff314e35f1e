#pragma once
#include "gui/widgets/FormBase.h"

#include <string>
#include <vector>

class QPushButton;
class QWidget;
class StringGrid;

// Error/Diagnosis: the Modbus IDs of diagnosis.xml, one per bit of the map.
class TFSetDiagnosis : public FormBase {
    Q_OBJECT
public:
    explicit TFSetDiagnosis(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    StringGrid* ACG = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* bitbtn1 = nullptr;
    QPushButton* bitbtn2 = nullptr;
    QPushButton* btnImportCsv = nullptr;
    QPushButton* btnExportCsv = nullptr;

    void FormShow();
    // Checks and writes the file; false when the check failed.
    bool bitbtn1Click();

    // CSV of the IDs; an import fills the grid unsaved, or changes nothing
    // and lists every bad row.
    void ImportCsvClick();
    void ExportCsvClick();

    std::vector<std::string> fromGrid() const;

protected:
    void buildControls() override;
    void showEvent(QShowEvent* e) override;
};
