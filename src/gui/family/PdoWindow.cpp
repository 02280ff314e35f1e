#include "gui/family/PdoWindow.h"

#include "core/project/Workspace.h"
#include "gui/widgets/StringGrid.h"

#include <QHeaderView>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {
const TFpdo::Table Rpdodef{RpdodefTable,    PdoTitles,      LoadRpdodef, SaveRpdodef,
                           ImportPdoRecord, PdoExportLines, true};
} // namespace

TFpdo::TFpdo(Workspace& ws, SpreadsheetSession& excel, QWidget* parent, Build build)
    : GridPairEditor(ws, excel, {"Fpdo", "Define Traslate PDO", {640, 330}},
                     &Workspace::RpdodefPath, parent, Rpdodef) {
    buildIfNow(build);
}

void TFpdo::buildControls() {
    newPages();
    const char* tabs[] = {"PDO From CanA to CanB", "PDO From CanB to CanA"};
    QWidget** sheets[] = {&TabSheet1, &TabSheet2};
    StringGrid** grids[] = {&sga, &sgb};
    const char* gridNames[] = {"sga", "sgb"};
    for (int i = 0; i < 2; ++i) {
        QWidget* sheet = new QWidget;
        sheet->setObjectName(i ? "TabSheet2" : "TabSheet1");
        PageControl1->addTab(sheet, tabs[i]);
        auto* g = new StringGrid(sheet);
        g->setObjectName(gridNames[i]);
        g->setAccessibleName(tabs[i]);
        g->setColCount(6);
        g->setRowCount(PdoGridRows + 1);
        const char* form[] = {"N°", "cobid", "id_dev_orig", "en_traslate", "posid", "n_tPDO"};
        for (int c = 0; c < 6; ++c)
            g->setCell(c, 0, QString::fromUtf8(form[c]));
        auto* l = new QVBoxLayout(sheet);
        l->setContentsMargins(0, 0, 0, 0);
        l->addWidget(g);
        *sheets[i] = sheet;
        *grids[i] = g;
    }
    followResize({sga, sgb}, [this] { FormResize(); });
    bitbtn1 = layOut("bitbtn1");
    // The first empty COB-ID ends each table.
    for (StringGrid* g : {sga, sgb})
        addTable({g, {1, 2, 3, 4, 5}, 1, {}});
}

void TFpdo::FormResize() {
    if (!sgb) return; // still being built
    for (StringGrid* g : {sga, sgb}) {
        const int w = int(std::lround(g->width() / 6.0)) - 5;
        g->horizontalHeader()->setDefaultSectionSize(std::max(w, 1));
        g->setColWidth(0, std::max(w, 1));
        for (int c = 1; c < g->colCount(); ++c)
            g->setColWidth(c, std::max(w, 1));
    }
}
