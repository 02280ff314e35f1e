#pragma once
#include "gui/widgets/FormBase.h"

class QTextEdit;
struct HelpText;

// Shows the help file beside the executable, as rich text when it is RTF.
class TFHelp : public FormBase {
    Q_OBJECT
public:
    explicit TFHelp(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    QTextEdit* RichEdit1 = nullptr;

    void FormShow() override;
    void showHelp(const HelpText& help);

protected:
    void buildControls() override;
};
