#include "gui/family/SdoWindow.h"

#include "gui/family/FamilyIO.h"
#include "gui/widgets/StringGrid.h"

#include "gui/widgets/Controls.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
QLabel* Caption(QWidget* parent, const char* name, const char* text, const char* colour) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    l->setStyleSheet(QString("background: %1; border: 1px solid gray;").arg(colour));
    l->setFixedHeight(22);
    return l;
}

} // namespace

TFsdo::TFsdo(Workspace& ws, SpreadsheetSession& excel, QWidget* parent, Build build)
    : FormBase(ws, parent), excel_(excel) {
    setObjectName("Fsdo");
    setWindowTitle("Set SDO Access");
    resize(820, 560);
    buildIfNow(build);
}

void TFsdo::buildControls() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    struct Page {
        QWidget*& sheet;
        const char* sheetName;
        const char* tab;
        QLabel*& left;
        const char* leftName;
        const char* leftText;
        QLabel*& right;
        const char* rightName;
        const char* rightText;
        StringGrid*& grid;
        const char* gridName;
    };
    Page pages[] = {
        {TabSheet1, "TabSheet1", "SDO from CAN A request to CAN B", Panel1, "Panel1",
         "Define virtual index SDO in CAN A", Panel2, "Panel2", "Input index address SDO in CAN B",
         sga, "sga"},
        {TabSheet2, "TabSheet2", "SDO from CAN B request to CAN A", Panel3, "Panel3",
         "Define virtual index SDO in CAN B", Panel4, "Panel4", "Input index address SDO in CAN A",
         sgb, "sgb"},
    };
    for (auto& p : pages) {
        p.sheet = new QWidget;
        p.sheet->setObjectName(p.sheetName);
        p.sheet->installEventFilter(this);
        PageControl1->addTab(p.sheet, p.tab);
        // The captions are placed by FormResize, the grid below them.
        p.left = Caption(p.sheet, p.leftName, p.leftText, "#ffffe0");
        p.right = Caption(p.sheet, p.rightName, p.rightText, "#c0e0ff");
        p.grid = new StringGrid(p.sheet);
        p.grid->setObjectName(p.gridName);
        p.grid->setAccessibleName(p.tab);
        buildGrid(p.grid);
    }

    FamilyButtons b = LayOutFamilyEditor(
        *this, PageControl1, "bitbtn1", [this] { BitBtn1Click(); }, [this] { BitBtn4Click(); },
        [this] { Button1Click(); });
    bitbtn1 = b.ok;
    bitbtn2 = b.cancel;
    bitbtn4 = b.import;
    button1 = b.exportButton;
}

void TFsdo::buildGrid(StringGrid* g) {
    g->setColCount(9);
    g->setRowCount(SdoGridRows + 1);
    // Form captions; FormShow puts the table's own titles in their place.
    const char* form[] = {"N°",    "RW",       "Index", "SubIndex", "devID",
                          "Index", "SubIndex", "nbyte", "mnemonico"};
    for (int c = 0; c < 9; ++c)
        g->setCell(c, 0, QString::fromUtf8(form[c]));
}

void TFsdo::showTables(const SdoAccessTables& t) {
    ShowRows(sga, t.rows[0], SdoTitles);
    ShowRows(sgb, t.rows[1], SdoTitles);
}

SdoAccessTables TFsdo::tables() const {
    SdoAccessTables t;
    t.rows[0] = GridRows<SdoFields>(sga);
    t.rows[1] = GridRows<SdoFields>(sgb);
    return t;
}

void TFsdo::showEvent(QShowEvent* e) {
    FormBase::showEvent(e);
    FormShow();
}

void TFsdo::resizeEvent(QResizeEvent* e) {
    FormBase::resizeEvent(e);
    FormResize();
}

bool TFsdo::eventFilter(QObject* o, QEvent* e) {
    // The tab pages take their size after the dialog's own resize.
    if (e->type() == QEvent::Resize && (o == TabSheet1 || o == TabSheet2)) FormResize();
    return FormBase::eventFilter(o, e);
}

void TFsdo::FormShow() {
    SdoAccessTables t;
    if (LoadSdoAccess(SdoAccessPath, t) == FamilyLoad::ReadError)
        prompt().message("Error in reading file XML");
    showTables(t);
    FormResize();
}

void TFsdo::FormResize() {
    if (!sgb) return; // still being built
    const std::pair<StringGrid*, std::pair<QLabel*, QLabel*>> pages[] = {{sga, {Panel1, Panel2}},
                                                                         {sgb, {Panel3, Panel4}}};
    for (auto& [g, captions] : pages) {
        QWidget* sheet = g->parentWidget();
        const int gridWidth = std::max(sheet->width(), 10);
        const int w = gridWidth / 10;
        const int top = captions.first->height();
        g->setGeometry(0, top, gridWidth, std::max(sheet->height() - top, 0));
        for (int c = 0; c < g->colCount(); ++c)
            g->setColWidth(c, w);
        captions.first->setGeometry(0, 0, 4 * w, top);
        captions.second->setGeometry(4 * w + 1, 0, std::max(gridWidth - (4 * w + 1), 0), top);
    }
}

void TFsdo::BitBtn1Click() {}

void TFsdo::BitBtn4Click() {
    SdoAccessTables t;
    ImportHandlers h;
    h.record = [&](int32_t conf, const std::vector<std::string>& f) {
        ImportSdoRecord(t, conf, f);
    };
    // Clearing empties every entry cell; the records imported before a stop stay.
    auto outcome = FamilyImport(
        *this, excel_, SdoTable, [&] { showTables(t); }, h);
    if (outcome) showTables(t);
}

void TFsdo::Button1Click() {
    FamilyExport(*this, SdoTable, SdoExportLines(tables()));
}
