#pragma once
#include "gui/widgets/EditorWindow.h"

#include <string>
#include <vector>

class QPushButton;
class QWidget;
class StringGrid;

// Error/Diagnosis: the Modbus IDs of diagnosis.xml, one per bit of the map.
class TFSetDiagnosis : public EditorWindow {
    Q_OBJECT
public:
    explicit TFSetDiagnosis(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    StringGrid* ACG = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* bitbtn1 = nullptr;
    QPushButton* bitbtn2 = nullptr;
    QPushButton* btnImportCsv = nullptr;
    QPushButton* btnExportCsv = nullptr;

    // CSV of the IDs; an import fills the grid unsaved, or changes nothing
    // and lists every bad row.
    void ImportCsvClick();
    void ExportCsvClick();

    std::vector<std::string> fromGrid() const;

protected:
    void buildControls() override;
    void clearControls() override;
    void loadControls() override;
    std::optional<Failure> firstFailure() override;
    std::vector<Failure> allFailures() override;
    void save() override;
    std::string savedFile() const override;
};
