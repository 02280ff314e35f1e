#pragma once
#include "gui/widgets/FormBase.h"
#include "gui/widgets/LineEditor.h"

#include <string>

// New project dialog; also the one-line text editor of the XML tool.
class TFsaveproj : public FormBase, public LineEditor {
    Q_OBJECT
public:
    explicit TFsaveproj(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    // Folder in which New project creates the project folder.
    std::string NewProjectBase;
    // Text taken from the edit box at OK.
    std::string NewProjectText;
    // The answer to a close request, set by OK and Cancel.
    bool CloseAllowed = false;
    // 0 = New project, 1 = text editor for the XML tool.
    int EditTextMode = 0;

    QLineEdit* Edit1 = nullptr;
    QLabel* Label1 = nullptr;

    void FormShow() override;
    // OK and Cancel (bitbtn1, bitbtn2).
    void BitBtn1Click();
    void BitBtn2Click();

    // The text editor mode: shows `text`, gives the edited text on OK.
    std::optional<QString> editLine(const QString& text) override;

    void done(int r) override;
    void reject() override;

protected:
    void buildControls() override;
};
