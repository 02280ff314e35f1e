#include "gui/editors/AccessMapWindow.h"
#include "gui/editors/BusProbeWindow.h"

#include "core/editors/ProjectCheck.h"
#include "core/editors/TableCsv.h"
#include "core/model/Project.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/editors/ByteMapWindow.h"
#include "gui/widgets/FindingsList.h"
#include "gui/widgets/StringGrid.h"

#include "gui/widgets/Controls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
enum Col { ColNo, ColSlave, ColType, ColAddress, ColNPoint, ColSwap, ColDeviceNet, ColMnemonic };

const char* const Headers[] = {"N°",   "Slave ID",          "Type",    "Address Register", "NPoint",
                               "SWAP", "Address DeviceNet", "Mnemonic"};

int ColumnOf(const std::string& header) {
    for (int c = ColSlave; c <= ColMnemonic; ++c)
        if (header == Headers[c]) return c;
    return ColSlave;
}

void SetupGrid(StringGrid* g, const std::vector<std::string>& typeItems) {
    const char* const* headers = Headers;
    static const int widths[] = {64, 64, 100, 105, 60, 40, 120, 196};
    g->setColCount(8);
    g->setRowCount(AccessMapRows + 1);
    for (int c = 0; c < 8; ++c) {
        g->setCell(c, 0, QString::fromUtf8(headers[c]));
        g->setColWidth(c, widths[c]);
    }
    QStringList items;
    for (const auto& i : typeItems)
        items << QString::fromStdString(i);
    g->setColumnKind(ColType, StringGrid::Kind::Pick, items);
    g->setColumnKind(ColSwap, StringGrid::Kind::Check);
}

AccessRow RowOf(const StringGrid* g, int r) {
    return {g->cellText(ColSlave, r),   g->cellText(ColType, r), g->cellText(ColAddress, r),
            g->cellText(ColNPoint, r),  g->cellText(ColSwap, r), g->cellText(ColDeviceNet, r),
            g->cellText(ColMnemonic, r)};
}

void PutRow(StringGrid* g, int r, const AccessRow& row) {
    g->setCellText(ColSlave, r, row.SlaveId);
    g->setCellText(ColType, r, row.Type);
    g->setCellText(ColAddress, r, row.AddressMod);
    g->setCellText(ColNPoint, r, row.NPoint);
    g->setCellText(ColSwap, r, row.Swap);
    g->setCellText(ColDeviceNet, r, row.AddressDeviceNet);
    g->setCellText(ColMnemonic, r, row.Mnemonic);
}
} // namespace

TFSetVar::TFSetVar(Workspace& ws, QWidget* parent, Build build)
    : EditorWindow(ws, parent, {"FSetVar", "Set Access", {787, 538}, Resizable, MaximizableFrame},
                   &Workspace::SdoPath) {
    buildIfNow(build);
}

void TFSetVar::buildControls() {
    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    TabSheet1 = Named(new QWidget, "TabSheet1");
    TabSheet2 = Named(new QWidget, "TabSheet2");
    PageControl1->addTab(TabSheet1, "DeviceNet OUT --> Serial Read");
    PageControl1->addTab(TabSheet2, "Serial Write --> DeviceNet IN");

    sga = Named(new StringGrid(TabSheet1), "sga");
    SetupGrid(sga, ReadTypeItems);
    sgb = Named(new StringGrid(TabSheet2), "sgb");
    SetupGrid(sgb, WriteTypeItems);
    NewColumn(TabSheet1, {sga});
    NewColumn(TabSheet2, {sgb});

    Panel1 = NewOkCancelPanel(this, bitbtn1, bitbtn2);
    BtnByteMap = NewPlainButton(Panel1, "BtnByteMap", "Byte map");
    BtnCheck = NewPlainButton(Panel1, "BtnCheck", "Check");
    if (auto* row = qobject_cast<QHBoxLayout*>(Panel1->layout())) {
        // After Cancel, before the stretch.
        row->insertSpacing(3, 16);
        row->insertWidget(4, BtnByteMap);
        row->insertSpacing(5, 16);
        row->insertWidget(6, BtnCheck);
    }
    newFindings();
    btn_Probe = NewPlainButton(Panel1, "btn_Probe", "Test on bus…");
    Panel1->layout()->addWidget(btn_Probe);
    connect(btn_Probe, &QPushButton::clicked, this,
            [this] { TFBusProbe::openFor(ws(), this, fromGrids()); });
    AddCsvButtons(Panel1, btnImportCsv, btnExportCsv);
    NewColumn(this, {PageControl1, LabelFindings, ListFindings, Panel1});

    setButtons(bitbtn1, bitbtn2, btnImportCsv, btnExportCsv);
    for (StringGrid* g : {sga, sgb})
        addTable({g,
                  {ColSlave, ColType, ColAddress, ColNPoint, ColSwap, ColDeviceNet, ColMnemonic},
                  ColSlave,
                  {ColSwap}});
    connect(BtnByteMap, &QPushButton::clicked, this,
            [this] { run([this] { BtnByteMapClick(); }); });
    connect(ListFindings, &FindingsList::findingActivated, this, [this](const Finding& f) {
        selectFinding(f.table == "write" ? AccessTable::Write : AccessTable::Read, f.row, f.column);
    });
}

void TFSetVar::BtnByteMapClick() {
    if (!ByteMap) {
        ByteMap = new TFByteMap(
            [this] {
                return TFByteMap::Source{RunsOf(fromGrids()), {NByteIn, NByteOut}};
            },
            this);
        ByteMap->setWindowFlag(Qt::Window);
        connect(ByteMap, &TFByteMap::rowActivated, this,
                [this](AccessTable t, int row) { selectFinding(t, row, "Slave ID"); });
        connect(this, &QDialog::finished, ByteMap, &QWidget::hide);
        // The map follows the grids as they are typed, saved or not.
        for (StringGrid* g : {sga, sgb})
            connect(g, &StringGrid::cellEdited, ByteMap, [this] {
                if (ByteMap->isVisible()) ByteMap->refresh();
            });
    }
    ByteMap->show();
    ByteMap->raise();
    ByteMap->activateWindow();
}

void TFSetVar::BtnCheckClick() {
    auto findings = CheckAccessMapLayout(fromGrids(), {NByteIn, NByteOut});
    LabelFindings->setText(
        QString("Findings: %1")
            .arg(QString::fromStdString(FindingSummary(CountFindings(findings)))));
    ListFindings->setFindings(std::move(findings));
    LabelFindings->show();
    ListFindings->show();
}

void TFSetVar::selectFinding(AccessTable t, int row, const std::string& column) {
    if (row < 1) return;
    StringGrid* g = grid(t);
    PageControl1->setCurrentIndex(t == AccessTable::Read ? 0 : 1);
    g->selectCell(ColumnOf(column), row);
    g->scrollTo(g->currentIndex());
    g->setFocus();
}

void TFSetVar::clearControls() {
    NByteIn = NByteOut = DefaultDeviceNetBytes;
    // Thousands of cells: the grids hear of the change once, at the end.
    GridUpdate ua(sga), ub(sgb);
    sga->clearData();
    sgb->clearData();
    for (int r = 1; r <= AccessMapRows; ++r) {
        sga->setCell(ColNo, r, QString::number(r));
        sgb->setCell(ColNo, r, QString::number(r));
    }
}

void TFSetVar::loadControls() {
    // An unreadable pargen.xml is reported; the map is still this project's,
    // checked against the default bounds.
    Project& project = ws().project();
    project.reloadParams();
    project.reloadAccess();
    run([&] {
        const ParamsPart& params = project.params();
        params.report.requireReadable();
        const AccessBounds b = BoundsOf(params);
        NByteIn = b.NByteIn;
        NByteOut = b.NByteOut;
    });
    GridUpdate ua(sga), ub(sgb);
    std::string stop;
    toGrids(EditorAccessMap(project.access(), &stop));
    if (!stop.empty()) throw XmlError(stop);
    if (ByteMap && ByteMap->isVisible()) ByteMap->refresh();
}

std::optional<EditorWindow::Failure> TFSetVar::firstFailure() {
    const auto failures = LocatedAccessFailures(fromGrids(), {NByteIn, NByteOut}, 1);
    if (failures.empty()) return std::nullopt;
    const AccessFailure& f = failures.front();
    const int cols[] = {ColSlave, ColType, ColAddress, ColNPoint, ColDeviceNet, ColSwap};
    return FailAt(f.message, grid(f.table), cols[static_cast<int>(f.field)],
                  static_cast<int>(f.row) + 1);
}

void TFSetVar::save() {
    ws().project().saveAccessMap(fromGrids());
}

AccessMap TFSetVar::fromGrids() const {
    AccessMap map;
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        const StringGrid* g = grid(t);
        auto& rows = map.rows(t);
        rows.reserve(AccessMapRows);
        for (int r = 1; r <= AccessMapRows; ++r)
            rows.push_back(RowOf(g, r));
    }
    return map;
}

void TFSetVar::toGrids(const AccessMap& map) {
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        StringGrid* g = grid(t);
        const auto& rows = map.rows(t);
        int n = std::min<int>(static_cast<int>(rows.size()), AccessMapRows);
        for (int r = 0; r < n; ++r)
            PutRow(g, r + 1, rows[static_cast<size_t>(r)]);
    }
}

AccessTable TFSetVar::shownTable() const {
    return PageControl1->currentIndex() == 1 ? AccessTable::Write : AccessTable::Read;
}

bool TFSetVar::importData() {
    const AccessTable t = shownTable();
    const auto path = csvToImport();
    if (!path) return false;
    AccessCsvImport in = ReadAccessTableCsv(*path, t, t == AccessTable::Read ? NByteIn : NByteOut);
    if (!in.ok()) {
        prompt().error(QString::fromStdString(in.message()));
        return false;
    }
    StringGrid* g = grid(t);
    GridUpdate u(g);
    g->clearData();
    for (size_t r = 0; r < in.rows.size(); ++r)
        PutRow(g, static_cast<int>(r) + 1, in.rows[r]);
    return true;
}

void TFSetVar::exportData() {
    if (const auto path = csvToExport())
        WriteFileAtomic(*path, AccessTableCsv(fromGrids().rows(shownTable())));
}
