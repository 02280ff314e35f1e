#include "gui/family/PdoWindow.h"

#include "core/project/Workspace.h"
#include "gui/family/FamilyIO.h"
#include "gui/widgets/StringGrid.h"

#include "gui/widgets/Controls.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

TFpdo::TFpdo(Workspace& ws, SpreadsheetSession& excel, QWidget* parent, Build build)
    : FormBase(ws, parent), excel_(excel) {
    setObjectName("Fpdo");
    setWindowTitle("Define Traslate PDO");
    resize(640, 330);
    buildIfNow(build);
}

void TFpdo::buildControls() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
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
        // The grids take their size after the dialog's own resize.
        g->installEventFilter(this);
    }

    FamilyButtons b = LayOutFamilyEditor(
        *this, PageControl1, "bitbtn1", [this] { BitBtn1Click(); }, [this] { BitBtn4Click(); },
        [this] { Button1Click(); });
    bitbtn1 = b.ok;
    bitbtn2 = b.cancel;
    bitbtn4 = b.import;
    button1 = b.exportButton;
}

void TFpdo::showTables(const PdoTables& t) {
    ShowRows(sga, t.rows[0], PdoTitles);
    ShowRows(sgb, t.rows[1], PdoTitles);
}

PdoTables TFpdo::tables() const {
    PdoTables t;
    t.rows[0] = GridRows<PdoFields>(sga);
    t.rows[1] = GridRows<PdoFields>(sgb);
    return t;
}

void TFpdo::showEvent(QShowEvent* e) {
    FormBase::showEvent(e);
    FormShow();
}

void TFpdo::resizeEvent(QResizeEvent* e) {
    FormBase::resizeEvent(e);
    FormResize();
}

bool TFpdo::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::Resize && (o == sga || o == sgb)) FormResize();
    return FormBase::eventFilter(o, e);
}

void TFpdo::FormShow() {
    PdoTables t;
    switch (LoadRpdodef(ws().RpdodefPath, t)) {
    case FamilyLoad::NotFound:
        prompt().message("File XML not found");
        break;
    case FamilyLoad::ReadError:
        prompt().message("Error in reading file XML");
        break;
    case FamilyLoad::Loaded:
        break;
    }
    showTables(t);
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

void TFpdo::BitBtn1Click() {
    SaveRpdodef(ws().RpdodefPath, tables());
}

void TFpdo::BitBtn4Click() {
    PdoTables t;
    ImportHandlers h;
    h.record = [&](int32_t dir, const std::vector<std::string>& f) { ImportPdoRecord(t, dir, f); };
    auto outcome = FamilyImport(
        *this, excel_, RpdodefTable, [&] { showTables(t); }, h);
    if (outcome) showTables(t);
}

void TFpdo::Button1Click() {
    FamilyExport(*this, RpdodefTable, PdoExportLines(tables()));
}
