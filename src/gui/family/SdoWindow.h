#pragma once
#include "core/family/FamilyTables.h"
#include "gui/family/FamilyEditor.h"

#include <string>

// "Set SDO Access": the SDO access table of both directions. Loads the file
// named by SdoAccessPath on every showing; OK writes nothing.
class TFsdo : public FamilyEditor {
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
    StringGrid *sga{}, *sgb{};

    void FormResize();

    // Grid content as the model (both tables, every entry row).
    SdoAccessTables tables() const;

protected:
    void buildControls() override;
    void clearControls() override;
    void loadControls() override;
    // OK writes nothing.
    void save() override {}
    std::string savedFile() const override { return SdoAccessPath; }
    bool importData() override;
    void exportData() override;

private:
    void buildGrid(StringGrid* g);
};
