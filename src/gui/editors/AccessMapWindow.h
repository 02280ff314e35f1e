#pragma once
#include "core/editors/AccessMap.h"
#include "gui/widgets/EditorWindow.h"

class TFByteMap;

// Set Access: the read and write tables of sdo.xml.
class TFSetVar : public EditorWindow {
    Q_OBJECT
public:
    explicit TFSetVar(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    QTabWidget* PageControl1 = nullptr;
    QWidget *TabSheet1{}, *TabSheet2{};
    StringGrid *sga{}, *sgb{};               // read table, write table
    QWidget* Panel1 = nullptr;               // OK, Cancel and the buttons beside them
    QPushButton *btn_Probe{}, *BtnByteMap{}; // "Test on bus…", "Byte map"
    // OK, Cancel, BtnCheck, LabelFindings, ListFindings and the CSV buttons
    // are the base's, laid out here.
    TFByteMap* ByteMap = nullptr; // made on first use

    // Address DeviceNet bounds, from pargen.xml at each showing.
    int NByteIn = DefaultDeviceNetBytes;
    int NByteOut = DefaultDeviceNetBytes;

    void BtnByteMapClick();
    // Fills ListFindings with the errors and layout findings of both grids.
    void BtnCheckClick() override;
    // Shows the cell of a finding: its tab, row and column.
    void selectFinding(AccessTable t, int row, const std::string& column);

    AccessTable shownTable() const;

    StringGrid* grid(AccessTable t) const { return t == AccessTable::Read ? sga : sgb; }
    AccessMap fromGrids() const;
    void toGrids(const AccessMap& map);

protected:
    void buildControls() override;
    void clearControls() override;
    void loadControls() override;
    std::optional<Failure> firstFailure() override;
    void save() override;
    // CSV of the shown table; an import fills the grid unsaved, or changes
    // nothing and lists every bad row.
    bool importData() override;
    void exportData() override;
};
