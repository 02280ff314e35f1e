#pragma once
#include "core/editors/Finding.h"
#include "core/family/Spreadsheet.h"
#include "core/project/XmlDoc.h"
#include "gui/family/SpreadsheetSession.h"
#include "gui/widgets/FormBase.h"

#include <QString>
#include <QUrl>
#include <functional>

struct Forms;

// The main window; it keeps the workbook session the family editors share.
class TFTessaroFirmWare : public FormBase, public SpreadsheetSession {
    Q_OBJECT
public:
    // Creating the main window settles the workspace (FormCreate).
    TFTessaroFirmWare(Workspace& ws, Forms* forms, QWidget* parent = nullptr);

    FileDialogSettings OpenExcel;
    // Spreadsheet connection and query shared by the family editors' import.
    SpreadsheetConnection ADOConnection1;
    SpreadsheetQuery ADOQuery1{ADOConnection1};
    QPushButton* New;
    QPushButton* open;
    QPushButton* LbButton1;
    QPushButton* CreateBin;
    QPushButton* CreateSx;
    QPushButton* about;
    QPushButton* btnReport; // the commissioning report
    QPushButton* btn_Prm_Gen;
    QPushButton* btn_Emcy_Wd;
    QPushButton* btn_Sdo;
    QPushButton* btn_Pdo;
    QPushButton* btn_Emcy;
    QPushButton* btn_Info_Pdo;
    XmlDocument XML1;
    QPushButton* Btn_SetPDO;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label1;
    XmlDocument XML2;
    QPushButton* btn_Gds;
    FileDialogSettings SaveGDS;
    QPushButton* btn_Error_Diag;
    // One line with the state of the project check ("3 errors, 1 warning");
    // a click lists the findings.
    QLabel* LabelCheck;
    // Beside it, the fingerprint of the image the project would build now.
    QLabel* LabelImage;
    QPushButton* btn_Compare; // "Compare…": the project against an image file or another project

    void FormCreate();
    void FormClose();
    void NewaClick();
    void OpenaClick();
    void btn_str_lng1aClick(QObject* sender);
    void CreateBinaClick();
    void AboutClick();
    void ReportClick();
    class TFReport* report = nullptr; // made on first use
    void LbButton1Click();
    void Label1Click();
    void GsdFileClick();
    // Checks the open project again and shows the state line.
    void refreshCheck();
    void LabelCheckClick();
    void CompareClick();
    // The compare window, made on first use.
    class TFCompare* compareWindow();
    const std::vector<Finding>& checkFindings() const { return findings_; }

    // How the desktop is asked to open a link; tests replace it.
    std::function<void(const QUrl&)> openUrl;
    // Runs a dialog modally; tests may replace it to drive the dialog.
    int showModal(QDialog* dialog);

    FileDialogSettings& workbookChooser() override { return OpenExcel; }
    SpreadsheetConnection& workbookConnection() override { return ADOConnection1; }
    SpreadsheetQuery& workbookQuery() override { return ADOQuery1; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void setCaptionFor(const std::string& name);
    bool projectOpen() const;
    Forms* forms() const { return forms_; }

    Forms* forms_;
    bool closing_ = false;
    std::vector<Finding> findings_;
    class TFCompare* compare_ = nullptr;
};
