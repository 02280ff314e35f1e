#pragma once
#include "widgets/FormBase.h"

class QTextEdit;
struct HelpText;

// Shows the help file beside the executable, as rich text when it is RTF.
class TFHelp : public FormBase {
    Q_OBJECT
public:
    explicit TFHelp(Workspace& ws, QWidget* parent = nullptr);

    QTextEdit* RichEdit1;

    void FormShow();
    void showHelp(const HelpText& help);

protected:
    void showEvent(QShowEvent* e) override;
};
