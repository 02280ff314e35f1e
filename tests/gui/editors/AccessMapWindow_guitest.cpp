#include "gui/editors/AccessMapWindow.h"

#include "EditorFixture.h"
#include "core/editors/AccessMap.h"
#include "gui/widgets/StringGrid.h"

#include "core/project/FileSystem.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {
const QString kRead = "!! [DeviceNet IN --> Serial Read] ";
const QString kWrite = "!! [Serial Write --> DeviceNet OUT] ";

// Types a cell through the grid's model, as the in-place editor does.
void Edit(StringGrid* g, int col, int row, const QVariant& value, int role = Qt::EditRole) {
    QModelIndex i = g->model()->index(row - 1, col - 1);
    QVERIFY(g->model()->setData(i, value, role));
}

void FillRow(StringGrid* g, int row, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c)
        if (c + 1 != 5) Edit(g, c + 1, row, cells[c]);
}

std::string FullMapXml() {
    std::string xml = "<Serial_to_ProfiBus>";
    for (const char* table : {"DeviceNet_IN", "DeviceNet_OUT"}) {
        xml += std::string("<") + table + ">";
        for (int i = 0; i < 455; ++i)
            xml += "<row Slave_ID=\"" + std::to_string(i % 250 + 1) +
                   "\" Type=\"Coil Status\" Address_Mod=\"0x" + std::to_string(i) +
                   "\" NPoint=\"8\" Swap=\"" + (i % 2 ? "Y" : "N") + "\" Address_DeviceNet=\"" +
                   std::to_string(i) + "\" Mnemonic=\"point " + std::to_string(i) + "\"/>";
        xml += std::string("</") + table + ">";
    }
    return xml + "</Serial_to_ProfiBus>";
}
} // namespace

class SetVarTest : public QObject {
    Q_OBJECT
private slots:
    void gridsBuiltAsSpecified();
    void newProjectWritesTwoEmptyTables();
    void firstFailureShownNothingWritten_data();
    void firstFailureShownNothingWritten();
    void boundComesFromPargen();
    void runEndsAtGapAndRowsBelowVanish();
    void fallbacksAndTypedValuesKept();
    void fullMapOpensAndSavesUnchanged();
    void cancelDropsEdits();
    void unreadablePargenShowsOnlyThisProject();
    void partlyReadMapReplacedOnlyOnYes_data();
    void partlyReadMapReplacedOnlyOnYes();
    void failingCellGetsFocus();
    void gapClosedByMoveUp();
    void brokenMapKeepsRowsReadBefore();
    void csvExportImportSavesTheSameFile();
    void csvBadRowsListedGridUnchanged();
};

void SetVarTest::gridsBuiltAsSpecified() {
    EditorFixture f;
    TFSetVar dlg(f.ws);
    QCOMPARE(dlg.windowTitle(), QString("Set Access"));
    QCOMPARE(dlg.PageControl1->tabText(0), QString("DeviceNet OUT --> Serial Read"));
    QCOMPARE(dlg.PageControl1->tabText(1), QString("Serial Write --> DeviceNet IN"));
    QCOMPARE(dlg.PageControl1->widget(0), dlg.TabSheet1);
    QVERIFY(dlg.TabSheet1->isAncestorOf(dlg.sga) && dlg.TabSheet2->isAncestorOf(dlg.sgb));
    QCOMPARE(dlg.findChild<QPushButton*>("bitbtn1")->text(), QString("OK"));
    const QStringList headers = {
        "N°",   "Slave ID",          "Type",    "Address Register", "NPoint",
        "SWAP", "Address DeviceNet", "Mnemonic"};
    const int widths[] = {64, 64, 100, 105, 60, 40, 120, 196};
    for (StringGrid* g : {dlg.sga, dlg.sgb}) {
        QCOMPARE(g->rowCount(), 456);
        QCOMPARE(g->colCount(), 8);
        for (int c = 0; c < 8; ++c) {
            QCOMPARE(g->cell(c, 0), headers[c]);
            QCOMPARE(g->colWidth(c), widths[c]);
        }
        QCOMPARE(g->cell(0, 455), QString("455"));
        QCOMPARE(g->gridModel()->kind(5), GridModel::Kind::Check);
        QCOMPARE(g->gridModel()->kind(2), GridModel::Kind::Pick);
    }
    QCOMPARE(dlg.sga->gridModel()->items(2),
             QStringList({"Coil Status", "Input Status", "Holding Register", "Input Register"}));
    QCOMPARE(dlg.sgb->gridModel()->items(2), QStringList({"Coil Status", "Holding Register"}));
}

void SetVarTest::newProjectWritesTwoEmptyTables() {
    EditorFixture f;
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    int result = ExecWith(dlg, [&] {
        QCOMPARE(dlg.NByteIn, 455);
        QCOMPARE(dlg.NByteOut, 455);
        QVERIFY(dlg.sga->cell(1, 1).isEmpty());
        QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(
        ReadText(f.ws.SdoPath),
        std::string("<Serial_to_ProfiBus><DeviceNet_IN/><DeviceNet_OUT/></Serial_to_ProfiBus>"));
}

void SetVarTest::firstFailureShownNothingWritten_data() {
    QTest::addColumn<bool>("write");
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("column"); // where the focus goes after the message
    QTest::newRow("read slave 0") << false << QStringList{"0", "Coil Status", "0", "1", "", "0", ""}
                                  << "Error row 1" + kRead + "Slave ID must be between 1 and 250. "
                                  << 1;
    QTest::newRow("write no type")
        << true << QStringList{"3", "", "0", "1", "", "0", ""}
        << "Error row 1" + kWrite + "Type must be Coil Status or Holding Register. " << 2;
    QTest::newRow("read address past bound")
        << false << QStringList{"1", "Coil Status", "0", "1", "", "456", ""}
        << "Error row 1" + kRead + "Address DeviceNet must be between 0 and 455. " << 6;
}

void SetVarTest::firstFailureShownNothingWritten() {
    QFETCH(bool, write);
    QFETCH(QStringList, row);
    QFETCH(QString, message);
    QFETCH(int, column);
    EditorFixture f;
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    FillRow(write ? dlg.sgb : dlg.sga, 1, row);
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("error"), QStringList{message});
    QVERIFY(dlg.isVisible());
    QVERIFY(!FileExists(f.ws.SdoPath));
    QCOMPARE((write ? dlg.sgb : dlg.sga)->cell(1, 1), row[0]);
    QCOMPARE(dlg.PageControl1->currentIndex(), write ? 1 : 0);
    QCOMPARE((write ? dlg.sgb : dlg.sga)->currentRow(), 1);
    QCOMPARE((write ? dlg.sgb : dlg.sga)->currentCol(), column);
}

void SetVarTest::boundComesFromPargen() {
    EditorFixture f;
    WriteText(f.ws.PargenPath,
              "<Par_Gen><DN_NB_IN>20</DN_NB_IN><DN_NB_OUT>x</DN_NB_OUT></Par_Gen>");
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    QCOMPARE(dlg.NByteIn, 20);
    QCOMPARE(dlg.NByteOut, 455);
    FillRow(dlg.sga, 1, {"1", "Coil Status", "0", "1", "", "21", ""});
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("error"),
             QStringList{"Error row 1" + kRead + "Address DeviceNet must be between 0 and 20. "});
    Edit(dlg.sga, 6, 1, "20");
    FillRow(dlg.sgb, 1, {"1", "Coil Status", "0", "1", "", "455", ""});
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(f.rec->texts("error").size(), 1);
}

void SetVarTest::runEndsAtGapAndRowsBelowVanish() {
    EditorFixture f;
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    for (int r : {1, 2, 3, 5})
        FillRow(dlg.sga, r, {QString::number(r), "Coil Status", "0", "1", "", "0", "r"});
    Edit(dlg.sga, 1, 5, "999"); // below the gap: neither checked nor stored
    f.rec->choiceAnswers = {EditorWindow::SaveAsIs};
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("choose").size(), 1);
    QCOMPARE(f.rec->entries.size(), 1);
    dlg.show();
    QCOMPARE(dlg.sga->cell(1, 3), QString("3"));
    QVERIFY(dlg.sga->cell(1, 4).isEmpty());
    QVERIFY(dlg.sga->cell(1, 5).isEmpty());
    QVERIFY(dlg.sga->cell(7, 5).isEmpty());
}

void SetVarTest::fallbacksAndTypedValuesKept() {
    EditorFixture f;
    WriteText(f.ws.SdoPath,
              "<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\"1\" Type=\"Coil Status\" "
              "Address_Mod=\"0x10\" NPoint=\"1\" Address_DeviceNet=\"0\" Mnemonic=\"\"/>"
              "</DeviceNet_IN><DeviceNet_OUT><row Slave_ID=\"2\" Address_Mod=\"0\" NPoint=\"1\" "
              "Address_DeviceNet=\"0\" Mnemonic=\"\"/></DeviceNet_OUT></Serial_to_ProfiBus>");
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    QVERIFY(f.rec->entries.isEmpty());
    QCOMPARE(dlg.sgb->cell(2, 1), QString("Holding Register"));
    QCOMPARE(dlg.sga->cell(5, 1), QString("N"));
    // A SWAP cell ticked in place, and one never touched.
    Edit(dlg.sgb, 5, 1, Qt::Checked, Qt::CheckStateRole);
    FillRow(dlg.sga, 2, {"4", "Input Status", "$FF", "0x7F", "", " 3", "m"});
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(
        ReadText(f.ws.SdoPath),
        std::string("<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\"1\" Type=\"Coil Status\" "
                    "Address_Mod=\"0x10\" NPoint=\"1\" Swap=\"N\" Address_DeviceNet=\"0\" "
                    "Mnemonic=\"\"/><row Slave_ID=\"4\" Type=\"Input Status\" "
                    "Address_Mod=\"$FF\" NPoint=\"0x7F\" Swap=\"\" Address_DeviceNet=\" 3\" "
                    "Mnemonic=\"m\"/></DeviceNet_IN><DeviceNet_OUT><row Slave_ID=\"2\" "
                    "Type=\"Holding Register\" Address_Mod=\"0\" NPoint=\"1\" Swap=\"Y\" "
                    "Address_DeviceNet=\"0\" Mnemonic=\"\"/></DeviceNet_OUT>"
                    "</Serial_to_ProfiBus>"));
}

void SetVarTest::fullMapOpensAndSavesUnchanged() {
    EditorFixture f;
    const std::string xml = FullMapXml();
    WriteText(f.ws.SdoPath, xml);
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    QElapsedTimer t;
    t.start();
    dlg.show();
    qint64 shown = t.elapsed();
    QCOMPARE(dlg.sgb->cell(7, 455), QString("point 454"));
    t.restart();
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    qint64 saved = t.elapsed();
    qInfo("full map: show %lld ms, OK %lld ms", shown, saved);
    QVERIFY(f.rec->entries.isEmpty());
    QVERIFY(!dlg.isVisible());
    QCOMPARE(ReadText(f.ws.SdoPath), xml);
}

void SetVarTest::cancelDropsEdits() {
    EditorFixture f;
    WriteText(f.ws.SdoPath,
              "<Serial_to_ProfiBus><DeviceNet_IN/><DeviceNet_OUT/></Serial_to_ProfiBus>");
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    FillRow(dlg.sga, 1, {"1", "Coil Status", "0", "1", "", "0", ""});
    f.rec->confirmAnswers = {true};
    QTest::mouseClick(dlg.bitbtn2, Qt::LeftButton);
    QCOMPARE(f.rec->texts("risky"), QStringList{"Discard changes?"});
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(
        ReadText(f.ws.SdoPath),
        std::string("<Serial_to_ProfiBus><DeviceNet_IN/><DeviceNet_OUT/></Serial_to_ProfiBus>"));
    dlg.show();
    QVERIFY(dlg.sga->cell(1, 1).isEmpty());
}

// Nothing of an earlier showing stays; the map is this project's own and OK
// stores just that.
void SetVarTest::unreadablePargenShowsOnlyThisProject() {
    EditorFixture f;
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    FillRow(dlg.sga, 1, {"7", "Coil Status", "0", "1", "", "0", ""});
    f.rec->confirmAnswers = {true};
    QTest::mouseClick(dlg.bitbtn2, Qt::LeftButton);
    const std::string map = "<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\"3\" "
                            "Type=\"Coil Status\" Address_Mod=\"0\" NPoint=\"1\" Swap=\"N\" "
                            "Address_DeviceNet=\"400\" Mnemonic=\"\"/></DeviceNet_IN>"
                            "<DeviceNet_OUT/></Serial_to_ProfiBus>";
    WriteText(f.ws.SdoPath, map);
    WriteText(f.ws.PargenPath, "<Par_Gen><DN_NB_IN>");
    f.rec->clear();
    dlg.show();
    QCOMPARE(f.rec->texts("error").size(), 1);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.sga->cell(1, 1), QString("3"));
    QVERIFY(dlg.sga->cell(1, 2).isEmpty());
    QCOMPARE(dlg.NByteIn, 455);
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(ReadText(f.ws.SdoPath), map);
}

void SetVarTest::brokenMapKeepsRowsReadBefore() {
    EditorFixture f;
    WriteText(f.ws.SdoPath,
              "<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\"1\" Type=\"Coil Status\" "
              "Address_Mod=\"0\" NPoint=\"1\" Address_DeviceNet=\"0\" Mnemonic=\"a\"/>"
              "<row Slave_ID=\"2\" Type=\"Coil Status\" Address_Mod=\"0\" "
              "Address_DeviceNet=\"0\" Mnemonic=\"b\"/></DeviceNet_IN><DeviceNet_OUT/>"
              "</Serial_to_ProfiBus>");
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    QCOMPARE(f.rec->texts("error").size(), 1);
    QVERIFY(f.rec->texts("error")[0].contains("NPoint"));
    QCOMPARE(dlg.sga->cell(7, 1), QString("a"));
    QVERIFY(dlg.sga->cell(1, 2).isEmpty());
}

void SetVarTest::partlyReadMapReplacedOnlyOnYes_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void SetVarTest::partlyReadMapReplacedOnlyOnYes() {
    QFETCH(bool, yes);
    EditorFixture f;
    const std::string broken =
        "<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\"1\" Type=\"Coil Status\" "
        "Address_Mod=\"0\" NPoint=\"1\" Address_DeviceNet=\"0\" Mnemonic=\"a\"/>"
        "<row Slave_ID=\"2\"/></DeviceNet_IN><DeviceNet_OUT/></Serial_to_ProfiBus>";
    WriteText(f.ws.SdoPath, broken);
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    f.rec->confirmAnswers = {yes};
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("risky").size(), 1);
    QVERIFY(f.rec->texts("risky")[0].startsWith("sdo.xml could not be read in full."));
    QCOMPARE(dlg.isVisible(), !yes);
    if (yes)
        QVERIFY(ReadText(f.ws.SdoPath).find("Slave_ID=\"2\"") == std::string::npos);
    else
        QCOMPARE(ReadText(f.ws.SdoPath), broken);
}

void SetVarTest::failingCellGetsFocus() {
    EditorFixture f;
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    FillRow(dlg.sgb, 1, {"1", "Coil Status", "0", "1", "", "0", ""});
    FillRow(dlg.sgb, 2, {"1", "Coil Status", "0", "900", "", "0", ""});
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("error"),
             QStringList{"Error row 2" + kWrite + "Number point must be between 1 and 127. "});
    QCOMPARE(dlg.PageControl1->currentIndex(), 1);
    QVERIFY(dlg.sgb->hasFocus());
    QCOMPARE(dlg.sgb->currentRow(), 2);
    QCOMPARE(dlg.sgb->currentCol(), 4);
}

void SetVarTest::gapClosedByMoveUp() {
    EditorFixture f;
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    FillRow(dlg.sga, 1, {"1", "Coil Status", "0", "1", "", "0", "a"});
    Edit(dlg.sga, 5, 2, Qt::Unchecked, Qt::CheckStateRole); // an "N" SWAP alone
    FillRow(dlg.sga, 4, {"4", "Coil Status", "0", "1", "", "300", "b"});
    f.rec->choiceAnswers = {EditorWindow::MoveUp};
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    AccessMap map;
    LoadAccessMap(f.ws.SdoPath, map);
    QCOMPARE(int(map.In.size()), 2);
    QCOMPARE(map.In[1].Mnemonic, std::string("b"));
}

void SetVarTest::csvExportImportSavesTheSameFile() {
    EditorFixture f;
    const std::string xml = FullMapXml();
    WriteText(f.ws.SdoPath, xml);
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    const std::string a = f.exe / "read.csv", b = f.exe / "write.csv";
    dlg.show();
    f.rec->fileAnswers = {QString::fromStdString(a), QString::fromStdString(b)};
    dlg.btnExportCsv->click();
    dlg.PageControl1->setCurrentIndex(1);
    dlg.btnExportCsv->click();
    dlg.hide();

    // Imported into empty tables, the rows wait unsaved until OK.
    const std::string empty =
        "<Serial_to_ProfiBus><DeviceNet_IN/><DeviceNet_OUT/></Serial_to_ProfiBus>";
    WriteText(f.ws.SdoPath, empty);
    dlg.show();
    QVERIFY(dlg.sga->cell(1, 1).isEmpty());
    f.rec->fileAnswers = {QString::fromStdString(b), QString::fromStdString(a)};
    dlg.btnImportCsv->click(); // still the write tab
    dlg.PageControl1->setCurrentIndex(0);
    dlg.btnImportCsv->click();
    QVERIFY2(f.rec->entries.size() == 4, qPrintable(f.rec->shown().join("\n")));
    QCOMPARE(dlg.sgb->cell(7, 455), QString("point 454"));
    QCOMPARE(ReadText(f.ws.SdoPath), empty);
    QVERIFY(dlg.hasChanges()); // Cancel would ask before dropping the import
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(ReadText(f.ws.SdoPath), xml);
}

void SetVarTest::csvBadRowsListedGridUnchanged() {
    EditorFixture f;
    WriteText(f.ws.PargenPath,
              "<Par_Gen><DN_NB_IN>10</DN_NB_IN><DN_NB_OUT>10</DN_NB_OUT></Par_Gen>");
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    FillRow(dlg.sga, 1, {"5", "Coil Status", "1", "1", "", "0", "kept"});
    const std::string csv = f.exe / "bad.csv";
    WriteText(csv, "N°;Slave ID;Type;Address Register;NPoint;SWAP;Address DeviceNet;Mnemonic\n"
                   "1;1;Coil Status;0;1;N;11;\n2;1;Coil Status;0;1;N;3;\n3;1;Output;0;1;N;0\n");
    f.rec->fileAnswers = {QString::fromStdString(csv)};
    dlg.btnImportCsv->click();
    QCOMPARE(f.rec->texts("error"),
             QStringList{"The file was not imported:\n"
                         "Row 2: Address DeviceNet must be between 0 and 10.\n"
                         "Row 4: 7 columns, expected 8."});
    QCOMPARE(dlg.sga->cell(7, 1), QString("kept"));
    QVERIFY(dlg.sga->cell(1, 2).isEmpty());
    QCOMPARE(dlg.btnImportCsv->text(), QString("Import..."));
}

QTEST_MAIN(SetVarTest)
#include "AccessMapWindow_guitest.moc"
