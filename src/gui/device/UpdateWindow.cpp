#include "gui/device/UpdateWindow.h"

#include "core/device/ConfigImage.h"
#include "core/device/DeviceUpdate.h"
#include "core/device/SerialPort.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"

#include "gui/widgets/Controls.h"
#include "gui/widgets/PlainText.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <vector>

namespace {
QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* text, QRect geo) {
    auto* c = Named(new QCheckBox(text, parent), name, geo);
    c->setChecked(true);
    return c;
}

// A page laid over the whole dialog, shown for its step.
QWidget* MakePage(QWidget* dialog, const char* name) {
    auto* page = Named(new QWidget(dialog), name, {0, 0, 420, 250});
    page->setAutoFillBackground(true);
    return page;
}

// For an updater run: every control of every other window and of the dialog
// but `keep` is disabled, so no mouse, key, shortcut or accessibility action
// reaches them; the other windows themselves take no keys and do not close.
// A window cannot simply be disabled: its child dialogs would go with it.
// Everything is enabled again when the lock ends, however the run ended.
class RunLock : public QObject {
public:
    RunLock(QWidget* dialog, QWidget* keep) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top == dialog) continue;
            top->installEventFilter(this);
            windows_.emplace_back(top);
            disableChildren(top, nullptr);
        }
        disableChildren(dialog, keep);
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    ~RunLock() override {
        QApplication::restoreOverrideCursor();
        for (auto& w : disabled_)
            if (w) w->setEnabled(true);
        for (auto& w : windows_)
            if (w) w->removeEventFilter(this);
    }
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
        case QEvent::Close:
            e->ignore();
            return true;
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

private:
    void disableChildren(QWidget* window, QWidget* keep) {
        for (QObject* o : window->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (!w || w == keep || w->isWindow() || !w->isEnabled()) continue;
            w->setEnabled(false);
            disabled_.emplace_back(w);
        }
    }
    std::vector<QPointer<QWidget>> disabled_;
    std::vector<QPointer<QWidget>> windows_;
};

QString Clock(qint64 ms) {
    const qint64 s = ms / 1000;
    return QString("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QChar('0'));
}
} // namespace

TFBootSer::TFBootSer(Workspace& ws, QWidget* parent, Build build)
    : FormBase(
          ws, parent,
          {"FBootSer", "Update Firmware from Serial (RS232)", {420, 250}, Fixed, TitleCloseFrame}),
      Comm1(new TComm) {
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

    CB_Port = Named(new QComboBox(this), "CB_Port", {24, 164, 150, 26});
    CB_Port->setEditable(false);
    Label4->setBuddy(CB_Port);
    btn_Connect = NewControl<QPushButton>(this, "btn_Connect", "Connect", {186, 164, 100, 27});
    btn_Next = NewControl<QPushButton>(this, "btn_Next", "Next", {298, 164, 100, 27});
    bitbtn2 = NewControl<QPushButton>(this, "bitbtn2", "Cancel", {298, 210, 100, 27});
    refreshPorts();

    Panel1 = MakePage(this, "Panel1");
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

    PanelRun = MakePage(this, "PanelRun");
    LabelRun = NewControl<QLabel>(PanelRun, "LabelRun", "", {16, 8, 390, 20});
    LabelRun->setStyleSheet("font-weight: bold;");
    LabelRun->setTextFormat(Qt::PlainText);
    LabelElapsed = NewControl<QLabel>(PanelRun, "LabelElapsed", "", {16, 30, 390, 18});
    ProgressRun = Named(new QProgressBar(PanelRun), "ProgressRun", {16, 52, 388, 14});
    ProgressRun->setTextVisible(false);
    LabelElapsed->setBuddy(ProgressRun);
    MemoRun = Named(new QPlainTextEdit(PanelRun), "MemoRun", {16, 72, 388, 130});
    MemoRun->setReadOnly(true);
    MemoRun->setAccessibleName("Updater output");
    btn_RunCancel =
        NewControl<QPushButton>(PanelRun, "btn_RunCancel", "Cancel", {304, 212, 100, 27});
    PanelRun->hide();

    connect(btn_RunCancel, &QPushButton::clicked, this, [this] {
        // After the run it is OK, back to the options; during it, see RunAndWait.
        if (!waiting_) PanelRun->hide();
    });
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
    // Each entry shows its device; its data is the port as passed on.
    QString chosen = CB_Port->count() ? chosenPort() : QString();
    CB_Port->clear();
    for (const std::string& p : SerialPortNames(DevFolder))
        CB_Port->addItem(QString::fromStdString(SerialPortLabel(p, SysfsRoot)),
                         QString::fromStdString(p));
    int at = chosen.isEmpty() ? 0 : CB_Port->findData(chosen);
    CB_Port->setCurrentIndex(at < 0 ? 0 : at);
}

QString TFBootSer::chosenPort() const {
    QVariant port = CB_Port->currentData();
    return port.isValid() ? port.toString() : CB_Port->currentText();
}

void TFBootSer::FormShow() {
    Panel1->hide();
    PanelRun->hide();
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
    const std::string port = chosenPort().toStdString();
    bool opening = true;
    try {
        Comm1->SetDeviceName(port);
        Comm1->Open();
        opening = false;
        Comm1->SetDtr(true);
        PortChecked = true;
    } catch (const ECommError& e) {
        closePort();
        prompt().error("Error!! Com Port cannot be open.",
                       QString::fromStdString(
                           PortFailureReason(TCustomComm::DevicePath(port), e.ErrorCode, opening)));
    } catch (const std::exception& e) {
        closePort();
        prompt().error("Error!! Com Port cannot be open.", QString::fromUtf8(e.what()));
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
    // One run at a time, whatever path the click came by.
    if (waiting_) return;
    UpdateSteps steps;
    steps.firmware = CB_Firmware->isChecked();
    steps.readFirmware = CB_ReadFirmware->isChecked();
    steps.project = CB_Project->isChecked();
    steps.readProject = CB_ReadProject->isChecked();
    const std::string port = chosenPort().toStdString();
    const std::string params =
        UpdaterParameters(port, steps, ws().MasterFolder, ws().ProjectFolder);
    const std::string program = UpdaterPath(ws().ExeFolder);
    UpdateRunRecord record;
    record.when = QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss").toStdString();
    record.port = CB_Port->currentText().toStdString();
    record.steps = steps;
    if (steps.project) {
        record.file = BankPath(ws().ProjectFolder);
        record.digest = DigestFile(record.file);
    }
    RunResult r = RunAndWait(program, params, false);
    record.millis = r.elapsed.count();
    record.ending = RunEnding(r, UpdaterTimeLimit);
    if (r.outcome != RunResult::StartFailed) {
        LabelRun->setText(QString::fromStdString("Update: " + record.ending));
        // The summary starts on the line after the output's last line end.
        QString shown = MemoRun->toPlainText();
        if (shown.endsWith('\n')) {
            shown.chop(1);
            MemoRun->setPlainText(shown);
        }
        MemoRun->appendPlainText("----");
        for (const std::string& line : UpdateSummary(record))
            MemoRun->appendPlainText(QString::fromStdString(line));
        btn_RunCancel->setText("OK");
    }
    // A run that could not start is logged too; a log that cannot be
    // written is said where the run's result is.
    try {
        if (!ws().ProjectFolder.empty()) AppendUpdateLog(ws().ProjectFolder, UpdateLogLine(record));
    } catch (const std::exception& e) {
        MemoRun->appendPlainText(QString::fromUtf8(e.what()));
    }
    if (r.outcome == RunResult::StartFailed)
        prompt().error(FileText("Error!! The update program " + program +
                                " cannot be started: " + SystemErrorText(r.startError) + ". "));
}

void TFBootSer::showElapsed(qint64 ms) {
    const qint64 limit = UpdaterTimeLimit.count();
    LabelElapsed->setText(QString("Elapsed %1 of %2 (time limit)").arg(Clock(ms), Clock(limit)));
    ProgressRun->setValue(static_cast<int>(std::min(ms, limit)));
}

RunResult TFBootSer::RunAndWait(const std::string& program, const std::string& parameters,
                                bool /*hidden*/) {
    RunResult result;
    ChildProcess proc;
    QElapsedTimer clock;
    clock.start();
    if (int err = proc.start(program, SplitParameters(parameters))) {
        result.startError = err;
        LastRun = result;
        return result;
    }
    result.pid = proc.pid();

    LabelRun->setText("Updating the device: do not turn it off.");
    ProgressRun->setRange(0, static_cast<int>(UpdaterTimeLimit.count()));
    MemoRun->clear();
    btn_RunCancel->setText("Cancel");
    showElapsed(0);
    PanelRun->show();
    PanelRun->raise();

    RunLock lock(this, PanelRun);
    waiting_ = true;
    bool cancelled = false;
    qint64 killAt = -1;
    QEventLoop loop;
    QTimer tick;
    auto poll = [&] {
        const bool ended = proc.poll();
        const std::string out = proc.takeOutput();
        if (!out.empty()) {
            MemoRun->moveCursor(QTextCursor::End);
            MemoRun->insertPlainText(QString::fromLocal8Bit(out.data(), qsizetype(out.size())));
            MemoRun->moveCursor(QTextCursor::End);
        }
        const qint64 ms = clock.elapsed();
        showElapsed(ms);
        if (ended) {
            result.outcome = cancelled ? RunResult::Cancelled : RunResult::Ended;
            result.exitCode = proc.exitCode();
            result.termSignal = proc.termSignal();
        } else if (cancelled) {
            // Asked to end; one that does not is killed after a grace time.
            if (killAt >= 0 && ms >= killAt) {
                proc.kill();
                killAt = -1;
            }
            return;
        } else if (ms >= UpdaterTimeLimit.count()) {
            result.outcome = RunResult::TimedOut;
            proc.abandon();
        } else {
            return;
        }
        tick.stop();
        loop.quit();
    };
    connect(&tick, &QTimer::timeout, &loop, poll);
    auto cancel = connect(btn_RunCancel, &QPushButton::clicked, &loop, [&] {
        if (cancelled || !proc.running()) return;
        if (!prompt().confirm("Cancel update",
                              "Stop the updater now? The device may be left without a "
                              "working configuration until it is updated again."))
            return;
        if (!proc.running()) return;
        cancelled = true;
        LabelRun->setText("Stopping the updater...");
        btn_RunCancel->setEnabled(false);
        proc.terminate();
        killAt = clock.elapsed() + 2000;
    });
    tick.start(50);
    loop.exec();
    disconnect(cancel);
    waiting_ = false;
    btn_RunCancel->setEnabled(true);
    result.elapsed = std::chrono::milliseconds(clock.elapsed());
    LastRun = result;
    return result;
}
