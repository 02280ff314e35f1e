#pragma once
#include "editors/AccessMap.h"
#include "widgets/FormBase.h"

class QPushButton;
class QTabWidget;
class QWidget;
class StringGrid;

// Set Access: the read and write tables of sdo.xml.
class TFSetVar : public FormBase {
    Q_OBJECT
public:
    explicit TFSetVar(Workspace& ws, QWidget* parent = nullptr);

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    StringGrid* sga; // read table
    StringGrid* sgb; // write table
    QWidget* Panel1;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;

    // Address DeviceNet bounds, from pargen.xml at each showing.
    int NByteIn = DefaultDeviceNetBytes;
    int NByteOut = DefaultDeviceNetBytes;

    void FormShow();
    // Checks both tables and writes the file; false when a check failed.
    bool bitbtn1Click();

    StringGrid* grid(AccessTable t) const { return t == AccessTable::Read ? sga : sgb; }
    AccessMap fromGrids() const;
    void toGrids(const AccessMap& map);

protected:
    void showEvent(QShowEvent* e) override;
};
