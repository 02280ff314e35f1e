#pragma once
#include "core/family/PdoAccess.h"
#include "gui/widgets/FormBase.h"

class QPushButton;
class QTabWidget;
class StringGrid;

// "Set PDO Access": pdo.xml, Profibus input bytes to transmit PDOs and
// receive PDOs to Profibus output bytes.
class TFSetPdo : public FormBase {
    Q_OBJECT
public:
    explicit TFSetPdo(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    QTabWidget* PageControl1 = nullptr;
    StringGrid* sga = nullptr; // ProfiBus IN --> Transmit PDO
    StringGrid* sgb = nullptr; // Recive PDO --> ProfiBub OUT
    QPushButton* bitbtn1 = nullptr;
    QPushButton* bitbtn2 = nullptr;

    int32_t NByteIn = DefaultProfiAreaSize;
    int32_t NByteOut = DefaultProfiAreaSize;

    void FormShow();
    void BitBtn1Click();

protected:
    void buildControls() override;
    void showEvent(QShowEvent* event) override;

private:
    std::vector<PdoAccessRow> gridRows(const StringGrid* grid) const;
    void fillGrid(StringGrid* grid, const std::vector<PdoAccessRow>& rows);
};
