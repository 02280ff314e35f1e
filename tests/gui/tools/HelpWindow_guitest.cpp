#include "RecordingPrompt.h"
#include "TempDir.h"
#include "core/project/Workspace.h"
#include "gui/tools/HelpWindow.h"

#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

class HelpTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> exe_;
    std::unique_ptr<Workspace> ws_;
    std::unique_ptr<TFHelp> dlg_;
    std::shared_ptr<RecordingPrompt> prompt_;

    void showAgain() {
        dlg_->hide();
        prompt_->clear();
        dlg_->show();
    }

private slots:
    void init() {
        exe_ = std::make_unique<TempDir>();
        ws_ = std::make_unique<Workspace>(exe_->path());
        ws_->Settle();
        dlg_ = std::make_unique<TFHelp>(*ws_);
        prompt_ = std::make_shared<RecordingPrompt>();
        dlg_->setPrompt(prompt_);
    }
    void cleanup() { dlg_.reset(); }

    void missingFile() {
        dlg_->show();
        QCOMPARE(dlg_->windowTitle(), QString("Help"));
        QCOMPARE(dlg_->size(), QSize(492, 397));
        QCOMPARE(prompt_->texts("message"), QStringList{"Impossible to read file Help"});
        QVERIFY(dlg_->RichEdit1->toPlainText().isEmpty());
        QVERIFY(dlg_->RichEdit1->isReadOnly());
    }

    void plainText() {
        WriteText(exe_->path() + "/help2.dat", "First line\nSecond line");
        dlg_->show();
        QVERIFY(prompt_->shown().isEmpty());
        QCOMPARE(dlg_->RichEdit1->toPlainText(), QString("First line\nSecond line"));
    }

    void richTextWithBoldAndItalic() {
        WriteText(exe_->path() + "/help2.dat",
                  "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\b Step 1}\\par Create {\\i now}\\par}");
        dlg_->show();
        QVERIFY(prompt_->shown().isEmpty());
        QTextDocument* d = dlg_->RichEdit1->document();
        QCOMPARE(d->toPlainText(), QString("Step 1\nCreate now"));
        QTextBlock b = d->firstBlock();
        QCOMPARE(b.begin().fragment().text(), QString("Step 1"));
        QCOMPARE(b.begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
        QTextBlock b2 = b.next();
        auto it = b2.begin();
        QCOMPARE(it.fragment().charFormat().fontWeight(), int(QFont::Normal));
        ++it;
        QCOMPARE(it.fragment().text(), QString("now"));
        QVERIFY(it.fragment().charFormat().fontItalic());
    }

    void reloadedOnEveryShow() {
        WriteText(exe_->path() + "/help2.dat", "{\\rtf1 old\\par}");
        dlg_->show();
        QCOMPARE(dlg_->RichEdit1->toPlainText(), QString("old"));
        WriteText(exe_->path() + "/help2.dat", "{\\rtf1 broken {\\b group\\par}");
        showAgain();
        QCOMPARE(prompt_->texts("message"), QStringList{"Impossible to read file Help"});
        QVERIFY(dlg_->RichEdit1->toPlainText().isEmpty());
    }
};

QTEST_MAIN(HelpTest)
#include "HelpWindow_guitest.moc"
