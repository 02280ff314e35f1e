#include "RecordingPrompt.h"
#include "TempDir.h"
#include "core/project/Workspace.h"
#include "gui/tools/SelectStringWindow.h"
#include "gui/widgets/StringGrid.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class SelectStringTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> exe_;
    std::unique_ptr<Workspace> ws_;
    std::unique_ptr<TFSELstringhe> dlg_;
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
        dlg_ = std::make_unique<TFSELstringhe>(*ws_);
        prompt_ = std::make_shared<RecordingPrompt>();
        dlg_->setPrompt(prompt_);
    }
    void cleanup() { dlg_.reset(); }

    void noFile() {
        QCOMPARE(dlg_->SelectedStringIndex, 0);
        QCOMPARE(dlg_->Label1->text(), QString("Sel str:"));
        dlg_->show();
        QCOMPARE(dlg_->windowTitle(), QString("Select String"));
        QCOMPARE(dlg_->size(), QSize(496, 351));
        QCOMPARE(prompt_->texts("message"), QStringList{"File strings XML not found"});
        QCOMPARE(dlg_->sg->rowCount(), 1001);
        QCOMPARE(dlg_->sg->colCount(), 2);
        QCOMPARE(dlg_->sg->cell(0, 0), QString("Index"));
        QCOMPARE(dlg_->sg->cell(1, 0), QString("String"));
        QCOMPARE(dlg_->sg->cell(0, 1), QString("0"));
        QCOMPARE(dlg_->sg->cell(0, 1000), QString("999"));
        QCOMPARE(dlg_->sg->currentRow(), 1);
        QCOMPARE(dlg_->Label1->text(), QString("Sel str: 0"));
    }

    void threeStringsAndSelection() {
        WriteText(exe_->path() + "/s.xml", "<l><s>zero</s><t>one</t><s>two</s></l>");
        dlg_->StringsFilePath = exe_->path() + "/s.xml";
        dlg_->show();
        QVERIFY(prompt_->shown().isEmpty());
        QCOMPARE(dlg_->sg->cell(1, 1), QString("zero"));
        QCOMPARE(dlg_->sg->cell(1, 3), QString("two"));
        QCOMPARE(dlg_->sg->cell(1, 4), QString());
        dlg_->sg->selectCell(1, 3);
        QCOMPARE(dlg_->SelectedStringIndex, 2);
        QCOMPARE(dlg_->Label1->text(), QString("Sel str: 2"));
        QTest::mouseClick(dlg_->bitbtn1, Qt::LeftButton);
        QCOMPARE(dlg_->result(), int(QDialog::Accepted));
        // The choice is preselected at the next showing.
        showAgain();
        QCOMPARE(dlg_->sg->currentRow(), 3);
        QCOMPARE(dlg_->Label1->text(), QString("Sel str: 2"));
        QTest::mouseClick(dlg_->bitbtn2, Qt::LeftButton);
        QCOMPARE(dlg_->result(), int(QDialog::Rejected));
    }

    void stringsOfAnEarlierFileDoNotStay() {
        WriteText(exe_->path() + "/a.xml", "<l><s>a0</s><s>a1</s></l>");
        WriteText(exe_->path() + "/b.xml", "<l><s>b0</s></l>");
        dlg_->StringsFilePath = exe_->path() + "/a.xml";
        dlg_->show();
        dlg_->StringsFilePath = exe_->path() + "/b.xml";
        showAgain();
        QCOMPARE(dlg_->sg->cell(1, 1), QString("b0"));
        QCOMPARE(dlg_->sg->cell(1, 2), QString());
    }

    void malformedFile() {
        WriteText(exe_->path() + "/bad.xml", "<l><s>x</s>");
        dlg_->StringsFilePath = exe_->path() + "/bad.xml";
        dlg_->show();
        QCOMPARE(prompt_->texts("message"), QStringList{"Error in reading file XML"});
    }

    void indexOutOfRangeSelectsNearestRow() {
        dlg_->SelectedStringIndex = 5000;
        dlg_->show();
        QCOMPARE(dlg_->sg->currentRow(), 1000);
        QCOMPARE(dlg_->SelectedStringIndex, 999);
        dlg_->SelectedStringIndex = -3;
        showAgain();
        QCOMPARE(dlg_->sg->currentRow(), 1);
    }

    void columnWidths() {
        dlg_->show();
        QCOMPARE(dlg_->sg->colWidth(0), 40);
        QCOMPARE(dlg_->sg->colWidth(1), dlg_->sg->width() - 70);
    }
};

QTEST_MAIN(SelectStringTest)
#include "SelectStringWindow_guitest.moc"
