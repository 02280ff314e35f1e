#include "gui/widgets/FormBase.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace {
// A label's text as a screen reader says it: without the mnemonic marks.
QString Spoken(QString text) {
    return text.replace("&&", QChar(1)).remove('&').replace(QChar(1), '&');
}
} // namespace

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
    nameItemViews();
    controlsBuilt();
}

void FormBase::nameItemViews() {
    auto unnamed = [](QWidget* w) {
        auto* view = qobject_cast<QAbstractItemView*>(w);
        return view && view->accessibleName().isEmpty() ? view : nullptr;
    };
    for (QLabel* label : findChildren<QLabel*>())
        if (QAbstractItemView* view = unnamed(label->buddy()))
            view->setAccessibleName(Spoken(label->text()));
    for (QTabWidget* tabs : findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i) {
            QWidget* page = tabs->widget(i);
            QList<QAbstractItemView*> views;
            if (auto* v = qobject_cast<QAbstractItemView*>(page)) views << v;
            for (QAbstractItemView* v : page->findChildren<QAbstractItemView*>())
                // A header is part of its view.
                if (!qobject_cast<QAbstractItemView*>(v->parentWidget())) views << v;
            if (views.size() == 1 && unnamed(views.front()))
                views.front()->setAccessibleName(Spoken(tabs->tabText(i)));
        }
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
