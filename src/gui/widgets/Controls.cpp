#include "gui/widgets/Controls.h"

#include <QHBoxLayout>
#include <QPushButton>

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

QPushButton* NewPlainButton(QWidget* parent, const QString& name, const QString& text) {
    auto* b = NewControl<QPushButton>(parent, name, text);
    b->setAutoDefault(false);
    return b;
}
