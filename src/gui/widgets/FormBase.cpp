#include "gui/widgets/FormBase.h"

#include <QAbstractButton>
#include <QPushButton>

FormBase::FormBase(Workspace& ws, QWidget* parent)
    : QDialog(parent), ws_(ws), prompt_(std::make_shared<QtPrompt>(this)) {}

FormBase::FormBase(Workspace& ws, QWidget* parent, const Look& look) : FormBase(ws, parent) {
    setObjectName(look.name);
    setWindowTitle(look.caption);
    if (look.frame != Qt::WindowFlags()) setWindowFlags(look.frame);
    if (look.size.isEmpty()) return;
    if (look.sizing == Fixed)
        setFixedClientSize(look.size.width(), look.size.height());
    else
        resize(look.size);
}

void FormBase::ensureBuilt() {
    if (built_) return;
    built_ = true;
    buildControls();
    // A dialog without a default button makes the first auto-default button
    // in its focus chain the default, so Return in an edit box could press
    // Delete or Cancel. Only the button a window makes its default (its OK)
    // answers Return.
    for (QPushButton* b : findChildren<QPushButton*>())
        if (!b->isDefault()) b->setAutoDefault(false);
    controlsBuilt();
}

void FormBase::setVisible(bool visible) {
    if (visible) ensureBuilt();
    QDialog::setVisible(visible);
}

void FormBase::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void FormBase::bindModalButton(QAbstractButton* button, std::function<void()> handler, int result) {
    connect(button, &QAbstractButton::clicked, this, [this, handler = std::move(handler), result] {
        if (run(handler)) done(result);
    });
}

void FormBase::setFixedClientSize(int w, int h) {
    setFixedSize(w, h);
}
