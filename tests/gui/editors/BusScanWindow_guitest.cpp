// "Scan…" of Test on bus against the pymodbus slaves on a pty that answer at
// 19200 baud only (tests/support/modbus_sim.py).
#include "gui/editors/BusScanWindow.h"

#include "EditorFixture.h"
#include "ModbusSim.h"
#include "core/editors/CommParams.h"
#include "gui/editors/BusProbeWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <set>

namespace {
void WriteProject(EditorFixture& f) {
    CommParams p;
    p.SerBaud = 7; // 115200
    p.SerPar = 0;
    p.SerTO = "150";
    p.DnId = "9";
    SaveCommParams(p, f.ws.PargenPath);
    AccessMap m;
    m.In = {{"1", "Holding Register", "0", "1", "N", "0", ""}};
    SaveAccessMap(m, f.ws.SdoPath);
}

// Only the given rates, no parity: a pty cannot take one.
void Choose(TFBusScan& w, const std::string& port, const char* ids, std::set<QString> bauds,
            int timeout) {
    w.CB_Port->setCurrentText(QString::fromStdString(port));
    w.E_Ids->setText(ids);
    for (QCheckBox* c : w.CB_Bauds)
        c->setChecked(bauds.count(c->text()) > 0);
    for (QCheckBox* c : w.CB_Parities)
        c->setChecked(c->text() == "none");
    w.SE_Timeout->setValue(timeout);
}
} // namespace

class BusScanTest : public QObject {
    Q_OBJECT
private slots:
    void findsTheSlavesWhileTheWindowKeepsTurning();
    void useTheseSettingsWritesThemAfterTheQuestion();
    void stopEndsWithinOneTimeOut();
    void wrongInputIsRefused();
    void controlsAreNamedAndLabelled();
};

void BusScanTest::findsTheSlavesWhileTheWindowKeepsTurning() {
    ModbusSim sim("rtu", {}, {"--baud=19200"});
    EditorFixture f;
    WriteProject(f);
    TFBusScan w(f.ws, nullptr, {}, 0);
    w.setPrompt(f.rec);
    w.show();
    Choose(w, sim.port(), "1-2,10-13", {"9600", "19200", "38400"}, 100);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    QSet<QString> shown; // what the progress bar named
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] { shown << w.PB_Scan->format(); });
    watch.start(5);
    QTest::mouseClick(w.btn_Start, Qt::LeftButton);
    QVERIFY(w.running() && w.btn_Stop->isEnabled() && !w.btn_Start->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 5000);
    // 9600 first (the common rates first): 6 silent IDs, then 19200 answers.
    QVERIFY2(ticks > 20, qPrintable(QString::number(ticks)));
    QVERIFY(shown.contains("9600 8N1: slave 10"));
    QVERIFY(shown.contains("19200 8N1: slave 2"));
    QVERIFY(!shown.contains("38400 8N1: slave 1")); // stopped after the first setting found
    QCOMPARE(w.LB_Found->count(), 4);
    const QStringList expected = {
        "slave 1 at 19200 8N1 Modbus RTU (read holding register 0: answered)",
        "slave 11 at 19200 8N1 Modbus RTU (read holding register 0: answered)",
        "slave 12 at 19200 8N1 Modbus RTU (read holding register 0: exception 02)",
        "slave 13 at 19200 8N1 Modbus RTU (read coil 0: answered)"};
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(w.LB_Found->item(i)->text(), expected[i]);
    QCOMPARE(w.Label_Summary->text(), QString("4 slaves found at 19200 8N1"));
    QCOMPARE(w.PB_Scan->value(), w.PB_Scan->maximum());
    QVERIFY(w.btn_Use->isEnabled());
    QVERIFY(f.rec->shown().isEmpty());
}

void BusScanTest::useTheseSettingsWritesThemAfterTheQuestion() {
    ModbusSim sim("rtu", {}, {"--baud=19200"});
    EditorFixture f;
    WriteProject(f);
    TFBusProbe probe(f.ws);
    probe.setPrompt(f.rec);
    probe.show();
    QVERIFY(probe.Label_Line->text().startsWith("Modbus RTU, 115200 baud, parity NONE"));
    probe.CB_Port->setCurrentText(QString::fromStdString(sim.port()));
    QTest::mouseClick(probe.btn_Scan, Qt::LeftButton);
    auto* w = probe.findChild<TFBusScan*>();
    QVERIFY(w && w->isVisible());
    w->setPrompt(f.rec);
    QCOMPARE(w->CB_Port->currentText(), QString::fromStdString(sim.port()));
    Choose(*w, sim.port(), "11", {"19200"}, 100);
    QTest::mouseClick(w->btn_Start, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!w->running(), 5000);
    QCOMPARE(w->LB_Found->count(), 1);

    const std::string before = ReadText(f.ws.PargenPath);
    f.rec->confirmAnswers = {false, true};
    QTest::mouseClick(w->btn_Use, Qt::LeftButton);
    QCOMPARE(ReadText(f.ws.PargenPath), before); // No leaves the file alone
    QTest::mouseClick(w->btn_Use, Qt::LeftButton);
    const QStringList asked = f.rec->texts("confirm");
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0], QString("Change the communication parameters from 115200 baud, parity "
                               "NONE to 19200 baud, parity NONE (found at slave 11)?"));
    CommParams p;
    LoadCommParams(f.ws.PargenPath, p);
    QCOMPARE(p.SerBaud, 4);
    QCOMPARE(p.SerPar, 0);
    QCOMPARE(p.SerTO, std::string("150"));
    QCOMPARE(p.DnId, std::string("9"));
    // The probe window follows.
    QVERIFY2(probe.Label_Line->text().startsWith("Modbus RTU, 19200 baud, parity NONE"),
             qPrintable(probe.Label_Line->text()));
    w->close();
}

void BusScanTest::stopEndsWithinOneTimeOut() {
    ModbusSim sim("rtu", {}, {"--silent"});
    EditorFixture f;
    WriteProject(f);
    TFBusScan w(f.ws, nullptr, {}, 0);
    w.setPrompt(f.rec);
    w.show();
    Choose(w, sim.port(), "1-247", {"115200"}, 200);
    QTest::mouseClick(w.btn_Start, Qt::LeftButton);
    QTest::qWait(500);
    QVERIFY(w.running());
    QVERIFY(w.PB_Scan->value() >= 1 && w.PB_Scan->value() <= 3);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(w.btn_Stop, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 2000);
    QVERIFY2(clock.elapsed() < 200 + 100, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(w.Label_Summary->text().startsWith("no slave answered (1 setting x 247 IDs tried) "
                                                "(stopped)"),
             qPrintable(w.Label_Summary->text()));
    QVERIFY(!w.btn_Use->isEnabled());
}

void BusScanTest::wrongInputIsRefused() {
    EditorFixture f;
    WriteProject(f);
    TFBusScan w(f.ws, nullptr, "/dev/tessaro-missing", 0);
    w.setPrompt(f.rec);
    w.show();
    const struct {
        const char* ids;
        bool anyBaud;
        const char* says;
    } cases[] = {{"0-3", true, "Give slave IDs from 1 to 247, e.g. 1-247 or 1-10,20."},
                 {"1-5", false, "Choose at least one baud rate and one parity."},
                 {"1-5", true, "Port /dev/tessaro-missing missing: no such port."}};
    for (const auto& c : cases) {
        w.E_Ids->setText(c.ids);
        for (QCheckBox* b : w.CB_Bauds)
            b->setChecked(c.anyBaud);
        f.rec->entries.clear();
        QTest::mouseClick(w.btn_Start, Qt::LeftButton);
        QVERIFY(!w.running());
        QCOMPARE(f.rec->shown().value(0), QString(c.says));
    }
    TFBusScan binary(f.ws, nullptr, {}, 3);
    binary.setPrompt(f.rec);
    f.rec->entries.clear();
    QTest::mouseClick(binary.btn_Start, Qt::LeftButton);
    QVERIFY(f.rec->shown().value(0).startsWith("The project's protocol is Binary"));
}

void BusScanTest::controlsAreNamedAndLabelled() {
    EditorFixture f;
    TFBusScan w(f.ws, nullptr, {}, 0);
    for (QWidget* c :
         std::initializer_list<QWidget*>{w.CB_Port, w.E_Ids, w.SE_Timeout, w.LB_Found}) {
        bool labelled = false;
        for (QLabel* l : w.findChildren<QLabel*>())
            labelled = labelled || l->buddy() == c;
        QVERIFY2(labelled, qPrintable(c->objectName()));
        QVERIFY(!c->accessibleName().isEmpty());
    }
    for (QAbstractButton* c : w.findChildren<QAbstractButton*>())
        QVERIFY2(!c->objectName().isEmpty() && !c->accessibleName().isEmpty(),
                 qPrintable(c->objectName()));
    QCOMPARE(w.CB_Bauds.size(), size_t(8));
    QCOMPARE(w.CB_Parities.size(), size_t(3));
}

QTEST_MAIN(BusScanTest)
#include "BusScanWindow_guitest.moc"
