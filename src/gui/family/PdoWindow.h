#pragma once
#include "core/family/FamilyTables.h"
#include "gui/family/FamilyEditor.h"

// "Define Traslate PDO": the PDO translation table of both directions,
// kept in rpdodef.xml.
class TFpdo : public FamilyEditor {
    Q_OBJECT
public:
    // `excel` is the workbook session Import reads through.
    TFpdo(Workspace& ws, SpreadsheetSession& excel, QWidget* parent = nullptr,
          Build build = Build::Now);

    QWidget *TabSheet1{}, *TabSheet2{};
    StringGrid *sga{}, *sgb{}; // CAN A to CAN B, CAN B to CAN A

    void FormResize();

    // Grid content as the model.
    PdoTables tables() const;

protected:
    void buildControls() override;
    void clearControls() override;
    void loadControls() override;
    void save() override;
    bool importData() override;
    void exportData() override;
};
