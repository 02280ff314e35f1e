#include "gui/widgets/FormBase.h"

#include <QAbstractButton>

FormBase::FormBase(Workspace& ws, QWidget* parent)
    : QDialog(parent), ws_(ws), prompt_(std::make_shared<QtPrompt>(this)) {}

void FormBase::ensureBuilt() {
    if (built_) return;
    built_ = true;
    buildControls();
    controlsBuilt();
}

void FormBase::setVisible(bool visible) {
    if (visible) ensureBuilt();
    QDialog::setVisible(visible);
}

void FormBase::bindModalButton(QAbstractButton* button, std::function<void()> handler, int result) {
    connect(button, &QAbstractButton::clicked, this, [this, handler = std::move(handler), result] {
        if (run(handler)) done(result);
    });
}

void FormBase::setFixedClientSize(int w, int h) {
    setFixedSize(w, h);
}
