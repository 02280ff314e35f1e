#include "app/Forms.h"
#include "app/MainWindow.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/family/PdoWindow.h"
#include "gui/widgets/StringGrid.h"

#include "RecordingPrompt.h"
#include "TempDir.h"
#include "XlsWriter.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <cstdio>

using xls::Blank;

class UpdoTest : public QObject {
    Q_OBJECT
    TempDir exe_;
    Workspace ws_{exe_.path()};
    Forms forms_;
    TFpdo* dlg_ = nullptr;
    std::shared_ptr<RecordingPrompt> rec_ = std::make_shared<RecordingPrompt>();

    void reopen() {
        dlg_->hide();
        rec_->clear();
        dlg_->show();
    }
    QString cell(StringGrid* g, int c, int r) { return g->cell(c, r); }

private slots:
    void initTestCase() {
        forms_.create(ws_);
        QVERIFY(CreateNewProject(ws_, ws_.ProjectsFolder, "p1").closeAllowed);
        dlg_ = forms_.Fpdo;
        dlg_->setPrompt(rec_);
    }
    void cleanupTestCase() { forms_.destroy(); }

    void hiddenMainWindowButtonOpensIt() {
        TFTessaroFirmWare* main = forms_.FTessaroFirmWare;
        QVERIFY(main->btn_Pdo->isHidden());
        rec_->clear();
        bool shown = false;
        QTimer::singleShot(0, this, [&] {
            shown = dlg_->isVisible() && dlg_->isModal();
            QTest::mouseClick(dlg_->bitbtn2, Qt::LeftButton);
        });
        main->btn_str_lng1aClick(main->btn_Pdo);
        QVERIFY(shown);
        QVERIFY(!dlg_->isVisible());
    }

    void opensEmptyWithoutFile() {
        reopen();
        QCOMPARE(rec_->shown(), QStringList{"File XML not found"});
        QCOMPARE(dlg_->windowTitle(), QString("Define Traslate PDO"));
        QCOMPARE(dlg_->PageControl1->tabText(0), QString("PDO From CanA to CanB"));
        QCOMPARE(dlg_->PageControl1->tabText(1), QString("PDO From CanB to CanA"));
        for (StringGrid* g : {dlg_->sga, dlg_->sgb}) {
            QCOMPARE(g->rowCount(), 11);
            QCOMPARE(g->colCount(), 6);
            QCOMPARE(cell(g, 3, 0), QString("en_bypass"));
            QCOMPARE(cell(g, 4, 0), QString("posind"));
            QCOMPARE(cell(g, 0, 1), QString("0"));
            QCOMPARE(cell(g, 0, 10), QString("9"));
        }
        QCOMPARE(dlg_->bitbtn4->text(), QString("Import"));
        QCOMPARE(dlg_->button1->text(), QString("Export"));
    }

    void okSavesInOrderAndReopenShowsIt() {
        reopen();
        dlg_->sga->setCell(1, 1, "0x181");
        dlg_->sga->setCell(3, 1, "1");
        dlg_->sga->setCell(1, 2, "0x180");
        dlg_->sga->setCell(1, 3, "385");
        dlg_->sga->setCell(2, 3, "dev");
        dlg_->sgb->setCell(1, 1, "0x200");
        dlg_->sgb->setCell(3, 1, "yes");
        dlg_->sgb->setCell(1, 4, "0x300"); // below an empty COB-ID: saved as is, dropped
        rec_->choiceAnswers.push_back(EditorWindow::SaveAsIs);
        QTest::mouseClick(dlg_->bitbtn1, Qt::LeftButton);
        QCOMPARE(rec_->texts("choose").size(), 1);
        QVERIFY(!dlg_->isVisible());
        QCOMPARE(dlg_->result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(ReadText(ws_.RpdodefPath)),
                 QString("<rpdodef>"
                         "<row cobid=\"0x180\" id_dev_orig=\"\" en_bypass=\"2\" posind=\"\" "
                         "n_tpdo=\"\"/>"
                         "<row cobid=\"385\" id_dev_orig=\"dev\" en_bypass=\"2\" posind=\"\" "
                         "n_tpdo=\"\"/>"
                         "<row cobid=\"0x181\" id_dev_orig=\"\" en_bypass=\"3\" posind=\"\" "
                         "n_tpdo=\"\"/>"
                         "<row cobid=\"0x200\" id_dev_orig=\"\" en_bypass=\"0\" posind=\"\" "
                         "n_tpdo=\"\"/>"
                         "</rpdodef>"));
        reopen();
        QVERIFY(rec_->shown().isEmpty());
        QCOMPARE(cell(dlg_->sga, 1, 1), QString("0x180"));
        QCOMPARE(cell(dlg_->sga, 3, 3), QString("1"));
        QCOMPARE(cell(dlg_->sgb, 3, 1), QString("0"));
        QCOMPARE(cell(dlg_->sgb, 1, 4), QString());
    }

    void badCobidKeepsDialogOpenAndFile() {
        reopen();
        const std::string before = ReadText(ws_.RpdodefPath);
        dlg_->sgb->setCell(1, 2, "0x2G0");
        QTest::mouseClick(dlg_->bitbtn1, Qt::LeftButton);
        QVERIFY(dlg_->isVisible());
        QCOMPARE(rec_->texts("error"), QStringList{"'0x2G0' is not a valid integer value"});
        QCOMPARE(ReadText(ws_.RpdodefPath), before);
        dlg_->reject();
    }

    void gapMovedUpIsSaved() {
        reopen();
        dlg_->sga->setCell(1, 6, "0x190"); // rows 4 and 5 are empty
        rec_->choiceAnswers.push_back(EditorWindow::MoveUp);
        QTest::mouseClick(dlg_->bitbtn1, Qt::LeftButton);
        QCOMPARE(rec_->texts("choose").size(), 1);
        QVERIFY(rec_->texts("choose")[0].startsWith("Row 4 has no cobid"));
        QVERIFY(!dlg_->isVisible());
        reopen();
        QCOMPARE(cell(dlg_->sga, 1, 4), QString("0x190"));
        QCOMPARE(cell(dlg_->sga, 1, 6), QString());
    }

    void importFromWorkbookThenCancelDiscards() {
        const std::string book = exe_ / "pdo.xls";
        xls::WriteWorkbook(book, {{"Sheet1", {{"x"}}},
                                  {"RPDODEF",
                                   {{"cobid", "id", "dir", "posind", "n"},
                                    {"0x181", 5.0, 1.0, 1.0, 2.0},
                                    {"0x182", 6.0, 3.0, Blank{}, "t"},
                                    {"0x183", 7.0, 0.0, 3.0, 4.0},
                                    {"0x184", 8.0, 1.5, 3.0, 4.0},
                                    {"0x185", 9.0, 0.0, 3.0, 4.0}}}});
        reopen();
        dlg_->sga->setCell(2, 5, "typed"); // cleared by the import
        // 1.5 in the direction column: nothing is imported, and the user is told.
        rec_->fileAnswers.push_back(QString::fromStdString(book));
        QTest::mouseClick(dlg_->bitbtn4, Qt::LeftButton);
        QCOMPARE(rec_->shown().size(), 1);
        QVERIFY2(rec_->shown()[0].contains("Record 4: '1.5' is not a valid integer value"),
                 qPrintable(rec_->shown()[0]));
        QCOMPARE(cell(dlg_->sga, 2, 5), QString("typed"));
        QCOMPARE(cell(dlg_->sga, 1, 1), QString("0x180"));

        xls::WriteWorkbook(book, {{"Sheet1", {{"x"}}},
                                  {"RPDODEF",
                                   {{"cobid", "id", "dir", "posind", "n"},
                                    {"0x181", 5.0, 1.0, 1.0, 2.0},
                                    {"0x182", 6.0, 3.0, Blank{}, "t"},
                                    {"0x183", 7.0, 0.0, 3.0, 4.0}}}});
        rec_->clear();
        rec_->fileAnswers.push_back(QString::fromStdString(book));
        QTest::mouseClick(dlg_->bitbtn4, Qt::LeftButton);
        QVERIFY(rec_->shown().isEmpty());
        QCOMPARE(forms_.FTessaroFirmWare->OpenExcel.fileName, QString::fromStdString(book));
        const QStringList a = {cell(dlg_->sga, 1, 1), cell(dlg_->sga, 2, 1), cell(dlg_->sga, 3, 1),
                               cell(dlg_->sga, 4, 1), cell(dlg_->sga, 5, 1)};
        QCOMPARE(a, (QStringList{"0x181", "5", "1", "1", "2"}));
        QCOMPARE(cell(dlg_->sga, 1, 2), QString("0x183"));
        QCOMPARE(cell(dlg_->sga, 3, 2), QString("0"));
        QCOMPARE(cell(dlg_->sgb, 1, 1), QString("0x182"));
        QCOMPARE(cell(dlg_->sgb, 3, 1), QString("1"));
        QCOMPARE(cell(dlg_->sgb, 5, 1), QString("t"));
        QCOMPARE(cell(dlg_->sga, 1, 3), QString());
        QCOMPARE(cell(dlg_->sga, 2, 5), QString());

        // A second import starts in the last workbook; cancelling changes nothing.
        QTest::mouseClick(dlg_->bitbtn4, Qt::LeftButton);
        QCOMPARE(rec_->texts("open").last(),
                 QString::fromStdString(book) + "|File EXCEL (*.xls)|*.xls");
        QCOMPARE(cell(dlg_->sga, 1, 1), QString("0x181"));

        QTest::mouseClick(dlg_->bitbtn2, Qt::LeftButton);
        reopen();
        QCOMPARE(cell(dlg_->sga, 1, 1), QString("0x180"));
    }

    void elevenRecordsOfOneSideAreKept() {
        const std::string book = exe_ / "many.xls";
        std::vector<xls::Row> rows = {{"cobid", "id", "dir", "posind", "n"}};
        for (int i = 0; i < 11; ++i)
            rows.push_back({double(0x200 - i), "", 2.0, "", ""});
        xls::WriteWorkbook(book, {{"rpdodef", rows}});
        reopen();
        rec_->fileAnswers.push_back(QString::fromStdString(book));
        QTest::mouseClick(dlg_->bitbtn4, Qt::LeftButton);
        QCOMPARE(dlg_->sgb->rowCount(), 12);
        QCOMPARE(cell(dlg_->sgb, 0, 11), QString("10"));
        QCOMPARE(cell(dlg_->sgb, 1, 11), QString::number(0x200 - 10));
        QTest::mouseClick(dlg_->bitbtn1, Qt::LeftButton);
        QVERIFY(!dlg_->isVisible());
        reopen();
        QCOMPARE(dlg_->sgb->rowCount(), 12);
        QCOMPARE(cell(dlg_->sgb, 1, 1), QString::number(0x200 - 10)); // ascending on save
    }

    void exportEmptyTablesWrites22Lines() {
        WriteText(ws_.RpdodefPath, "<rpdodef/>");
        reopen();
        QVERIFY(rec_->shown().isEmpty());
        const std::string csv = ws_.ProjectFolder + "/rpdodef.csv";
        WriteText(csv, std::string(4000, 'z'));
        QTest::mouseClick(dlg_->button1, Qt::LeftButton);
        std::string expected = "cobid,id_dev_orig,00,posind,n_tpdo,\r\n";
        for (int i = 0; i < 10; ++i)
            expected += ",,00,,,\r\n";
        expected += "cobid,id_dev_orig,10,posind,n_tpdo,\r\n";
        for (int i = 0; i < 10; ++i)
            expected += ",,10,,,\r\n";
        QCOMPARE(ReadText(csv), expected);
        QVERIFY(rec_->shown().isEmpty());
        QVERIFY(dlg_->isVisible());
    }

    void exportFailureIsReported() {
        reopen();
        const std::string csv = ws_.ProjectFolder + "/rpdodef.csv";
        std::remove(csv.c_str());
        QVERIFY(CreateDir(csv));
        QTest::mouseClick(dlg_->button1, Qt::LeftButton);
        QCOMPARE(rec_->texts("error"), QStringList{"I/O error 21"});
        QVERIFY(dlg_->isVisible());
        dlg_->reject();
    }

    // A file read only in part is replaced by OK only when the user agrees.
    void partlyReadFileIsReplacedOnlyWhenConfirmed() {
        const std::string broken = "<rpdodef><CANA>";
        WriteText(ws_.RpdodefPath, broken);
        reopen();
        QCOMPARE(rec_->shown(), QStringList{"Error in reading file XML"});
        QTest::mouseClick(dlg_->bitbtn1, Qt::LeftButton);
        QCOMPARE(rec_->texts("risky").size(), 1);
        QVERIFY(rec_->texts("risky").first().startsWith("rpdodef.xml could not be read in full"));
        QVERIFY(dlg_->isVisible());
        QCOMPARE(ReadText(ws_.RpdodefPath), broken);

        rec_->confirmAnswers.push_back(true);
        QTest::mouseClick(dlg_->bitbtn1, Qt::LeftButton);
        QVERIFY(!dlg_->isVisible());
        PdoTables t;
        QVERIFY(LoadRpdodef(ws_.RpdodefPath, t) == FamilyLoad::Loaded);
    }

    void resizeSetsColumnWidths() {
        reopen();
        dlg_->resize(900, 400);
        QCoreApplication::processEvents();
        const int w = int(std::lround(dlg_->sga->width() / 6.0)) - 5;
        QCOMPARE(dlg_->sga->colWidth(1), w);
        QCOMPARE(dlg_->sga->colWidth(5), w);
        dlg_->reject();
    }
};

QTEST_MAIN(UpdoTest)
#include "PdoWindow_guitest.moc"
