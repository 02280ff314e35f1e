#include "gui/family/PdoAccessWindow.h"

#include "core/model/Project.h"
#include "core/project/Errors.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/widgets/StringGrid.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>

namespace {
// One title row and ten table rows at start; the grids keep whatever count
// they reach while the program runs.
constexpr int kInitialRows = 11;

bool RowHasText(const StringGrid* g, int r) {
    for (int c = 1; c < g->colCount(); ++c)
        if (!g->cell(c, r).isEmpty()) return true;
    return false;
}

// The grid grows as it is filled: an empty row follows a filled last row.
void AppendRowIfLastFilled(StringGrid* g) {
    const int last = g->rowCount() - 1;
    if (last < 1 || !RowHasText(g, last)) return;
    const int col = g->currentCol(), row = g->currentRow();
    g->setRowCount(last + 2); // resets the view: the current cell is put back
    g->setCell(0, last + 1, QString::number(last + 1));
    if (row >= 1) g->selectCell(col, row);
}

// Down on a filled last row appends a row and moves to it.
class AppendOnDown : public QObject {
public:
    explicit AppendOnDown(StringGrid* g) : QObject(g), grid_(g) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Down &&
            static_cast<QKeyEvent*>(e)->modifiers() == Qt::NoModifier &&
            grid_->currentRow() == grid_->rowCount() - 1) {
            AppendRowIfLastFilled(grid_);
        }
        return false; // the grid then moves down as usual
    }

private:
    StringGrid* grid_;
};

StringGrid* MakeGrid(const char* name) {
    auto* g = new StringGrid;
    g->setObjectName(name);
    g->setColCount(5);
    g->setRowCount(kInitialRows);
    const char* titles[] = {"N\u00b0", "Cob-ID", "Dimension", "Address ProfiBus", "Mnemonic"};
    const int widths[] = {32, 80, 80, 120, 220};
    for (int c = 0; c < 5; ++c) {
        g->setCell(c, 0, QString::fromUtf8(titles[c]));
        g->setColWidth(c, widths[c]);
    }
    g->installEventFilter(new AppendOnDown(g));
    // After the edit has been committed, not inside it.
    QObject::connect(
        g, &StringGrid::cellEdited, g,
        [g](int, int row) {
            if (row == g->rowCount() - 1) AppendRowIfLastFilled(g);
        },
        Qt::QueuedConnection);
    return g;
}
} // namespace

TFSetPdo::TFSetPdo(Workspace& ws, QWidget* parent, Build build)
    : FamilyEditor(ws, nullptr, {"FSetPdo", "Set PDO Access", {600, 330}}, &Workspace::PdoPath,
                   parent) {
    buildIfNow(build);
}

void TFSetPdo::buildControls() {
    newPages();
    sga = MakeGrid("sga");
    sgb = MakeGrid("sgb");
    PageControl1->addTab(sga, "ProfiBus IN --> Transmit PDO");
    PageControl1->addTab(sgb, "Recive PDO --> ProfiBub OUT");

    bitbtn1 = layOut("bitbtn1");
    // The first empty Cob-ID ends each table.
    for (StringGrid* g : {sga, sgb})
        addTable({g, {1, 2, 3, 4}, 1, {}});
    addCheck(buttonRow, buttonRow->count(), static_cast<QBoxLayout*>(layout()), 1);
}

void TFSetPdo::clearControls() {
    NByteIn = NByteOut = DefaultProfiAreaSize;
    for (StringGrid* g : {sga, sgb}) {
        g->clearData();
        for (int r = 1; r < g->rowCount(); ++r)
            g->setCell(0, r, QString::number(r));
    }
}

void TFSetPdo::loadControls() {
    // An unreadable pargen.xml is reported, but the grids are still filled
    // from this project's pdo.xml.
    run([this] {
        Project& project = ws().project();
        project.reloadParams();
        const ParamsPart& params = project.params();
        params.report.requireReadable();
        const ProfiSizes sizes = ProfiSizesOf(params);
        NByteIn = sizes.in;
        NByteOut = sizes.out;
    });
    if (!FileExists(ws().PdoPath)) return;
    showRead(LoadPdoFile, PdoAccessTables{}, [this](const PdoAccessTables& t) {
        fillGrid(sga, t.in);
        fillGrid(sgb, t.out);
    });
}

void TFSetPdo::fillGrid(StringGrid* grid, const std::vector<PdoAccessRow>& rows) {
    // A file with more rows than the grid gets room for all of them, so that
    // OK does not drop the rows beyond the grid.
    const int needed = static_cast<int>(rows.size()) + 1;
    if (needed > grid->rowCount()) {
        const int from = grid->rowCount();
        grid->setRowCount(needed);
        for (int r = from; r < needed; ++r)
            grid->setCell(0, r, QString::number(r));
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        grid->setCellText(1, r, rows[i].cobId);
        grid->setCellText(2, r, rows[i].dimension);
        grid->setCellText(3, r, rows[i].pos);
        grid->setCellText(4, r, rows[i].mnemonic);
    }
}

std::vector<PdoAccessRow> TFSetPdo::gridRows(const StringGrid* grid) const {
    std::vector<PdoAccessRow> rows;
    for (int r = 1; r < grid->rowCount(); ++r)
        rows.push_back({grid->cellText(1, r), grid->cellText(2, r), grid->cellText(3, r),
                        grid->cellText(4, r)});
    return rows;
}

std::vector<EditorWindow::Failure> TFSetPdo::allFailures() {
    // The input table is checked first; each failure points at its cell.
    const std::pair<StringGrid*, int32_t> sides[] = {{sga, NByteIn}, {sgb, NByteOut}};
    std::vector<Failure> all;
    for (PdoSide side : {PdoSide::In, PdoSide::Out}) {
        auto [grid, area] = sides[side == PdoSide::In ? 0 : 1];
        std::vector<CheckFailure> found;
        AppendFailures(PdoTableChecks(side, area), gridRows(grid), SIZE_MAX, found);
        for (const CheckFailure& f : found)
            all.push_back(FailAt(f.message, grid, f.field, int(f.row) + 1));
    }
    return all;
}

void TFSetPdo::save() {
    SavePdoFile(ws().PdoPath, tables());
}
