#include "gui/widgets/Controls.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

void NewOkCancel(QWidget* parent, QPushButton*& ok, QPushButton*& cancel, QRect okGeo,
                 QRect cancelGeo) {
    ok = NewControl<QPushButton>(parent, "bitbtn1", "OK", okGeo);
    ok->setDefault(true);
    cancel = NewControl<QPushButton>(parent, "bitbtn2", "Cancel", cancelGeo);
}

QVBoxLayout* NewColumn(QWidget* parent, std::initializer_list<QWidget*> widgets) {
    auto* column = new QVBoxLayout(parent);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (QWidget* w : widgets)
        column->addWidget(w);
    return column;
}

QWidget* NewOkCancelPanel(QWidget* parent, QPushButton*& ok, QPushButton*& cancel) {
    auto* panel = Named(new QWidget(parent), "Panel1");
    panel->setFixedHeight(41);
    ok = Named(new QPushButton("OK", panel), "bitbtn1");
    ok->setFixedSize(81, 27);
    cancel = Named(new QPushButton("Cancel", panel), "bitbtn2");
    cancel->setFixedSize(81, 27);
    auto* buttons = new QHBoxLayout(panel);
    buttons->setContentsMargins(8, 7, 8, 7);
    buttons->addWidget(ok);
    buttons->addSpacing(16);
    buttons->addWidget(cancel);
    buttons->addStretch();
    return panel;
}

void AddCsvButtons(QWidget* panel, QPushButton*& import, QPushButton*& exportButton) {
    auto* buttons = static_cast<QHBoxLayout*>(panel->layout());
    import = NewPlainButton(panel, "btnImportCsv", "Import...");
    exportButton = NewPlainButton(panel, "btnExportCsv", "Export...");
    for (QPushButton* b : {import, exportButton}) {
        b->setFixedHeight(27);
        b->setToolTip(b == import ? "Replace the table with the rows of a CSV file"
                                  : "Write the table to a CSV file");
        buttons->addWidget(b);
    }
}

QPushButton* NewPlainButton(QWidget* parent, const QString& name, const QString& text) {
    auto* b = NewControl<QPushButton>(parent, name, text);
    b->setAutoDefault(false);
    return b;
}
