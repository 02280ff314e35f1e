#include "RecordingPrompt.h"
#include "TempDir.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "core/project/XmlDoc.h"
#include "gui/project/NewProjectWindow.h"
#include "gui/tools/XmlToolWindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

namespace {
const char* const kPargen =
    "<Par_Gen><Ser_Baud>7</Ser_Baud><Ser_Par>0</Ser_Par><Ser_TO>1000</Ser_TO>"
    "<Ser_CD>100</Ser_CD><Ser_Type>1</Ser_Type><Ser_Prot>0</Ser_Prot>"
    "<Ser_Write_Mode>0</Ser_Write_Mode><DN_ID>1</DN_ID><DN_Baud>2</DN_Baud>"
    "<DN_NB_IN>455</DN_NB_IN><DN_NB_OUT>455</DN_NB_OUT><DN_Enable_Error>0</DN_Enable_Error>"
    "<DN_Num_Cont_Err>3</DN_Num_Cont_Err><DN_Val_Canc_Data>0x00</DN_Val_Canc_Data></Par_Gen>";
}

class XmlToolTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> exe_, files_;
    std::unique_ptr<Workspace> ws_;
    // The item editor handed to the tool, as the program hands its New-project dialog.
    std::unique_ptr<TFsaveproj> editor_;
    std::unique_ptr<TFXML> dlg_;
    std::shared_ptr<RecordingPrompt> prompt_;

    void open(const std::string& path) {
        prompt_->fileAnswers.push_back(QString::fromStdString(path));
        QTest::mouseClick(dlg_->btnopen, Qt::LeftButton);
    }
    QTreeWidgetItem* doc() const { return dlg_->TvXml->topLevelItem(0); }
    // Answers the next text editor with `text` and OK (or Cancel).
    void answerEditor(const QString& text, bool ok) {
        QTimer::singleShot(0, this, [this, text, ok] {
            auto* ed = editor_.get();
            QVERIFY(ed && ed->isVisible());
            QCOMPARE(ed->windowTitle(), QString("Edit XML"));
            QVERIFY(!ed->Label1->isVisible());
            seenEditorText = ed->Edit1->text();
            ed->Edit1->setText(text);
            QTest::mouseClick(ok ? ed->bitbtn1 : ed->bitbtn2, Qt::LeftButton);
        });
    }
    QString seenEditorText;

private slots:
    void init() {
        exe_ = std::make_unique<TempDir>();
        files_ = std::make_unique<TempDir>();
        ws_ = std::make_unique<Workspace>(exe_->path());
        ws_->Settle();
        ws_->ProjectFolder = ws_->ProjectsFolder + "/P1";
        QVERIFY(CreateDir(ws_->ProjectFolder));
        editor_ = std::make_unique<TFsaveproj>(*ws_);
        dlg_ = std::make_unique<TFXML>(*ws_, *editor_);
        prompt_ = std::make_shared<RecordingPrompt>();
        dlg_->setPrompt(prompt_);
        dlg_->show();
        WriteText(*files_ / "pargen.xml", kPargen);
    }
    void cleanup() {
        dlg_.reset();
        editor_.reset();
        ws_.reset();
    }

    void windowAndControls() {
        QCOMPARE(dlg_->windowTitle(), QString("XML Reader & Writer"));
        QCOMPARE(dlg_->size(), QSize(732, 560));
        QCOMPARE(dlg_->btnopen->text(), QString("Open "));
        QCOMPARE(dlg_->btnFullExpand->text(), QString("Full Expand"));
        QCOMPARE(dlg_->btnWrite->text(), QString("Write"));
        QCOMPARE(dlg_->TvXml->objectName(), QString("TvXml"));
        QCOMPARE(dlg_->IiXml.size(), 10);
        // Every picture differs from the others.
        for (int i = 0; i < 10; ++i)
            for (int j = i + 1; j < 10; ++j)
                QVERIFY(dlg_->IiXml[i].toImage() != dlg_->IiXml[j].toImage());
    }

    void openShowsPargen() {
        open(*files_ / "pargen.xml");
        QCOMPARE(prompt_->entries.value(0).kind, QString("open"));
        QCOMPARE(prompt_->entries.value(0).title, QString("Open XML File"));
        QVERIFY(prompt_->entries.value(0).text.endsWith("|XML Files (*.xml)|*.xml"));
        QCOMPARE(dlg_->TvXml->topLevelItemCount(), 1);
        QCOMPARE(doc()->text(0), QString("File: pargen.xml"));
        QCOMPARE(doc()->childCount(), 1);
        QTreeWidgetItem* root = doc()->child(0);
        QCOMPARE(root->text(0), QString("Par_Gen"));
        QCOMPARE(root->childCount(), 14);
        QCOMPARE(root->child(0)->text(0), QString("Ser_Baud = 7"));
        QVERIFY(dlg_->btnopen->isEnabled());
        QVERIFY(prompt_->shown().isEmpty());

        QVERIFY(!root->isExpanded());
        QTest::mouseClick(dlg_->btnFullExpand, Qt::LeftButton);
        QVERIFY(doc()->isExpanded() && root->isExpanded());
    }

    void writeWithoutEditsIsEquivalent() {
        open(*files_ / "pargen.xml");
        QTest::mouseClick(dlg_->btnWrite, Qt::LeftButton);
        QVERIFY(dlg_->btnWrite->isEnabled());
        QCOMPARE(QString::fromStdString(ReadText(ws_->ProjectFolder + "/pargen.xml")),
                 QString(kPargen));
        QVERIFY(prompt_->shown().isEmpty());
    }

    void editWithF2AndWrite() {
        open(*files_ / "pargen.xml");
        QTreeWidgetItem* id = doc()->child(0)->child(7);
        QCOMPARE(id->text(0), QString("DN_ID = 1"));
        dlg_->TvXml->setCurrentItem(id);
        answerEditor("DN_ID = 5", true);
        QTest::keyClick(dlg_->TvXml, Qt::Key_F2);
        QCOMPARE(seenEditorText, QString("DN_ID = 1"));
        QCOMPARE(id->text(0), QString("DN_ID = 5"));
        QTest::mouseClick(dlg_->btnWrite, Qt::LeftButton);
        XmlDocument x;
        x.load(ws_->ProjectFolder + "/pargen.xml");
        QCOMPARE(QString::fromStdString(x.root().child("DN_ID").text()), QString("5"));
    }

    void rightButtonEditsAndCancelKeeps() {
        open(*files_ / "pargen.xml");
        QTreeWidgetItem* baud = doc()->child(0)->child(0);
        dlg_->TvXml->setCurrentItem(baud);
        answerEditor("Ser_Baud = 3", false);
        QTest::mouseClick(dlg_->TvXml->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(seenEditorText, QString("Ser_Baud = 7"));
        QCOMPARE(baud->text(0), QString("Ser_Baud = 7"));
        answerEditor("Ser_Baud = 3", true);
        QTest::mouseClick(dlg_->TvXml->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(baud->text(0), QString("Ser_Baud = 3"));
    }

    void editUsesTheProgramsTextEditor() {
        open(*files_ / "pargen.xml");
        dlg_->TvXml->setCurrentItem(doc()->child(0));
        QTimer::singleShot(0, this, [&] {
            QVERIFY(editor_->isVisible());
            QCOMPARE(editor_->EditTextMode, 1);
            editor_->Edit1->setText("Root");
            QTest::mouseClick(editor_->bitbtn1, Qt::LeftButton);
        });
        QTest::keyClick(dlg_->TvXml, Qt::Key_F2);
        QCOMPARE(doc()->child(0)->text(0), QString("Root"));
    }

    void editWithoutSelectionDoesNothing() {
        open(*files_ / "pargen.xml");
        dlg_->TvXml->clearSelection();
        QTest::keyClick(dlg_->TvXml, Qt::Key_F2);
        QVERIFY(!editor_->isVisible());
    }

    void readErrorKeepsTree() {
        open(*files_ / "pargen.xml");
        WriteText(*files_ / "dtd.xml", "<!DOCTYPE x><x/>");
        open(*files_ / "dtd.xml");
        QCOMPARE(prompt_->texts("error"), QStringList{"DocTypeDecl parsing not yet implemented"});
        QCOMPARE(doc()->text(0), QString("File: pargen.xml"));
        QVERIFY(dlg_->btnopen->isEnabled());
    }

    void cancelLeavesTreeAndButtons() {
        open(*files_ / "pargen.xml");
        prompt_->clear();
        QTest::mouseClick(dlg_->btnopen, Qt::LeftButton); // empty queue: cancel
        QCOMPARE(prompt_->entries.size(), 1);
        QCOMPARE(doc()->text(0), QString("File: pargen.xml"));
        QCOMPARE(doc()->child(0)->childCount(), 14);
        QVERIFY(dlg_->btnopen->isEnabled());
        QVERIFY(dlg_->btnWrite->isEnabled());
    }

    void writeRefusesNamesOutsideTheProject() {
        open(*files_ / "pargen.xml");
        dlg_->TvXml->setCurrentItem(doc());
        answerEditor("File: ../evil.xml", true);
        QTest::keyClick(dlg_->TvXml, Qt::Key_F2);
        QTest::mouseClick(dlg_->btnWrite, Qt::LeftButton);
        QCOMPARE(prompt_->texts("message"), QStringList{"File name not valid: \"../evil.xml\""});
        QVERIFY(!FileExists(ws_->ProjectsFolder + "/evil.xml"));
        QVERIFY(dlg_->btnWrite->isEnabled());
    }

    void showEmptiesTheTree() {
        open(*files_ / "pargen.xml");
        dlg_->hide();
        dlg_->show();
        QCOMPARE(dlg_->TvXml->topLevelItemCount(), 0);
        // Write with an empty tree writes nothing and says nothing.
        QTest::mouseClick(dlg_->btnWrite, Qt::LeftButton);
        QVERIFY(prompt_->shown().isEmpty());
    }

    void itemPicturesFollowTheKind() {
        WriteText(*files_ / "d.xml", "<?xml version='1.0'?><r a='1'><?p x?></r>");
        open(*files_ / "d.xml");
        QTreeWidgetItem* decl = doc()->child(0);
        QCOMPARE(decl->text(0), QString("XMLDeclaration"));
        QTreeWidgetItem* r = doc()->child(1);
        QCOMPARE(r->child(1)->text(0), QString("pProcessingInstruction = x"));
        auto img = [](QTreeWidgetItem* it, QIcon::Mode m) {
            return it->icon(0).pixmap(16, 16, m).toImage().convertToFormat(QImage::Format_ARGB32);
        };
        auto pic = [this](int i) {
            return dlg_->IiXml[i].toImage().convertToFormat(QImage::Format_ARGB32);
        };
        QCOMPARE(img(doc(), QIcon::Normal), pic(0));
        QCOMPARE(img(doc(), QIcon::Selected), pic(1));
        QCOMPARE(img(r, QIcon::Normal), pic(2));
        QCOMPARE(img(r->child(0), QIcon::Normal), pic(4));
        QCOMPARE(img(r->child(1), QIcon::Normal), pic(6));
        QCOMPARE(img(decl, QIcon::Selected), pic(9));
    }
};

QTEST_MAIN(XmlToolTest)
#include "XmlToolWindow_guitest.moc"
