#include "gui/family/SdoWindow.h"

#include "gui/widgets/StringGrid.h"

#include <QLabel>
#include <QTabWidget>

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

// OK writes nothing, and no file is no notice.
const TFsdo::Table SdoAccess{SdoTable,        SdoTitles,      LoadSdoAccess, nullptr,
                             ImportSdoRecord, SdoExportLines, false};
} // namespace

TFsdo::TFsdo(Workspace& ws, SpreadsheetSession& excel, QWidget* parent, Build build)
    : GridPairEditor(ws, excel, {"Fsdo", "Set SDO Access", {820, 560}}, nullptr, parent,
                     SdoAccess) {
    buildIfNow(build);
}

void TFsdo::buildControls() {
    newPages();
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
        PageControl1->addTab(p.sheet, p.tab);
        // The captions are placed by FormResize, the grid below them.
        p.left = Caption(p.sheet, p.leftName, p.leftText, "#ffffe0");
        p.right = Caption(p.sheet, p.rightName, p.rightText, "#c0e0ff");
        p.grid = new StringGrid(p.sheet);
        p.grid->setObjectName(p.gridName);
        p.grid->setAccessibleName(p.tab);
        buildGrid(p.grid);
    }

    // The captions are placed over the grids whenever a page is resized.
    followResize({TabSheet1, TabSheet2}, [this] { FormResize(); });
    bitbtn1 = layOut("bitbtn1");
}

void TFsdo::buildGrid(StringGrid* g) {
    g->setColCount(9);
    // A fixed row-title width from the start (FormResize sets the real one):
    // otherwise each update measures the row titles for a width not kept.
    g->setColWidth(0, 82);
    g->setRowCount(SdoGridRows + 1);
    // Form captions; loading puts the table's own titles in their place.
    const char* form[] = {"N°",    "RW",       "Index", "SubIndex", "devID",
                          "Index", "SubIndex", "nbyte", "mnemonico"};
    for (int c = 0; c < 9; ++c)
        g->setCell(c, 0, QString::fromUtf8(form[c]));
}

void TFsdo::loadControls() {
    // The captions follow the grids also when the file was read only in part.
    try {
        GridPairEditor::loadControls();
    } catch (...) {
        FormResize();
        throw;
    }
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
        // Widths first: with the row header's width fixed, placing the grid
        // does not measure 1501 row titles for a width it then overrides.
        for (int c = 0; c < g->colCount(); ++c)
            g->setColWidth(c, w);
        g->setGeometry(0, top, gridWidth, std::max(sheet->height() - top, 0));
        captions.first->setGeometry(0, 0, 4 * w, top);
        captions.second->setGeometry(4 * w + 1, 0, std::max(gridWidth - (4 * w + 1), 0), top);
    }
}
