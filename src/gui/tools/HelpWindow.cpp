#include "gui/tools/HelpWindow.h"

#include "core/project/Errors.h"
#include "core/project/Workspace.h"
#include "core/tools/HelpText.h"
#include "gui/widgets/Controls.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

TFHelp::TFHelp(Workspace& ws, QWidget* parent, Build build)
    : FormBase(ws, parent, {"FHelp", "Help", {492, 397}, Fixed, TitleCloseFrame}) {
    buildIfNow(build);
}

void TFHelp::buildControls() {
    RichEdit1 = Named(new QTextEdit(this), "RichEdit1", {0, 0, 492, 397});
    RichEdit1->setAccessibleName("Help");
    RichEdit1->setReadOnly(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TFHelp::FormShow() {
    try {
        showHelp(
            LoadHelpText(HelpFilePath(ws().DataFolder.empty() ? ws().ExeFolder : ws().DataFolder)));
    } catch (const std::exception&) {
        RichEdit1->clear();
        prompt().message("Impossible to read file Help");
    }
}

void TFHelp::showHelp(const HelpText& help) {
    RichEdit1->clear();
    if (!help.rich) {
        RichEdit1->setPlainText(QString::fromStdString(help.plain));
        return;
    }
    QTextCursor cur(RichEdit1->document());
    bool first = true;
    for (const HelpParagraph& p : help.paragraphs) {
        if (!first) cur.insertBlock();
        first = false;
        for (const HelpRun& r : p.runs) {
            QTextCharFormat f;
            f.setFontWeight(r.bold ? QFont::Bold : QFont::Normal);
            f.setFontItalic(r.italic);
            // A line break inside a paragraph.
            QString text = QString::fromStdString(r.text).replace('\n', QChar::LineSeparator);
            cur.insertText(text, f);
        }
    }
    RichEdit1->moveCursor(QTextCursor::Start);
}
