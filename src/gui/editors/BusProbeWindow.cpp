#include "gui/editors/BusProbeWindow.h"
#include "gui/widgets/PlainText.h"

#include "core/model/Project.h"
#include "core/project/Errors.h"

#include "core/editors/CommParams.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/Workspace.h"
#include "gui/editors/BusScanWindow.h"
#include "gui/widgets/Controls.h"
#include "gui/widgets/StringGrid.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {
enum Col {
    ColRow,
    ColSlave,
    ColType,
    ColAddress,
    ColPoints,
    ColMnemonic,
    ColOutcome,
    ColValues,
    ColTime
};

// Background of the outcome cell by the outcome its text starts with.
class OutcomeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static QColor colourOf(const QString& text) {
        if (text.startsWith("answered")) return QColor(0xC8, 0xF0, 0xC8);
        if (text.startsWith("exception")) return QColor(0xFF, 0xE0, 0x99);
        if (text.startsWith("no answer")) return QColor(0xD8, 0xD8, 0xD8);
        if (text.startsWith("bad frame")) return QColor(0xFF, 0xB0, 0xB0);
        if (text.startsWith("port error")) return QColor(0xE0, 0x70, 0x70);
        if (text.startsWith("not tested")) return QColor(0xE8, 0xE8, 0xFF);
        return {};
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        QColor c = colourOf(index.data(Qt::DisplayRole).toString());
        if (c.isValid()) option->backgroundBrush = c;
    }
};

QString Q(const std::string& s) {
    return FileText(s);
}

QLabel* BuddyLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy) {
    auto* l = NewControl<QLabel>(parent, name, text);
    l->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove('&').remove(':'));
    return l;
}
} // namespace

TFBusProbe::TFBusProbe(Workspace& ws, QWidget* parent, Build build)
    : FormBase(ws, parent, {"FBusProbe", "Test on bus", {1220, 560}, Resizable, MaximizableFrame}) {
    buildIfNow(build);
}

TFBusProbe::~TFBusProbe() {
    if (probe_) probe_->Stop();
    joinWorker();
}

TFBusProbe* TFBusProbe::openFor(Workspace& ws, QWidget* parent, const AccessMap& map) {
    auto* w = new TFBusProbe(ws, parent);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->run([&] { w->setAccessMap(map); });
    w->show();
    return w;
}

void TFBusProbe::buildControls() {
    CB_Port = Named(new QComboBox(this), "CB_Port");
    CB_Port->setEditable(true); // any other device path may be typed
    CB_Port->setMinimumWidth(160);
    for (const std::string& p : ProbePortNames())
        CB_Port->addItem(Q(p));
    Label_Port = BuddyLabel(this, "Label_Port", "&Port:", CB_Port);
    CB_DataBits = Named(new QComboBox(this), "CB_DataBits");
    CB_DataBits->addItems({"7", "8"});
    Label_DataBits = BuddyLabel(this, "Label_DataBits", "&Data bits:", CB_DataBits);
    CB_StopBits = Named(new QComboBox(this), "CB_StopBits");
    CB_StopBits->addItems({"1", "2"});
    Label_StopBits = BuddyLabel(this, "Label_StopBits", "St&op bits:", CB_StopBits);
    RB_Once = NewControl<QRadioButton>(this, "RB_Once", "once");
    RB_Repeat = NewControl<QRadioButton>(this, "RB_Repeat", "repeat");
    RB_Once->setChecked(true);
    btn_Start = NewPlainButton(this, "btn_Start", "Start");
    btn_Stop = NewPlainButton(this, "btn_Stop", "Stop");
    btn_Stop->setEnabled(false);

    Label_Line = NewControl<QLabel>(this, "Label_Line");
    sg_Results = Named(new StringGrid(this), "sg_Results");
    sg_Results->setColCount(9);
    sg_Results->setRowCount(1);
    static const char* headers[] = {"Row",      "Slave ID", "Type",   "Address Register", "NPoint",
                                    "Mnemonic", "Outcome",  "Values", "Time ms"};
    static const int widths[] = {70, 60, 110, 110, 55, 120, 330, 250, 65};
    for (int c = 0; c <= ColTime; ++c) {
        sg_Results->setCell(c, 0, headers[c]);
        sg_Results->setColWidth(c, widths[c]);
    }
    sg_Results->setEditable(false);
    // The grid's model columns start after the fixed column.
    sg_Results->setItemDelegateForColumn(ColOutcome - 1, new OutcomeDelegate(sg_Results));
    Label_Results = BuddyLabel(this, "Label_Results", "&Results:", sg_Results);
    Label_Summary = NewControl<QLabel>(this, "Label_Summary");
    Label_Summary->setAccessibleName("Summary");

    E_WriteValues = Named(new QLineEdit(this), "E_WriteValues");
    Label_Values = BuddyLabel(this, "Label_Values", "&Values to write:", E_WriteValues);
    btn_Write = NewPlainButton(this, "btn_Write", "Write row…");
    btn_Export = NewPlainButton(this, "btn_Export", "Export…");
    btn_Close = NewPlainButton(this, "btn_Close", "Close");
    cbShowAs = Named(new QComboBox(this), "cbShowAs");
    cbShowAs->addItem("hex, decimal, signed");
    for (ValueForm f : ValueForms())
        cbShowAs->addItem(Q(ValueFormName(f)));
    cbShowAs->setToolTip("32-bit forms read a pair of registers: abcd is big-endian (the Modbus "
                         "order), cdab swaps the words, badc the bytes in each word, dcba both");
    Label_ShowAs = BuddyLabel(this, "Label_ShowAs", "Show &as:", cbShowAs);
    btn_Scan = NewPlainButton(this, "btn_Scan", "Scan…");
    for (QPushButton* b : {btn_Start, btn_Stop, btn_Write, btn_Export, btn_Close, btn_Scan})
        b->setAccessibleName(b->text().remove(QChar(0x2026)));
    RB_Once->setAccessibleName("once");
    RB_Repeat->setAccessibleName("repeat");

    auto* top = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{Label_Port, CB_Port, Label_DataBits,
                                                      CB_DataBits, Label_StopBits, CB_StopBits,
                                                      RB_Once, RB_Repeat, btn_Start, btn_Stop})
        top->addWidget(w);
    top->addStretch();
    top->addWidget(btn_Scan);
    auto* line = new QHBoxLayout;
    line->addWidget(Label_Line, 1);
    line->addWidget(Label_ShowAs);
    line->addWidget(cbShowAs);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label_Values);
    bottom->addWidget(E_WriteValues, 1);
    bottom->addWidget(btn_Write);
    bottom->addSpacing(24);
    bottom->addWidget(btn_Export);
    bottom->addWidget(btn_Close);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(line);
    main->addWidget(Label_Results);
    main->addWidget(sg_Results, 1);
    main->addWidget(Label_Summary);
    main->addLayout(bottom);

    connect(this, &TFBusProbe::rowDone, this, &TFBusProbe::showResult, Qt::QueuedConnection);
    connect(this, &TFBusProbe::runEnded, this, &TFBusProbe::onRunEnded, Qt::QueuedConnection);
    connect(btn_Start, &QPushButton::clicked, this, [this] { run([this] { btn_StartClick(); }); });
    connect(btn_Stop, &QPushButton::clicked, this, [this] { btn_StopClick(); });
    connect(btn_Write, &QPushButton::clicked, this, [this] { run([this] { btn_WriteClick(); }); });
    connect(btn_Export, &QPushButton::clicked, this,
            [this] { run([this] { btn_ExportClick(); }); });
    connect(btn_Close, &QPushButton::clicked, this, [this] { close(); });
    connect(btn_Scan, &QPushButton::clicked, this, [this] { run([this] { btn_ScanClick(); }); });
    connect(cbShowAs, &QComboBox::currentIndexChanged, this, [this] {
        for (size_t i = 0; i < plan_.Rows.size(); ++i)
            showValues(i);
    });
}

std::optional<ValueForm> TFBusProbe::showAs() const {
    const auto forms = ValueForms();
    const int i = cbShowAs->currentIndex() - 1;
    if (i < 0 || static_cast<size_t>(i) >= forms.size()) return std::nullopt;
    return forms[static_cast<size_t>(i)];
}

void TFBusProbe::showValues(size_t i) {
    if (i >= plan_.Rows.size() || i >= lastValues_.size()) return;
    const ProbeRow& row = plan_.Rows[i];
    const bool regs = row.Request.Function == 3 || row.Request.Function == 4;
    sg_Results->setCellText(ColValues, static_cast<int>(i) + 1,
                            ValuesText(lastValues_[i], regs, showAs()));
}

void TFBusProbe::loadProject() {
    if (busy_) return; // the worker reads the rows
    Project& project = ws().project();
    project.reloadParams();
    project.reloadAccess();
    plan_ = ProbePlanOf(project);
    planLoaded_ = true;
    fillGrid();
}

void TFBusProbe::setAccessMap(const AccessMap& map) {
    if (busy_) return;
    Project& project = ws().project();
    project.reloadParams();
    const ParamsPart& part = project.params();
    part.report.requireWhole();
    plan_.Settings = ProbeSettingsFrom(CommParamsOf(part));
    plan_.Rows = ProbeRows(map);
    planLoaded_ = true;
    fillGrid();
}

void TFBusProbe::fillGrid() {
    const ProbeSettings& s = plan_.Settings;
    CB_DataBits->setCurrentText(QString::number(s.DataBits));
    CB_StopBits->setCurrentText(QString::number(s.StopBits));
    static const char* parities[] = {"NONE", "ODD", "EVEN", "MARK", "SPACE"};
    Label_Line->setText(QString("%1, %2 baud, parity %3, time-out %4 ms, cyclic delay %5 ms%6")
                            .arg(Q(ProtocolName(s.Protocol)))
                            .arg(s.Baud)
                            .arg(parities[static_cast<int>(s.Parity)])
                            .arg(s.TimeoutMs)
                            .arg(s.CyclicDelayMs)
                            .arg(ProtocolTestable(s.Protocol)
                                     ? QString()
                                     : QString(": not Modbus, cannot be tested")));
    results_.assign(plan_.Rows.size(), std::nullopt);
    lastValues_.assign(plan_.Rows.size(), {});
    GridUpdate u(sg_Results);
    sg_Results->setRowCount(static_cast<int>(plan_.Rows.size()) + 1);
    for (size_t i = 0; i < plan_.Rows.size(); ++i) {
        const ProbeRow& row = plan_.Rows[i];
        const int r = static_cast<int>(i) + 1;
        sg_Results->setCell(
            ColRow, r,
            QString(row.Table == AccessTable::Read ? "read %1" : "write %1").arg(row.Number));
        sg_Results->setCellText(ColSlave, r, row.Cells.SlaveId);
        sg_Results->setCellText(ColType, r, row.Cells.Type);
        sg_Results->setCellText(ColAddress, r, row.Cells.AddressMod);
        sg_Results->setCellText(ColPoints, r, row.Cells.NPoint);
        sg_Results->setCellText(ColMnemonic, r, row.Cells.Mnemonic);
        for (int c : {ColOutcome, ColValues, ColTime})
            sg_Results->setCell(c, r, {});
    }
    Label_Summary->setText(summaryText());
}

QString TFBusProbe::summaryText() const {
    ProbeTally t;
    for (const auto& r : results_)
        if (r) t.Add(r->Outcome);
    return t.Total() ? Q(t.Text()) : QString("Not run yet");
}

void TFBusProbe::showResult(int index, const ProbeResult& r) {
    if (index < 0 || static_cast<size_t>(index) >= plan_.Rows.size()) return;
    const size_t i = static_cast<size_t>(index);
    results_[i] = r;
    // While repeating a row keeps its last answer's values.
    if (r.Outcome == ProbeOutcome::Answered) lastValues_[i] = r.Values;
    const int gridRow = index + 1;
    sg_Results->setCellText(ColOutcome, gridRow, OutcomeText(r, plan_.Settings.Protocol));
    showValues(i);
    sg_Results->setCell(
        ColTime, gridRow,
        r.Outcome == ProbeOutcome::NotTested ? QString() : QString::number(r.Milliseconds, 'f', 1));
    Label_Summary->setText(summaryText());
}

void TFBusProbe::setBusy(bool busy) {
    busy_ = busy;
    btn_Start->setEnabled(!busy);
    btn_Stop->setEnabled(busy);
    btn_Write->setEnabled(!busy);
    for (QWidget* w : std::initializer_list<QWidget*>{CB_Port, CB_DataBits, CB_StopBits, RB_Once,
                                                      RB_Repeat, btn_Scan})
        w->setEnabled(!busy);
}

bool TFBusProbe::openProbe() {
    if (!ProtocolTestable(plan_.Settings.Protocol)) {
        prompt().error(QString("The project's protocol is %1, which is not Modbus: the probe "
                               "cannot test it.")
                           .arg(Q(ProtocolName(plan_.Settings.Protocol))));
        return false;
    }
    ProbeSettings s = plan_.Settings;
    s.DataBits = CB_DataBits->currentText().toInt();
    s.StopBits = CB_StopBits->currentText().toInt();
    if (!OpenOnPort(probe_, s, CB_Port, prompt())) return false;
    return true;
}

void TFBusProbe::btn_StartClick() {
    if (busy_) return;
    if (!planLoaded_) loadProject();
    if (plan_.Rows.empty()) {
        prompt().error("The access map has no rows.");
        return;
    }
    joinWorker();
    if (!openProbe()) return;
    fillGrid();
    setBusy(true);
    const int passes = RB_Once->isChecked() ? 1 : 0;
    worker_ = std::thread([this, passes] {
        probe_->Run(plan_.Rows, passes, [this](size_t i, const ProbeResult& r) {
            emit rowDone(static_cast<int>(i), r);
        });
        emit runEnded({});
    });
}

void TFBusProbe::btn_StopClick() {
    if (probe_) probe_->Stop();
    btn_Stop->setEnabled(false);
}

void TFBusProbe::onRunEnded(const QString& error) {
    joinWorker();
    if (probe_) probe_->Close();
    setBusy(false);
    for (const auto& r : results_)
        if (r && r->Outcome == ProbeOutcome::PortError) {
            prompt().error("The port failed and the test stopped: " + Q(r->Detail) + ".");
            break;
        }
    if (!error.isEmpty()) prompt().error(error);
}

void TFBusProbe::joinWorker() {
    if (worker_.joinable()) worker_.join();
}

void TFBusProbe::btn_WriteClick() {
    if (busy_) return;
    const int index = sg_Results->currentRow() - 1;
    if (index < 0 || static_cast<size_t>(index) >= plan_.Rows.size() ||
        plan_.Rows[static_cast<size_t>(index)].Table != AccessTable::Write) {
        prompt().error("Select a row of the write table.");
        return;
    }
    const ProbeRow& row = plan_.Rows[static_cast<size_t>(index)];
    if (!row.Problem.empty()) {
        prompt().error(Q("This row cannot be written: " + row.Problem + "."));
        return;
    }
    const bool coils = row.Request.Function == 1;
    std::vector<uint16_t> values;
    QStringList shown;
    for (const QString& t :
         E_WriteValues->text().split(QRegularExpression("[\\s,;]+"), Qt::SkipEmptyParts)) {
        auto v = TryParseInteger(t.toStdString());
        if (!v || *v < (coils ? 0 : -32768) || *v > (coils ? 1 : 65535)) {
            prompt().error(QString("'%1' is not a value for %2.")
                               .arg(t, coils ? "a coil (0 or 1)" : "a register (-32768 to 65535)"));
            return;
        }
        values.push_back(static_cast<uint16_t>(*v));
        shown << QString::number(*v);
    }
    if (static_cast<int>(values.size()) != row.Request.Count) {
        prompt().error(
            QString("Give %1 values, one for each point of the row.").arg(row.Request.Count));
        return;
    }
    if (!prompt().confirm("Write to the slave",
                          QString("Write %1 to slave %2, %3 at address %4?\n\nA write can move a "
                                  "machine on a live plant.")
                              .arg(shown.join(", "), Q(row.Cells.SlaveId), Q(row.Cells.Type),
                                   Q(row.Cells.AddressMod))))
        return;
    joinWorker();
    if (!openProbe()) return;
    setBusy(true);
    worker_ = std::thread([this, index, values] {
        ProbeResult r = probe_->Write(plan_.Rows[static_cast<size_t>(index)], values);
        emit rowDone(index, r);
        emit runEnded({});
    });
}

void TFBusProbe::btn_ExportClick() {
    auto path =
        prompt().saveFile("Export results", Q(ws().ProjectFolder), "CSV file (*.csv)|*.csv", "csv");
    if (!path) return;
    WriteFileAtomic(path->toStdString(),
                    ProbeResultsCsv(plan_.Rows, results_, plan_.Settings.Protocol, showAs()));
}

void TFBusProbe::btn_ScanClick() {
    if (busy_) return;
    if (!planLoaded_) loadProject();
    auto* scan =
        new TFBusScan(ws(), this, CB_Port->currentText().trimmed(), plan_.Settings.Protocol);
    scan->setAttribute(Qt::WA_DeleteOnClose);
    connect(scan, &TFBusScan::lineApplied, this, [this] { run([this] { reloadLine(); }); });
    scan->open();
}

void TFBusProbe::reloadLine() {
    if (busy_) return;
    CommParams params;
    LoadCommParams(ws().PargenPath, params);
    const ProbeSettings s = ProbeSettingsFrom(params);
    plan_.Settings.Baud = s.Baud;
    plan_.Settings.Parity = s.Parity;
    const std::vector<std::optional<ProbeResult>> results = results_;
    fillGrid();
    for (size_t i = 0; i < results.size(); ++i)
        if (results[i]) showResult(static_cast<int>(i), *results[i]);
}

void TFBusProbe::FormShow() {
    if (!planLoaded_) run([this] { loadProject(); });
}

void TFBusProbe::closeEvent(QCloseEvent* e) {
    // The worker ends within one time-out.
    if (probe_) probe_->Stop();
    joinWorker();
    if (probe_) probe_->Close();
    setBusy(false);
    FormBase::closeEvent(e);
}

void TFBusProbe::reject() {
    if (probe_) probe_->Stop();
    joinWorker();
    FormBase::reject();
}
