#pragma once
#include "widgets/FormBase.h"

#include <string>
#include <vector>

class QPushButton;
class QWidget;
class StringGrid;

// Error/Diagnosis: the Modbus IDs of diagnosis.xml, one per bit of the map.
class TFSetDiagnosis : public FormBase {
    Q_OBJECT
public:
    explicit TFSetDiagnosis(Workspace& ws, QWidget* parent = nullptr);

    StringGrid* ACG;
    QWidget* Panel1;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;

    void FormShow();
    // Checks and writes the file; false when the check failed.
    bool bitbtn1Click();

    std::vector<std::string> fromGrid() const;

protected:
    void showEvent(QShowEvent* e) override;
};
