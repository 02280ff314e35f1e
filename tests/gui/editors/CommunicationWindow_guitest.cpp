#include "gui/editors/CommunicationWindow.h"

#include "EditorFixture.h"
#include "WriteFaults.h"
#include "core/project/FileSystem.h"
#include "gui/widgets/FieldHints.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* kDefaultsXml =
    "<Par_Gen><Ser_Baud>7</Ser_Baud><Ser_Par>0</Ser_Par><Ser_TO>1000</Ser_TO>"
    "<Ser_CD>100</Ser_CD><Ser_Type>1</Ser_Type><Ser_Prot>0</Ser_Prot>"
    "<Ser_Write_Mode>0</Ser_Write_Mode><DN_ID>1</DN_ID><DN_Baud>2</DN_Baud>"
    "<DN_NB_IN>455</DN_NB_IN><DN_NB_OUT>455</DN_NB_OUT><DN_Enable_Error>0</DN_Enable_Error>"
    "<DN_Num_Cont_Err>3</DN_Num_Cont_Err><DN_Val_Canc_Data>0x00</DN_Val_Canc_Data></Par_Gen>";

void Type(QLineEdit* e, const QString& text) {
    e->clear();
    QTest::keyClicks(e, text);
}

// Clicks on the indicator, where a check box or radio button takes a click.
void Tick(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

std::string Element(const std::string& xml, const std::string& name) {
    size_t b = xml.find("<" + name + ">");
    size_t e = xml.find("</" + name + ">");
    if (b == std::string::npos || e == std::string::npos) return "<missing>";
    return xml.substr(b + name.size() + 2, e - b - name.size() - 2);
}
} // namespace

class PargenTest : public QObject {
    Q_OBJECT
private slots:
    void controlsNamedAndLabelled();
    void radioGroupsHoldOneChoice();
    void defaultsWrittenByOkOnNewProject();
    void failedCheckKeepsDialogOpen_data();
    void failedCheckKeepsDialogOpen();
    void errorPairCheckedOnlyWhenEnabled();
    void choicesWrittenAsCodes();
    void cancelWritesNothingAndShowReloads();
    void loadErrorReportedAndDialogStillOpens();
    void failedSaveKeepsDialogOpen();
    void symlinkedFileWrittenThroughLinkKept();
    void storedCodeOutsideListShownNeverReplaced();
    void fieldsTellUnitRangeAndUse();
    void failingFieldGetsFocus();
    void partlyReadFileReplacedOnlyOnYes();
    void returnInEditBoxPressesOk();
};

void PargenTest::controlsNamedAndLabelled() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    QCOMPARE(dlg.windowTitle(), QString("SET COMMUNICATION"));
    QCOMPARE(dlg.size(), QSize(251, 651));
    const std::pair<const char*, const char*> buddies[] = {
        {"Baudrate", "CB_Ser_Baud"},
        {"Parity", "CB_Ser_Par"},
        {"TimeOut", "E_Ser_TO"},
        {"Cyclic Delay", "E_Ser_CD"},
        {"ID Dev.", "E_Pro_ID"},
        {"Baud rate", "CB_Pro_Baud"},
        {"N Byte IN", "E_PRo_IN"},
        {"N Byte OUT", "E_PRo_Out"},
        {"Number Continuos Error", "E_Num_Con_Err"},
        {"Value to set to data bytes", "E_Val_Canc_Data"}};
    for (auto [text, name] : buddies) {
        QWidget* control = dlg.findChild<QWidget*>(name);
        QVERIFY2(control, name);
        QLabel* label = nullptr;
        for (QLabel* l : dlg.findChildren<QLabel*>())
            if (l->text() == text) label = l;
        QVERIFY2(label, text);
        QCOMPARE(label->buddy(), control);
    }
    QCOMPARE(dlg.findChild<QGroupBox*>("GroupBox1")->title(), QString(" Serial "));
    QCOMPARE(dlg.GroupBox3->title(), QString(" Protocol "));
    QCOMPARE(dlg.GroupBox4->title(), QString(" Write "));
    QCOMPARE(dlg.GroupBox5->title(), QString(" DeviceNet "));
    QCOMPARE(dlg.GroupBox6->title(), QString(" Error/Diagnosis Modbus "));
    QCOMPARE(dlg.findChild<QCheckBox*>("CB_En_Err")->text(), QString("Enable check Modbus Error"));
    QCOMPARE(dlg.Label9->text(), QString("with cancellation of data"));
    QCOMPARE(dlg.findChild<QPushButton*>("bitbtn1")->text(), QString("OK"));
    QCOMPARE(dlg.findChild<QPushButton*>("bitbtn2")->text(), QString("Cancel"));
    auto items = [](QComboBox* b) {
        QStringList out;
        for (int i = 0; i < b->count(); ++i)
            out << b->itemText(i);
        return out;
    };
    QCOMPARE(items(dlg.CB_Ser_Baud),
             QStringList({"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}));
    QCOMPARE(items(dlg.CB_Ser_Par), QStringList({"NONE", "EVEN", "ODD"}));
    QCOMPARE(items(dlg.CB_Pro_Baud), QStringList({"125K", "250K", "500K"}));
    QVERIFY(!dlg.CB_Ser_Baud->isEditable());
    // The values a load that fails at once leaves behind.
    QCOMPARE(dlg.CB_Ser_Baud->currentText(), QString("115200"));
    QCOMPARE(dlg.CB_Ser_Par->currentIndex(), -1);
    QCOMPARE(dlg.E_Pro_ID->text(), QString("20"));
    QCOMPARE(dlg.CB_Pro_Baud->currentText(), QString("125K"));
}

void PargenTest::radioGroupsHoldOneChoice() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    Tick(dlg.RB_Ser_232);
    QVERIFY(dlg.RB_Ser_232->isChecked() && !dlg.RB_Ser_485->isChecked());
    Tick(dlg.RB_Ser_BIN);
    int checked = 0;
    for (auto* rb :
         {dlg.RB_Ser_MRTU, dlg.RB_Ser_MASC, dlg.RB_Ser_JBUS, dlg.RB_Ser_BIN, dlg.RB_Ser_ASC})
        checked += rb->isChecked();
    QCOMPARE(checked, 1);
    QVERIFY(dlg.RB_Ser_BIN->isChecked());
    QVERIFY(dlg.RB_Ser_232->isChecked()); // other groups untouched
    QVERIFY(dlg.RB_W_Change->isChecked());
}

void PargenTest::defaultsWrittenByOkOnNewProject() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    int result = ExecWith(dlg, [&] {
        QCOMPARE(dlg.E_Ser_TO->text(), QString("1000"));
        QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(f.rec->entries.isEmpty());
    QCOMPARE(ReadText(f.ws.PargenPath), std::string(kDefaultsXml));
}

void PargenTest::failedCheckKeepsDialogOpen_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: passes
    QTest::newRow("TO 10000") << "E_Ser_TO"
                              << "10000"
                              << "";
    QTest::newRow("TO 10001") << "E_Ser_TO"
                              << "10001"
                              << "Error!! Serial TimeOut must be between 0 and 10000 mS. ";
    QTest::newRow("CD 1001") << "E_Ser_CD"
                             << "1001"
                             << "Error!! Serial Cyclic Delay must be between 0 and 1000 mS. ";
    QTest::newRow("ID 0x3F") << "E_Pro_ID"
                             << "0x3F"
                             << "";
    QTest::newRow("ID 64") << "E_Pro_ID"
                           << "64"
                           << "Error!! DeviceNet address must be between 0 and 63. ";
    QTest::newRow("IN 456") << "E_PRo_IN"
                            << "456"
                            << "Error!! DeviceNet N Byte IN must be between 0 and 455. ";
    // A sign cannot be typed into these boxes; a hex value past the range can.
    QTest::newRow("OUT 0x1C8") << "E_PRo_Out"
                               << "0x1C8"
                               << "Error!! DeviceNet N Byte OUT must be between 0 and 455. ";
}

void PargenTest::failedCheckKeepsDialogOpen() {
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QString, message);
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    auto* edit = dlg.findChild<QLineEdit*>(control);
    QVERIFY(edit);
    Type(edit, text);
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    if (message.isEmpty()) {
        QVERIFY(f.rec->entries.isEmpty());
        QVERIFY(!dlg.isVisible());
        QCOMPARE(QString::fromStdString(
                     Element(ReadText(f.ws.PargenPath), control == "E_Ser_TO"   ? "Ser_TO"
                                                        : control == "E_Pro_ID" ? "DN_ID"
                                                                                : "?")),
                 text);
    } else {
        QCOMPARE(f.rec->texts("error"), QStringList{message});
        QVERIFY(dlg.isVisible());
        QCOMPARE(edit->text(), text); // the user's entry stays
        QVERIFY(!FileExists(f.ws.PargenPath));
    }
}

void PargenTest::errorPairCheckedOnlyWhenEnabled() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    Tick(dlg.CB_En_Err); // the pair can be typed into only while it is used
    QVERIFY(dlg.CB_En_Err->isChecked());
    Type(dlg.E_Num_Con_Err, "0");
    Type(dlg.E_Val_Canc_Data, "999");
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("error"),
             QStringList{"Error!! Number Continuos Error must be between 1 and 250. "});
    Type(dlg.E_Num_Con_Err, "250");
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("error").last(),
             QString("Error!! Value to set to cancel data must be between 0 and 255. "));
    Type(dlg.E_Val_Canc_Data, "0xFF");
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(Element(ReadText(f.ws.PargenPath), "DN_Val_Canc_Data"), std::string("0xFF"));
    QCOMPARE(Element(ReadText(f.ws.PargenPath), "DN_Enable_Error"), std::string("1"));

    // Unchecked: the pair is not held to its ranges, only to the byte the
    // image keeps each in.
    f.rec->clear();
    dlg.show();
    QVERIFY(dlg.CB_En_Err->isChecked()); // reloaded from the file
    Type(dlg.E_Num_Con_Err, "0");
    Type(dlg.E_Val_Canc_Data, "999");
    Tick(dlg.CB_En_Err);
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(dlg.isVisible());
    QCOMPARE(f.rec->texts("error"),
             QStringList{"Error!! Value to set to cancel data must be between 0 and 255, also while "
                         "the Modbus error check is off. "});
    // The boxes are off with the check: it is ticked again to mend the value.
    f.rec->clear();
    Tick(dlg.CB_En_Err);
    Type(dlg.E_Val_Canc_Data, "255");
    Tick(dlg.CB_En_Err);
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(f.rec->entries.isEmpty());
    const std::string xml = ReadText(f.ws.PargenPath);
    QCOMPARE(Element(xml, "DN_Enable_Error"), std::string("0"));
    QCOMPARE(Element(xml, "DN_Num_Cont_Err"), std::string("0"));
    QCOMPARE(Element(xml, "DN_Val_Canc_Data"), std::string("255"));
}

void PargenTest::choicesWrittenAsCodes() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    dlg.CB_Ser_Baud->setCurrentIndex(3);
    dlg.CB_Ser_Par->setCurrentIndex(2);
    dlg.CB_Pro_Baud->setCurrentIndex(0);
    Tick(dlg.RB_Ser_232);
    Tick(dlg.RB_Ser_JBUS);
    Tick(dlg.RB_W_Cyclic);
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    std::string xml = ReadText(f.ws.PargenPath);
    QCOMPARE(Element(xml, "Ser_Baud"), std::string("3"));
    QCOMPARE(Element(xml, "Ser_Par"), std::string("2"));
    QCOMPARE(Element(xml, "Ser_Type"), std::string("0"));
    QCOMPARE(Element(xml, "Ser_Prot"), std::string("2"));
    QCOMPARE(Element(xml, "Ser_Write_Mode"), std::string("1"));
    QCOMPARE(Element(xml, "DN_Baud"), std::string("0"));

    dlg.show();
    Tick(dlg.RB_Ser_ASC);
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(Element(ReadText(f.ws.PargenPath), "Ser_Prot"), std::string("4"));
    dlg.show();
    QVERIFY(dlg.RB_Ser_ASC->isChecked());
    QVERIFY(dlg.RB_Ser_232->isChecked());
    QCOMPARE(dlg.CB_Ser_Baud->currentText(), QString("9600"));
}

void PargenTest::cancelWritesNothingAndShowReloads() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    // Without a file, cancelled edits give way to the defaults.
    dlg.show();
    Type(dlg.E_Ser_TO, "777");
    f.rec->confirmAnswers = {true, true};
    QTest::mouseClick(dlg.bitbtn2, Qt::LeftButton);
    QCOMPARE(f.rec->texts("risky"), QStringList{"Discard changes?"});
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(!FileExists(f.ws.PargenPath));
    dlg.show();
    QCOMPARE(dlg.E_Ser_TO->text(), QString("1000"));
    Type(dlg.E_Ser_TO, "500");
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    const std::string saved = ReadText(f.ws.PargenPath);
    dlg.show();
    Type(dlg.E_Ser_TO, "777");
    QTest::mouseClick(dlg.bitbtn2, Qt::LeftButton);
    QCOMPARE(ReadText(f.ws.PargenPath), saved);
    dlg.show();
    QCOMPARE(dlg.E_Ser_TO->text(), QString("500"));
}

void PargenTest::loadErrorReportedAndDialogStillOpens() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    std::string xml = kDefaultsXml;
    xml.replace(xml.find("<Ser_Baud>7</Ser_Baud>"), 22, "");
    WriteText(f.ws.PargenPath, xml);
    dlg.show();
    QVERIFY(dlg.isVisible());
    QCOMPARE(f.rec->texts("error").size(), 1);
    QVERIFY(f.rec->texts("error")[0].contains("Ser_Baud"));
    // Nothing was read: the initial values stay.
    QCOMPARE(dlg.E_Ser_TO->text(), QString("1"));
    QCOMPARE(dlg.E_PRo_IN->text(), QString("20"));

    // A text that is not a number in DN_Baud loads as 500K, without a report.
    f.rec->clear();
    xml = kDefaultsXml;
    xml.replace(xml.find("<DN_Baud>2</DN_Baud>"), 20, "<DN_Baud>fast</DN_Baud>");
    WriteText(f.ws.PargenPath, xml);
    dlg.hide();
    dlg.CB_Pro_Baud->setCurrentIndex(0);
    dlg.show();
    QVERIFY(f.rec->entries.isEmpty());
    QCOMPARE(dlg.CB_Pro_Baud->currentText(), QString("500K"));
}

void PargenTest::failedSaveKeepsDialogOpen() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    WriteText(f.ws.PargenPath, kDefaultsXml);
    dlg.show();
    Type(dlg.E_Ser_TO, "20");
    SetWriteFaultHook([](size_t, size_t) { return false; });
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    SetWriteFaultHook(nullptr);
    QVERIFY(dlg.isVisible());
    QCOMPARE(f.rec->texts("error").size(), 1);
    QCOMPARE(ReadText(f.ws.PargenPath), std::string(kDefaultsXml));
}

// pargen.xml linked to a file outside the project: OK writes the linked file
// and keeps the link.
void PargenTest::symlinkedFileWrittenThroughLinkKept() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    const std::string outside = f.exe / "outside.xml";
    WriteText(outside, kDefaultsXml);
    QVERIFY(::symlink(outside.c_str(), f.ws.PargenPath.c_str()) == 0);
    dlg.show();
    QCOMPARE(dlg.E_Ser_TO->text(), QString("1000")); // read through the link
    Type(dlg.E_Ser_TO, "20");
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(f.rec->texts("error").isEmpty());
    struct stat st {};
    QVERIFY(::lstat(f.ws.PargenPath.c_str(), &st) == 0);
    QVERIFY(S_ISLNK(st.st_mode));
    QCOMPARE(Element(ReadText(outside), "Ser_TO"), std::string("20"));
}

// Ser_Baud 9 and DN_Baud -1 are shown as stored, marked; OK refuses them,
// naming the field, until the user picks a value of the list.
void PargenTest::storedCodeOutsideListShownNeverReplaced() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    std::string xml = kDefaultsXml;
    xml.replace(xml.find("<Ser_Baud>7<"), 12, "<Ser_Baud>9<");
    xml.replace(xml.find("<DN_Baud>2<"), 11, "<DN_Baud>-1<");
    WriteText(f.ws.PargenPath, xml);
    dlg.show();
    QVERIFY(f.rec->entries.isEmpty());
    QCOMPARE(dlg.CB_Ser_Baud->currentText(), QString("9 (stored value, not in the list)"));
    QCOMPARE(dlg.CB_Pro_Baud->currentText(), QString("-1 (stored value, not in the list)"));
    QCOMPARE(dlg.CB_Ser_Par->currentText(), QString("NONE"));

    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("error"),
             QStringList{"Error!! Baudrate: the stored value 9 is not in the list; choose one. "});
    QVERIFY(dlg.isVisible());
    dlg.CB_Ser_Baud->setCurrentIndex(3);
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("error").last(),
             QString("Error!! Baud rate: the stored value -1 is not in the list; choose one. "));
    QCOMPARE(ReadText(f.ws.PargenPath), xml);
    dlg.CB_Pro_Baud->setCurrentIndex(1);
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(Element(ReadText(f.ws.PargenPath), "Ser_Baud"), std::string("3"));
    QCOMPARE(Element(ReadText(f.ws.PargenPath), "DN_Baud"), std::string("1"));

    // The next showing of a sound file has the lists' own items only.
    dlg.show();
    QCOMPARE(dlg.CB_Ser_Baud->count(), 8);
    QCOMPARE(dlg.CB_Pro_Baud->count(), 3);
    QCOMPARE(dlg.CB_Pro_Baud->currentText(), QString("250K"));

    // A load that stops before Parity leaves it unchosen: OK names it.
    f.rec->clear();
    WriteText(f.ws.PargenPath, "<Par_Gen><Ser_Baud>1</Ser_Baud></Par_Gen>");
    TFpargen fresh(f.ws);
    fresh.setPrompt(f.rec);
    fresh.show();
    QCOMPARE(f.rec->texts("error").size(), 1);
    QCOMPARE(fresh.CB_Ser_Par->currentIndex(), -1);
    QTest::mouseClick(fresh.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("error").last(), QString("Error!! Choose a value for Parity. "));
}

void PargenTest::fieldsTellUnitRangeAndUse() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    struct Field {
        QLineEdit* edit;
        const char* unit;
        const char* range;
    } fields[] = {{dlg.E_Ser_TO, "ms", "0 to 10000 ms"},
                  {dlg.E_Ser_CD, "ms", "0 to 1000 ms"},
                  {dlg.E_Pro_ID, nullptr, "0 to 63"},
                  {dlg.E_PRo_IN, "bytes", "0 to 455 bytes"},
                  {dlg.E_PRo_Out, "bytes", "0 to 455 bytes"}};
    for (const Field& fl : fields) {
        QVERIFY2(fl.edit->toolTip().startsWith(fl.range), qPrintable(fl.edit->toolTip()));
        QLabel* unit = nullptr;
        for (QLabel* l : fl.edit->parentWidget()->findChildren<QLabel*>())
            if (l->geometry().left() > fl.edit->geometry().right() &&
                l->geometry().top() == fl.edit->geometry().top())
                unit = l;
        QCOMPARE(unit ? unit->text() : QString(), QString(fl.unit ? fl.unit : ""));
        if (unit) QVERIFY(!unit->buddy());
    }

    // Keystrokes the integer rule cannot take are refused; out of range is marked.
    const std::tuple<QLineEdit*, QString, QString, bool> typed[] = {
        {dlg.E_PRo_Out, "-1", "1", false},
        {dlg.E_Ser_TO, "1O0", "10", false},
        {dlg.E_Ser_TO, "10001", "10001", true},
        {dlg.E_Ser_TO, "10000", "10000", false},
        {dlg.E_Pro_ID, "0x3F", "0x3F", false},
        {dlg.E_Pro_ID, "0x40", "0x40", true},
        {dlg.E_Pro_ID, "", "", true}};
    for (const auto& [edit, keys, shown, marked] : typed) {
        Type(edit, keys);
        QCOMPARE(edit->text(), shown);
        QCOMPARE(EntryMarked(edit), marked);
        QCOMPARE(edit->palette().color(QPalette::Base) != dlg.palette().color(QPalette::Base),
                 marked);
    }

    // The pair is used only with the Modbus error check; unused, the boxes and
    // their labels say so and still tell the range, before and after a use.
    const QString unused = "Not used while \"Enable check Modbus Error\" is off. ";
    const std::pair<QWidget*, QString> pair[] = {{dlg.E_Num_Con_Err, "1 to 250"},
                                                 {dlg.Label10, "1 to 250"},
                                                 {dlg.E_Val_Canc_Data, "0 to 255"},
                                                 {dlg.Label11, "0 to 255"}};
    for (int round = 0; round < 2; ++round) {
        QVERIFY(!dlg.CB_En_Err->isChecked());
        for (const auto& [w, range] : pair) {
            QVERIFY(!w->isEnabled());
            QVERIFY2(w->toolTip().startsWith(unused + range), qPrintable(w->toolTip()));
            QCOMPARE(w->accessibleDescription(), w->toolTip());
        }
        Tick(dlg.CB_En_Err);
        QVERIFY(dlg.E_Num_Con_Err->isEnabled() && dlg.E_Val_Canc_Data->isEnabled());
        QVERIFY(dlg.E_Num_Con_Err->toolTip().startsWith("1 to 250"));
        QVERIFY(dlg.E_Val_Canc_Data->toolTip().startsWith("0 to 255"));
        if (round == 0) Tick(dlg.CB_En_Err);
    }
    Type(dlg.E_Val_Canc_Data, "0x");
    QVERIFY(EntryMarked(dlg.E_Val_Canc_Data));
    Type(dlg.E_Val_Canc_Data, "0xff");
    QVERIFY(!EntryMarked(dlg.E_Val_Canc_Data));
}

void PargenTest::failingFieldGetsFocus() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    Type(dlg.E_PRo_Out, "456");
    dlg.E_Ser_TO->setFocus();
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QCOMPARE(f.rec->texts("error"),
             QStringList{"Error!! DeviceNet N Byte OUT must be between 0 and 455. "});
    QVERIFY(dlg.E_PRo_Out->hasFocus());
}

void PargenTest::partlyReadFileReplacedOnlyOnYes() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    std::string xml = kDefaultsXml;
    xml.replace(xml.find("<Ser_Type>1</Ser_Type>"), 22, "");
    WriteText(f.ws.PargenPath, xml);
    dlg.show();
    QCOMPARE(f.rec->texts("error").size(), 1);
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton); // no answer: No
    QCOMPARE(f.rec->texts("risky").size(), 1);
    QVERIFY(dlg.isVisible());
    QCOMPARE(ReadText(f.ws.PargenPath), xml);
    f.rec->confirmAnswers = {true};
    QTest::mouseClick(dlg.bitbtn1, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(Element(ReadText(f.ws.PargenPath), "Ser_TO"), std::string("1000"));
}

void PargenTest::returnInEditBoxPressesOk() {
    EditorFixture f;
    TFpargen dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    dlg.bitbtn2->setFocus();
    dlg.E_Ser_TO->setFocus();
    Type(dlg.E_Ser_TO, "300");
    QTest::keyClick(dlg.E_Ser_TO, Qt::Key_Return);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(Element(ReadText(f.ws.PargenPath), "Ser_TO"), std::string("300"));
}

QTEST_MAIN(PargenTest)
#include "CommunicationWindow_guitest.moc"
