#pragma once
#include "gui/family/PairEditors.h"

#include <string>

// "Set SDO Access": the SDO access table of both directions. Loads the file
// named by SdoAccessPath on every showing; OK writes nothing.
class TFsdo : public GridPairEditor<SdoAccessTables, SdoTitles.size()> {
    Q_OBJECT
public:
    // `excel` is the workbook session Import reads through.
    TFsdo(Workspace& ws, SpreadsheetSession& excel, QWidget* parent = nullptr,
          Build build = Build::Now);

    // The SDO access file. A setting of this unit: the workspace assigns no
    // path to it, so in this product it stays empty and the tables open empty.
    std::string SdoAccessPath;

    QWidget *TabSheet1{}, *TabSheet2{};
    // Captions over columns 0-3 and 4-8: Panel1 and Panel2 of sga, Panel3 and Panel4 of sgb.
    QLabel *Panel1{}, *Panel2{}, *Panel3{}, *Panel4{};

    void FormResize();

protected:
    void buildControls() override;
    void loadControls() override;
    std::string savedFile() const override { return SdoAccessPath; }

private:
    void buildGrid(StringGrid* g);
};
