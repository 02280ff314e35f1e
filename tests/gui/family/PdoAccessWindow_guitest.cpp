#include "GuiTestUtil.h"
#include "RecordingPrompt.h"
#include "TempDir.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/family/PdoAccessWindow.h"
#include "gui/widgets/StringGrid.h"

#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <memory>

namespace {
struct Env {
    TempDir exe;
    Workspace ws{exe.path()};
    std::shared_ptr<RecordingPrompt> prompt = std::make_shared<RecordingPrompt>();
    std::unique_ptr<TFSetPdo> dlg;
    Env() {
        ws.Settle();
        dlg = std::make_unique<TFSetPdo>(ws);
        dlg->setPrompt(prompt);
    }
    void reopen() {
        dlg->hide();
        dlg->show();
    }
    static void row(StringGrid* g, int r, const char* cob, const char* dim, const char* pos,
                    const char* mn = "") {
        g->setCell(1, r, cob);
        g->setCell(2, r, dim);
        g->setCell(3, r, pos);
        g->setCell(4, r, mn);
    }
};
} // namespace

class SetPdoGuiTest : public QObject {
    Q_OBJECT
private slots:
    void layoutAndCaptions() {
        Env e;
        e.dlg->show();
        QCOMPARE(e.dlg->windowTitle(), QString("Set PDO Access"));
        QCOMPARE(e.dlg->PageControl1->tabText(0), QString("ProfiBus IN --> Transmit PDO"));
        QCOMPARE(e.dlg->PageControl1->tabText(1), QString("Recive PDO --> ProfiBub OUT"));
        for (StringGrid* g : {e.dlg->sga, e.dlg->sgb}) {
            QCOMPARE(g->rowCount(), 11);
            QCOMPARE(g->colCount(), 5);
            QCOMPARE(g->cell(0, 0), QString::fromUtf8("N\u00b0"));
            QCOMPARE(g->cell(3, 0), QString("Address ProfiBus"));
            QCOMPARE(g->cell(0, 10), QString("10"));
        }
        QCOMPARE(e.dlg->bitbtn1->objectName(), QString("bitbtn1"));
        QCOMPARE(e.dlg->NByteIn, 244);
        // No pdo.xml and no pargen.xml are not errors.
        QVERIFY(e.prompt->shown().isEmpty());
    }

    void okWritesFileAndReopenShowsDollarForm() {
        Env e;
        e.dlg->show();
        Env::row(e.dlg->sga, 1, "385", "4", "240", "Drive A");
        Env::row(e.dlg->sga, 2, "0x005", "1", "0");
        Env::row(e.dlg->sga, 4, "9999", "99", "999", "never checked nor saved");
        Env::row(e.dlg->sgb, 1, "$201", "8", "0", "Out");
        // Row 4 lies past the empty Cob-ID: saved as is, it is dropped.
        e.prompt->choiceAnswers.push_back(EditorWindow::SaveAsIs);
        e.dlg->bitbtn1->click();
        QCOMPARE(e.prompt->texts("choose").size(), 1);
        QVERIFY(e.prompt->shown().isEmpty());
        QVERIFY(!e.dlg->isVisible());
        QCOMPARE(e.dlg->result(), int(QDialog::Accepted));
        const std::string text = ReadText(e.ws.PdoPath);
        QCOMPARE(QString::fromStdString(text),
                 QString("<Profibus_to_PDO><Profi_IN_to_TPDO>"
                         "<row Cob_Id=\"385\" Dimension=\"4\" Pos_PRofi=\"240\" "
                         "Mnemonic=\"Drive A\"/>"
                         "<row Cob_Id=\"0x005\" Dimension=\"1\" Pos_PRofi=\"0\" Mnemonic=\"\"/>"
                         "</Profi_IN_to_TPDO><Profi_OUT_to_TPDO>"
                         "<row Cob_Id=\"$201\" Dimension=\"8\" Pos_PRofi=\"0\" Mnemonic=\"Out\"/>"
                         "</Profi_OUT_to_TPDO></Profibus_to_PDO>"));
        e.dlg->show();
        QCOMPARE(e.dlg->sga->cell(1, 1), QString("$181"));
        QCOMPARE(e.dlg->sga->cell(1, 2), QString("$005"));
        QCOMPARE(e.dlg->sga->cell(4, 1), QString("Drive A"));
        QCOMPARE(e.dlg->sga->cell(1, 4), QString()); // cleared on showing
        QCOMPARE(e.dlg->sgb->cell(1, 1), QString("$201"));
    }

    void failedCheckKeepsDialogOpenAndWritesNothing_data() {
        QTest::addColumn<int>("table");
        QTest::addColumn<QString>("pos");
        QTest::addColumn<QString>("message");
        QTest::newRow("in sum") << 0 << "241"
                                << "Error row 2!! [ProfiBus IN --> SDO in Read] Address Profibus "
                                   "plus Dimension is major of N BYTE IN (244). ";
        QTest::newRow("in range") << 0 << "245"
                                  << "Error row 2!! [ProfiBus IN --> Transmit PDO] Address "
                                     "Profibus must be between 0 and 244. ";
        QTest::newRow("out sum") << 1 << "241"
                                 << "Error row 2!! [Recive PDO --> ProfiBub OUT] Address Profibus "
                                    "plus Dimension is major of N BYTE OUT (244). ";
    }
    void failedCheckKeepsDialogOpenAndWritesNothing() {
        QFETCH(int, table);
        QFETCH(QString, pos);
        QFETCH(QString, message);
        Env e;
        e.dlg->show();
        StringGrid* g = table ? e.dlg->sgb : e.dlg->sga;
        Env::row(g, 1, "1", "1", "0");
        Env::row(g, 2, "2", "4", pos.toUtf8().constData());
        e.dlg->bitbtn1->click();
        QCOMPARE(e.prompt->texts("error"), QStringList{message});
        QVERIFY(e.dlg->isVisible());
        QVERIFY(!FileExists(e.ws.PdoPath));
        QCOMPARE(g->cell(3, 2), pos); // entries stay
        // The failing cell comes forward with the focus.
        QCOMPARE(e.dlg->PageControl1->currentIndex(), table);
        QCOMPARE(g->currentCol(), 3);
        QCOMPARE(g->currentRow(), 2);
    }

    // A row past an empty Cob-ID: each answer of the gap question, and the
    // checks name the rows by their numbers after moving up.
    void gapQuestionAnswers_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("row2");
        QTest::newRow("move up") << int(EditorWindow::MoveUp) << true << "$203";
        QTest::newRow("keep editing") << int(EditorWindow::KeepEditing) << false << "";
        QTest::newRow("save as is") << int(EditorWindow::SaveAsIs) << true << "";
    }
    void gapQuestionAnswers() {
        QFETCH(int, answer);
        QFETCH(bool, saved);
        QFETCH(QString, row2);
        Env e;
        e.dlg->show();
        Env::row(e.dlg->sgb, 1, "$201", "8", "0");
        Env::row(e.dlg->sgb, 3, "$203", "2", "4");
        e.prompt->choiceAnswers.push_back(answer);
        e.dlg->bitbtn1->click();
        QCOMPARE(e.prompt->texts("choose").size(), 1);
        QCOMPARE(e.prompt->lastDefault, int(EditorWindow::MoveUp));
        QCOMPARE(e.dlg->isVisible(), !saved);
        QCOMPARE(FileExists(e.ws.PdoPath), saved);
        if (!saved) return;
        e.reopen();
        QCOMPARE(e.dlg->sgb->cell(1, 2), row2);
        QCOMPARE(e.dlg->sgb->cell(1, 3), QString());
    }
    void movedUpRowIsCheckedUnderItsNewNumber() {
        Env e;
        e.dlg->show();
        Env::row(e.dlg->sga, 1, "1", "1", "0");
        Env::row(e.dlg->sga, 4, "2", "9", "0");
        e.prompt->choiceAnswers.push_back(EditorWindow::MoveUp);
        e.dlg->bitbtn1->click();
        QCOMPARE(e.prompt->texts("error"),
                 QStringList{"Error row 2!! [ProfiBus IN --> Transmit PDO] CANOpen Dimension "
                             "must be between 1 and 8. "});
        QCOMPARE(e.dlg->sga->currentRow(), 2);
        QVERIFY(!FileExists(e.ws.PdoPath));
    }

    void areaSizesFromPargen() {
        Env e;
        WriteText(e.ws.PargenPath,
                  "<Par_Gen><Profi_NB_IN>16</Profi_NB_IN><Profi_NB_OUT>8</Profi_NB_OUT></Par_Gen>");
        e.dlg->show();
        QCOMPARE(e.dlg->NByteIn, 16);
        QCOMPARE(e.dlg->NByteOut, 8);
        Env::row(e.dlg->sgb, 1, "1", "4", "5");
        e.dlg->bitbtn1->click();
        QCOMPARE(e.prompt->texts("error"),
                 QStringList{"Error row 1!! [Recive PDO --> ProfiBub OUT] Address Profibus plus "
                             "Dimension is major of N BYTE OUT (8). "});
    }

    void unreadablePargenStillRebuildsGrids() {
        Env e;
        e.dlg->show();
        Env::row(e.dlg->sga, 1, "1", "1", "0", "stale");
        e.dlg->hide();
        WriteText(e.ws.PargenPath, "<Par_Gen><Profi_NB_IN>");
        e.dlg->show();
        QCOMPARE(e.prompt->texts("error").size(), 1);
        QCOMPARE(e.dlg->NByteIn, 244);
        QCOMPARE(e.dlg->sga->cell(4, 1), QString());
    }

    void rowCountPersistsAndLargeFilesGrowTheGrid() {
        Env e;
        e.dlg->show();
        e.dlg->sga->setRowCount(13); // as the grid's own row editing leaves it
        e.reopen();
        QCOMPARE(e.dlg->sga->rowCount(), 13);
        QCOMPARE(e.dlg->sga->cell(0, 12), QString("12"));
        std::string rows;
        for (int i = 1; i <= 14; ++i)
            rows += "<row Cob_Id=\"" + std::to_string(i) + "\" Dimension=\"1\" Pos_PRofi=\"" +
                    std::to_string(i) + "\" Mnemonic=\"\"/>";
        WriteText(e.ws.PdoPath, "<Profibus_to_PDO><Profi_IN_to_TPDO>" + rows +
                                    "</Profi_IN_to_TPDO><Profi_OUT_to_TPDO/></Profibus_to_PDO>");
        e.reopen();
        QCOMPARE(e.dlg->sga->rowCount(), 15);
        QCOMPARE(e.dlg->sga->cell(1, 14), QString("$00E"));
        QCOMPARE(e.dlg->sga->cell(0, 14), QString("14"));
        e.dlg->bitbtn1->click();
        QVERIFY(e.prompt->shown().isEmpty());
        QCOMPARE(QString::fromStdString(ReadText(e.ws.PdoPath)).count("<row "), 14);
    }

    // The user can get an 11th row and more: filling the last row adds an
    // empty one, and Down on a filled last row does too.
    void userGrowsTheGridPastTenRows() {
        Env e;
        e.dlg->show();
        for (StringGrid* g : {e.dlg->sga, e.dlg->sgb}) {
            auto type = [g](int row, int col, const char* text) {
                g->selectCell(col, row);
                g->gridModel()->setData(g->gridModel()->index(row - 1, col - 1), text,
                                        Qt::EditRole);
            };
            for (int r = 1; r <= 10; ++r)
                type(r, 1, "0x181");
            QTRY_COMPARE(g->rowCount(), 12);
            QCOMPARE(g->cell(0, 11), QString("11"));
            QCOMPARE(g->currentRow(), 10); // the user stays where the edit was
            type(11, 2, "1");
            type(11, 1, "0x182");
            QTRY_COMPARE(g->rowCount(), 13);
            type(5, 4, "mid"); // an edit above the last row adds nothing
            QCoreApplication::processEvents();
            QCOMPARE(g->rowCount(), 13);
            g->selectCell(1, 12);
            g->setFocus();
            QTest::keyClick(g, Qt::Key_Down); // the last row is empty: no new row
            QCOMPARE(g->rowCount(), 13);
            for (int r = 1; r <= 12; ++r) {
                for (int c = 1; c <= 3; ++c)
                    g->setCell(c, r, c == 1 ? "0x181" : "1");
            }
            g->selectCell(2, 12);
            QTest::keyClick(g, Qt::Key_Down);
            QCOMPARE(g->rowCount(), 14);
            QCOMPARE(g->currentRow(), 13);
        }
        e.dlg->bitbtn1->click();
        QVERIFY(e.prompt->shown().isEmpty());
        QCOMPARE(QString::fromStdString(ReadText(e.ws.PdoPath)).count("<row "), 24);
        e.reopen();
        QCOMPARE(e.dlg->sgb->cell(1, 12), QString("$181"));
    }

    void brokenRowReportedAndEarlierRowsShown() {
        Env e;
        WriteText(e.ws.PdoPath, "<Profibus_to_PDO><Profi_IN_to_TPDO>"
                                "<row Cob_Id=\"7\" Dimension=\"1\" Pos_PRofi=\"0\" Mnemonic=\"a\"/>"
                                "<row Cob_Id=\"8\" Dimension=\"1\"/>"
                                "</Profi_IN_to_TPDO></Profibus_to_PDO>");
        e.dlg->show();
        QCOMPARE(e.prompt->texts("error").size(), 1);
        QCOMPARE(e.dlg->sga->cell(1, 1), QString("$007"));
        QCOMPARE(e.dlg->sga->cell(1, 2), QString());
    }

    void execCancelWritesNothing() {
        Env e;
        WhenModal([&](QDialog* d) {
            QVERIFY(d == e.dlg.get());
            Env::row(e.dlg->sga, 1, "1", "1", "0");
            e.prompt->confirmAnswers = {true}; // the row is an edit: discard it
            e.dlg->bitbtn2->click();
        });
        QCOMPARE(e.dlg->exec(), int(QDialog::Rejected));
        QCOMPARE(e.prompt->texts("risky"), QStringList{"Discard changes?"});
        QVERIFY(!FileExists(e.ws.PdoPath));
        WhenModal([&](QDialog*) {
            QCOMPARE(e.dlg->sga->cell(1, 1), QString()); // cancelled edit gone
            Env::row(e.dlg->sga, 1, "1", "1", "0");
            e.dlg->bitbtn1->click();
        });
        QCOMPARE(e.dlg->exec(), int(QDialog::Accepted));
        QVERIFY(FileExists(e.ws.PdoPath));
    }
};

QTEST_MAIN(SetPdoGuiTest)
#include "PdoAccessWindow_guitest.moc"
