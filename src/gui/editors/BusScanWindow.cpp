#include "gui/editors/BusScanWindow.h"

#include "core/model/Project.h"

#include "core/editors/CommParams.h"
#include "core/project/Workspace.h"
#include "gui/widgets/Controls.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QLabel* BuddyLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy) {
    auto* l = NewControl<QLabel>(parent, name, text);
    l->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove('&').remove(':'));
    return l;
}

const TParity kParities[] = {TParity::paNone, TParity::paEven, TParity::paOdd};
} // namespace

TFBusScan::TFBusScan(Workspace& ws, QWidget* parent, const QString& port, int protocol)
    : FormBase(ws, parent, {"FBusScan", "Scan the bus", {640, 520}, Resizable, SizableFrame}),
      port_(port), protocol_(protocol) {
    buildIfNow(Build::Now);
}

TFBusScan::~TFBusScan() {
    stopAndJoin();
}

void TFBusScan::buildControls() {
    CB_Port = Named(new QComboBox(this), "CB_Port");
    CB_Port->setEditable(true);
    CB_Port->setMinimumWidth(160);
    for (const std::string& p : ProbePortNames())
        CB_Port->addItem(Q(p));
    CB_Port->setCurrentText(port_);
    Label_Port = BuddyLabel(this, "Label_Port", "&Port:", CB_Port);
    E_Ids = Named(new QLineEdit("1-247", this), "E_Ids");
    Label_Ids = BuddyLabel(this, "Label_Ids", "Slave &IDs:", E_Ids);
    SE_Timeout = Named(new QSpinBox(this), "SE_Timeout");
    SE_Timeout->setRange(1, 10000);
    SE_Timeout->setValue(100);
    SE_Timeout->setSuffix(" ms");
    Label_Timeout = BuddyLabel(this, "Label_Timeout", "&Time-out:", SE_Timeout);
    Label_Protocol = NewControl<QLabel>(this, "Label_Protocol",
                                        Q(ProtocolName(protocol_)) +
                                            (protocol_ == 1 ? ", 7 data bits" : ", 8 data bits") +
                                            ", 1 stop bit");

    GB_Bauds = Named(new QGroupBox("Baud rates", this), "GB_Bauds");
    auto* bauds = new QGridLayout(GB_Bauds);
    for (size_t i = 0; i < SerBaudItems.size(); ++i) {
        auto* c =
            NewControl<QCheckBox>(GB_Bauds, Q("CB_Baud" + SerBaudItems[i]), Q(SerBaudItems[i]));
        c->setChecked(true);
        c->setAccessibleName(Q(SerBaudItems[i] + " baud"));
        bauds->addWidget(c, static_cast<int>(i / 4), static_cast<int>(i % 4));
        CB_Bauds.push_back(c);
    }
    GB_Parities = Named(new QGroupBox("Parities", this), "GB_Parities");
    auto* parities = new QHBoxLayout(GB_Parities);
    for (const char* name : {"none", "even", "odd"}) {
        auto* c = NewControl<QCheckBox>(GB_Parities, QString("CB_Par_%1").arg(name), name);
        c->setChecked(true);
        c->setAccessibleName(QString("parity %1").arg(name));
        parities->addWidget(c);
        CB_Parities.push_back(c);
    }
    CB_All = NewControl<QCheckBox>(this, "CB_All", "Go on after the first setting that answers");
    CB_All->setAccessibleName(CB_All->text());

    btn_Start = NewPlainButton(this, "btn_ScanStart", "Start");
    btn_Stop = NewPlainButton(this, "btn_ScanStop", "Stop");
    btn_Stop->setEnabled(false);
    PB_Scan = Named(new QProgressBar(this), "PB_Scan");
    PB_Scan->setAccessibleName("Progress");
    PB_Scan->setRange(0, 1);
    PB_Scan->setValue(0);
    PB_Scan->setTextVisible(true);
    PB_Scan->setFormat("Not run yet");
    LB_Found = Named(new QListWidget(this), "LB_Found");
    Label_Found = BuddyLabel(this, "Label_Found", "&Found slaves:", LB_Found);
    Label_Summary = NewControl<QLabel>(this, "Label_Summary");
    Label_Summary->setAccessibleName("Summary");
    btn_Use = NewPlainButton(this, "btn_UseSettings", "Use these settings");
    btn_Use->setEnabled(false);
    btn_Close = NewPlainButton(this, "btn_Close", "Close");
    for (QPushButton* b : {btn_Start, btn_Stop, btn_Use, btn_Close})
        b->setAccessibleName(b->text());

    auto* form = new QGridLayout;
    form->addWidget(Label_Port, 0, 0);
    form->addWidget(CB_Port, 0, 1);
    form->addWidget(Label_Ids, 0, 2);
    form->addWidget(E_Ids, 0, 3);
    form->addWidget(Label_Timeout, 1, 0);
    form->addWidget(SE_Timeout, 1, 1);
    form->addWidget(Label_Protocol, 1, 2, 1, 2);
    auto* runRow = new QHBoxLayout;
    runRow->addWidget(CB_All);
    runRow->addStretch();
    runRow->addWidget(btn_Start);
    runRow->addWidget(btn_Stop);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label_Summary, 1);
    bottom->addWidget(btn_Use);
    bottom->addWidget(btn_Close);
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(GB_Bauds);
    main->addWidget(GB_Parities);
    main->addLayout(runRow);
    main->addWidget(PB_Scan);
    main->addWidget(Label_Found);
    main->addWidget(LB_Found, 1);
    main->addLayout(bottom);

    connect(
        this, &TFBusScan::progressed, this,
        [this](const QString& text, int step, int steps) {
            PB_Scan->setRange(0, std::max(steps, 1));
            PB_Scan->setValue(step);
            PB_Scan->setFormat(text);
        },
        Qt::QueuedConnection);
    connect(this, &TFBusScan::slaveFound, this, &TFBusScan::onFound, Qt::QueuedConnection);
    connect(this, &TFBusScan::scanEnded, this, &TFBusScan::onEnded, Qt::QueuedConnection);
    connect(btn_Start, &QPushButton::clicked, this, [this] { run([this] { btn_StartClick(); }); });
    connect(btn_Stop, &QPushButton::clicked, this, [this] { btn_StopClick(); });
    connect(btn_Use, &QPushButton::clicked, this, [this] { run([this] { btn_UseClick(); }); });
    connect(btn_Close, &QPushButton::clicked, this, [this] { close(); });
}

void TFBusScan::setBusy(bool busy) {
    busy_ = busy;
    btn_Start->setEnabled(!busy);
    btn_Stop->setEnabled(busy);
    btn_Use->setEnabled(!busy && !found_.empty());
    for (QWidget* w :
         std::initializer_list<QWidget*>{CB_Port, E_Ids, SE_Timeout, GB_Bauds, GB_Parities, CB_All})
        w->setEnabled(!busy);
}

void TFBusScan::btn_StartClick() {
    if (busy_) return;
    if (!ProtocolTestable(protocol_)) {
        prompt().error(QString("The project's protocol is %1, which is not Modbus: the bus "
                               "cannot be scanned.")
                           .arg(Q(ProtocolName(protocol_))));
        return;
    }
    ScanOptions o;
    o.Protocol = protocol_;
    o.Ids = ParseIdRange(E_Ids->text().remove(' ').toStdString());
    if (o.Ids.empty()) {
        prompt().error("Give slave IDs from 1 to 247, e.g. 1-247 or 1-10,20.");
        return;
    }
    // The common rates first, as the command line scans them.
    for (int baud : DefaultScanBauds())
        for (size_t i = 0; i < SerBaudItems.size(); ++i)
            if (CB_Bauds[i]->isChecked() && SerBaudItems[i] == std::to_string(baud))
                o.Bauds.push_back(baud);
    o.Parities.clear();
    for (size_t i = 0; i < CB_Parities.size(); ++i)
        if (CB_Parities[i]->isChecked()) o.Parities.push_back(kParities[i]);
    if (o.Bauds.empty() || o.Parities.empty()) {
        prompt().error("Choose at least one baud rate and one parity.");
        return;
    }
    o.TimeoutMs = SE_Timeout->value();
    o.All = CB_All->isChecked();
    stopAndJoin();
    if (!OpenOnPort(scan_, o, CB_Port, prompt())) return;
    found_.clear();
    LB_Found->clear();
    Label_Summary->clear();
    setBusy(true);
    worker_ = std::thread([this] {
        ScanSummary sum = scan_->Run(
            [this](const ScanProgress& p) {
                emit progressed(Q(LineText(p.Line) + ": slave " + std::to_string(p.Slave) +
                                  (p.Function == 1 ? " (coil)" : "")),
                                static_cast<int>(p.Step), static_cast<int>(p.Steps));
            },
            [this](const ScanFound& f) {
                {
                    std::lock_guard lock(foundMutex_);
                    pending_.push_back(f);
                }
                emit slaveFound();
            });
        QString error;
        if (!sum.PortError.empty())
            error = "The port failed and the scan stopped: " + Q(sum.PortError) + ".";
        QString text = Q(sum.Text());
        if (sum.Stopped) text += " (stopped)";
        for (const std::string& s : sum.Skipped)
            text += Q("; " + s + " skipped: the port cannot take it");
        emit scanEnded(text, error);
    });
}

void TFBusScan::onFound() {
    std::vector<ScanFound> now;
    {
        std::lock_guard lock(foundMutex_);
        now.swap(pending_);
    }
    for (const ScanFound& f : now) {
        found_.push_back(f);
        LB_Found->addItem(Q(FoundText(f)));
    }
    if (LB_Found->currentRow() < 0 && LB_Found->count()) LB_Found->setCurrentRow(0);
}

void TFBusScan::onEnded(const QString& summary, const QString& error) {
    if (worker_.joinable()) worker_.join();
    onFound();
    scan_.reset();
    setBusy(false);
    PB_Scan->setValue(PB_Scan->maximum());
    PB_Scan->setFormat("Done");
    Label_Summary->setText(summary);
    if (!error.isEmpty()) prompt().error(error);
}

void TFBusScan::btn_StopClick() {
    if (scan_) scan_->Stop();
    btn_Stop->setEnabled(false);
}

void TFBusScan::btn_UseClick() {
    if (busy_ || found_.empty()) return;
    const int row = std::max(LB_Found->currentRow(), 0);
    const ScanFound& f = found_[static_cast<size_t>(std::min<int>(row, found_.size() - 1))];
    CommParams now;
    LoadCommParams(ws().PargenPath, now);
    auto item = [](const std::vector<std::string>& items, int code) {
        return code >= 0 && static_cast<size_t>(code) < items.size()
                   ? Q(items[static_cast<size_t>(code)])
                   : QString("(none)");
    };
    const int baud = SerBaudCode(f.Line.Baud), parity = SerParCode(f.Line.Parity);
    if (!prompt().confirm(
            "Use these settings",
            QString("Change the communication parameters from %1 baud, parity %2 to %3 baud, "
                    "parity %4 (found at slave %5)?")
                .arg(item(SerBaudItems, now.SerBaud), item(SerParItems, now.SerPar),
                     item(SerBaudItems, baud), item(SerParItems, parity))
                .arg(f.Slave)))
        return;
    ApplyLineSettings(ws().project(), baud, parity);
    emit lineApplied();
}

void TFBusScan::stopAndJoin() {
    if (scan_) scan_->Stop();
    if (worker_.joinable()) worker_.join();
}

void TFBusScan::closeEvent(QCloseEvent* e) {
    // The worker ends within one time-out.
    stopAndJoin();
    setBusy(false);
    FormBase::closeEvent(e);
}

void TFBusScan::reject() {
    stopAndJoin();
    FormBase::reject();
}
