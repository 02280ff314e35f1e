#pragma once
#include "family/PdoAccess.h"
#include "widgets/FormBase.h"

class QPushButton;
class QTabWidget;
class StringGrid;

// "Set PDO Access": pdo.xml, Profibus input bytes to transmit PDOs and
// receive PDOs to Profibus output bytes.
class TFSetPdo : public FormBase {
    Q_OBJECT
public:
    explicit TFSetPdo(Workspace& ws, QWidget* parent = nullptr);

    QTabWidget* PageControl1;
    StringGrid* sga; // ProfiBus IN --> Transmit PDO
    StringGrid* sgb; // Recive PDO --> ProfiBub OUT
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;

    int32_t NByteIn = DefaultProfiAreaSize;
    int32_t NByteOut = DefaultProfiAreaSize;

    void FormShow();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::vector<PdoAccessRow> gridRows(const StringGrid* grid) const;
    void fillGrid(StringGrid* grid, const std::vector<PdoAccessRow>& rows);
};
