#pragma once
#include "gui/widgets/EditorWindow.h"

#include <string>
#include <vector>

// Error/Diagnosis: the Modbus IDs of diagnosis.xml, one per bit of the map.
class TFSetDiagnosis : public EditorWindow {
    Q_OBJECT
public:
    explicit TFSetDiagnosis(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    StringGrid* ACG = nullptr;
    QWidget* Panel1 = nullptr; // OK, Cancel, Check and the CSV buttons

    std::vector<std::string> fromGrid() const;

protected:
    void buildControls() override;
    void clearControls() override;
    void loadControls() override;
    std::vector<Failure> allFailures() override;
    void save() override;
    // CSV of the IDs; an import fills the grid unsaved, or changes nothing
    // and lists every bad row.
    bool importData() override;
    void exportData() override;
};
