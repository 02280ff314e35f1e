#pragma once
#include "gui/widgets/FormBase.h"

#include <string>

// Lists up to 1000 numbered strings of an XML file and lets one be picked.
class TFSELstringhe : public FormBase {
    Q_OBJECT
public:
    explicit TFSELstringhe(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    // Input: the XML file whose strings are listed.
    std::string StringsFilePath;
    // Input and output: index of the selected string.
    int SelectedStringIndex = 0;

    StringGrid* sg = nullptr;
    QWidget* Panel1 = nullptr; // the chosen index, OK and Cancel
    QLabel* Label1 = nullptr;

    void FormShow() override;
    void FormResize();
    void sgSelectCell(int col, int row);

protected:
    void buildControls() override;
    void resizeEvent(QResizeEvent* e) override;
};
