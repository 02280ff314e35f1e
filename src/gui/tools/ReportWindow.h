#pragma once
#include "gui/widgets/FormBase.h"

#include <string>

class QTextBrowser;

// Report: the commissioning report of the open project, with Save as PDF,
// Save HTML and Print.
class TFReport : public FormBase {
    Q_OBJECT
public:
    explicit TFReport(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    QTextBrowser* ReportView = nullptr;
    QPushButton *btnSavePdf{}, *btnSaveHtml{}, *btnPrint{}, *btnClose{};

    // Builds the report of the open project, dated today.
    void FormShow() override;
    void SavePdfClick();
    void SaveHtmlClick();
    void PrintClick();
    // Writes the shown report as PDF on the locale's paper (A4 or Letter).
    void savePdf(const std::string& path);

protected:
    void buildControls() override;

private:
    std::string projectName() const;
    std::string date_;
};
