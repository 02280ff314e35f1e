#include "gui/tools/SelectStringWindow.h"

#include "core/tools/StringsList.h"
#include "gui/widgets/Controls.h"
#include "gui/widgets/StringGrid.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

TFSELstringhe::TFSELstringhe(Workspace& ws, QWidget* parent, Build build)
    : FormBase(ws, parent, {"FSELstringhe", "Select String", {496, 351}, Fixed, TitleCloseFrame}) {
    buildIfNow(build);
}

void TFSELstringhe::buildControls() {
    sg = Named(new StringGrid(this), "sg");
    sg->setEditable(false);
    sg->setSelectionMode(QAbstractItemView::SingleSelection);
    sg->setSelectionBehavior(QAbstractItemView::SelectRows);

    Panel1 = Named(new QWidget(this), "Panel1");
    Label1 = NewControl<QLabel>(Panel1, "Label1", "Sel str:", {10, 10, 200, 20});
    Label1->setBuddy(sg);
    NewOkCancel(Panel1, bitbtn1, bitbtn2, {320, 6, 80, 28}, {408, 6, 80, 28});

    connect(bitbtn1, &QPushButton::clicked, this, [this] { done(Accepted); });
    connect(bitbtn2, &QPushButton::clicked, this, [this] { done(Rejected); });
    connect(sg, &StringGrid::cellSelected, this, [this](int c, int r) { sgSelectCell(c, r); });
}

void TFSELstringhe::resizeEvent(QResizeEvent* e) {
    FormBase::resizeEvent(e);
    FormResize();
}

void TFSELstringhe::FormResize() {
    if (!sg) return; // not built yet: a grab or resize before the first showing
    const int panel = 40;
    sg->setGeometry(0, 0, width(), height() - panel);
    Panel1->setGeometry(0, height() - panel, width(), panel);
    sg->setColWidth(0, 40);
    sg->setColWidth(1, std::max(0, sg->width() - 70));
}

void TFSELstringhe::FormShow() {
    sg->setColCount(2);
    sg->setFixedCols(1);
    sg->setRowCount(StringsListRows + 1);
    sg->setCell(0, 0, "Index");
    sg->setCell(1, 0, "String");
    // Strings of an earlier file must not pass for this file's.
    sg->clearData();
    for (int r = 1; r <= StringsListRows; ++r)
        sg->setCell(0, r, QString::number(r - 1));
    FormResize();

    StringsList list = ReadStringsList(StringsFilePath);
    for (size_t i = 0; i < list.strings.size(); ++i)
        sg->setCellText(1, int(i) + 1, list.strings[i]);
    for (const std::string& m : list.messages)
        prompt().message(QString::fromStdString(m));

    // An index outside the list selects the nearest row.
    int row = std::clamp(SelectedStringIndex, 0, StringsListRows - 1) + 1;
    sg->selectCell(1, row);
    sgSelectCell(1, row);
}

void TFSELstringhe::sgSelectCell(int, int row) {
    if (row < 1) return;
    SelectedStringIndex = row - 1;
    Label1->setText("Sel str: " + QString::number(row - 1));
}
