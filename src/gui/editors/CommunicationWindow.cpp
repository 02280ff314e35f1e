#include "gui/editors/CommunicationWindow.h"
#include "gui/widgets/PlainText.h"

#include "core/model/Project.h"
#include "core/project/Errors.h"
#include "core/project/Workspace.h"

#include "gui/widgets/Controls.h"
#include "gui/widgets/FieldHints.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

QComboBox* MakeList(QWidget* parent, const char* name, const std::vector<std::string>& items) {
    auto* box = Named(new QComboBox(parent), name);
    box->setEditable(false);
    for (const auto& i : items)
        box->addItem(QString::fromStdString(i));
    return box;
}

QString Q(const std::string& s) {
    return FileText(s);
}
std::string S(const QLineEdit* e) {
    return e->text().toStdString();
}

static_assert(NoChoiceCode == NoListChoice, "a list with no choice reads as no choice");

const QString kUnusedPair = "Not used while \"Enable check Modbus Error\" is off.";
} // namespace

TFpargen::TFpargen(Workspace& ws, QWidget* parent, Build build)
    : EditorWindow(ws, parent, {"Fpargen", "SET COMMUNICATION", {251, 651}, Fixed, ToolFrame},
                   &Workspace::PargenPath) {
    buildIfNow(build);
}

void TFpargen::buildControls() {
    // uw: a box with its unit label after it.
    const int lx = 8, fx = 104, fw = 123, uw = 83, lw = 94, rh = 22;
    auto label = [](QWidget* parent, const char* name, const char* text, QRect geo,
                    QWidget* buddy) {
        auto* l = Named(new QLabel(text, parent), name, geo);
        l->setBuddy(buddy);
        return l;
    };

    GroupBox1 = Named(new QGroupBox(" Serial ", this), "GroupBox1", {4, 2, 243, 343});
    GroupBox2 = Named(new QGroupBox(GroupBox1), "GroupBox2", {8, 18, 227, 32});
    RB_Ser_232 = Named(new QRadioButton("RS232", GroupBox2), "RB_Ser_232", {10, 6, 90, 20});
    RB_Ser_485 = Named(new QRadioButton("RS485", GroupBox2), "RB_Ser_485", {120, 6, 90, 20});
    CB_Ser_Baud = MakeList(GroupBox1, "CB_Ser_Baud", SerBaudItems);
    CB_Ser_Par = MakeList(GroupBox1, "CB_Ser_Par", SerParItems);
    E_Ser_TO = Named(new QLineEdit(GroupBox1), "E_Ser_TO");
    E_Ser_CD = Named(new QLineEdit(GroupBox1), "E_Ser_CD");

    GroupBox3 = Named(new QGroupBox(" Protocol ", GroupBox1), "GroupBox3", {8, 160, 227, 117});
    RB_Ser_MRTU =
        Named(new QRadioButton("Modbus RTU", GroupBox3), "RB_Ser_MRTU", {10, 20, 200, 19});
    RB_Ser_MASC =
        Named(new QRadioButton("Modbus ASCII", GroupBox3), "RB_Ser_MASC", {10, 39, 200, 19});
    RB_Ser_JBUS = Named(new QRadioButton("JBUS", GroupBox3), "RB_Ser_JBUS", {10, 58, 200, 19});
    RB_Ser_BIN = Named(new QRadioButton("Binary", GroupBox3), "RB_Ser_BIN", {10, 77, 200, 19});
    RB_Ser_ASC = Named(new QRadioButton("ASCII", GroupBox3), "RB_Ser_ASC", {10, 96, 200, 19});

    GroupBox4 = Named(new QGroupBox(" Write ", GroupBox1), "GroupBox4", {8, 280, 227, 58});
    RB_W_Change = Named(new QRadioButton("Write on Change Data", GroupBox4), "RB_W_Change",
                        {10, 18, 210, 19});
    RB_W_Cyclic =
        Named(new QRadioButton("Cyclic Write", GroupBox4), "RB_W_Cyclic", {10, 37, 210, 19});

    GroupBox5 = Named(new QGroupBox(" DeviceNet ", this), "GroupBox5", {4, 349, 243, 258});
    E_Pro_ID = Named(new QLineEdit(GroupBox5), "E_Pro_ID");
    CB_Pro_Baud = MakeList(GroupBox5, "CB_Pro_Baud", DnBaudItems);
    E_PRo_IN = Named(new QLineEdit(GroupBox5), "E_PRo_IN");
    E_PRo_Out = Named(new QLineEdit(GroupBox5), "E_PRo_Out");

    // The rows of the Serial and DeviceNet groups: the box `w` wide at the
    // right, its label at the left.
    const struct {
        QLabel*& label;
        const char* name;
        const char* text;
        QWidget* box;
        int y, w;
    } rows[] = {{Label1, "Label1", "Baudrate", CB_Ser_Baud, 56, fw},
                {Label2, "Label2", "Parity", CB_Ser_Par, 82, fw},
                {Label3, "Label3", "TimeOut", E_Ser_TO, 108, uw},
                {Label4, "Label4", "Cyclic Delay", E_Ser_CD, 134, uw},
                {Label5, "Label5", "ID Dev.", E_Pro_ID, 20, fw},
                {Label6, "Label6", "Baud rate", CB_Pro_Baud, 46, fw},
                {Label7, "Label7", "N Byte IN", E_PRo_IN, 72, uw},
                {Label8, "Label8", "N Byte OUT", E_PRo_Out, 98, uw}};
    for (const auto& r : rows) {
        r.box->setGeometry(fx, r.y, r.w, rh);
        r.label = label(r.box->parentWidget(), r.name, r.text, {lx, r.y, lw, rh}, r.box);
    }

    GroupBox6 = Named(new QGroupBox(" Error/Diagnosis Modbus ", GroupBox5), "GroupBox6",
                      {8, 126, 227, 126});
    CB_En_Err =
        Named(new QCheckBox("Enable check Modbus Error", GroupBox6), "CB_En_Err", {8, 20, 214, 20});
    Label9 = Named(new QLabel("with cancellation of data", GroupBox6), "Label9", {26, 40, 196, 16});
    E_Num_Con_Err = Named(new QLineEdit(GroupBox6), "E_Num_Con_Err", {8, 60, 44, rh});
    Label10 =
        label(GroupBox6, "Label10", "Number Continuos Error", {56, 60, 168, rh}, E_Num_Con_Err);
    E_Val_Canc_Data = Named(new QLineEdit(GroupBox6), "E_Val_Canc_Data", {8, 92, 44, rh});
    Label11 = label(GroupBox6, "Label11", "Value to set to data bytes", {56, 92, 168, rh},
                    E_Val_Canc_Data);

    // The ranges of the checks on OK, told before OK and marked while typing.
    SetNumericRange(E_Ser_TO, 0, 10000, "ms", "LabelUnitSerTO");
    SetNumericRange(E_Ser_CD, 0, 1000, "ms", "LabelUnitSerCD");
    SetNumericRange(E_Pro_ID, 0, 63);
    SetNumericRange(E_PRo_IN, 0, 455, "bytes", "LabelUnitPRoIN");
    SetNumericRange(E_PRo_Out, 0, 455, "bytes", "LabelUnitPRoOut");
    SetNumericRange(E_Num_Con_Err, 1, 250);
    SetNumericRange(E_Val_Canc_Data, 0, 255);
    auto usePair = [this] {
        for (QWidget* w : {static_cast<QWidget*>(E_Num_Con_Err), static_cast<QWidget*>(Label10),
                           static_cast<QWidget*>(E_Val_Canc_Data), static_cast<QWidget*>(Label11)})
            SetUsed(w, CB_En_Err->isChecked(), kUnusedPair);
    };
    connect(CB_En_Err, &QCheckBox::toggled, this, usePair);
    usePair();

    bitbtn1 = Named(new QPushButton("OK", this), "bitbtn1", {38, 616, 81, 27});
    bitbtn2 = Named(new QPushButton("Cancel", this), "bitbtn2", {132, 616, 81, 27});
    setButtons(bitbtn1, bitbtn2);
}

// The values a load that fails early leaves in place.
void TFpargen::clearControls() {
    CB_Ser_Baud->setCurrentIndex(7);
    CB_Ser_Par->setCurrentIndex(-1);
    E_Ser_TO->setText("1");
    E_Ser_CD->setText("1");
    RB_Ser_485->setChecked(true);
    RB_Ser_MRTU->setChecked(true);
    RB_W_Change->setChecked(true);
    E_Pro_ID->setText("20");
    CB_Pro_Baud->setCurrentIndex(0);
    E_PRo_IN->setText("20");
    E_PRo_Out->setText("20");
    CB_En_Err->setChecked(false);
    E_Num_Con_Err->setText("1");
    E_Val_Canc_Data->setText("0x00");
}

void TFpargen::loadControls() {
    Project& project = ws().project();
    project.reloadParams();
    const ParamsPart& part = project.params();
    if (!part.report.present()) return toControls(CommParams{});
    part.report.requireReadable();
    CommParams p = fromControls();
    try {
        ReadCommParams(part, p);
    } catch (...) {
        toControls(p);
        throw;
    }
    toControls(p);
}

std::optional<EditorWindow::Failure> TFpargen::firstFailure() {
    const auto failures = LocatedCommFailures(fromControls());
    if (failures.empty()) return std::nullopt;
    QWidget* const boxes[] = {CB_Ser_Baud, CB_Ser_Par, CB_Pro_Baud, E_Ser_TO,      E_Ser_CD,
                              E_Pro_ID,    E_PRo_IN,   E_PRo_Out,   E_Num_Con_Err, E_Val_Canc_Data};
    const CommFailure& f = failures.front();
    return FailAt(f.message, boxes[static_cast<int>(f.field)]);
}

void TFpargen::save() {
    ws().project().saveParams(fromControls());
}

CommParams TFpargen::fromControls() const {
    CommParams p;
    p.SerBaud = ShownCode(CB_Ser_Baud);
    p.SerPar = ShownCode(CB_Ser_Par);
    p.SerTO = S(E_Ser_TO);
    p.SerCD = S(E_Ser_CD);
    p.SerType = RB_Ser_485->isChecked() ? 1 : 0;
    p.SerProt = RB_Ser_MRTU->isChecked()   ? 0
                : RB_Ser_MASC->isChecked() ? 1
                : RB_Ser_JBUS->isChecked() ? 2
                : RB_Ser_BIN->isChecked()  ? 3
                                           : 4;
    p.SerWriteMode = RB_W_Cyclic->isChecked() ? 1 : 0;
    p.DnId = S(E_Pro_ID);
    p.DnBaud = ShownCode(CB_Pro_Baud);
    p.DnNbIn = S(E_PRo_IN);
    p.DnNbOut = S(E_PRo_Out);
    p.DnEnableError = CB_En_Err->isChecked();
    p.DnNumContErr = S(E_Num_Con_Err);
    p.DnValCancData = S(E_Val_Canc_Data);
    return p;
}

void TFpargen::toControls(const CommParams& p) {
    ShowChoice(CB_Ser_Baud, p.SerBaud);
    ShowChoice(CB_Ser_Par, p.SerPar);
    E_Ser_TO->setText(Q(p.SerTO));
    E_Ser_CD->setText(Q(p.SerCD));
    (p.SerType == 1 ? RB_Ser_485 : RB_Ser_232)->setChecked(true);
    QRadioButton* prot[] = {RB_Ser_MRTU, RB_Ser_MASC, RB_Ser_JBUS, RB_Ser_BIN, RB_Ser_ASC};
    prot[p.SerProt >= 0 && p.SerProt <= 3 ? p.SerProt : 4]->setChecked(true);
    (p.SerWriteMode != 0 ? RB_W_Cyclic : RB_W_Change)->setChecked(true);
    E_Pro_ID->setText(Q(p.DnId));
    ShowChoice(CB_Pro_Baud, p.DnBaud);
    E_PRo_IN->setText(Q(p.DnNbIn));
    E_PRo_Out->setText(Q(p.DnNbOut));
    CB_En_Err->setChecked(p.DnEnableError);
    E_Num_Con_Err->setText(Q(p.DnNumContErr));
    E_Val_Canc_Data->setText(Q(p.DnValCancData));
}
