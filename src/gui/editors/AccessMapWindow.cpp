#include "gui/editors/AccessMapWindow.h"

#include "core/project/Workspace.h"
#include "gui/widgets/StringGrid.h"

#include "gui/widgets/Controls.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
enum Col { ColNo, ColSlave, ColType, ColAddress, ColNPoint, ColSwap, ColDeviceNet, ColMnemonic };

void SetupGrid(StringGrid* g, const std::vector<std::string>& typeItems) {
    static const char* headers[] = {
        "N°",   "Slave ID",          "Type",    "Address Register", "NPoint",
        "SWAP", "Address DeviceNet", "Mnemonic"};
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

TFSetVar::TFSetVar(Workspace& ws, QWidget* parent, Build build) : EditorWindow(ws, parent) {
    setObjectName("FSetVar");
    setWindowTitle("Set Access");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    resize(787, 538);
    buildIfNow(build);
}

void TFSetVar::buildControls() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    PageControl1->addTab(TabSheet1, "DeviceNet OUT --> Serial Read");
    PageControl1->addTab(TabSheet2, "Serial Write --> DeviceNet IN");

    sga = new StringGrid(TabSheet1);
    sga->setObjectName("sga");
    SetupGrid(sga, ReadTypeItems);
    sgb = new StringGrid(TabSheet2);
    sgb->setObjectName("sgb");
    SetupGrid(sgb, WriteTypeItems);
    for (auto [page, g] : {std::pair{TabSheet1, sga}, std::pair{TabSheet2, sgb}}) {
        auto* l = new QVBoxLayout(page);
        l->setContentsMargins(0, 0, 0, 0);
        l->addWidget(g);
    }

    Panel1 = NewOkCancelPanel(this, bitbtn1, bitbtn2);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(PageControl1);
    main->addWidget(Panel1);

    setButtons(bitbtn1, bitbtn2);
    for (StringGrid* g : {sga, sgb})
        addTable({g,
                  {ColSlave, ColType, ColAddress, ColNPoint, ColSwap, ColDeviceNet, ColMnemonic},
                  ColSlave,
                  {ColSwap}});
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
    run([this] {
        AccessBounds b = ReadAccessBounds(ws().PargenPath);
        NByteIn = b.NByteIn;
        NByteOut = b.NByteOut;
    });
    GridUpdate ua(sga), ub(sgb);
    AccessMap map;
    try {
        LoadAccessMap(ws().SdoPath, map);
    } catch (...) {
        toGrids(map); // the rows read before the error
        throw;
    }
    toGrids(map);
}

std::optional<EditorWindow::Failure> TFSetVar::firstFailure() {
    const auto failures = LocatedAccessFailures(fromGrids(), {NByteIn, NByteOut}, 1);
    if (failures.empty()) return std::nullopt;
    const AccessFailure& f = failures.front();
    const int cols[] = {ColSlave, ColType, ColAddress, ColNPoint, ColDeviceNet};
    return FailAt(f.message, grid(f.table), cols[static_cast<int>(f.field)],
                  static_cast<int>(f.row) + 1);
}

void TFSetVar::save() {
    SaveAccessMap(fromGrids(), ws().SdoPath);
}

std::string TFSetVar::savedFile() const {
    return ws().SdoPath;
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
