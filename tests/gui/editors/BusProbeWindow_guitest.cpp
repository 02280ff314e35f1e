// Test on bus against the pymodbus slave on a pty (tests/support/modbus_sim.py).
#include "gui/editors/BusProbeWindow.h"

#include "EditorFixture.h"
#include "ModbusSim.h"
#include "core/editors/CommParams.h"
#include "gui/editors/AccessMapWindow.h"
#include "gui/widgets/StringGrid.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {
enum { ColOutcome = 6, ColValues = 7, ColTime = 8 };

AccessRow R(const char* slave, const char* type, const char* address, const char* points,
            const char* mnemonic = "") {
    return {slave, type, address, points, "N", "0", mnemonic};
}

// One row of every outcome, then two write rows.
AccessMap EveryOutcome() {
    AccessMap m;
    m.In = {R("1", "Holding Register", "9", "2", "Speed"),
            R("11", "Coil Status", "0", "4", "Run"),
            R("1", "Input Status", "0", "3"),
            R("1", "Input Register", "0", "1"),
            R("1", "Holding Register", "100", "1", "Out of table"),
            R("2", "Holding Register", "0", "1", "Nobody"),
            R("3", "Holding Register", "0", "1", "Flipped"),
            R("4", "Holding Register", "0", "1"),
            R("5", "Holding Register", "0", "1"),
            R("7", "Holding Register", "0", "2"),
            R("0", "Holding Register", "0", "1", "Bad ID")};
    m.Out = {R("1", "Holding Register", "20", "2", "Setpoint"), R("1", "Coil Status", "5", "1")};
    return m;
}

void WriteProject(EditorFixture& f, const AccessMap& map, int protocol = 0) {
    CommParams p;
    p.SerProt = protocol;
    p.SerTO = "150";
    p.SerCD = "0";
    SaveCommParams(p, f.ws.PargenPath);
    SaveAccessMap(map, f.ws.SdoPath);
}

void Start(TFBusProbe& w, const std::string& port) {
    w.CB_Port->setCurrentText(QString::fromStdString(port));
    QTest::mouseClick(w.btn_Start, Qt::LeftButton);
}
} // namespace

class BusProbeTest : public QObject {
    Q_OBJECT
private slots:
    void everyOutcomeOnceColouredAndSummed();
    void repeatKeepsTheWindowResponsiveAndStopsWithinOneTimeOut();
    void writeOnlyAfterTheQuestionSaysYes();
    void exportWritesTheResultsAsCsv();
    void portsThatCannotBeUsed();
    void accessMapWindowOpensItOnItsRows();
    void controlsAreNamedAndLabelled();
    void showAsChangesTheValuesColumnAndTheCsv();
};

void BusProbeTest::everyOutcomeOnceColouredAndSummed() {
    ModbusSim sim;
    EditorFixture f;
    WriteProject(f, EveryOutcome());
    TFBusProbe w(f.ws);
    w.setPrompt(f.rec);
    w.show();
    QCOMPARE(w.sg_Results->rowCount(), 14);
    QVERIFY(w.Label_Line->text().startsWith("Modbus RTU, 115200 baud, parity NONE, time-out 150"));
    Start(w, sim.port());
    QVERIFY(w.running());
    QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 10000);
    const QStringList outcomes = {"answered",
                                  "answered",
                                  "answered",
                                  "answered",
                                  "exception 02 Illegal Data Address",
                                  "no answer",
                                  "bad frame: CRC error",
                                  "bad frame: other slave (reply from slave 99)",
                                  "bad frame: other function (reply for function 4)",
                                  "bad frame: wrong length (byte count 6, expected 4)",
                                  "not tested: Slave ID must be between 1 and 250.",
                                  "answered",
                                  "answered"};
    for (int r = 0; r < outcomes.size(); ++r)
        QCOMPARE(w.sg_Results->cell(ColOutcome, r + 1), outcomes[r]);
    QCOMPARE(w.sg_Results->cell(0, 12), QString("write 1"));
    QCOMPARE(w.sg_Results->cell(ColValues, 1), QString("0x0109 265 265; 0xFFFE 65534 -2"));
    QCOMPARE(w.sg_Results->cell(ColValues, 2), QString("1 0 0 1"));
    QCOMPARE(w.sg_Results->cell(ColValues, 12), QString("0x0114 276 276; 0x0115 277 277"));
    QVERIFY(w.sg_Results->cell(ColTime, 6).toDouble() >= 149);
    QVERIFY(w.sg_Results->cell(ColTime, 11).isEmpty());
    QCOMPARE(w.Label_Summary->text(),
             QString("6 answered, 1 exception, 1 no answer, 4 bad frames, 1 not tested"));
    // Outcome colours differ by kind; a cell without outcome has none.
    const QImage shot = w.sg_Results->viewport()->grab().toImage();
    auto bg = [&](int row) {
        QRect cell =
            w.sg_Results->visualRect(w.sg_Results->model()->index(row - 1, ColOutcome - 1));
        return QColor(shot.pixel(cell.right() - 3, cell.center().y())).name();
    };
    QSet<QString> colours;
    for (int r : {1, 5, 6, 7, 11})
        colours << bg(r);
    colours << QColor(shot.pixel(2, 2)).name(); // the row number column is not coloured
    QCOMPARE(colours.size(), 6);
    QCOMPARE(bg(1), bg(2));
    QVERIFY(f.rec->shown().isEmpty());
}

void BusProbeTest::repeatKeepsTheWindowResponsiveAndStopsWithinOneTimeOut() {
    ModbusSim sim;
    EditorFixture f;
    AccessMap m;
    m.In = {R("1", "Holding Register", "0", "1"), R("2", "Holding Register", "0", "1"),
            R("6", "Input Register", "0", "2")};
    WriteProject(f, m);
    TFBusProbe w(f.ws);
    w.setPrompt(f.rec);
    w.show();
    w.RB_Repeat->setChecked(true);
    Start(w, sim.port());
    QVERIFY(!w.btn_Start->isEnabled() && w.btn_Stop->isEnabled());
    // Several passes go by while the event loop keeps turning.
    QElapsedTimer clock;
    clock.start();
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    QTest::qWait(800);
    QVERIFY(w.running());
    QVERIFY2(ticks > 50, qPrintable(QString::number(ticks)));
    QCOMPARE(w.sg_Results->cell(ColOutcome, 2), QString("no answer"));
    QCOMPARE(w.sg_Results->cell(ColValues, 3), QString("0x2000 8192 8192; 0x2001 8193 8193"));
    clock.restart();
    QTest::mouseClick(w.btn_Stop, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 2000);
    QVERIFY2(clock.elapsed() < 150 + 300, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(w.btn_Start->isEnabled());
    QCOMPARE(w.Label_Summary->text(), QString("2 answered, 0 exceptions, 1 no answer"));
}

void BusProbeTest::writeOnlyAfterTheQuestionSaysYes() {
    ModbusSim sim;
    EditorFixture f;
    WriteProject(f, EveryOutcome());
    TFBusProbe w(f.ws);
    w.setPrompt(f.rec);
    w.show();
    w.CB_Port->setCurrentText(QString::fromStdString(sim.port()));

    // A read row is never written.
    w.sg_Results->selectCell(1, 1);
    QTest::mouseClick(w.btn_Write, Qt::LeftButton);
    QCOMPARE(f.rec->shown().value(0), QString("Select a row of the write table."));
    w.sg_Results->selectCell(1, 12);
    w.E_WriteValues->setText("7");
    QTest::mouseClick(w.btn_Write, Qt::LeftButton);
    QCOMPARE(f.rec->shown().value(1), QString("Give 2 values, one for each point of the row."));

    w.E_WriteValues->setText("7, -2");
    f.rec->confirmAnswers = {false, true};
    QTest::mouseClick(w.btn_Write, Qt::LeftButton);
    QVERIFY(!w.running());
    QTest::mouseClick(w.btn_Write, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 5000);
    const QStringList asked = f.rec->texts("confirm");
    QCOMPARE(asked.size(), 2);
    QVERIFY2(asked[0].startsWith("Write 7, -2 to slave 1, Holding Register at address 20?"),
             qPrintable(asked[0]));
    QCOMPARE(w.sg_Results->cell(ColOutcome, 12), QString("answered"));

    // Reading back shows the written values.
    Start(w, sim.port());
    QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 10000);
    QCOMPARE(w.sg_Results->cell(ColValues, 12), QString("0x0007 7 7; 0xFFFE 65534 -2"));
    QCOMPARE(f.rec->shown().size(), 2);
}

void BusProbeTest::exportWritesTheResultsAsCsv() {
    ModbusSim sim;
    EditorFixture f;
    WriteProject(f, EveryOutcome());
    TFBusProbe w(f.ws);
    w.setPrompt(f.rec);
    w.show();
    Start(w, sim.port());
    QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 10000);
    const std::string target = f.ws.ProjectFolder + "/probe.csv";
    f.rec->fileAnswers = {QString::fromStdString(target)};
    QTest::mouseClick(w.btn_Export, Qt::LeftButton);
    const std::string csv = ReadText(target);
    QVERIFY(csv.rfind("Table,Row,Slave ID,Type,Address Register,NPoint,Mnemonic,Outcome,"
                      "Exception,Values,Time ms\r\n",
                      0) == 0);
    QVERIFY(csv.find("\r\nread,1,1,Holding Register,9,2,Speed,answered,,"
                     "0x0109 265 265; 0xFFFE 65534 -2,") != std::string::npos);
    QVERIFY(csv.find("\r\nread,5,1,Holding Register,100,1,Out of table,"
                     "exception 02 Illegal Data Address,2,,") != std::string::npos);
    QVERIFY(csv.find("\r\nread,8,4,Holding Register,0,1,,bad frame: other slave (reply from "
                     "slave 99),,,") != std::string::npos);
    QCOMPARE(std::count(csv.begin(), csv.end(), '\n'), 14);
}

void BusProbeTest::portsThatCannotBeUsed() {
    ModbusSim sim;
    EditorFixture f;
    WriteProject(f, EveryOutcome());
    TFBusProbe w(f.ws);
    w.setPrompt(f.rec);
    w.show();
    Start(w, "/dev/tessaro-missing");
    QVERIFY(!w.running());
    QCOMPARE(f.rec->shown().value(0), QString("Port /dev/tessaro-missing missing: no such port."));

    TCustomComm holder;
    holder.SetDeviceName(sim.port());
    holder.Open();
    Start(w, sim.port());
    QCOMPARE(f.rec->shown().value(1),
             QString::fromStdString("Port " + sim.port() + " in use by another program."));
    holder.Close();

    // The adapter pulled in the middle: that row says so and the run ends.
    AccessMap m;
    m.In = {R("1", "Holding Register", "0", "1"), R("9", "Holding Register", "0", "1"),
            R("1", "Holding Register", "0", "1")};
    w.setAccessMap(m);
    Start(w, sim.port());
    QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 5000);
    QVERIFY(w.sg_Results->cell(ColOutcome, 2).startsWith("port error"));
    QVERIFY(w.sg_Results->cell(ColOutcome, 3).isEmpty());
    QVERIFY(f.rec->shown().value(2).startsWith("The port failed and the test stopped"));

    // Not Modbus: nothing is sent.
    WriteProject(f, m, 3);
    w.loadProject();
    Start(w, sim.port());
    QVERIFY(!w.running());
    QCOMPARE(f.rec->shown().value(3),
             QString("The project's protocol is Binary, which is not Modbus: the probe cannot "
                     "test it."));
}

void BusProbeTest::accessMapWindowOpensItOnItsRows() {
    EditorFixture f;
    TFSetVar dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    dlg.toGrids(EveryOutcome()); // not saved: the probe takes the grids as they are
    QCOMPARE(dlg.btn_Probe->text(), QString("Test on bus…"));
    QTest::mouseClick(dlg.btn_Probe, Qt::LeftButton);
    auto* w = dlg.findChild<TFBusProbe*>();
    QVERIFY(w && w->isVisible());
    QCOMPARE(w->rows().size(), size_t(13));
    QCOMPARE(w->sg_Results->cell(5, 1), QString("Speed"));
    w->close();
}

void BusProbeTest::controlsAreNamedAndLabelled() {
    EditorFixture f;
    TFBusProbe w(f.ws);
    for (QWidget* c : std::initializer_list<QWidget*>{w.CB_Port, w.CB_DataBits, w.CB_StopBits,
                                                      w.sg_Results, w.E_WriteValues, w.cbShowAs}) {
        bool labelled = false;
        for (QLabel* l : w.findChildren<QLabel*>())
            labelled = labelled || l->buddy() == c;
        QVERIFY2(labelled, qPrintable(c->objectName()));
        QVERIFY(!c->accessibleName().isEmpty());
    }
    for (QWidget* c : w.findChildren<QWidget*>())
        if (qobject_cast<QAbstractButton*>(c) && !w.sg_Results->isAncestorOf(c)) {
            QVERIFY2(!c->objectName().isEmpty() && !c->accessibleName().isEmpty(),
                     qPrintable(c->objectName()));
        }
    QVERIFY(w.CB_Port->findText("COM1") >= 0);
}

void BusProbeTest::showAsChangesTheValuesColumnAndTheCsv() {
    ModbusSim sim;
    EditorFixture f;
    AccessMap m;
    // h[30..40]: 12.56, -12.56, NaN, inf, -inf as big-endian floats, then 0x8001.
    m.In = {R("1", "Holding Register", "30", "11"), R("1", "Coil Status", "0", "2")};
    WriteProject(f, m);
    TFBusProbe w(f.ws);
    w.setPrompt(f.rec);
    w.show();
    QCOMPARE(w.Label_ShowAs->buddy(), w.cbShowAs);
    QCOMPARE(w.cbShowAs->count(), 16);
    Start(w, sim.port());
    QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 5000);
    QVERIFY(w.sg_Results->cell(ColValues, 1).startsWith("0x4148 16712 16712; 0xF5C3 62915 -2621"));
    // Hand-worked values of the simulator's registers.
    const struct {
        const char* form;
        const char* values;
    } cases[] = {
        {"f32-abcd", "12.56; -12.56; nan; inf; -inf; 0x8001"},
        {"s32-abcd", "1095300547; -1052183101; 2143289344; 2139095040; -8388608; 0x8001"},
        {"u32-cdab", "4123214152; 4123246920; 32704; 32640; 65408; 0x8001"},
        {"f32-badc", "198415.8; 396831.7; -3.984375; -1.166311e-38; -2.341805e-38; 0x8001"},
        {"s16", "16712; -2621; -16056; -2621; 32704; 0; 32640; 0; -128; 0; -32767"}};
    for (const auto& c : cases) {
        w.cbShowAs->setCurrentText(c.form);
        QCOMPARE(w.sg_Results->cell(ColValues, 1), QString(c.values));
        QCOMPARE(w.sg_Results->cell(ColValues, 2), QString("1 0")); // bits stay bits
    }
    w.cbShowAs->setCurrentText("f32-abcd");
    const std::string target = f.ws.ProjectFolder + "/typed.csv";
    f.rec->fileAnswers = {QString::fromStdString(target)};
    QTest::mouseClick(w.btn_Export, Qt::LeftButton);
    const std::string csv = ReadText(target);
    QVERIFY2(csv.find(",answered,,12.56; -12.56; nan; inf; -inf; 0x8001,") != std::string::npos,
             csv.c_str());
    // A new answer is shown in the chosen form too.
    Start(w, sim.port());
    QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 5000);
    QCOMPARE(w.sg_Results->cell(ColValues, 1), QString("12.56; -12.56; nan; inf; -inf; 0x8001"));
    w.cbShowAs->setCurrentIndex(0);
    QVERIFY(w.sg_Results->cell(ColValues, 1).startsWith("0x4148 16712 16712;"));
}

QTEST_MAIN(BusProbeTest)
#include "BusProbeWindow_guitest.moc"
