#include "gui/tools/SelectStringWindow.h"

#include "core/tools/StringsList.h"
#include "gui/widgets/StringGrid.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

TFSELstringhe::TFSELstringhe(Workspace& ws, QWidget* parent, Build build) : FormBase(ws, parent) {
    setObjectName("FSELstringhe");
    setWindowTitle("Select String");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    buildIfNow(build);
}

void TFSELstringhe::buildControls() {
    sg = new StringGrid(this);
    sg->setObjectName("sg");
    sg->setEditable(false);
    sg->setSelectionMode(QAbstractItemView::SingleSelection);
    sg->setSelectionBehavior(QAbstractItemView::SelectRows);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Label1 = new QLabel("Sel str:", Panel1);
    Label1->setObjectName("Label1");
    Label1->setGeometry(10, 10, 200, 20);
    Label1->setBuddy(sg);
    bitbtn1 = new QPushButton("OK", Panel1);
    bitbtn1->setObjectName("bitbtn1");
    bitbtn1->setGeometry(320, 6, 80, 28);
    bitbtn1->setDefault(true);
    bitbtn2 = new QPushButton("Cancel", Panel1);
    bitbtn2->setObjectName("bitbtn2");
    bitbtn2->setGeometry(408, 6, 80, 28);

    connect(bitbtn1, &QPushButton::clicked, this, [this] { done(Accepted); });
    connect(bitbtn2, &QPushButton::clicked, this, [this] { done(Rejected); });
    connect(sg, &StringGrid::cellSelected, this, [this](int c, int r) { sgSelectCell(c, r); });

    setFixedClientSize(496, 351);
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

void TFSELstringhe::showEvent(QShowEvent* e) {
    FormBase::showEvent(e);
    FormShow();
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
