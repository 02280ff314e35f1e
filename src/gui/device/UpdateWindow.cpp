#include "gui/device/UpdateWindow.h"

#include "core/project/Workspace.h"
#include "core/device/SerialPort.h"
#include "core/device/DeviceUpdate.h"
#include "core/project/FileSystem.h"

#include "gui/widgets/Controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {
QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* text, QRect geo) {
    auto* c = Named(new QCheckBox(text, parent), name, geo);
    c->setChecked(true);
    return c;
}

// Swallows user input to every window while the updater runs.
class InputBlocker : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::ContextMenu:
            return true;
        default:
            return false;
        }
    }
};
} // namespace

TFBootSer::TFBootSer(Workspace& ws, QWidget* parent, Build build)
    : FormBase(ws, parent), Comm1(new TComm) {
    setObjectName("FBootSer");
    setWindowTitle("Update Firmware from Serial (RS232)");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedClientSize(420, 250);
    buildIfNow(build);
}

void TFBootSer::buildControls() {
    Label1 = NewControl<QLabel>(
        this, "Label1", "Follow these steps to update the RG52830 from RS232:", {16, 12, 390, 18});
    Label1->setStyleSheet("font-weight: bold;");
    Label2 = NewControl<QLabel>(this, "Label2", "1 - Turn OFF the Device", {24, 40, 380, 18});
    Label3 = NewControl<QLabel>(this, "Label3", "2 - Insert the Boot Jumper (see the manual)",
                                {24, 62, 380, 18});
    Label4 = NewControl<QLabel>(
        this, "Label4", "3 - Select the  COM port and press the connect button", {24, 84, 380, 18});
    Label5 = NewControl<QLabel>(this, "Label5", "4 - Turn ON the Device", {24, 106, 380, 18});
    Label6 = NewControl<QLabel>(this, "Label6", "5 - Check the BOOT led. It must blink quickly",
                                {24, 128, 380, 18});

    CB_Port = new QComboBox(this);
    CB_Port->setObjectName("CB_Port");
    CB_Port->setEditable(false);
    CB_Port->setGeometry(24, 164, 150, 26);
    Label4->setBuddy(CB_Port);
    btn_Connect = NewControl<QPushButton>(this, "btn_Connect", "Connect", {186, 164, 100, 27});
    btn_Next = NewControl<QPushButton>(this, "btn_Next", "Next", {298, 164, 100, 27});
    bitbtn2 = NewControl<QPushButton>(this, "bitbtn2", "Cancel", {298, 210, 100, 27});
    refreshPorts();

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 0, 420, 250);
    Panel1->setAutoFillBackground(true);
    Label7 = NewControl<QLabel>(Panel1, "Label7", "Update Device Options", {16, 12, 390, 22});
    Label7->setStyleSheet("font-weight: bold; font-size: 14px;");
    CB_Firmware = MakeCheck(Panel1, "CB_Firmware", "Firmware", {32, 48, 300, 22});
    CB_ReadFirmware =
        MakeCheck(Panel1, "CB_ReadFirmware", "Read Firmware when finish", {32, 76, 300, 22});
    CB_Project = MakeCheck(Panel1, "CB_Project", "Project", {32, 104, 300, 22});
    CB_ReadProject =
        MakeCheck(Panel1, "CB_ReadProject", "Read Project when finish", {32, 132, 300, 22});
    btn_Execute = NewControl<QPushButton>(Panel1, "btn_Execute", "Execute update firmware",
                                          {110, 182, 200, 32});
    Panel1->hide();

    connect(btn_Connect, &QPushButton::clicked, this,
            [this] { run([this] { btn_ConnectClick(); }); });
    connect(btn_Next, &QPushButton::clicked, this, [this] { run([this] { btn_NextClick(); }); });
    connect(bitbtn2, &QPushButton::clicked, this, [this] { reject(); });
    connect(btn_Execute, &QPushButton::clicked, this,
            [this] { run([this] { btn_ExecuteClick(); }); });
}

TFBootSer::~TFBootSer() = default;

void TFBootSer::refreshPorts() {
    // USB adapters come and go; the chosen port stays chosen while present.
    QString chosen = CB_Port->currentText();
    CB_Port->clear();
    for (const std::string& p : SerialPortNames())
        CB_Port->addItem(QString::fromStdString(p));
    int at = chosen.isEmpty() ? 0 : CB_Port->findText(chosen);
    CB_Port->setCurrentIndex(at < 0 ? 0 : at);
}

void TFBootSer::showEvent(QShowEvent* e) {
    FormBase::showEvent(e);
    FormShow();
}

void TFBootSer::FormShow() {
    Panel1->hide();
    PortChecked = false;
    for (QLabel* l : {Label1, Label2, Label3, Label4, Label5, Label6})
        l->show();
    refreshPorts();
}

void TFBootSer::closePort() {
    try {
        Comm1->Close();
    } catch (...) {
    }
}

void TFBootSer::hideEvent(QHideEvent* e) {
    closePort();
    FormBase::hideEvent(e);
}

void TFBootSer::closeEvent(QCloseEvent* e) {
    // The dialog stays until the updater run is over.
    if (waiting_) {
        e->ignore();
        return;
    }
    FormBase::closeEvent(e);
}

void TFBootSer::keyPressEvent(QKeyEvent* e) {
    if (waiting_) return;
    FormBase::keyPressEvent(e);
}

void TFBootSer::btn_ConnectClick() {
    PortChecked = false;
    closePort();
    try {
        Comm1->SetDeviceName(CB_Port->currentText().toStdString());
        Comm1->Open();
        Comm1->SetDtr(true);
        PortChecked = true;
    } catch (const std::exception&) {
        prompt().error("Error!! Com Port cannot be open.");
    }
}

void TFBootSer::btn_NextClick() {
    if (!PortChecked) {
        prompt().error("Select one port.");
        return;
    }
    Panel1->show();
    Panel1->raise();
    for (QLabel* l : {Label1, Label2, Label3, Label4, Label5, Label6})
        l->hide();
    // The updater needs the port.
    closePort();
}

void TFBootSer::btn_ExecuteClick() {
    UpdateSteps steps;
    steps.firmware = CB_Firmware->isChecked();
    steps.readFirmware = CB_ReadFirmware->isChecked();
    steps.project = CB_Project->isChecked();
    steps.readProject = CB_ReadProject->isChecked();
    const std::string params = UpdaterParameters(CB_Port->currentText().toStdString(), steps,
                                                 ws().MasterFolder, ws().ProjectFolder);
    const std::string program = UpdaterPath(ws().ExeFolder);
    RunResult r = RunAndWait(program, params, false);
    if (r.outcome == RunResult::StartFailed)
        prompt().error(
            QString::fromStdString("Error!! The update program " + program +
                                   " cannot be started: " + SystemErrorText(r.startError) + ". "));
}

RunResult TFBootSer::RunAndWait(const std::string& program, const std::string& parameters,
                                bool hidden) {
    InputBlocker blocker;
    qApp->installEventFilter(&blocker);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    waiting_ = true;
    RunOptions options;
    options.timeLimit = UpdaterTimeLimit;
    // Repaints and timers go on; input is swallowed by the blocker.
    options.onPoll = [] { QApplication::processEvents(QEventLoop::AllEvents, 5); };
    try {
        LastRun = ::RunAndWait(program, parameters, hidden, options);
    } catch (...) {
        waiting_ = false;
        QApplication::restoreOverrideCursor();
        qApp->removeEventFilter(&blocker);
        throw;
    }
    waiting_ = false;
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(&blocker);
    return LastRun;
}
