#pragma once
#include "core/editors/AccessMap.h"
#include "gui/widgets/EditorWindow.h"

class QPushButton;
class QTabWidget;
class QWidget;
class StringGrid;

// Set Access: the read and write tables of sdo.xml.
class TFSetVar : public EditorWindow {
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

    // Address DeviceNet bounds, from pargen.xml at each showing.
    int NByteIn = DefaultDeviceNetBytes;
    int NByteOut = DefaultDeviceNetBytes;

    StringGrid* grid(AccessTable t) const { return t == AccessTable::Read ? sga : sgb; }
    AccessMap fromGrids() const;
    void toGrids(const AccessMap& map);

protected:
    void buildControls() override;
    void clearControls() override;
    void loadControls() override;
    std::optional<Failure> firstFailure() override;
    void save() override;
    std::string savedFile() const override;
};
