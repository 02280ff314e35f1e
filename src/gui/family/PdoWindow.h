#pragma once
#include "core/family/FamilyTables.h"
#include "gui/widgets/FormBase.h"

class QPushButton;
class QTabWidget;
class SpreadsheetSession;
class QWidget;
class StringGrid;

// "Define Traslate PDO": the PDO translation table of both directions,
// kept in rpdodef.xml.
class TFpdo : public FormBase {
    Q_OBJECT
public:
    // `excel` is the workbook session Import reads through.
    TFpdo(Workspace& ws, SpreadsheetSession& excel, QWidget* parent = nullptr,
          Build build = Build::Now);

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    StringGrid* sga = nullptr;
    StringGrid* sgb = nullptr;
    QPushButton* bitbtn1 = nullptr;
    QPushButton* bitbtn2 = nullptr;
    QPushButton* bitbtn4 = nullptr;
    QPushButton* button1 = nullptr;

    void FormShow();
    void FormResize();
    void BitBtn1Click();
    void BitBtn4Click();
    void Button1Click();

    // Grid content as the model.
    PdoTables tables() const;

protected:
    void buildControls() override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void showTables(const PdoTables& t);

private:
    SpreadsheetSession& excel_;
};
