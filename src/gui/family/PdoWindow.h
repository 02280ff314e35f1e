#pragma once
#include "gui/family/PairEditors.h"

// "Define Traslate PDO": the PDO translation table of both directions,
// kept in rpdodef.xml.
class TFpdo : public GridPairEditor<PdoTables, PdoTitles.size()> {
    Q_OBJECT
public:
    // `excel` is the workbook session Import reads through.
    TFpdo(Workspace& ws, SpreadsheetSession& excel, QWidget* parent = nullptr,
          Build build = Build::Now);

    QWidget *TabSheet1{}, *TabSheet2{};

    void FormResize();

protected:
    void buildControls() override;
};
