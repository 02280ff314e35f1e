#pragma once
#include "core/editors/AccessMap.h"
#include "gui/widgets/FormBase.h"

class QLabel;
class QListWidget;
class QPushButton;
class TFByteMap;
class QTabWidget;
class QWidget;
class StringGrid;

// Set Access: the read and write tables of sdo.xml.
class TFSetVar : public FormBase {
    Q_OBJECT
public:
    explicit TFSetVar(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    StringGrid* sga = nullptr; // read table
    StringGrid* sgb = nullptr; // write table
    QWidget* Panel1 = nullptr;
    QPushButton* bitbtn1 = nullptr;
    QPushButton* bitbtn2 = nullptr;
    QPushButton* btnImportCsv = nullptr;
    QPushButton* btnExportCsv = nullptr;
    QPushButton* BtnByteMap = nullptr; // "Byte map" beside OK/Cancel
    QPushButton* BtnCheck = nullptr;   // "Check": every finding into ListFindings
    QLabel* LabelFindings = nullptr;
    QListWidget* ListFindings = nullptr; // hidden until the first Check
    TFByteMap* ByteMap = nullptr;        // made on first use

    // Address DeviceNet bounds, from pargen.xml at each showing.
    int NByteIn = DefaultDeviceNetBytes;
    int NByteOut = DefaultDeviceNetBytes;

    void FormShow();
    void BtnByteMapClick();
    // Fills ListFindings with the errors and layout findings of both grids.
    void BtnCheckClick();
    // Shows the cell of a finding: its tab, row and column.
    void selectFinding(AccessTable t, int row, const std::string& column);
    // Checks both tables and writes the file; false when a check failed.
    bool bitbtn1Click();

    // CSV of the shown table; an import fills the grid unsaved, or changes
    // nothing and lists every bad row.
    void ImportCsvClick();
    void ExportCsvClick();
    AccessTable shownTable() const;

    StringGrid* grid(AccessTable t) const { return t == AccessTable::Read ? sga : sgb; }
    AccessMap fromGrids() const;
    void toGrids(const AccessMap& map);

protected:
    void buildControls() override;
    void showEvent(QShowEvent* e) override;
};
