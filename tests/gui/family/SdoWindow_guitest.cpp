#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/family/SdoWindow.h"
#include "gui/widgets/StringGrid.h"

#include "RecordingPrompt.h"
#include "TempDir.h"
#include "WorkbookSession.h"
#include "XlsWriter.h"

#include "core/family/Spreadsheet.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <csignal>
#include <cstdio>

using xls::Blank;

// The dialog built on its own (no main window): the import then uses its own
// spreadsheet objects.
class USdoTest : public QObject {
    Q_OBJECT
    TempDir exe_;
    Workspace ws_{exe_.path()};
    WorkbookSession excel_;
    TFsdo* dlg_ = nullptr;
    std::shared_ptr<RecordingPrompt> rec_ = std::make_shared<RecordingPrompt>();

    void reopen() {
        dlg_->hide();
        rec_->clear();
        dlg_->show();
    }
    QString cell(StringGrid* g, int c, int r) { return g->cell(c, r); }

private slots:
    void initTestCase() {
        ws_.Settle();
        QVERIFY(CreateNewProject(ws_, ws_.ProjectsFolder, "p1").closeAllowed);
        dlg_ = new TFsdo(ws_, excel_);
        dlg_->setPrompt(rec_);
    }
    void cleanupTestCase() { delete dlg_; }

    void opensQuicklyWithEmptyTables() {
        QElapsedTimer t;
        t.start();
        dlg_->show();
        QCoreApplication::processEvents();
        const qint64 ms = t.elapsed();
        qInfo("opening with two grids of 1501 rows: %lld ms", ms);
        QVERIFY2(ms < 1000, "visible pause on opening");
        QVERIFY(rec_->shown().isEmpty());
        QCOMPARE(dlg_->windowTitle(), QString("Set SDO Access"));
        QCOMPARE(dlg_->PageControl1->tabText(0), QString("SDO from CAN A request to CAN B"));
        QCOMPARE(dlg_->PageControl1->tabText(1), QString("SDO from CAN B request to CAN A"));
        QCOMPARE(dlg_->Panel1->text(), QString("Define virtual index SDO in CAN A"));
        QCOMPARE(dlg_->Panel4->text(), QString("Input index address SDO in CAN A"));
        const QStringList titles = {"N",     "RW",       "Index", "Subindex", "devID",
                                    "Index", "Subindex", "nbyte", "mnemonico"};
        for (StringGrid* g : {dlg_->sga, dlg_->sgb}) {
            QCOMPARE(g->rowCount(), 1501);
            QCOMPARE(g->colCount(), 9);
            for (int c = 0; c < 9; ++c)
                QCOMPARE(cell(g, c, 0), titles[c]);
            QCOMPARE(cell(g, 0, 1), QString("0"));
            QCOMPARE(cell(g, 0, 1500), QString("1499"));
            QCOMPARE(cell(g, 1, 1), QString());
        }
    }

    void loadsItsOwnFileAndOkWritesNothing() {
        const std::string file = exe_ / "access.xml";
        WriteText(file, "<sdo><row conf=\"17\" IndexA=\"0x2000\" SubindexA=\"1\" devIDB=\"5\" "
                        "IndexB=\"0x6000\" SubindexB=\"2\" nbyteB=\"2\" mnemonico=\"m\"/>"
                        "<row conf=\"0\" IndexA=\"a\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" "
                        "SubindexB=\"\" nbyteB=\"\"/></sdo>");
        dlg_->SdoAccessPath = file;
        reopen();
        QVERIFY(rec_->shown().isEmpty());
        QCOMPARE(cell(dlg_->sgb, 1, 1), QString("1"));
        QCOMPARE(cell(dlg_->sgb, 2, 1), QString("0x2000"));
        QCOMPARE(cell(dlg_->sgb, 8, 1), QString("m"));
        QCOMPARE(cell(dlg_->sga, 1, 1), QString("0"));
        QCOMPARE(cell(dlg_->sga, 2, 1), QString("a"));
        dlg_->sga->setCell(2, 1, "edited");
        QTest::mouseClick(dlg_->bitbtn1, Qt::LeftButton);
        QVERIFY(!dlg_->isVisible());
        QCOMPARE(dlg_->result(), int(QDialog::Accepted));
        reopen();
        QCOMPARE(cell(dlg_->sga, 2, 1), QString("a"));

        WriteText(file, "<sdo><row conf=\"1\" IndexA=\"b\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" "
                        "SubindexB=\"\" nbyteB=\"\"/><row conf=\"x\"/></sdo>");
        reopen();
        QCOMPARE(rec_->shown(), QStringList{"Error in reading file XML"});
        QCOMPARE(cell(dlg_->sgb, 2, 1), QString("b"));
        dlg_->SdoAccessPath.clear();
    }

    void importFromWorkbook() {
        const std::string book = exe_ / "sdo.xls";
        const std::vector<xls::Row> rows = {
            {"conf", "Index", "Sub", "devID", "Index", "Sub", "nbyte", "name"},
            {16.0, "0x1A", 1.0, 5.0, 26.0, 0.0, 2.0, "temp"},
            {17.0, 4096.0, 2.0, 6.0, "0x6000", 1.0, 1.0, Blank{}},
            {0.0, "0x2001", 0.0, 7.0, 1.0, 1.0, 4.0, "x"}};
        std::vector<xls::Row> bad = rows;
        bad.push_back({"junk", "0x2002", 0.0, 7.0, 1.0, 1.0, 4.0, "y"});
        bad.push_back({1.0, "never", 0.0, 7.0, 1.0, 1.0, 4.0, "z"});
        xls::WriteWorkbook(book, {{"Sdo", bad}});
        reopen();
        dlg_->sgb->setCell(3, 700, "typed");
        dlg_->sga->setCell(2, 1, "mine");

        // A record that cannot be read: the grids stay exactly as they were.
        rec_->fileAnswers.push_back(QString::fromStdString(book));
        QTest::mouseClick(dlg_->bitbtn4, Qt::LeftButton);
        QCOMPARE(rec_->shown().size(), 1);
        QVERIFY2(rec_->shown()[0].contains("nothing was changed") &&
                     rec_->shown()[0].contains("Record 4: 'junk' is not a valid integer value"),
                 qPrintable(rec_->shown()[0]));
        QCOMPARE(cell(dlg_->sgb, 3, 700), QString("typed"));
        QCOMPARE(cell(dlg_->sga, 2, 1), QString("mine"));
        QCOMPARE(cell(dlg_->sga, 1, 1), QString());

        // The same rows without the bad ones import whole.
        xls::WriteWorkbook(book, {{"Sdo", rows}});
        rec_->clear();
        rec_->fileAnswers.push_back(QString::fromStdString(book));
        QTest::mouseClick(dlg_->bitbtn4, Qt::LeftButton);
        QVERIFY(rec_->shown().isEmpty());
        QStringList row1;
        for (int c = 1; c <= 8; ++c)
            row1 << cell(dlg_->sga, c, 1);
        QCOMPARE(row1, (QStringList{"1", "0x1A", "1", "5", "26", "0", "2", "temp"}));
        QCOMPARE(cell(dlg_->sga, 1, 2), QString("0"));
        QCOMPARE(cell(dlg_->sga, 2, 2), QString("0x2001"));
        QCOMPARE(cell(dlg_->sgb, 1, 1), QString("1"));
        QCOMPARE(cell(dlg_->sgb, 2, 1), QString("4096"));
        QCOMPARE(cell(dlg_->sgb, 8, 1), QString());
        QCOMPARE(cell(dlg_->sgb, 2, 2), QString());
        QCOMPARE(cell(dlg_->sgb, 3, 700), QString());
        QCOMPARE(cell(dlg_->sga, 0, 3), QString("2"));
    }

    // Every way an import can fail leaves the grids as they were and says why;
    // a reader killed since the last import is replaced.
    void failedImportsChangeNothingAndSayWhy() {
        const std::string good = exe_ / "good;x}y{.xls"; // any name the dialog returns
        xls::WriteWorkbook(exe_ / "plain.xls", {{"sdo",
                                                 {{"conf", "i", "s", "d", "i", "s", "n", "m"},
                                                  {0.0, "0x3000", 0.0, 1.0, 2.0, 3.0, 4.0, "m"}}}});
        QVERIFY(std::rename((exe_ / "plain.xls").c_str(), good.c_str()) == 0);
        const std::string text = exe_ / "text.xls";
        WriteText(text, "not a workbook");
        const std::string other = exe_ / "other.xls";
        xls::WriteWorkbook(other, {{"Sheet1", {{"a"}, {1.0}}}});

        struct Case {
            std::string path;
            const char* reason;
        };
        const Case cases[] = {{text, "Not a readable workbook"},
                              {other, "no worksheet named \"sdo\""},
                              {exe_ / "gone.xls", "Workbook not found"}};
        reopen();
        dlg_->sga->setCell(2, 5, "kept");
        for (const Case& c : cases) {
            rec_->clear();
            rec_->fileAnswers.push_back(QString::fromStdString(c.path));
            QTest::mouseClick(dlg_->bitbtn4, Qt::LeftButton);
            QCOMPARE(rec_->shown().size(), 1);
            QVERIFY2(rec_->shown()[0].contains(c.reason), qPrintable(rec_->shown()[0]));
            QCOMPARE(cell(dlg_->sga, 2, 5), QString("kept"));
        }
        for (int round = 0; round < 2; ++round) {
            if (round == 1) {
                QVERIFY(WorkbookHelperPid() > 0);
                QCOMPARE(::kill(WorkbookHelperPid(), SIGKILL), 0);
            }
            rec_->clear();
            dlg_->sga->setCell(2, 5, "kept");
            rec_->fileAnswers.push_back(QString::fromStdString(good));
            QTest::mouseClick(dlg_->bitbtn4, Qt::LeftButton);
            QVERIFY2(rec_->shown().isEmpty(), qPrintable(rec_->shown().join("; ")));
            QCOMPARE(cell(dlg_->sga, 2, 1), QString("0x3000"));
            QCOMPARE(cell(dlg_->sga, 2, 5), QString());
        }
    }

    void exportThroughTheButton() {
        reopen();
        dlg_->sga->setCell(1, 1, "1");
        dlg_->sga->setCell(2, 1, "0x2000");
        dlg_->sga->setCell(1, 5, " 1");
        dlg_->sga->setCell(2, 5, "v");
        dlg_->sgb->setCell(1, 2, "1");
        dlg_->sgb->setCell(8, 2, "caf\u00e9");
        QTest::mouseClick(dlg_->button1, Qt::LeftButton);
        QVERIFY(rec_->shown().isEmpty());
        const QStringList lines =
            QString::fromLatin1(ReadText(ws_.ProjectFolder + "/sdo.csv")).split("\r\n");
        QCOMPARE(lines.size(), 3003); // 2 x 1501 lines, each ended by CR LF
        QCOMPARE(lines[0], QString("0,Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,"));
        QCOMPARE(lines[1], QString("16,0x2000,,,,,,,"));
        QCOMPARE(lines[2], QString("0,,,,,,,,"));
        QCOMPARE(lines[5], QString("0,v,,,,,,,"));
        QCOMPARE(lines[1501], QString("1,Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,"));
        QCOMPARE(lines[1502], QString("1,,,,,,,,"));
        QCOMPARE(lines[1503], QString("17,,,,,,,caf\u00e9,"));
        QCOMPARE(lines[3002], QString());
    }

    void importOf1500RecordsShowsAtOnce() {
        const std::string book = exe_ / "big.xls";
        xls::Sheet sheet{"sdo", {{"conf", "i", "s", "d", "i", "s", "n", "m"}}};
        for (int i = 0; i < 1501; ++i)
            sheet.rows.push_back({17.0, double(i), 0.0, 1.0, 2.0, 3.0, 4.0, "m"});
        xls::WriteWorkbook(book, {sheet});
        reopen();
        rec_->fileAnswers.push_back(QString::fromStdString(book));
        QElapsedTimer t;
        t.start();
        QTest::mouseClick(dlg_->bitbtn4, Qt::LeftButton);
        QCoreApplication::processEvents();
        qInfo("import of 1501 records into the grid: %lld ms", t.elapsed());
        QCOMPARE(dlg_->sgb->rowCount(), 1502); // the record beyond row 1500 is kept
        QCOMPARE(cell(dlg_->sgb, 2, 1501), QString("1500"));
        QCOMPARE(cell(dlg_->sgb, 0, 1501), QString("1500"));
        QCOMPARE(cell(dlg_->sga, 2, 1), QString());
    }

    void resizeLaysOutColumnsAndCaptions() {
        reopen();
        dlg_->resize(1000, 600);
        QCoreApplication::processEvents();
        const int w = dlg_->sga->width() / 10;
        QCOMPARE(dlg_->sga->colWidth(0), w);
        QCOMPARE(dlg_->sga->colWidth(8), w);
        QCOMPARE(dlg_->Panel1->width(), 4 * w);
        QCOMPARE(dlg_->Panel2->x(), 4 * w + 1);
        QCOMPARE(dlg_->Panel2->geometry().right(), dlg_->sga->geometry().right());
        dlg_->reject();
    }
};

QTEST_MAIN(USdoTest)
#include "SdoWindow_guitest.moc"
