#include "app/Forms.h"
#include "app/MainWindow.h"
#include "core/project/Workspace.h"
#include "gui/family/StoredPdoWindow.h"
#include "gui/widgets/FieldHints.h"

#include "RecordingPrompt.h"
#include "TempDir.h"
#include "XlsWriter.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using xls::Blank;

namespace {
void ShowChoiceOf(QComboBox* box, int code) {
    ShowChoice(box, code);
}

QStringList Lines(QListWidget* l) {
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}
} // namespace

class UInfoPdoTest : public QObject {
    Q_OBJECT
    TempDir exe_;
    Workspace ws_{exe_.path()};
    Forms forms_;
    TFInfopdo* d_ = nullptr;
    std::shared_ptr<RecordingPrompt> rec_ = std::make_shared<RecordingPrompt>();

    void reopen() {
        d_->hide();
        rec_->clear();
        d_->show();
    }
    void clickPdo(QListWidget* l, int row) {
        l->setCurrentRow(row);
        emit l->itemClicked(l->item(row));
    }
    void clickSdo(QListWidget* l, int row) { clickPdo(l, row); }
    void writeFiles() {
        WriteText(ws_.ProjectFolder + "/sdo.xml",
                  "<sdo><r conf=\"0\" IndexA=\"0x3000\" SubindexA=\"1\" devIDB=\"\" IndexB=\"\" "
                  "SubindexB=\"\" nbyteB=\"\"/><r conf=\"1\" IndexA=\"0x3001\" SubindexA=\"1\" "
                  "devIDB=\"\" IndexB=\"\" SubindexB=\"\" nbyteB=\"\"/></sdo>");
        WriteText(ws_.ProjectFolder + "/rpdodef.xml",
                  "<rpdodef><row cobid=\"0x181\" id_dev_orig=\"\" en_bypass=\"0\" posind=\"\" "
                  "n_tpdo=\"\"/><row cobid=\"0x182\" id_dev_orig=\"\" en_bypass=\"1\" posind=\"\" "
                  "n_tpdo=\"\"/><row cobid=\"0x281\" id_dev_orig=\"\" en_bypass=\"3\" posind=\"\" "
                  "n_tpdo=\"\"/></rpdodef>");
        WriteText(ws_.SdopdoPath,
                  "<sdopdo><row index=\"0x2000\" subindex=\"1\" nrpdo=\"1\" poscomp=\"33\"/>"
                  "<row index=\"0x2001\" subindex=\"0\" nrpdo=\"1\" poscomp=\"0\"/>"
                  "<row index=\"4096\" subindex=\"5\" nrpdo=\"2\" poscomp=\"1\"/>"
                  "<row index=\"0x2002\" subindex=\"0\" nrpdo=\"1\" poscomp=\"0\"/>"
                  "<row index=\"7\" subindex=\"0\" nrpdo=\"129\" poscomp=\"16\"/>"
                  "<row index=\"9\" subindex=\"0\" nrpdo=\"3\" poscomp=\"0\"/></sdopdo>");
    }

private slots:
    void initTestCase() {
        forms_.create(ws_);
        QVERIFY(CreateNewProject(ws_, ws_.ProjectsFolder, "p1").closeAllowed);
        d_ = forms_.FInfopdo;
        d_->setPrompt(rec_);
    }
    void cleanupTestCase() { forms_.destroy(); }

    void hiddenMainWindowButtonOpensIt() {
        TFTessaroFirmWare* main = forms_.FTessaroFirmWare;
        QVERIFY(main->btn_Info_Pdo->isHidden());
        rec_->clear();
        bool shown = false;
        QTimer::singleShot(0, this, [&] {
            shown = d_->isVisible() && d_->isModal();
            QTest::mouseClick(d_->bitbtn2, Qt::LeftButton);
        });
        main->btn_str_lng1aClick(main->btn_Info_Pdo);
        QVERIFY(shown);
        QVERIFY(!d_->isVisible());
    }

    void missingFilesAreReported() {
        reopen();
        QCOMPARE(rec_->shown(), (QStringList{"File SDO XML not found", "File PDO XML not found",
                                             "File SDOPDO XML not found"}));
        QCOMPARE(d_->windowTitle(), QString("Define Store PDO"));
        QCOMPARE(d_->PageControl1->tabText(0), QString("CanA"));
        QCOMPARE(d_->PageControl1->tabText(1), QString("CanB"));
        QCOMPARE(d_->NewA->text(), QString("New SDO"));
        QCOMPARE(d_->DELETEa->text(), QString("Delete SDO"));
        QCOMPARE(d_->PasteB->text(), QString("Paste SDO"));
        QCOMPARE(d_->PoscompMsbA->count(), 9);
        QCOMPARE(d_->PoscompMsbA->itemText(8), QString("B8"));
        auto* l = d_->findChild<QLabel*>("LabelLsbInA");
        QVERIFY(l);
        QCOMPARE(l->text(), QString("Trsalete in"));
        QCOMPARE(d_->findChild<QLabel*>("LabelIndexA")->buddy(), d_->EindexA);
        QCOMPARE(d_->findChild<QLabel*>("LabelIndexB")->text(), QString("Index SDO CANA"));
    }

    void accessMapUnderTheSameNameHoldsNoKeys() {
        WriteText(ws_.SdoPath, "<Serial_to_ProfiBus><DeviceNet_IN/><DeviceNet_OUT/>"
                               "</Serial_to_ProfiBus>");
        reopen();
        QVERIFY(!rec_->shown().contains("Error in reading file SDO XML"));
        QVERIFY(d_->model().side[0].keys.empty());
    }

    void listsPdosAndEntries() {
        writeFiles();
        reopen();
        QVERIFY(rec_->shown().isEmpty()); // nrpdo 3 exceeds CAN A's two PDOs: skipped
        QCOMPARE(Lines(d_->LPdoCanA), (QStringList{"0x181", "0x182"}));
        QCOMPARE(Lines(d_->LPdoCanB), (QStringList{"0x281"}));
        clickPdo(d_->LPdoCanA, 0);
        QCOMPARE(Lines(d_->LSdoCanA), (QStringList{"Sdo0", "Sdo1", "Sdo2"}));
        clickSdo(d_->LSdoCanA, 0);
        QCOMPARE(d_->EindexA->text(), QString("0x2000"));
        QCOMPARE(d_->EsubindexA->text(), QString("1"));
        QCOMPARE(d_->PoscompMsbA->currentText(), QString("B2"));
        QCOMPARE(d_->PoscompLsbA->currentText(), QString("B1"));
        clickPdo(d_->LPdoCanB, 0);
        QCOMPARE(Lines(d_->LSdoCanB), QStringList{"Sdo0"});
        clickSdo(d_->LSdoCanB, 0);
        QCOMPARE(d_->PoscompMsbB->currentText(), QString("B1"));
        QCOMPARE(d_->PoscompLsbB->currentText(), QString("none"));

        WriteText(ws_.SdopdoPath,
                  "<sdopdo><row index=\"1\" subindex=\"1\" nrpdo=\"2\" poscomp=\"0\"/>"
                  "<row index=\"2\" subindex=\"1\" nrpdo=\"128\" poscomp=\"0\"/>"
                  "<row index=\"3\" subindex=\"1\" nrpdo=\"2\" poscomp=\"0\"/></sdopdo>");
        reopen();
        QCOMPARE(rec_->shown(), QStringList{"Error in reading file SDOPDO XML"});
        QCOMPARE(d_->model().side[0].pdos[1].entries.size(), size_t(1));
    }

    void keyChecks() {
        writeFiles();
        reopen();
        clickPdo(d_->LPdoCanA, 1);
        d_->EindexA->setText("8192");
        d_->EsubindexA->setText("1");
        QTest::mouseClick(d_->NewA, Qt::LeftButton);
        QCOMPARE(rec_->texts("error"), QStringList{"Index or Subindex Not Valid"});
        d_->EindexA->setText("12288");
        QTest::mouseClick(d_->NewA, Qt::LeftButton);
        QCOMPARE(rec_->texts("error").last(),
                 QString("Index or Subindex Not Valid,Sdo Already Exists"));
        QCOMPARE(d_->LSdoCanA->count(), 1);
        clickPdo(d_->LPdoCanB, 0);
        d_->EindexB->setText("0x3000"); // a CAN A key is free on CAN B
        d_->EsubindexB->setText("1");
        d_->PoscompMsbB->setCurrentIndex(8);
        rec_->clear();
        QTest::mouseClick(d_->Newb, Qt::LeftButton);
        QVERIFY(rec_->shown().isEmpty());
        QCOMPARE(Lines(d_->LSdoCanB), (QStringList{"Sdo0", "Sdo1"}));
        QCOMPARE(d_->LSdoCanB->currentRow(), 1);
        QCOMPARE(d_->model().side[1].pdos[0].entries[1].poscomp, std::string("128"));
        d_->EindexB->setText("zz");
        QTest::mouseClick(d_->Newb, Qt::LeftButton);
        QCOMPARE(rec_->texts("error"), QStringList{"'zz' is not a valid integer value"});
        QCOMPARE(d_->LSdoCanB->count(), 2);

        // Modify keeps its own key; another entry's key is refused.
        clickPdo(d_->LPdoCanA, 0);
        clickSdo(d_->LSdoCanA, 1);
        d_->PoscompLsbA->setCurrentIndex(3);
        rec_->clear();
        QTest::mouseClick(d_->ModifyA, Qt::LeftButton);
        QVERIFY(rec_->shown().isEmpty());
        QCOMPARE(d_->model().side[0].pdos[0].entries[1].poscomp, std::string("3"));
        d_->EindexA->setText("0x2002");
        QTest::mouseClick(d_->ModifyA, Qt::LeftButton);
        QCOMPARE(rec_->texts("error"), QStringList{"Index or Subindex Not Valid"});
        d_->reject();
    }

    void deleteKeepsLabelsAndOkSavesSorted() {
        writeFiles();
        reopen();
        clickPdo(d_->LPdoCanA, 0);
        clickSdo(d_->LSdoCanA, 1);
        QTest::mouseClick(d_->DELETEa, Qt::LeftButton);
        QCOMPARE(Lines(d_->LSdoCanA), (QStringList{"Sdo0", "Sdo2"}));
        QCOMPARE(d_->EindexA->text(), QString("0x2001")); // fields stay
        d_->EindexA->setText("0x1000");
        d_->EsubindexA->setText("0");
        d_->PoscompMsbA->setCurrentIndex(0);
        d_->PoscompLsbA->setCurrentIndex(4);
        QTest::mouseClick(d_->NewA, Qt::LeftButton);
        QCOMPARE(Lines(d_->LSdoCanA), (QStringList{"Sdo0", "Sdo2", "Sdo2"}));
        QTest::mouseClick(d_->LbButton1, Qt::LeftButton);
        QVERIFY(!d_->isVisible());
        QCOMPARE(QString::fromStdString(ReadText(ws_.SdopdoPath)),
                 QString("<sdopdo>"
                         "<row index=\"0x1000\" subindex=\"0\" nrpdo=\"1\" poscomp=\"4\"/>"
                         "<row index=\"4096\" subindex=\"5\" nrpdo=\"2\" poscomp=\"1\"/>"
                         "<row index=\"0x2000\" subindex=\"1\" nrpdo=\"1\" poscomp=\"33\"/>"
                         "<row index=\"0x2002\" subindex=\"0\" nrpdo=\"1\" poscomp=\"0\"/>"
                         "<row index=\"7\" subindex=\"0\" nrpdo=\"129\" poscomp=\"16\"/>"
                         "</sdopdo>"));
    }

    void copyBufferSurvivesClosingAndPasteBeforeCopyFails() {
        writeFiles();
        reopen();
        d_->EindexB->setText("keep");
        d_->EsubindexB->setText("me");
        QTest::mouseClick(d_->PasteB, Qt::LeftButton); // nothing copied on CanB yet
        QCOMPARE(d_->EindexB->text(), QString());
        QCOMPARE(rec_->texts("error"), QStringList{"'' is not a valid integer value"});
        d_->EindexA->setText("0x4000");
        d_->EsubindexA->setText("2");
        d_->PoscompMsbA->setCurrentIndex(2);
        d_->PoscompLsbA->setCurrentIndex(1);
        QTest::mouseClick(d_->copyA, Qt::LeftButton);
        d_->reject();
        reopen();
        QCOMPARE(d_->EindexA->text(), QString());
        QTest::mouseClick(d_->PasteA, Qt::LeftButton);
        QCOMPARE(d_->EindexA->text(), QString("0x4000"));
        QCOMPARE(d_->EsubindexA->text(), QString("2"));
        QCOMPARE(d_->PoscompMsbA->currentText(), QString("B2"));
        QCOMPARE(d_->PoscompLsbA->currentText(), QString("B1"));
        d_->reject();
    }

    void importTitleOnlySheetEmptiesEverything() {
        writeFiles();
        const std::string book = exe_ / "titles.xls";
        xls::WriteWorkbook(book, {{"SDOPDO", {{"index", "subindex", "nrpdo", "poscomp"}}}});
        reopen();
        clickPdo(d_->LPdoCanA, 0);
        rec_->fileAnswers.push_back(QString::fromStdString(book));
        QTest::mouseClick(d_->bitbtn4, Qt::LeftButton);
        QCOMPARE(d_->LSdoCanA->count(), 0);
        QCOMPARE(Lines(d_->LPdoCanA), (QStringList{"0x181", "0x182"}));
        QTest::mouseClick(d_->LbButton1, Qt::LeftButton);
        QCOMPARE(ReadText(ws_.SdopdoPath), std::string("<sdopdo/>"));
    }

    void importRecordsThenExport() {
        writeFiles();
        const std::string book = exe_ / "entries.xls";
        xls::WriteWorkbook(book, {{"sdopdo",
                                   {{"index", "subindex", "nrpdo", "poscomp"},
                                    {"0x2100", 1.0, 2.0, 33.0},
                                    {"0x2101", 0.0, 129.0, 0.0},
                                    {"0x2102", 0.0, 5.0, 0.0}, // beyond the CAN A PDOs
                                    {"0x2103", 0.0, 1.0, 16.0},
                                    {"0x2104", 0.0, 128.0, 0.0}, // PDO number 0 stops
                                    {"0x2105", 0.0, 1.0, 0.0}}}});
        reopen();
        // PDO number 0: nothing is imported, the entries stay, the user is told.
        QTest::mouseClick(d_->button1, Qt::LeftButton);
        const std::string before = ReadText(ws_.ProjectFolder + "/sdopdo.csv");
        clickPdo(d_->LPdoCanA, 0);
        const QStringList shownBefore = Lines(d_->LSdoCanA);
        rec_->fileAnswers.push_back(QString::fromStdString(book));
        QTest::mouseClick(d_->bitbtn4, Qt::LeftButton);
        QCOMPARE(rec_->shown().size(), 1);
        QVERIFY2(rec_->shown()[0].contains("Record 5:"), qPrintable(rec_->shown()[0]));
        QCOMPARE(Lines(d_->LSdoCanA), shownBefore);
        QTest::mouseClick(d_->button1, Qt::LeftButton);
        QCOMPARE(ReadText(ws_.ProjectFolder + "/sdopdo.csv"), before);

        xls::WriteWorkbook(book, {{"sdopdo",
                                   {{"index", "subindex", "nrpdo", "poscomp"},
                                    {"0x2100", 1.0, 2.0, 33.0},
                                    {"0x2101", 0.0, 129.0, 0.0},
                                    {"0x2102", 0.0, 5.0, 0.0}, // beyond the CAN A PDOs
                                    {"0x2103", 0.0, 1.0, 16.0}}}});
        rec_->clear();
        rec_->fileAnswers.push_back(QString::fromStdString(book));
        QTest::mouseClick(d_->bitbtn4, Qt::LeftButton);
        QVERIFY(rec_->shown().isEmpty());
        clickPdo(d_->LPdoCanA, 0);
        QCOMPARE(Lines(d_->LSdoCanA), QStringList{"Sdo0"});
        QTest::mouseClick(d_->button1, Qt::LeftButton);
        QCOMPARE(ReadText(ws_.ProjectFolder + "/sdopdo.csv"),
                 std::string("0x2103,0,1,16,\r\n0x2100,1,2,33,\r\n0x2101,0,129,0,\r\n"));
        d_->reject();
    }

    // The entry list and the edit fields follow the current line however
    // it moves, not only on a click.
    void keyboardAndProgramMovesFollow() {
        writeFiles();
        reopen();
        d_->LPdoCanA->setCurrentRow(0);
        QCOMPARE(Lines(d_->LSdoCanA), (QStringList{"Sdo0", "Sdo1", "Sdo2"}));
        d_->LPdoCanA->setFocus();
        QTest::keyClick(d_->LPdoCanA, Qt::Key_Down);
        QCOMPARE(d_->LPdoCanA->currentRow(), 1);
        QCOMPARE(Lines(d_->LSdoCanA), QStringList{"Sdo0"});
        QTest::keyClick(d_->LSdoCanA, Qt::Key_Home);
        QCOMPARE(d_->EindexA->text(), QString("4096"));
        QCOMPARE(d_->EsubindexA->text(), QString("5"));
        QCOMPARE(d_->PoscompLsbA->currentText(), QString("B1"));
        QTest::keyClick(d_->LPdoCanA, Qt::Key_Up);
        QCOMPARE(Lines(d_->LSdoCanA).size(), 3);
        QCOMPARE(d_->EindexA->text(), QString()); // a new PDO line empties the fields
        QTest::keyClick(d_->LSdoCanA, Qt::Key_Home);
        QCOMPARE(d_->EindexA->text(), QString("0x2000"));
        QTest::keyClick(d_->LSdoCanA, Qt::Key_End);
        QCOMPARE(d_->EindexA->text(), QString("0x2002"));
        QVERIFY(rec_->shown().isEmpty());
        // After Delete no other entry is current, so the fields own nothing.
        QTest::mouseClick(d_->DELETEa, Qt::LeftButton);
        QCOMPARE(d_->LSdoCanA->currentRow(), -1);
        QCOMPARE(d_->EindexA->text(), QString("0x2002"));
        d_->reject();
    }

    // A mouse click that moves the line shows it once; a click on the line
    // already current shows it again.
    void mouseClicksShowOnce() {
        writeFiles();
        WriteText(ws_.SdopdoPath, "<sdopdo><row index=\"1\" subindex=\"1\" nrpdo=\"1\" "
                                  "poscomp=\"zz\"/></sdopdo>");
        reopen();
        auto click = [](QListWidget* l, int row) {
            QTest::mouseClick(l->viewport(), Qt::LeftButton, {},
                              l->visualItemRect(l->item(row)).center());
        };
        click(d_->LPdoCanA, 0);
        QCOMPARE(Lines(d_->LSdoCanA), QStringList{"Sdo0"});
        click(d_->LSdoCanA, 0);
        QCOMPARE(rec_->texts("error"), QStringList{"'zz' is not a valid integer value"});
        QCOMPARE(d_->EindexA->text(), QString("1"));
        d_->EindexA->setText("edited");
        click(d_->LSdoCanA, 0);
        QCOMPARE(rec_->texts("error").size(), 2);
        QCOMPARE(d_->EindexA->text(), QString("1"));
        d_->reject();
    }

    // A side's PDOs past 127 are listed but take no entries: the file could
    // not number them. What the dialog does take reads back unchanged.
    void pdosPastTheFileLimitTakeNoEntries() {
        std::string pdos = "<rpdodef>";
        for (int i = 0; i < 130; ++i)
            pdos += "<row cobid=\"" + std::to_string(0x180 + i) +
                    "\" id_dev_orig=\"\" en_bypass=\"0\" posind=\"\" n_tpdo=\"\"/>";
        WriteText(ws_.ProjectFolder + "/rpdodef.xml", pdos + "</rpdodef>");
        WriteText(ws_.SdopdoPath, "<sdopdo/>");
        reopen();
        QCOMPARE(d_->LPdoCanA->count(), 130);
        for (int row : {127, 129}) {
            d_->LPdoCanA->setCurrentRow(row);
            d_->EindexA->setText("0x2000");
            d_->EsubindexA->setText("1");
            QTest::mouseClick(d_->NewA, Qt::LeftButton);
            QCOMPARE(rec_->texts("error").last(),
                     QString("PDO %1 cannot hold SDO entries: only PDOs 1 to 127 of a side can "
                             "be stored")
                         .arg(row + 1));
            QCOMPARE(d_->LSdoCanA->count(), 0);
        }
        d_->LPdoCanA->setCurrentRow(126);
        d_->EindexA->setText("0x2000");
        d_->EsubindexA->setText("1");
        d_->PoscompMsbA->setCurrentIndex(8);
        QTest::mouseClick(d_->NewA, Qt::LeftButton);
        QCOMPARE(Lines(d_->LSdoCanA), QStringList{"Sdo0"});
        QTest::mouseClick(d_->LbButton1, Qt::LeftButton);
        QVERIFY(!d_->isVisible());
        reopen();
        QVERIFY(rec_->shown().isEmpty());
        d_->LPdoCanA->setCurrentRow(126);
        QTest::keyClick(d_->LSdoCanA, Qt::Key_Home);
        QCOMPARE(d_->EindexA->text(), QString("0x2000"));
        QCOMPARE(d_->PoscompMsbA->currentText(), QString("B8"));
        d_->reject();
    }

    // A stored byte position past B8 is shown as it is and is not replaced
    // by "none" on Modify: the user must choose.
    void bytePositionPastChoicesShownNotReplaced() {
        writeFiles();
        WriteText(ws_.SdopdoPath, "<sdopdo><row index=\"1\" subindex=\"1\" nrpdo=\"1\" "
                                  "poscomp=\"0x9C\"/></sdopdo>");
        reopen();
        clickPdo(d_->LPdoCanA, 0);
        clickSdo(d_->LSdoCanA, 0);
        QCOMPARE(d_->PoscompMsbA->currentText(), QString("9 (stored value, not in the list)"));
        QCOMPARE(d_->PoscompLsbA->currentText(), QString("12 (stored value, not in the list)"));
        QTest::mouseClick(d_->ModifyA, Qt::LeftButton);
        QCOMPARE(rec_->texts("error").last(),
                 QString("High SDO Byte: the stored position 9 is none of \"none\", \"B1\" .. "
                         "\"B8\"; choose one"));
        d_->PoscompMsbA->setCurrentIndex(1);
        QTest::mouseClick(d_->ModifyA, Qt::LeftButton);
        QVERIFY(rec_->texts("error").last().startsWith("Low SDO Byte: the stored position 12"));
        QCOMPARE(d_->model().side[0].pdos[0].entries[0].poscomp, std::string("0x9C"));
        d_->PoscompLsbA->setCurrentIndex(2);
        QTest::mouseClick(d_->ModifyA, Qt::LeftButton);
        QCOMPARE(d_->model().side[0].pdos[0].entries[0].poscomp, std::string("18"));
        // Copy and Paste carry a stored position as it is.
        clickSdo(d_->LSdoCanA, 0);
        d_->EindexA->clear();
        ShowChoiceOf(d_->PoscompMsbA, 11);
        QTest::mouseClick(d_->copyA, Qt::LeftButton);
        clickPdo(d_->LPdoCanA, 0);
        QTest::mouseClick(d_->PasteA, Qt::LeftButton);
        QCOMPARE(d_->PoscompMsbA->currentText(), QString("11 (stored value, not in the list)"));
        QCOMPARE(d_->PoscompLsbA->currentText(), QString("B2"));
        d_->reject();
    }
};

QTEST_MAIN(UInfoPdoTest)
#include "StoredPdoWindow_guitest.moc"
