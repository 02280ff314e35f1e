#include "gui/editors/DiagnosisWindow.h"

#include "EditorFixture.h"
#include "core/editors/DiagnosisIds.h"
#include "gui/widgets/StringGrid.h"

#include <QPushButton>
#include <QtTest>

namespace {
void Edit(StringGrid* g, int row, const QString& text) {
    QVERIFY(g->model()->setData(g->model()->index(row - 1, 0), text, Qt::EditRole));
}
} // namespace

class SetDiagnosisTest : public QObject {
    Q_OBJECT
private slots:
    void gridLabels();
    void newProjectWritesEmptyRoot();
    void typedValuesStored();
    void badEntryShownNothingWritten_data();
    void badEntryShownNothingWritten();
    void runEndsAtGap();
    void cancelDropsEdits();
    void malformedFileReported();
    void badEntryGetsFocus();
    void csvRoundTripAndBadRows();
};

void SetDiagnosisTest::gridLabels() {
    EditorFixture f;
    TFSetDiagnosis dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QString("Error/Diagnosis"));
    QCOMPARE(dlg.ACG->rowCount(), 65);
    QCOMPARE(dlg.ACG->colCount(), 2);
    QCOMPARE(dlg.ACG->cell(0, 0), QString("Index/Bit-Mapping"));
    QCOMPARE(dlg.ACG->cell(1, 0), QString("Modbus Slave ID"));
    QCOMPARE(dlg.ACG->colWidth(0), 136);
    QCOMPARE(dlg.ACG->colWidth(1), 122);
    QCOMPARE(dlg.ACG->cell(0, 1), QString("1 / Byte:0, Bit:0"));
    QCOMPARE(dlg.ACG->cell(0, 9), QString("9 / Byte:1, Bit:0"));
    QCOMPARE(dlg.ACG->cell(0, 64), QString("64 / Byte:7, Bit:7"));
    QCOMPARE(dlg.findChild<QPushButton*>("bitbtn2")->text(), QString("Cancel"));
}

void SetDiagnosisTest::newProjectWritesEmptyRoot() {
    EditorFixture f;
    TFSetDiagnosis dlg(f.ws);
    dlg.setPrompt(f.rec);
    int result = ExecWith(dlg, [&] { QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton); });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(ReadText(f.ws.DiagnosisPath), std::string("<Modbus_IDs/>"));
}

void SetDiagnosisTest::typedValuesStored() {
    EditorFixture f;
    TFSetDiagnosis dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    Edit(dlg.ACG, 1, "5");
    Edit(dlg.ACG, 2, "0x0A");
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(f.rec->entries.isEmpty());
    QCOMPARE(ReadText(f.ws.DiagnosisPath),
             std::string("<Modbus_IDs><ID>5</ID><ID>0x0A</ID></Modbus_IDs>"));
}

void SetDiagnosisTest::badEntryShownNothingWritten_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::newRow("256 in 3") << 3 << "256";
    QTest::newRow("entry 64") << 64 << "300";
}

void SetDiagnosisTest::badEntryShownNothingWritten() {
    QFETCH(int, row);
    QFETCH(QString, text);
    EditorFixture f;
    TFSetDiagnosis dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    for (int r = 1; r < row; ++r)
        Edit(dlg.ACG, r, "1");
    Edit(dlg.ACG, row, text);
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("error"),
             QStringList{QString("Error row %1!! Modbus ID must be between 1 and 255. ").arg(row)});
    QVERIFY(dlg.isVisible());
    QVERIFY(!FileExists(f.ws.DiagnosisPath));
}

void SetDiagnosisTest::runEndsAtGap() {
    EditorFixture f;
    TFSetDiagnosis dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    for (int r : {1, 2, 3})
        Edit(dlg.ACG, r, QString::number(r));
    Edit(dlg.ACG, 5, "999");
    f.rec->choiceAnswers = {EditorWindow::SaveAsIs};
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("choose").size(), 1);
    QCOMPARE(f.rec->entries.size(), 1);
    dlg.show();
    QCOMPARE(dlg.ACG->cell(1, 3), QString("3"));
    QVERIFY(dlg.ACG->cell(1, 5).isEmpty());
}

void SetDiagnosisTest::cancelDropsEdits() {
    EditorFixture f;
    WriteText(f.ws.DiagnosisPath, "<Modbus_IDs><ID>9</ID></Modbus_IDs>");
    TFSetDiagnosis dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    QCOMPARE(dlg.ACG->cell(1, 1), QString("9"));
    Edit(dlg.ACG, 1, "10");
    Edit(dlg.ACG, 2, "11");
    f.rec->confirmAnswers = {true};
    QTest::mouseClick(dlg.bitbtn2, Qt::LeftButton);
    QCOMPARE(f.rec->texts("risky"), QStringList{"Discard changes?"});
    QCOMPARE(ReadText(f.ws.DiagnosisPath), std::string("<Modbus_IDs><ID>9</ID></Modbus_IDs>"));
    dlg.show();
    QCOMPARE(dlg.ACG->cell(1, 1), QString("9"));
    QVERIFY(dlg.ACG->cell(1, 2).isEmpty());
}

void SetDiagnosisTest::malformedFileReported() {
    EditorFixture f;
    WriteText(f.ws.DiagnosisPath, "<Modbus_IDs><ID>9</ID>");
    TFSetDiagnosis dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    QCOMPARE(f.rec->texts("error").size(), 1);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.ACG->cell(0, 64), QString("64 / Byte:7, Bit:7"));
    QVERIFY(dlg.ACG->cell(1, 1).isEmpty());
    // OK would replace the unread entries with an empty list: asked, No keeps it.
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("risky").size(), 1);
    QVERIFY(dlg.isVisible());
    QCOMPARE(ReadText(f.ws.DiagnosisPath), std::string("<Modbus_IDs><ID>9</ID>"));
}

void SetDiagnosisTest::badEntryGetsFocus() {
    EditorFixture f;
    TFSetDiagnosis dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    Edit(dlg.ACG, 1, "1");
    Edit(dlg.ACG, 2, "0");
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(dlg.ACG->hasFocus());
    QCOMPARE(dlg.ACG->currentRow(), 2);
    QCOMPARE(dlg.ACG->currentCol(), 1);
}

void SetDiagnosisTest::csvRoundTripAndBadRows() {
    EditorFixture f;
    const std::string xml = "<Modbus_IDs><ID>7</ID><ID>$FF</ID><ID>1</ID></Modbus_IDs>";
    WriteText(f.ws.DiagnosisPath, xml);
    TFSetDiagnosis dlg(f.ws);
    dlg.setPrompt(f.rec);
    const std::string csv = f.exe / "ids.csv", bad = f.exe / "bad.csv";
    dlg.show();
    f.rec->fileAnswers = {QString::fromStdString(csv)};
    dlg.btnExportCsv->click();
    QCOMPARE(ReadText(csv),
             std::string("Index/Bit-Mapping,Modbus Slave ID\r\n\"1 / Byte:0, Bit:0\",7\r\n"
                         "\"2 / Byte:0, Bit:1\",$FF\r\n\"3 / Byte:0, Bit:2\",1\r\n"));
    dlg.hide();

    WriteText(f.ws.DiagnosisPath,
              "<Modbus_IDs><ID>9</ID><ID>9</ID><ID>9</ID><ID>9</ID></Modbus_IDs>");
    dlg.show();
    WriteText(bad, "Index/Bit-Mapping;Modbus Slave ID\r\nx;300\r\ny;0\r\n");
    f.rec->fileAnswers = {QString::fromStdString(bad), QString::fromStdString(csv)};
    dlg.btnImportCsv->click();
    QCOMPARE(f.rec->texts("error"),
             QStringList{"The file was not imported:\nRow 2: Modbus ID must be between 1 and 255.\n"
                         "Row 3: Modbus ID must be between 1 and 255."});
    QCOMPARE(dlg.ACG->cell(1, 4), QString("9"));
    QVERIFY(!dlg.hasChanges());
    dlg.btnImportCsv->click();
    QCOMPARE(dlg.ACG->cell(1, 2), QString("$FF"));
    QVERIFY(dlg.hasChanges());              // Cancel would ask before dropping the import
    QVERIFY(dlg.ACG->cell(1, 4).isEmpty()); // rows past the file's are emptied
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(ReadText(f.ws.DiagnosisPath), DiagnosisXml({"7", "$FF", "1"}));
}

QTEST_MAIN(SetDiagnosisTest)
#include "DiagnosisWindow_guitest.moc"
